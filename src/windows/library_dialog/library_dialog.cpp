// "Fixture Library...": the search box, the maker tree or the results, the
// modes of the model chosen and the preview of the mode chosen.

#include "windows/library_dialog/library_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>
#include <map>

#include "data/core/file_io.h"
#include "windows/library_dialog/preview_table.h"
#include "data/import/definition.h"
#include "data/library/preview.h"
#include "windows/ui/table_box.h"

namespace brannoc {
namespace fs = std::filesystem;
namespace {

// Folders and files the scanner takes at a time, and the time it is given
// between two looks at the event queue.
constexpr std::size_t kFilesPerStep = 40;
constexpr qint64 kStepMs = 8;
constexpr int kEntryRole = Qt::UserRole;

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

QSettings Settings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brannoc512"),
                   QStringLiteral("brannoc512"));
}

QString ModeText(const std::string& name, int channels) {
  return Q(name) + QStringLiteral(": ") + QString::number(channels) +
         (channels == 1 ? QStringLiteral(" channel") : QStringLiteral(" channels"));
}

QString EntryTitle(const LibraryEntry& entry) {
  QString title = entry.Maker.empty() ? Q(entry.Model) : Q(entry.Maker) + QStringLiteral(" ") + Q(entry.Model);
  if (!entry.Damaged.empty()) title += QStringLiteral(" (damaged)");
  return title;
}

}  // namespace

LibraryPlaces LibraryPlaces::FromSettings() {
  LibraryPlaces places;
  const char* home = std::getenv("HOME");
  places.DefaultFolders = DefaultLibraryFolders(home ? home : "");
  for (const QString& folder : Settings().value(QStringLiteral("library/folders")).toStringList()) {
    places.UserFolders.emplace_back(folder.toStdString());
  }
  places.CacheFile = LibraryCachePathFromEnvironment();
  return places;
}

void LibraryPlaces::SaveUserFolders() const {
  QStringList folders;
  for (const fs::path& folder : UserFolders) folders << Q(folder.string());
  Settings().setValue(QStringLiteral("library/folders"), folders);
}

std::vector<fs::path> LibraryPlaces::AllFolders() const {
  std::vector<fs::path> all = DefaultFolders;
  all.insert(all.end(), UserFolders.begin(), UserFolders.end());
  return all;
}

FixtureLibrary::FixtureLibrary(const ChannelNameSet& names, LibraryPlaces places, QWidget* parent)
    : QDialog(parent), names_(names), places_(std::move(places)) {
  setWindowTitle(QStringLiteral("Fixture Library"));
  resize(1100, 680);

  SearchBox = new QLineEdit(this);
  SearchBox->setPlaceholderText(QStringLiteral("Type a maker, model or mode: \"viper perf\", \"robe pointe\""));
  SearchBox->setClearButtonEnabled(true);
  SearchBox->installEventFilter(this);
  MakerTree = new QTreeWidget(this);
  MakerTree->setHeaderHidden(true);
  MakerTree->setUniformRowHeights(true);
  Results = new QListWidget(this);
  Results->setUniformItemSizes(true);
  ListPages = new QStackedWidget(this);
  ListPages->addWidget(MakerTree);
  ListPages->addWidget(Results);
  Found = new QLabel(this);
  Progress = new QProgressBar(this);
  Progress->setFormat(QStringLiteral("Reading the library: %v of %m"));
  Progress->hide();

  Modes = new QListWidget(this);
  Modes->setMaximumHeight(140);
  PreviewPane = new ui::TablePane(this);
  PreviewPane->Show({}, PreviewHeaders(), {});
  FixtureLines = PreviewPane->Lines;
  Preview = PreviewPane->Table;

  FoldersButton = new QPushButton(QStringLiteral("Folders..."), this);
  ImportButton = new QPushButton(QStringLiteral("Import"), this);
  ImportButton->setDefault(true);
  ImportButton->setEnabled(false);
  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  FoldersButton->setAutoDefault(false);
  CloseButton->setAutoDefault(false);

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(SearchBox);
  leftLayout->addWidget(ListPages, 1);
  leftLayout->addWidget(Found);
  leftLayout->addWidget(Progress);
  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(new QLabel(QStringLiteral("Modes:"), right));
  rightLayout->addWidget(Modes);
  rightLayout->addWidget(PreviewPane, 1);
  auto* split = new QSplitter(this);
  split->addWidget(left);
  split->addWidget(right);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 5);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(FoldersButton);
  buttons->addStretch(1);
  buttons->addWidget(ImportButton);
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split, 1);
  layout->addLayout(buttons);

  connect(SearchBox, &QLineEdit::textChanged, this, &FixtureLibrary::SearchBox_Change);
  connect(MakerTree, &QTreeWidget::currentItemChanged, this, &FixtureLibrary::MakerTree_Change);
  connect(Results, &QListWidget::currentRowChanged, this, &FixtureLibrary::Results_Change);
  connect(Modes, &QListWidget::currentRowChanged, this, &FixtureLibrary::Modes_Change);
  connect(Results, &QListWidget::itemActivated, this, &FixtureLibrary::Import_Click);
  connect(Modes, &QListWidget::itemActivated, this, &FixtureLibrary::Import_Click);
  connect(MakerTree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    if (item && item->parent()) Import_Click();
  });
  connect(FoldersButton, &QPushButton::clicked, this, &FixtureLibrary::Folders_Click);
  connect(ImportButton, &QPushButton::clicked, this, &FixtureLibrary::Import_Click);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);

  stepTimer_ = new QTimer(this);
  stepTimer_->setInterval(0);
  connect(stepTimer_, &QTimer::timeout, this, &FixtureLibrary::IndexStep);

  // The cached index first, so the dialog is of use at once.
  if (places_.CacheFile) UseIndex(LoadLibraryCache(*places_.CacheFile));
  StartIndexing();
  SearchBox->setFocus();
}

FixtureLibrary::~FixtureLibrary() = default;

bool FixtureLibrary::Indexing() const { return scanner_ != nullptr; }

void FixtureLibrary::StartIndexing() {
  scanner_ = std::make_unique<LibraryScanner>(places_.AllFolders(), index_);
  Progress->setValue(0);
  stepTimer_->start();
}

void FixtureLibrary::IndexStep() {
  if (!scanner_) return;
  // A few milliseconds of walking and reading, then the events again, so that
  // typing is never held up by the index.
  QElapsedTimer slice;
  slice.start();
  bool more = true;
  while (more && slice.elapsed() < kStepMs) more = scanner_->Step(kFilesPerStep);
  // The bar only when the files are not all in the cache: a warm start shows
  // none. Without a cache it shows from the start, busy while the folders are
  // searched.
  if (scanner_->FilesRead() > kFilesPerStep / 2 || Progress->isVisible() || index_.Entries.empty()) {
    Progress->setMaximum(scanner_->Walked() ? static_cast<int>(scanner_->Total()) : 0);
    Progress->setValue(static_cast<int>(scanner_->Done()));
    Progress->show();
  }
  if (more) return;
  stepTimer_->stop();
  const bool changed = scanner_->FilesRead() > 0 || scanner_->Total() != index_.Entries.size();
  const bool foldersRead = scanner_->FoldersRead() > 0;
  LibraryIndex fresh = scanner_->Finish();
  scanner_.reset();
  Progress->hide();
  if (changed || foldersRead) {
    if (places_.CacheFile) (void)SaveLibraryCache(fresh, *places_.CacheFile);  // without it only slower
  }
  if (changed) {
    UseIndex(std::move(fresh));
    return;
  }
  index_.Folders = std::move(fresh.Folders);
  index_.Problems = std::move(fresh.Problems);
  ShowFound(found_);
}

void FixtureLibrary::FinishIndexing() {
  while (scanner_) IndexStep();
}

void FixtureLibrary::UseIndex(LibraryIndex index) {
  // The model chosen stays chosen, found again by its file.
  const std::optional<fs::path> chosen = entry_ ? std::optional(index_.Entries[*entry_].Path) : std::nullopt;
  index_ = std::move(index);
  search_ = std::make_unique<LibrarySearch>(index_);
  entry_.reset();
  FillMakerTree();
  SearchBox_Change();
  if (!chosen) return;
  for (std::size_t i = 0; i < index_.Entries.size(); ++i) {
    if (index_.Entries[i].Path != *chosen) continue;
    for (int row = 0; row < Results->count(); ++row) {
      if (Results->item(row)->data(kEntryRole).toULongLong() == i) Results->setCurrentRow(row);
    }
    if (ListPages->currentWidget() == MakerTree) {
      for (QTreeWidgetItemIterator it(MakerTree); *it; ++it) {
        if ((*it)->parent() && (*it)->data(0, kEntryRole).toULongLong() == i) MakerTree->setCurrentItem(*it);
      }
    }
  }
}

void FixtureLibrary::FillMakerTree() {
  const QSignalBlocker block(MakerTree);
  MakerTree->clear();
  std::map<QString, QTreeWidgetItem*> makers;
  QList<QTreeWidgetItem*> top;
  for (std::size_t i = 0; i < index_.Entries.size(); ++i) {
    const LibraryEntry& entry = index_.Entries[i];
    const QString maker = entry.Maker.empty() ? QStringLiteral("(no maker)") : Q(entry.Maker);
    QTreeWidgetItem*& parent = makers[maker];
    if (!parent) {
      parent = new QTreeWidgetItem(QStringList{maker});
      top << parent;
    }
    auto* item = new QTreeWidgetItem(parent, QStringList{Q(entry.Model) +
                                                         (entry.Damaged.empty() ? QString() : QStringLiteral(" (damaged)"))});
    item->setData(0, kEntryRole, QVariant::fromValue<qulonglong>(i));
  }
  MakerTree->addTopLevelItems(top);
}

void FixtureLibrary::SearchBox_Change() {
  const QString query = SearchBox->text();
  if (query.trimmed().isEmpty()) {
    ListPages->setCurrentWidget(MakerTree);
    ShowFound(QString::number(index_.Entries.size()) + QStringLiteral(" definitions"));
    MakerTree_Change();
    return;
  }
  ListPages->setCurrentWidget(Results);
  const std::vector<std::size_t> found = search_->Find(query.toStdString());
  Results->setUpdatesEnabled(false);
  {
    const QSignalBlocker block(Results);
    Results->clear();
    const std::size_t shown = std::min<std::size_t>(found.size(), kMaxResults);
    for (std::size_t n = 0; n < shown; ++n) {
      auto* item = new QListWidgetItem(EntryTitle(index_.Entries[found[n]]), Results);
      item->setData(kEntryRole, QVariant::fromValue<qulonglong>(found[n]));
    }
    if (shown > 0) Results->setCurrentRow(0);
  }
  Results->setUpdatesEnabled(true);
  ShowFound(found.size() > static_cast<std::size_t>(kMaxResults)
                ? QString::number(found.size()) + QStringLiteral(" found; the first ") +
                      QString::number(kMaxResults) + QStringLiteral(" shown")
                : QString::number(found.size()) + QStringLiteral(" found"));
  Results_Change();
}

void FixtureLibrary::ShowFound(const QString& found) {
  // Folders that could not be read are named, so an empty library is explained.
  found_ = found;
  QStringList problems;
  for (const std::string& problem : index_.Problems) problems << Q(problem);
  Found->setText(problems.isEmpty() ? found
                                    : found + QStringLiteral("; ") + QString::number(problems.size()) +
                                          (problems.size() == 1 ? QStringLiteral(" folder") : QStringLiteral(" folders")) +
                                          QStringLiteral(" not searched"));
  Found->setToolTip(problems.join(QStringLiteral("\n")));
}

void FixtureLibrary::MakerTree_Change() {
  const QTreeWidgetItem* item = MakerTree->currentItem();
  ShowEntry(item && item->parent() ? std::optional<std::size_t>(item->data(0, kEntryRole).toULongLong())
                                   : std::nullopt);
}

void FixtureLibrary::Results_Change() {
  const QListWidgetItem* item = Results->currentItem();
  ShowEntry(item ? std::optional<std::size_t>(item->data(kEntryRole).toULongLong()) : std::nullopt);
}

void FixtureLibrary::ShowEntry(std::optional<std::size_t> entry) {
  if (entry == entry_ && entry) return;
  entry_ = entry;
  entryBytes_.clear();
  const QSignalBlocker block(Modes);
  Modes->clear();
  if (!entry) {
    ShowPreview();
    return;
  }
  const LibraryEntry& chosen = index_.Entries[*entry];
  // The file is read afresh: it may have changed, or gone, since it was indexed.
  // Its kind is told by content, as "Import Fixture..." tells it.
  ListedDefinitionFile file = ReadAndListDefinition(chosen.Path);
  const std::string& problem = !file.Problem.empty() ? file.Problem : chosen.Damaged;
  if (!problem.empty()) {
    PreviewPane->ShowLines({Q(chosen.Path.string()), Q(problem)});
    ImportButton->setEnabled(false);
    return;
  }
  entryBytes_ = std::move(file.Content);
  int firstFit = -1;
  for (std::size_t m = 0; m < file.List.Modes.size(); ++m) {
    const DefinitionMode& mode = file.List.Modes[m];
    auto* item = new QListWidgetItem(ModeText(mode.Name, mode.ChannelCount), Modes);
    if (!mode.Fits) {
      item->setText(item->text() + QStringLiteral(" (") + Q(mode.Why) + QStringLiteral(")"));
      item->setToolTip(Q(mode.Why));
      item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    } else if (firstFit < 0) {
      firstFit = static_cast<int>(m);
    }
  }
  Modes->setCurrentRow(firstFit);
  ShowPreview();
}

void FixtureLibrary::Modes_Change() { ShowPreview(); }

void FixtureLibrary::ShowPreview() {
  const int mode = Modes->currentRow();
  const QListWidgetItem* item = Modes->currentItem();
  ImportButton->setEnabled(false);
  if (!entry_) {
    PreviewPane->ShowLines({});
    return;
  }
  if (entryBytes_.empty()) return;  // the entry's problem is shown
  if (mode < 0 || !item || !(item->flags() & Qt::ItemIsEnabled)) {
    PreviewPane->ShowLines({QStringLiteral("No mode of this definition can be imported.")});
    return;
  }
  const ImportResult imported = ImportDefinitionMode(entryBytes_, static_cast<std::size_t>(mode), names_);
  if (!imported.Record) {
    PreviewPane->ShowLines({Q(imported.Error)});
    return;
  }
  const ImportPreview preview =
      PreviewImport(imported, DefinitionModeChannelNames(entryBytes_, static_cast<std::size_t>(mode)));
  QStringList lines{Q(index_.Entries[*entry_].Path.string())};
  for (const std::string& line : preview.FixtureLines) lines << Q(line);
  PreviewPane->Show(lines, PreviewHeaders(), PreviewCells(preview));
  ImportButton->setEnabled(true);
}

void FixtureLibrary::Import_Click() {
  if (!ImportButton->isEnabled() || !entry_) return;
  chosenPath_ = index_.Entries[*entry_].Path;
  chosenMode_ = static_cast<std::size_t>(Modes->currentRow());
  accept();
}

void FixtureLibrary::Folders_Click() {
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Library Folders"));
  auto* list = new QListWidget(&dialog);
  for (const fs::path& folder : places_.DefaultFolders) {
    auto* item = new QListWidgetItem(Q(folder.string()) + QStringLiteral(" (default)"), list);
    item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
  }
  for (const fs::path& folder : places_.UserFolders) new QListWidgetItem(Q(folder.string()), list);
  auto* add = new QPushButton(QStringLiteral("Add..."), &dialog);
  auto* remove = new QPushButton(QStringLiteral("Remove"), &dialog);
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  connect(close, &QDialogButtonBox::rejected, &dialog, &QDialog::accept);
  const int defaults = static_cast<int>(places_.DefaultFolders.size());
  bool changed = false;
  connect(add, &QPushButton::clicked, &dialog, [&] {
    const QString folder = QFileDialog::getExistingDirectory(&dialog, QStringLiteral("Add a Library Folder"));
    if (folder.isEmpty()) return;
    places_.UserFolders.emplace_back(folder.toStdString());
    new QListWidgetItem(folder, list);
    changed = true;
  });
  connect(remove, &QPushButton::clicked, &dialog, [&] {
    const int row = list->currentRow();
    if (row < defaults) return;
    places_.UserFolders.erase(places_.UserFolders.begin() + (row - defaults));
    delete list->takeItem(row);
    changed = true;
  });
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Definitions are looked for in these folders and their subfolders:"),
                               &dialog));
  layout->addWidget(list);
  auto* row = new QHBoxLayout;
  row->addWidget(add);
  row->addWidget(remove);
  row->addStretch(1);
  row->addWidget(close);
  layout->addLayout(row);
  dialog.resize(560, 300);
  dialog.exec();
  if (!changed) return;
  places_.SaveUserFolders();
  scanner_.reset();
  StartIndexing();
}

bool FixtureLibrary::eventFilter(QObject* watched, QEvent* event) {
  // Arrows and page keys in the search box move through the list, so a
  // technician can type, go down to the model and press Enter.
  if (watched == SearchBox && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown: {
        QKeyEvent copy(key->type(), key->key(), key->modifiers());
        QCoreApplication::sendEvent(ListPages->currentWidget(), &copy);
        return true;
      }
      case Qt::Key_Return:
      case Qt::Key_Enter:
        Import_Click();
        return true;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace brannoc
