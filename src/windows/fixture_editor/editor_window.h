#pragma once
// The fixture editor window: the fixture's header, its channel table, the steps
// of one channel, and the commands that create, open and save a fixture.
//
// The window works on the one FixtureRecord of the application; it keeps only its
// controls and its own state. Every committed change is recorded in the
// fixture's history (AppState::RecordFixtureChange), which "&Undo" and "&Redo" walk;
// the caption carries the window-modified mark while the fixture is unsaved. Its handlers are split over:
//   editor_window.cpp   frame, set-up, header boxes, menus, New / Open / Save
//   channel_table.cpp   the channel grid, its cell editors, the count change
//   channel_steps.cpp   the "Channel Traits" panel
//   name_lookup.cpp     the channel name chooser and adding a typed name
//   import_fixture.cpp  "&Import Fixture...": a mode of a fixture definition (.qxf, .gdtf);
//                       "Fixture Library...": one found in the library (library_dialog.h)
//   check_list.cpp      the "Check" list of the fixture's problems
//   print_sheet.cpp     "Print Channel Sheet...": the print dialog and the sheet

#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/names/name_set.h"
#include "data/checks/checks.h"
#include "windows/library_dialog/library_dialog.h"
#include "windows/app/app_state.h"

class QAction;
class QGroupBox;
class QLineEdit;
class QLabel;
class QListWidget;
class QMenuBar;
class QPagedPaintDevice;
class QPushButton;

namespace brannoc {
namespace ui {
class Chooser;
class Grid;
class TextBox;
}  // namespace ui

class Pelorin : public QWidget, public NameSetWatcher, public FixtureView {
  Q_OBJECT

 public:
  Pelorin(AppState& app, Shell& shell, QWidget* parent = nullptr);
  ~Pelorin() override;

  // Opening the window (its set-up); the shell calls it once, right after
  // creating the window.
  void Form_Load();

  void ShowFixtureHeader();
  void ResetFixture(int count);

  // Reads the fixture file at `path` and shows it, as "&Open Fixture" does after
  // its dialog; a file that cannot be read is reported and changes nothing.
  bool OpenFixtureFile(const QString& path);
  // Makes `record` the fixture in memory and shows it whole: header, channel
  // table, the steps of channel 1. Every way a whole fixture arrives ends here;
  // the history starts afresh from it. Whether it counts as unsaved is judged
  // against the fixture as last saved, opened or started (Open marks it so).
  void ShowFixture(const FixtureRecord& record);

  // Menu commands.
  void NewFixture_Click();
  void OpenFixture_Click();
  void ImportFixture_Click();
  void FixtureLibrary_Click();
  void SaveFixture_Click();
  // The save of "&Save Fixture": true when the file was written.
  bool SaveFixtureAs();
  void MnuReturn_Click();
  void ExitMune_Click();
  void mnuLFE_Click();
  void UndoEdit_Click();
  void RedoEdit_Click();

  // The caption's unsaved mark and whether "&Undo" and "&Redo" can be used, as
  // the history has them.
  void ShowEditState();
  void FixtureChanged() override { ShowEditState(); }

  // Imports a mode of the fixture definition at `path` and shows it, as
  // "&Import Fixture..." does after its question and its file dialog: the box
  // with the preview of the mode, then the fixture here, or, when the user takes
  // the LED choice the box offers for a mode that fits, the LED fixture in its
  // editor. True when something was imported. With `mode` (chosen in the
  // library) the mode list is not shown.
  bool ImportFixtureFile(const QString& path, std::optional<std::size_t> mode = std::nullopt);
  // Where "Fixture Library..." looks: the settings' folders unless a test says otherwise.
  std::function<LibraryPlaces()> LibraryPlacesSource = &LibraryPlaces::FromSettings;

  // Settles an open cell editor before anything reads the record.
  void CommitOpenEditor();

  // Controls, named as the window was drawn. Public so that tests can drive them.
  QGroupBox* Fixtue_Setup = nullptr;
  QGroupBox* ChannelTraits = nullptr;
  ui::TextBox* Text1 = nullptr;
  ui::Chooser* Combo1 = nullptr;
  ui::TextBox* Text4 = nullptr;
  ui::TextBox* Text2 = nullptr;
  ui::Grid* MSFlexGrid1 = nullptr;
  ui::Chooser* Combo10 = nullptr;
  ui::Chooser* Combo13 = nullptr;
  ui::Chooser* Combo2 = nullptr;
  ui::TextBox* Text5 = nullptr;

  ui::Chooser* Combo9 = nullptr;
  ui::Grid* MSFlexGrid2 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;
  QPushButton* Command4 = nullptr;
  ui::Chooser* Combo11 = nullptr;
  ui::Chooser* Combo12 = nullptr;
  ui::TextBox* Text3 = nullptr;
  QLabel* StepTotal = nullptr;

  QMenuBar* MenuBar = nullptr;
  QAction* NewFixture = nullptr;
  QAction* OpenFixture = nullptr;
  QAction* ImportFixture = nullptr;
  QAction* FixtureLibraryMenu = nullptr;
  QAction* SaveFixture = nullptr;
  QAction* PrintSheet = nullptr;
  QAction* MnuReturn = nullptr;
  QAction* ExitMune = nullptr;
  QAction* UndoEdit = nullptr;
  QAction* RedoEdit = nullptr;
  QAction* mnuLFE = nullptr;

  // Window state.
  int LoadWidth = 0;
  int LoadHeight = 0;
  bool ResetInProgress = false;
  bool UserEditing = false;
  int ShownChannelCount = 0;
  bool AutoAdvance = false;
  QString TypedName;
  bool NameTyped = false;
  int TypedRow = 0;
  int TypedCol = 0;

  // --- channel table (channel_table.cpp)
  void FillChannelTable();
  void Combo1_Click();
  void MSFlexGrid1_Click();
  void MSFlexGrid1_KeyUp();
  void MSFlexGrid1_MouseDown();
  void MSFlexGrid1_GotFocus();
  void MSFlexGrid1_LeaveCell();
  void Combo10_Click();
  void Combo10_KeyPress(int& keyAscii);
  void Combo10_AfterKeyPress();
  void Combo10_LostFocus();
  void Combo13_LostFocus();
  void Combo2_LostFocus();
  void Text5_LostFocus();

  // --- steps panel (channel_steps.cpp)
  void FillStepGrid(int ch);
  void Combo9_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void MSFlexGrid2_Click();
  void MSFlexGrid2_KeyUp();
  void MSFlexGrid2_MouseDown();
  void MSFlexGrid2_GotFocus();
  void MSFlexGrid2_LeaveCell();
  void Text3_LostFocus();
  void UpdateStepTotal();

  // --- the Check list (check_list.cpp)
  QLabel* CheckCaption = nullptr;
  QListWidget* CheckList = nullptr;
  // The problems the list shows, in its order.
  std::vector<FixtureProblem> Problems;
  bool CheckShown = false;
  // Brings the list up to date with the fixture in memory; ShowEditState, which
  // every recorded change reaches, calls it.
  void ShowProblems();
  // Goes to what the problem in list row `row` points at: its channel's cell,
  // its step in "Channel Traits", or its header box.
  void CheckList_DoubleClick(int row);
  // A fixture with errors is saved only when the user says so, asked once.
  bool MaySaveWithErrors();

  // --- the channel sheet (print_sheet.cpp)
  // The file the fixture was last opened from or saved to; empty for a new one.
  QString FixturePath;
  void PrintSheet_Click();
  // Paints the channel sheet of the fixture in memory on `device`, as the print
  // command does after its dialog; the number of pages (0: it failed, and that
  // was reported).
  int PrintChannelSheetOn(QPagedPaintDevice& device);

  // --- import (import_fixture.cpp)
  class ImportQuestions;
  void AddImportedNames(const std::vector<std::string>& names);
  // Says why the definition at `path` could not be imported.
  void RefuseImport(const QString& path, const QString& why);

  // --- channel name lookup (name_lookup.cpp)
  // What settling a typed name came to.
  enum class NameCheck { NothingTyped, Known, Added, Refused, NotAdded };
  void FillNameChooser();
  // The name chooser follows the program's name set: added names join its end,
  // any other change fills it afresh.
  void NameSetChanged(const ChannelNameSet& before, const std::vector<int>& changed) override;
  NameCheck CheckChannelName();
  // The first entry of the name chooser that reads as `text` does, cut or padded
  // to 12 characters and with letter case ignored; -1 when none does.
  int FindNameEntry(const QString& text) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildCheckList(QWidget* parent, int top, int height);
  void BuildMenus();
  void ConnectHandlers();
  void Text1_Change();
  void Text4_Change();
  void Text2_Change();
  void DegreeBoxChanged(ui::TextBox* box, std::int16_t& degree);
  void ShowTypesAfterSave();
  QString ChannelLabel(int c) const;
  FixtureRecord& Fixture() { return *app_.Fixture; }

  // Shows `record` as the fixture in memory, as Open shows a file, with the
  // steps of the channel at `stepsChannel` (0 = channel 1).
  void ShowRecord(const FixtureRecord& record, int stepsChannel = 0);
  // The channel whose steps an undo or redo from `now` to `shown` shows: the
  // first whose steps it changes, or else the one shown before when `shown` has it.
  int StepsChannelAfter(const FixtureRecord& now, const FixtureRecord& shown) const;
  // The fixture in memory is where the history starts, and counts as saved.
  void StartAfresh();
  // Typing into one header box is one step until the box loses the focus.
  enum TypingRun : int { kNoRun = 0, kNameTyping, kPanTyping, kTiltTyping };
  void RecordChange(TypingRun run = kNoRun) { app_.RecordFixtureChange(run); }
  // The box of the window that `widget` is, or types into; nothing for any other.
  QLineEdit* BoxOf(QObject* widget) const;
  // Whether the box has typing of its own to take back (`redo`: to bring back):
  // an open cell editor's; a header box leaves its typing to the history.
  bool HasOwnUndo(const QLineEdit* box, bool redo) const;
  // Commits of the channel table's editors.
  void CommitName(int row, const QString& text);
  // The "Channel:" list's entry of channel `row` as FillChannelTable writes it.
  void ShowNameInChannelList(int row);
  // Forgets a name typed into the name chooser that is not to be settled.
  void DropTypedName();
  void CommitType(int row);
  void CommitStep(int row, int col);

  AppState& app_;
  Shell& shell_;
};

}  // namespace brannoc
