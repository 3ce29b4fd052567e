#pragma once
// "Fixture Library...": find a fixture definition by maker, model or mode, see
// what its modes would become, and import one. The index, the search and the
// listing are the data side's (library/index.h, library/search.h); this window
// only shows them.
//
// The dialog opens on the cached index at once and brings it up to date a few
// files at a time between events, with a progress bar, so it can be used while
// the library is read for the first time.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "data/names/name_set.h"
#include "data/library/index.h"
#include "data/library/search.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace brannoc {
namespace ui {
class TablePane;
}

// Where the library is: the default folders, the user's own (kept in the
// settings) and the cache file.
struct LibraryPlaces {
  std::vector<std::filesystem::path> DefaultFolders;
  std::vector<std::filesystem::path> UserFolders;
  std::optional<std::filesystem::path> CacheFile;

  // From the environment and the user's settings.
  static LibraryPlaces FromSettings();
  // The user's folders written back to the settings.
  void SaveUserFolders() const;
  std::vector<std::filesystem::path> AllFolders() const;
};

class FixtureLibrary : public QDialog {
  Q_OBJECT

 public:
  FixtureLibrary(const ChannelNameSet& names, LibraryPlaces places, QWidget* parent = nullptr);
  ~FixtureLibrary() override;

  // After Accepted: the file and the mode (its index in the file) to import.
  std::filesystem::path ChosenPath() const { return chosenPath_; }
  std::size_t ChosenMode() const { return chosenMode_; }
  // True while the index is being brought up to date.
  bool Indexing() const;
  // Runs the remaining indexing at once (for tests and a caller that must wait).
  void FinishIndexing();

  // Controls.
  QLineEdit* SearchBox = nullptr;
  QStackedWidget* ListPages = nullptr;
  QTreeWidget* MakerTree = nullptr;    // shown while the search box is empty
  QListWidget* Results = nullptr;      // shown while it holds words
  QLabel* Found = nullptr;
  QProgressBar* Progress = nullptr;
  QListWidget* Modes = nullptr;
  ui::TablePane* PreviewPane = nullptr;  // the same preview "Import Fixture..." asks with
  QLabel* FixtureLines = nullptr;        // its lines
  QTableWidget* Preview = nullptr;       // its table
  QPushButton* FoldersButton = nullptr;
  QPushButton* ImportButton = nullptr;
  QPushButton* CloseButton = nullptr;

  // Handlers.
  void SearchBox_Change();
  void MakerTree_Change();
  void Results_Change();
  void Modes_Change();
  void Folders_Click();
  void Import_Click();
  void IndexStep();

  // Results shown at most; a search finding more says how many.
  static constexpr int kMaxResults = 300;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StartIndexing();
  void UseIndex(LibraryIndex index);
  void FillMakerTree();
  void ShowEntry(std::optional<std::size_t> entry);
  void ShowPreview();
  void ShowFound(const QString& found);

  const ChannelNameSet& names_;
  LibraryPlaces places_;
  LibraryIndex index_;
  std::unique_ptr<LibrarySearch> search_;
  std::unique_ptr<LibraryScanner> scanner_;
  QTimer* stepTimer_ = nullptr;
  std::optional<std::size_t> entry_;   // the entry whose modes are shown
  Bytes entryBytes_;                   // its file, read when it was chosen
  std::filesystem::path chosenPath_;
  std::size_t chosenMode_ = 0;
  QString found_;                      // what the label says before the problems
};

}  // namespace brannoc
