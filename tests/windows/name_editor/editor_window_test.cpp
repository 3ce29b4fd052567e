// The channel name editor window: opening, editing a name in the table, Save,
// Init, Change, the names the fixture editor adds meanwhile, and the moves to the
// other windows.

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "windows/name_editor/editor_window.h"
#include "windows/fixture_editor/editor_window.h"
#include "support/gui.h"
#include "support/permissions.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/twips.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::ProgramUnderTest;
using ui::Answer;

EditChName* OpenNames(ProgramUnderTest& program) {
  program.form->numChname->trigger();
  QApplication::processEvents();
  return program.form->EditorWidget<EditChName>(Editor::ChannelNames);
}

void ClickName(EditChName* w, int row) {
  w->ChMSFlexGrid->scrollToItem(w->ChMSFlexGrid->item(row - 1, 1));
  QApplication::processEvents();
  test::ClickCell(w->ChMSFlexGrid, row, 1);
}

// Opens the name cell of `row` and types `text` over whatever it held.
void TypeName(EditChName* w, int row, const QString& text) {
  ClickName(w, row);
  w->ChTextEdit->selectAll();
  test::TypeInto(w->ChTextEdit, text);
}

void Press(QPushButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
  QApplication::processEvents();
}

// The 14 bytes a record of the file should hold.
Bytes Record(std::uint8_t slot, std::uint8_t code, const std::string& name) {
  Bytes record{slot, code};
  for (std::size_t i = 0; i < 12; ++i) record.push_back(i < name.size() ? static_cast<std::uint8_t>(name[i]) : ' ');
  return record;
}

Bytes RecordAt(const Bytes& file, std::size_t slot) {
  if (file.size() < (slot + 1) * 14) return {};
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(slot * 14),
               file.begin() + static_cast<std::ptrdiff_t>(slot * 14 + 14));
}

ChannelNameSet BuiltIn() {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  return set;
}

// What the fixture editor does when a name the set lacks is typed into channel 1
// and the user answers Yes.
Pelorin::NameCheck AddInFixtureEditor(ProgramUnderTest& program, const QString& name) {
  Pelorin* fixtureEditor = program.FixtureEditor();
  if (!fixtureEditor) return Pelorin::NameCheck::NothingTyped;
  fixtureEditor->TypedName = name;
  fixtureEditor->NameTyped = true;
  fixtureEditor->TypedRow = 1;
  fixtureEditor->TypedCol = 1;
  program.dialogs.answers.push_back(Answer::Yes);
  return fixtureEditor->CheckChannelName();
}

class NameEditor : public ::testing::Test {
 protected:
  ProgramUnderTest program;
  fs::path file = program.dir / "ChNameSet.fix";

  EditChName* Open() { return OpenNames(program); }
  // Puts `set` into the file and reads it, as a start of the program does.
  void StartWith(ChannelNameSet set) {
    ASSERT_FALSE(SaveChannelNameSet(set, file));
    program.app.Names.Load(program.dir.path());
  }
};

TEST(NameEditorWindow, WithoutAFileShowsTheBuiltInNamesAndExitLeavesTheFileEmpty) {
  ProgramUnderTest program(false);
  const fs::path file = program.dir / "ChNameSet.fix";
  program.form->Window(Editor::Fixture)->move(90, 60);
  EditChName* w = OpenNames(program);
  ASSERT_NE(w, nullptr);
  QMdiSubWindow* sub = program.form->Window(Editor::ChannelNames);
  EXPECT_EQ(sub->pos(), QPoint(0, 0));
  EXPECT_EQ(program.form->Area->activeSubWindow(), sub);
  EXPECT_EQ(w->windowTitle(), "Edit Channel Name Rev1.05");
  EXPECT_EQ(sub->windowTitle(), "Edit Channel Name Rev1.05");

  ui::Grid* grid = w->ChMSFlexGrid;
  ASSERT_EQ(grid->Rows(), 254);
  EXPECT_EQ(grid->TextMatrix(0, 0), "Channel ID");
  EXPECT_EQ(grid->TextMatrix(0, 1), "Channel Name");
  EXPECT_EQ(grid->TextMatrix(1, 0), " 1");
  EXPECT_EQ(grid->TextMatrix(42, 0), " 42");
  EXPECT_EQ(grid->TextMatrix(253, 0), " 253");
  for (int r = 1; r <= 41; ++r) EXPECT_EQ(grid->TextMatrix(r, 1), BuiltInNames()[r - 1].Name) << r;
  for (int r = 42; r <= 253; ++r) EXPECT_EQ(grid->TextMatrix(r, 1), "") << r;
  EXPECT_EQ(w->NameSet, BuiltIn());
  EXPECT_FALSE(w->ChTextEdit->isVisible());
  EXPECT_EQ(w->ChTextEdit->maxLength(), 12);

  Press(w->Command1);
  EXPECT_EQ(program.form->Window(Editor::ChannelNames), nullptr);
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(fs::file_size(file), 0u);
  QMdiSubWindow* fixture = program.form->Window(Editor::Fixture);
  ASSERT_NE(fixture, nullptr);
  EXPECT_EQ(fixture->pos(), QPoint(0, 0));
  EXPECT_EQ(program.form->Area->activeSubWindow(), fixture);
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(NameEditor, TableButtonsAndMenuStandAsDrawn) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  ui::Grid* grid = w->ChMSFlexGrid;
  const int half = (ui::ToTwips(grid->width()) - 100) / 2;
  EXPECT_EQ(grid->columnWidth(0), ui::Twips(half - 230));
  EXPECT_EQ(grid->columnWidth(1), ui::Twips(half));
  EXPECT_EQ(grid->horizontalHeader()->height(), ui::Twips(500));
  // The whole name column is in view beside the scroll bar.
  EXPECT_LE(grid->columnWidth(0) + grid->columnWidth(1), grid->viewport()->width());

  const QPushButton* buttons[] = {w->ChSave, w->Command1, w->Init, w->Command2};
  const char* texts[] = {"Save", "Exit", "Init", "Change"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(buttons[i]->text(), texts[i]);
    EXPECT_GT(buttons[i]->x(), grid->geometry().right());
    EXPECT_EQ(buttons[i]->x(), w->ChSave->x());
    if (i > 0) {
      EXPECT_GT(buttons[i]->y(), buttons[i - 1]->geometry().bottom());
    }
  }
  EXPECT_EQ(w->ChSave->y(), grid->y());

  ASSERT_EQ(w->MenuBar->actions().size(), 1);
  QMenu* menu = w->MenuBar->actions()[0]->menu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), "&Windows");
  const auto entries = menu->actions();
  ASSERT_EQ(entries.size(), 4);
  EXPECT_EQ(entries[0], w->eSu);
  EXPECT_EQ(entries[0]->text(), "Show &P");
  EXPECT_EQ(entries[1], w->eSM);
  EXPECT_EQ(entries[1]->text(), "Show &F");
  EXPECT_TRUE(entries[2]->isSeparator());
  EXPECT_EQ(entries[3], w->eExit);
  EXPECT_EQ(entries[3]->text(), "&Exit");
}

TEST_F(NameEditor, OnlyNameCellsFromRowFiveOnOpenTheBox) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  ClickName(w, 3);
  EXPECT_FALSE(w->ChTextEdit->isVisible());
  test::ClickCell(w->ChMSFlexGrid, 7, 0);
  EXPECT_FALSE(w->ChTextEdit->isVisible());

  ClickName(w, 5);
  ASSERT_TRUE(w->ChTextEdit->isVisible());
  EXPECT_EQ(w->ChTextEdit->Text(), "Shutter");
  EXPECT_EQ(w->ChTextEdit->cursorPosition(), 7);
  EXPECT_EQ(test::Focused(), w->ChTextEdit);
  EXPECT_EQ(w->ChTextEdit->geometry(), w->ChMSFlexGrid->CellRectInParent(5, 1));
  EXPECT_EQ(w->ChTextEdit->parentWidget(), w->ChMSFlexGrid->parentWidget());
}

TEST_F(NameEditor, ANameTypedIntoRowSixtyTakesCodeSixtyTwoAndLandsAtOffset826) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 60, "Beams");
  ClickName(w, 61);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "Beams");
  const ChannelNameEntry& entry = w->NameSet.Entries[59];
  EXPECT_EQ(entry.Slot, 59);
  EXPECT_EQ(entry.Code, 62);
  EXPECT_EQ(entry.Name.Utf8(), "Beams       ");
  EXPECT_TRUE(w->ChTextEdit->isVisible());  // now over row 61
  EXPECT_EQ(w->ChTextEdit->Text(), "");

  Press(w->ChSave);  // row 61 is left empty and saved as a free slot
  const Bytes bytes = test::ReadAll(file);
  ASSERT_EQ(bytes.size(), 3542u);
  EXPECT_EQ(Bytes(bytes.begin() + 826, bytes.begin() + 840), Record(59, 62, "Beams"));
  EXPECT_EQ(RecordAt(bytes, 60), Record(0, 0, ""));
  ChannelNameSet expected = BuiltIn();
  SetEntryName(expected, 59, "Beams");
  EXPECT_EQ(bytes, SerializeChannelNameSet(expected));
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(NameEditor, AClearedNameIsSavedAsAFreeSlot) {
  ChannelNameSet set = BuiltIn();
  SetEntryName(set, 59, "Beams");
  StartWith(set);
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "Beams");

  ClickName(w, 60);
  EXPECT_EQ(w->ChTextEdit->Text(), "Beams");
  w->ChTextEdit->selectAll();
  test::PressOn(w->ChTextEdit, Qt::Key_Backspace);
  ClickName(w, 62);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), QString(12, ' '));
  ClickName(w, 60);  // twelve spaces open as an empty box
  EXPECT_EQ(w->ChTextEdit->Text(), "");

  Press(w->ChSave);
  const Bytes bytes = test::ReadAll(file);
  EXPECT_EQ(RecordAt(bytes, 59), Record(0, 0, ""));
  EXPECT_EQ(RecordAt(bytes, 4), Record(4, 4, "Shutter"));
}

TEST_F(NameEditor, AnEditEndsOnceWhenTheCurrentCellMovesUnderTheBox) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 60, "Beams");
  w->ChMSFlexGrid->SetCurrentCell(70, 1);
  EXPECT_FALSE(w->ChTextEdit->isVisible());
  EXPECT_EQ(w->ChTextEdit->Text(), "");
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "Beams");
  EXPECT_EQ(w->NameSet.Entries[59].Code, 62);

  // An emptied box ended this way leaves the cell empty, not twelve spaces.
  ClickName(w, 60);
  w->ChTextEdit->selectAll();
  test::PressOn(w->ChTextEdit, Qt::Key_Backspace);
  w->ChMSFlexGrid->SetCurrentCell(71, 1);
  EXPECT_FALSE(w->ChTextEdit->isVisible());
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "");
  EXPECT_TRUE(w->NameSet.Entries[59].Name.IsBlank());
}

TEST_F(NameEditor, AfterInitRowFortyTwoKeepsCodeZeroAndRowFortyThreeGetsFortyFive) {
  ChannelNameSet set = BuiltIn();
  set.Entries[41] = {41, 50, FixedText<12>::FromUtf8("Extra")};
  StartWith(set);
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(42, 1), "Extra");

  Press(w->Init);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(42, 1), "");
  TypeName(w, 42, "Haze");
  TypeName(w, 43, "Fog");
  Press(w->ChSave);
  const Bytes bytes = test::ReadAll(file);
  EXPECT_EQ(RecordAt(bytes, 41), Record(41, 0, "Haze"));
  EXPECT_EQ(RecordAt(bytes, 42), Record(42, 45, "Fog"));
}

TEST_F(NameEditor, TheBoxTakesTwelveCharactersOfTheCodePage) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 70, "ABCDEFGHIJKLM");
  EXPECT_EQ(w->ChTextEdit->Text(), "ABCDEFGHIJKL");
  ClickName(w, 71);
  EXPECT_EQ(w->NameSet.Entries[69].Name.Utf8(), "ABCDEFGHIJKL");
  EXPECT_EQ(w->NameSet.Entries[69].Code, 72);

  // A character the file cannot hold shows as what is stored.
  ClickName(w, 71);
  QKeyEvent cyrillic(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("Ж"));
  QApplication::sendEvent(w->ChTextEdit, &cyrillic);
  test::TypeInto(w->ChTextEdit, "-Bar");
  ClickName(w, 72);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(71, 1), "?-Bar");
  EXPECT_EQ(w->NameSet.Entries[70].Name.Utf8(), "?-Bar       ");
}

TEST_F(NameEditor, InitAfterEditsRestoresTheBuiltInNamesWithoutWriting) {
  const Bytes before = test::ReadAll(file);
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 5, "Strobo");
  TypeName(w, 45, "Haze");
  TypeName(w, 80, "Fog");
  Press(w->Init);
  EXPECT_FALSE(w->ChTextEdit->isVisible());
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(5, 1), "Shutter");
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(41, 1), "DimSpeed");
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(45, 1), "");
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(80, 1), "");
  EXPECT_EQ(w->NameSet, BuiltIn());
  EXPECT_EQ(test::ReadAll(file), before);
}

TEST_F(NameEditor, ChangePutsTheFirstFiveCodesBack) {
  ChannelNameSet set = BuiltIn();
  for (std::size_t s = 0; s < 5; ++s) set.Entries[s].Code = static_cast<std::uint8_t>(100 + s);
  set.Entries[5].Code = 99;
  StartWith(set);
  const Bytes before = test::ReadAll(file);
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  Press(w->Command2);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(1, 1), "Pan");
  EXPECT_EQ(test::ReadAll(file), before);

  Press(w->ChSave);
  const Bytes bytes = test::ReadAll(file);
  ASSERT_EQ(bytes.size(), 3542u);
  EXPECT_EQ(bytes[1], 6);
  EXPECT_EQ(bytes[15], 7);
  EXPECT_EQ(bytes[29], 3);
  EXPECT_EQ(bytes[43], 9);
  EXPECT_EQ(bytes[57], 4);
  EXPECT_EQ(bytes[71], 99);
}

TEST_F(NameEditor, NamesTheFixtureEditorAddsMeanwhileSurviveSave) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(AddInFixtureEditor(program, "Zap"), Pelorin::NameCheck::Added);  // slot 59
  ASSERT_EQ(RecordAt(test::ReadAll(file), 59), Record(59, 62, "Zap"));
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "Zap");  // shown at once

  ClickName(w, 60);  // opened and left without a change
  TypeName(w, 62, "Beams");
  Press(w->ChSave);
  Bytes bytes = test::ReadAll(file);
  EXPECT_EQ(RecordAt(bytes, 59), Record(59, 62, "Zap"));
  EXPECT_EQ(RecordAt(bytes, 61), Record(61, 64, "Beams"));
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "Zap");
  EXPECT_EQ(w->NameSet.Entries[59].Code, 62);

  // The next name the fixture editor adds is kept by the next save as well.
  ASSERT_EQ(AddInFixtureEditor(program, "Zip"), Pelorin::NameCheck::Added);  // slot 60
  Press(w->ChSave);
  bytes = test::ReadAll(file);
  EXPECT_EQ(RecordAt(bytes, 59), Record(59, 62, "Zap"));
  EXPECT_EQ(RecordAt(bytes, 60), Record(60, 63, "Zip"));
  EXPECT_EQ(RecordAt(bytes, 61), Record(61, 64, "Beams"));
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(61, 1), "Zip");
  EXPECT_TRUE(std::all_of(program.dialogs.asked.begin(), program.dialogs.asked.end(),
                          [](const test::Asked& a) { return a.title == "Add Channel Name"; }));
}

TEST_F(NameEditor, ANameSavedHereIsNotWrittenOverByTheNextNameTheFixtureEditorAdds) {
  // The fixture editor has been open since the start, with its copy of the file.
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 60, "Beams");
  ClickName(w, 61);
  Press(w->ChSave);
  ASSERT_EQ(RecordAt(test::ReadAll(file), 59), Record(59, 62, "Beams"));
  w->eSM->trigger();  // "Show &F": the fixture editor that was open all along
  QApplication::processEvents();

  ASSERT_EQ(AddInFixtureEditor(program, "Zap"), Pelorin::NameCheck::Added);
  const Bytes bytes = test::ReadAll(file);
  EXPECT_EQ(RecordAt(bytes, 59), Record(59, 62, "Beams"));
  EXPECT_EQ(RecordAt(bytes, 60), Record(60, 63, "Zap"));
  EXPECT_EQ(program.app.Fixture->Channels[0].NameCode, 63);
}

TEST_F(NameEditor, ANameAddedElsewhereGoesAroundTheNamesTypedHereAndNotYetSaved) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 60, "Mine");
  ClickName(w, 61);
  TypeName(w, 62, "Typing");  // the box is still open over row 62
  ASSERT_EQ(AddInFixtureEditor(program, "Theirs"), Pelorin::NameCheck::Added);
  EXPECT_EQ(RecordAt(test::ReadAll(file), 59), Record(0, 0, ""));
  EXPECT_EQ(RecordAt(test::ReadAll(file), 60), Record(60, 63, "Theirs"));
  EXPECT_EQ(program.app.Fixture->Channels[0].NameCode, 63);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(61, 1), "Theirs");
  ASSERT_EQ(AddInFixtureEditor(program, "Third"), Pelorin::NameCheck::Added);
  EXPECT_EQ(program.app.Fixture->Channels[0].NameCode, 65);  // slot 62
  ClickName(w, 70);
  Press(w->ChSave);
  const Bytes bytes = test::ReadAll(file);
  EXPECT_EQ(RecordAt(bytes, 59), Record(59, 62, "Mine"));
  EXPECT_EQ(RecordAt(bytes, 60), Record(60, 63, "Theirs"));
  EXPECT_EQ(RecordAt(bytes, 61), Record(61, 64, "Typing"));
  EXPECT_EQ(RecordAt(bytes, 62), Record(62, 65, "Third"));

  // Init stands for every slot: what was added before it goes with it.
  ASSERT_EQ(AddInFixtureEditor(program, "Later"), Pelorin::NameCheck::Added);
  Press(w->Init);
  Press(w->ChSave);
  EXPECT_EQ(test::ReadAll(file), SerializeChannelNameSet(BuiltIn()));
}

TEST_F(NameEditor, AShortFileShowsTheBuiltInNamesAndANameAddedToItSurvivesSave) {
  const Bytes full = SerializeChannelNameSet(BuiltIn());
  test::WriteAll(file, Bytes(full.begin(), full.begin() + 570));
  program.app.Names.Load(program.dir.path());
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->NameSet, BuiltIn());
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(41, 1), "DimSpeed");

  // The fixture editor reads a file of 570 bytes (40 whole records) and adds to
  // it; the file is then written whole.
  ASSERT_EQ(AddInFixtureEditor(program, "Zap"), Pelorin::NameCheck::Added);
  ChannelNameSet written = BuiltIn();
  written.Entries[40] = {0, 0, FixedText<12>::Blank()};
  written.Entries[59] = {59, 62, FixedText<12>::FromUtf8("Zap")};
  EXPECT_EQ(test::ReadAll(file), SerializeChannelNameSet(written));
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "Zap");

  Press(w->ChSave);
  ChannelNameSet expected = BuiltIn();
  expected.Entries[59] = {59, 62, FixedText<12>::FromUtf8("Zap")};
  EXPECT_EQ(test::ReadAll(file), SerializeChannelNameSet(expected));
}

TEST_F(NameEditor, ARenameSavedHereReachesTheFixtureEditorsChooser) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  Pelorin* fixtureEditor = program.FixtureEditor();
  ASSERT_EQ(test::Entries(fixtureEditor->Combo10).size(), 41);
  TypeName(w, 6, "Diaphragm");  // slot 5, "Iris"
  TypeName(w, 60, "Hazer");
  ClickName(w, 61);
  EXPECT_EQ(fixtureEditor->FindNameEntry("Diaphragm"), -1);  // not before Save
  Press(w->ChSave);
  const QStringList entries = test::Entries(fixtureEditor->Combo10);
  ASSERT_EQ(entries.size(), 42);
  EXPECT_EQ(entries[5], "Diaphragm   ");
  EXPECT_EQ(fixtureEditor->Combo10->ItemData(5), 5);
  EXPECT_EQ(entries[41], "Hazer       ");
  EXPECT_EQ(fixtureEditor->Combo10->ItemData(41), 62);
  EXPECT_EQ(fixtureEditor->FindNameEntry("iris"), -1);
}

TEST_F(NameEditor, AZeroFilledFileShowsEmptyCells) {
  test::WriteAll(file, Bytes(3542, 0));
  program.app.Names.Load(program.dir.path());
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(1, 1), "");
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(253, 1), "");
  ClickName(w, 5);
  EXPECT_EQ(w->ChTextEdit->Text(), "");
}

TEST_F(NameEditor, ANameAddedInTheFixtureEditorShowsAtTheNextOpening) {
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  Press(w->Command1);
  ASSERT_EQ(AddInFixtureEditor(program, "Zap"), Pelorin::NameCheck::Added);
  w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "Zap");
  EXPECT_EQ(w->NameSet.Entries[59].Code, 62);
}

TEST_F(NameEditor, ASaveThatCannotWriteSaysSoOnceAndKeepsTheOldFile) {
  const Bytes before = test::ReadAll(file);
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 60, "Beams");
  ClickName(w, 61);

  ::chmod(program.dir.path().c_str(), 0555);
  {
    test::ScopedObeyPermissions obey;
    Press(w->ChSave);
  }
  ::chmod(program.dir.path().c_str(), 0755);
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  const test::Asked& failure = program.dialogs.asked[0];
  EXPECT_EQ(failure.title, "Edit Channel Name Rev1.05");
  EXPECT_EQ(failure.buttons, ui::Buttons::Ok);
  EXPECT_EQ(failure.icon, ui::Icon::Warning);
  const QString start = QString::fromStdString(file.string()) + " could not be saved." + QChar(13);
  EXPECT_TRUE(failure.text.startsWith(start)) << failure.text.toStdString();
  EXPECT_GT(failure.text.size(), start.size());  // and why
  EXPECT_EQ(test::ReadAll(file), before);
  EXPECT_EQ(test::FileNames(program.dir.path()), std::vector<std::string>{"ChNameSet.fix"});

  {
    ScopedWriteFailure diskFull(100);
    Press(w->ChSave);
  }
  EXPECT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_EQ(test::ReadAll(file), before);

  // The edit is still there for a save that works.
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "Beams");
  Press(w->ChSave);
  EXPECT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_EQ(RecordAt(test::ReadAll(file), 59), Record(59, 62, "Beams"));
}

TEST_F(NameEditor, ShowPaletteBeforeAnyPaletteEditOpensItWithNoChannels) {
  program.form->Window(Editor::Fixture)->move(90, 60);
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  w->eSu->trigger();
  QApplication::processEvents();
  EXPECT_EQ(program.form->Window(Editor::ChannelNames), nullptr);
  QMdiSubWindow* palette = program.form->Window(Editor::Palette);
  QMdiSubWindow* fixture = program.form->Window(Editor::Fixture);
  ASSERT_NE(palette, nullptr);
  ASSERT_NE(fixture, nullptr);
  EXPECT_EQ(program.app.PaletteChannelCount, 0);
  EXPECT_EQ(palette->pos(), QPoint(0, 0));
  EXPECT_EQ(fixture->pos(), QPoint(0, 0));
  EXPECT_TRUE(palette->isVisible());
  EXPECT_TRUE(fixture->isVisible());
  EXPECT_EQ(program.form->Area->activeSubWindow(), palette);
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(NameEditor, ShowFixtureDropsUnsavedEditsWithoutAQuestion) {
  const Bytes before = test::ReadAll(file);
  program.form->Window(Editor::Fixture)->move(90, 60);
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 60, "Beams");
  ClickName(w, 61);
  TypeName(w, 61, "Open");  // still in the box
  w->eSM->trigger();
  QApplication::processEvents();
  EXPECT_EQ(program.form->Window(Editor::ChannelNames), nullptr);
  QMdiSubWindow* fixture = program.form->Window(Editor::Fixture);
  ASSERT_NE(fixture, nullptr);
  EXPECT_EQ(fixture->pos(), QPoint(0, 0));
  EXPECT_EQ(program.form->Area->activeSubWindow(), fixture);
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(test::ReadAll(file), before);

  w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(60, 1), "");
  EXPECT_EQ(w->ChMSFlexGrid->TextMatrix(61, 1), "");
}

TEST_F(NameEditor, ClosingReopensAFixtureEditorThatPaletteEditClosed) {
  Pelorin* fixtureEditor = program.FixtureEditor();
  ASSERT_NE(fixtureEditor, nullptr);
  fixtureEditor->Combo1->SetListIndex(11);
  fixtureEditor->MnuReturn_Click();  // closes the fixture editor, opens the palette editor
  QApplication::processEvents();
  ASSERT_EQ(program.form->Window(Editor::Fixture), nullptr);
  ASSERT_NE(OpenNames(program), nullptr);

  program.form->Window(Editor::ChannelNames)->close();  // the close box
  QApplication::processEvents();
  EXPECT_EQ(program.form->Window(Editor::ChannelNames), nullptr);
  QMdiSubWindow* fixture = program.form->Window(Editor::Fixture);
  ASSERT_NE(fixture, nullptr);
  EXPECT_EQ(fixture->pos(), QPoint(0, 0));
  EXPECT_EQ(program.form->Area->activeSubWindow(), fixture);
  EXPECT_EQ(program.FixtureEditor()->MSFlexGrid1->Rows(), 13);  // the fixture in memory
  EXPECT_NE(program.form->Window(Editor::Palette), nullptr);
  EXPECT_EQ(program.app.PaletteChannelCount, 12);
}

TEST_F(NameEditor, ExitInTheMenuEndsTheProgramAtOnce) {
  const Bytes before = test::ReadAll(file);
  EditChName* w = Open();
  ASSERT_NE(w, nullptr);
  TypeName(w, 60, "Beams");
  ClickName(w, 61);
  w->eExit->trigger();
  QApplication::processEvents();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(test::ReadAll(file), before);
  EXPECT_EQ(program.form->Window(Editor::ChannelNames), nullptr);
  EXPECT_EQ(program.form->Window(Editor::Fixture), nullptr);
}

}  // namespace
}  // namespace brannoc
