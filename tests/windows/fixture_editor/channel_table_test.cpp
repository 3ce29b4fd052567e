// The channel grid: its cell editors, the keyboard walk and the name lookup,
// driven as a user drives them.

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "data/names/name_set.h"
#include "windows/fixture_editor/editor_window.h"
#include "data/fixture/file.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::ClickCell;
using test::Focused;
using test::PressOn;
using test::TypeInto;
using ui::Answer;

class ChannelTable : public ::testing::Test {
 protected:
  // Reads "ChNameSet.fix" afresh, as the program's start does.
  void ReloadNames() { program.app.Names.Load(program.dir.path()); }
  QString Cell(int r, int c) const { return grid->TextMatrix(r, c); }
  ChannelRecord& Channel(int number) { return fixture.Channels[static_cast<std::size_t>(number - 1)]; }
  void Tab() { PressOn(Focused(), Qt::Key_Tab); }
  // Picks entry `index` of an open chooser with the keyboard.
  void PickWithArrows(ui::Chooser* chooser, int index) {
    while (chooser->ListIndex() < index) PressOn(chooser, Qt::Key_Down);
    while (chooser->ListIndex() > index) PressOn(chooser, Qt::Key_Up);
  }

  test::ProgramUnderTest program;
  FixtureRecord& fixture = *program.app.Fixture;
  Pelorin* w = program.FixtureEditor();
  ui::Grid* grid = w->MSFlexGrid1;
};

TEST_F(ChannelTable, TheCountChangeGrowsAndShrinksTheTableAndItsLists) {
  w->Combo1->SetListIndex(11);
  EXPECT_EQ(grid->Rows(), 13);
  EXPECT_EQ(Cell(12, 0), "Chan 12");
  EXPECT_EQ(Cell(10, 2), "LTP");
  EXPECT_EQ(w->Combo9->List(8), "Chan 9-");
  EXPECT_EQ(w->Combo11->List(11), "Chan 12");
  EXPECT_EQ(w->Combo2->ListCount(), 12);

  fixture.StepCounts[9] = 2;
  Channel(10).Name = FixedText<12>::FromUtf8("Gone");
  Channel(10).Type = HTP;
  Channel(10).Value = 9;
  w->Combo9->SetListIndex(8);
  w->Combo1->SetListIndex(7);
  EXPECT_EQ(grid->Rows(), 9);
  EXPECT_EQ(w->Combo9->ListIndex(), 0);
  EXPECT_EQ(w->Combo9->ListCount(), 8);
  EXPECT_EQ(w->Combo2->ListCount(), 8);
  EXPECT_TRUE(Channel(10).Name.IsBlank());
  EXPECT_EQ(Channel(10).Type, LTP);
  EXPECT_EQ(fixture.StepCounts[9], 2);  // steps are kept

  w->Combo1->SetListIndex(11);
  EXPECT_EQ(QStringList({Cell(10, 1), Cell(10, 2), Cell(10, 3), Cell(10, 4)}), QStringList({"", "LTP", "0", "0"}));
  w->Combo1->SetListIndex(11);  // the same count again changes nothing
  EXPECT_EQ(w->Combo9->ListCount(), 12);
}

TEST_F(ChannelTable, ThePartnerCellOpensOnlyForSixteenBitTypes) {
  Channel(2).Type = HTP;
  Channel(3).Type = InstantLTP16L;
  Channel(3).Partner = 2;
  w->FillChannelTable();
  ClickCell(grid, 2, 3);
  EXPECT_FALSE(w->Combo2->isVisible());
  ClickCell(grid, 3, 3);
  ASSERT_TRUE(w->Combo2->isVisible());
  EXPECT_EQ(w->Combo2->Text(), "2");
  EXPECT_EQ(w->Combo2->geometry().topLeft(), grid->CellRectInParent(3, 3).topLeft());
}

TEST_F(ChannelTable, ChoosingAPlainTypeClearsThePartner) {
  Channel(4).Type = InstantLTP16H;
  Channel(4).Partner = 5;
  w->FillChannelTable();
  ClickCell(grid, 4, 2);
  ASSERT_TRUE(w->Combo13->isVisible());
  EXPECT_EQ(w->Combo13->ListIndex(), 3);
  PickWithArrows(w->Combo13, HTP);
  ClickCell(grid, 1, 0);  // the chooser loses the focus
  EXPECT_EQ(Channel(4).Type, HTP);
  EXPECT_EQ(Channel(4).Partner, 0);
  EXPECT_EQ(Cell(4, 2), "HTP");
  EXPECT_EQ(Cell(4, 3), "0");
  EXPECT_FALSE(w->Combo13->isVisible());
}

TEST_F(ChannelTable, AChannelIsNeverOfferedAsItsOwnPartner) {
  Channel(3).Type = FadeableLTP16H;
  Channel(3).Partner = 3;  // as a file may carry it
  w->FillChannelTable();
  ClickCell(grid, 3, 3);
  ASSERT_TRUE(w->Combo2->isVisible());
  EXPECT_EQ(w->Combo2->ListCount(), 8);  // entry p still stands for channel p + 1
  EXPECT_FALSE(w->Combo2->IsEntryOffered(2));
  EXPECT_EQ(w->Combo2->ListIndex(), -1);  // its own number is not chosen either
  for (int i = 0; i < 3; ++i) PressOn(w->Combo2, Qt::Key_Down);
  EXPECT_EQ(w->Combo2->Text(), "4");
  ClickCell(grid, 1, 0);
  EXPECT_EQ(Channel(3).Partner, 4);
  EXPECT_EQ(Cell(3, 3), "4");

  // After a count change and a fixture shown, the lists still map entry to number.
  w->Combo1->SetListIndex(9);
  Channel(10).Type = InstantLTP16L;
  Channel(10).Partner = 2;
  w->FillChannelTable();
  ClickCell(grid, 10, 3);
  EXPECT_TRUE(w->Combo2->IsEntryOffered(2));
  EXPECT_FALSE(w->Combo2->IsEntryOffered(9));
  EXPECT_EQ(w->Combo2->Text(), "2");
  ClickCell(grid, 1, 0);
  w->ShowFixture(fixture);
  ClickCell(grid, 3, 3);
  EXPECT_EQ(w->Combo2->Text(), "4");
  EXPECT_FALSE(w->Combo2->IsEntryOffered(2));
}

TEST_F(ChannelTable, TheValueBoxReadsNumbersAsTheConsoleExpects) {
  const std::pair<const char*, const char*> cases[] = {
      {"300", "0"}, {"255", "255"}, {"2.5", "2"}, {"3.5", "4"}, {"1e2", "100"}, {"abc", "0"}};
  for (const auto& [typed, shown] : cases) {
    SCOPED_TRACE(typed);
    ClickCell(grid, 2, 4);
    ASSERT_TRUE(w->Text5->isVisible());
    w->Text5->selectAll();
    TypeInto(w->Text5, typed);
    ClickCell(grid, 1, 0);
    EXPECT_EQ(Cell(2, 4), shown);
    EXPECT_EQ(QString::number(Channel(2).Value), shown);
  }
  // A negative value does not fit the byte: refused.
  ClickCell(grid, 2, 4);
  w->Text5->selectAll();
  TypeInto(w->Text5, "-5");
  ClickCell(grid, 1, 0);
  EXPECT_EQ(Cell(2, 4), "0");
  EXPECT_EQ(Channel(2).Value, 0);
  // A cell reading "0" opens an empty box, and leaving it empty keeps "0".
  ClickCell(grid, 2, 4);
  EXPECT_EQ(w->Text5->Text(), "");
  ClickCell(grid, 1, 0);
  EXPECT_EQ(Cell(2, 4), "0");
}

TEST_F(ChannelTable, AnEmptiedValueIsZeroOnLeavingTheCellAndKeptOnLosingTheFocus) {
  ClickCell(grid, 3, 4);
  TypeInto(w->Text5, "45");
  ClickCell(grid, 1, 0);
  ASSERT_EQ(Channel(3).Value, 45);

  ClickCell(grid, 3, 4);
  EXPECT_EQ(w->Text5->Text(), "45");
  w->Text5->clear();
  ClickCell(grid, 1, 0);  // the box loses the focus first
  EXPECT_EQ(Channel(3).Value, 45);
  EXPECT_EQ(Cell(3, 4), "45");

  ClickCell(grid, 3, 4);
  w->Text5->clear();
  grid->SetCurrentCell(4, 4);  // the grid leaves the cell while the box is open
  EXPECT_EQ(Channel(3).Value, 0);
  EXPECT_EQ(Cell(3, 4), "0");
}

TEST_F(ChannelTable, TheNameChooserTakesThirteenCharactersThenOnlyBlanksAndPunctuation) {
  program.dialogs.answers.push_back(Answer::Yes);
  ClickCell(grid, 1, 1);
  ASSERT_TRUE(w->Combo10->isVisible());
  TypeInto(w->Combo10, "ABCDEFGHIJKLM");
  TypeInto(w->Combo10, "NO1");
  TypeInto(w->Combo10, " -");
  EXPECT_EQ(w->Combo10->Text(), "ABCDEFGHIJKLM -");
  ClickCell(grid, 2, 0);
  EXPECT_EQ(Channel(1).Name.Utf8(), "ABCDEFGHIJKL");
  EXPECT_EQ(Channel(1).NameCode, 62);  // added in slot 59
  EXPECT_EQ(Cell(1, 1), "ABCDEFGHIJKL");
}

TEST_F(ChannelTable, ATypedNameOfTheSetTakesItsEntryWhateverItsCase) {
  ClickCell(grid, 1, 1);
  TypeInto(w->Combo10, "pan");
  Tab();
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(Channel(1).Name.Utf8(), "Pan         ");
  EXPECT_EQ(Channel(1).NameCode, 6);
  EXPECT_EQ(Cell(1, 1).trimmed(), "Pan");

  // Typing over a chosen entry drops it: "Zoom2" is not Pan.
  program.dialogs.answers.push_back(Answer::No);
  ClickCell(grid, 1, 1);
  EXPECT_EQ(w->Combo10->ListIndex(), 0);
  w->Combo10->lineEdit()->selectAll();
  TypeInto(w->Combo10, "Zoom2");
  EXPECT_EQ(w->Combo10->ListIndex(), -1);
  ClickCell(grid, 2, 0);
  EXPECT_TRUE(Channel(1).Name.IsBlank());
  EXPECT_EQ(Channel(1).NameCode, 0);
}

TEST_F(ChannelTable, ANewNameGoesIntoTheLowestFreeSlotAndIntoTheFile) {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  SetEntryName(set, 59, "Taken59");
  SetEntryName(set, 60, "Taken60");
  const auto path = ChannelNameSetPath(program.dir.path());
  ASSERT_FALSE(SaveChannelNameSet(set, path));
  ReloadNames();

  program.dialogs.answers.push_back(Answer::Yes);
  ClickCell(grid, 5, 1);
  TypeInto(w->Combo10, "Zoom2");
  ClickCell(grid, 1, 0);
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].text, "Channel Name does not exist,Do you wish to add it?");
  EXPECT_EQ(program.dialogs.asked[0].title, "Add Channel Name");
  EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::YesNo);
  EXPECT_EQ(program.dialogs.asked[0].icon, ui::Icon::None);
  EXPECT_EQ(program.app.Names.Set().Entries[61].Code, 64);
  EXPECT_EQ(Channel(5).NameCode, 64);
  EXPECT_EQ(Channel(5).Name.Utf8(), "Zoom2       ");
  EXPECT_EQ(w->Combo10->ItemData(w->Combo10->ListCount() - 1), 64);
  const Bytes file = test::ReadAll(path);
  ASSERT_GE(file.size(), 868u);
  EXPECT_EQ(file[854], 61);
  EXPECT_EQ(file[855], 64);
  EXPECT_EQ(std::string(file.begin() + 856, file.begin() + 868), "Zoom2       ");
}

TEST_F(ChannelTable, RefusingANewNameLeavesTheSetAndTheFileAndEmptiesTheChannel) {
  const auto path = ChannelNameSetPath(program.dir.path());
  const Bytes before = test::ReadAll(path);
  ClickCell(grid, 5, 1);
  TypeInto(w->Combo10, "Zoom2");
  ClickCell(grid, 1, 0);  // no answer queued: No
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(test::ReadAll(path), before);
  EXPECT_TRUE(program.app.Names.Set().Entries[59].Name.IsBlank());
  EXPECT_TRUE(Channel(5).Name.IsBlank());
  EXPECT_EQ(Channel(5).NameCode, 0);
  EXPECT_EQ(Cell(5, 1), "");
}

TEST_F(ChannelTable, ANameTypedAndErasedOrOfBlanksOnlyIsNotOffered) {
  ClickCell(grid, 1, 1);
  TypeInto(w->Combo10, "X");
  PressOn(w->Combo10, Qt::Key_Backspace);
  EXPECT_EQ(w->TypedName, "");
  ClickCell(grid, 2, 1);  // settles what was typed before opening here
  TypeInto(w->Combo10, "   ");
  ClickCell(grid, 3, 0);
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_TRUE(program.app.Names.Set().Entries[59].Name.IsBlank());
}

TEST_F(ChannelTable, ANameThatCannotBeAddedIsKeptWithoutACode) {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  for (int s = 59; s < 253; ++s) SetEntryName(set, s, "N" + std::to_string(s));
  ASSERT_FALSE(SaveChannelNameSet(set, ChannelNameSetPath(program.dir.path())));
  ReloadNames();
  ClickCell(grid, 2, 1);
  TypeInto(w->Combo10, "Extra");
  ClickCell(grid, 1, 0);
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(Channel(2).Name.Utf8(), "Extra       ");
  EXPECT_EQ(Channel(2).NameCode, 0);
  EXPECT_EQ(Cell(2, 1), "Extra");
}

TEST_F(ChannelTable, ANameTheVocabularyLacksSurvivesBeingLookedAt) {
  Channel(2).Name = FixedText<12>::FromUtf8("Custom");
  Channel(2).NameCode = 70;  // as a file from another vocabulary brings it
  w->FillChannelTable();
  ClickCell(grid, 2, 1);
  ASSERT_TRUE(w->Combo10->isVisible());
  EXPECT_EQ(w->Combo10->ListIndex(), -1);
  EXPECT_EQ(w->Combo10->Text(), "Custom");
  w->CommitOpenEditor();  // as a save does
  EXPECT_EQ(Channel(2).Name.Utf8(), "Custom      ");
  EXPECT_EQ(Channel(2).NameCode, 70);
  ClickCell(grid, 2, 1);
  ClickCell(grid, 3, 0);
  EXPECT_EQ(Channel(2).NameCode, 70);
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(ChannelTable, ClickingANamedCellOpensTheChooserOnItAndShowsItsSteps) {
  Channel(3).Name = FixedText<12>::FromUtf8("Pan");
  Channel(3).NameCode = 6;
  fixture.StepCounts[2] = 1;
  w->FillChannelTable();
  ClickCell(grid, 3, 1);
  ASSERT_TRUE(w->Combo10->isVisible());
  EXPECT_EQ(w->Combo10->ListIndex(), 0);
  EXPECT_EQ(w->Combo10->Text(), "Pan");  // shown without its padding
  EXPECT_EQ(w->Combo9->ListIndex(), 2);
  EXPECT_EQ(w->Combo9->Text().trimmed(), "Chan 3 - Pan");
  EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 0), "Step 1");
}

TEST_F(ChannelTable, ReleasingAnArrowKeyOpensTheEditorOfTheCellMovedTo) {
  ClickCell(grid, 2, 0);
  PressOn(grid, Qt::Key_Right);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_TRUE(w->Combo10->isVisible());
  EXPECT_EQ(w->Combo10->geometry().topLeft(), grid->CellRectInParent(2, 1).topLeft());
}

TEST_F(ChannelTable, TheKeyboardWalkGoesThroughEveryEditableCellAndWraps) {
  w->Combo1->SetListIndex(1);  // two channels
  ClickCell(grid, 1, 1);
  TypeInto(w->Combo10, "Tilt");
  Tab();
  ASSERT_TRUE(w->Combo13->isVisible());
  PickWithArrows(w->Combo13, InstantLTP16H);
  Tab();
  ASSERT_TRUE(w->Combo2->isVisible()) << "a 16-bit type walks on to Ch16bit";
  PickWithArrows(w->Combo2, 1);
  Tab();
  ASSERT_TRUE(w->Text5->isVisible());
  TypeInto(w->Text5, "12");
  Tab();
  ASSERT_TRUE(w->Combo10->isVisible());
  EXPECT_EQ(grid->Row(), 2);
  Tab();
  ASSERT_TRUE(w->Combo13->isVisible());
  Tab();  // LTP: the walk skips Ch16bit
  ASSERT_TRUE(w->Text5->isVisible());
  EXPECT_EQ(grid->Col(), 4);
  TypeInto(w->Text5, "7");
  Tab();
  ASSERT_TRUE(w->Combo10->isVisible());
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->Col(), 1);

  EXPECT_EQ(Channel(1).Name.Utf8(), "Tilt        ");
  EXPECT_EQ(Channel(1).NameCode, 7);
  EXPECT_EQ(Channel(1).Type, InstantLTP16H);
  EXPECT_EQ(Channel(1).Partner, 2);
  EXPECT_EQ(Channel(1).Value, 12);
  EXPECT_EQ(Channel(2).Type, LTP);
  EXPECT_EQ(Channel(2).Value, 7);
  EXPECT_EQ(QStringList({Cell(1, 2), Cell(1, 3), Cell(1, 4)}), QStringList({"instant LTP 16bitH", "2", "12"}));

  // A mouse press stops the walk.
  ClickCell(grid, 2, 0);
  EXPECT_FALSE(w->Combo10->isVisible());
}

TEST_F(ChannelTable, AValueTypedAndSavedWithCtrlSReachesTheFile) {
  ClickCell(grid, 2, 4);
  TypeInto(w->Text5, "99");
  program.dialogs.files.push_back(program.File("quick.tff"));
  QTest::keyClick(w->Text5, Qt::Key_S, Qt::ControlModifier);
  QApplication::processEvents();
  ASSERT_TRUE(fs::exists(program.dir / "quick.tff"));
  const Bytes file = test::ReadAll(program.dir / "quick.tff");
  EXPECT_EQ(file[fixture_layout::kChannelRecords + fixture_layout::kChannelRecordSize + fixture_layout::kRecordValue], 99);
  EXPECT_EQ(Cell(2, 4), "99");
}

TEST_F(ChannelTable, TypedCharactersNeverChangeTheCountOrTheChoosers) {
  w->Combo1->setFocus();
  TypeInto(w->Combo1, "3");
  EXPECT_EQ(w->Combo1->Text(), "8");
  EXPECT_EQ(fixture.ChannelCount, 8);
  ClickCell(grid, 1, 2);
  TypeInto(w->Combo13, "H");
  EXPECT_EQ(w->Combo13->Text(), "LTP");
  // The wheel does not turn the count chooser while it has no focus.
  grid->setFocus();
  QWheelEvent wheel(QPointF(5, 5), w->Combo1->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w->Combo1, &wheel);
  EXPECT_EQ(w->Combo1->Text(), "8");
}

// --- The typed-name state: a name typed into the chooser lands on the channel it
// was typed for, is settled once, and never outlives the chooser or the fixture.

class TypedNames : public ChannelTable {
 protected:
  void SetUp() override {
    Channel(3).Name = FixedText<12>::FromUtf8("Pan");
    Channel(3).NameCode = 6;
    w->FillChannelTable();
  }
  // Types `text` over what the chooser of channel r's name shows.
  void TypeOverName(int r, const QString& text) {
    ClickCell(grid, r, 1);
    ASSERT_TRUE(w->Combo10->isVisible());
    w->Combo10->lineEdit()->selectAll();
    TypeInto(w->Combo10, text);
  }
  // Picks entry `index` from the name chooser's open list with the mouse.
  void PickFromList(int index) {
    w->Combo10->showPopup();
    QApplication::processEvents();
    QAbstractItemView* list = w->Combo10->view();
    const QModelIndex item = list->model()->index(index, 0);
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    QApplication::processEvents();
  }
  void ExpectChannel3IsPan() {
    EXPECT_EQ(Channel(3).Name.Utf8(), "Pan         ");
    EXPECT_EQ(Channel(3).NameCode, 6);
    EXPECT_EQ(Cell(3, 1).trimmed(), "Pan");
  }
};

TEST_F(TypedNames, AOneCharacterNameLeftWithTabIsDroppedNotKeptPending) {
  TypeOverName(3, "X");
  Tab();  // one character is not taken
  ClickCell(grid, 5, 1);  // a pending name would be settled here
  ClickCell(grid, 1, 0);
  EXPECT_TRUE(program.dialogs.asked.empty());
  ExpectChannel3IsPan();
  EXPECT_TRUE(program.app.Names.Set().Entries[59].Name.IsBlank());
}

TEST_F(TypedNames, APendingNameDoesNotOutliveANewOrAnOpenedFixture) {
  const auto pending = [this] {
    w->TypedName = "X";
    w->NameTyped = true;
    w->TypedRow = 3;
    w->TypedCol = 1;
  };
  pending();
  program.dialogs.answers.push_back(Answer::Ok);
  w->NewFixture->trigger();
  ClickCell(grid, 3, 1);
  ClickCell(grid, 1, 0);
  EXPECT_TRUE(program.dialogs.asked.size() == 1) << "only the New Fixture question";

  FixtureRecord saved = fixture;
  saved.Channels[2].Name = FixedText<12>::FromUtf8("Pan");
  saved.Channels[2].NameCode = 6;
  ASSERT_FALSE(SaveFixtureFile(saved, program.dir / "pan.tff"));
  pending();
  ASSERT_TRUE(w->OpenFixtureFile(program.File("pan.tff")));
  ClickCell(grid, 3, 1);
  ClickCell(grid, 1, 0);
  EXPECT_EQ(program.dialogs.asked.size(), 1u);
  ExpectChannel3IsPan();
}

TEST_F(TypedNames, PickingFromTheListAfterTypingTakesThePick) {
  TypeOverName(4, "Ti");
  const int tilt = w->FindNameEntry("Tilt");
  ASSERT_GE(tilt, 0);
  PickFromList(tilt);
  EXPECT_EQ(w->Combo10->ListIndex(), tilt);
  ClickCell(grid, 1, 0);
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(Channel(4).Name.Utf8(), "Tilt        ");
  EXPECT_EQ(Channel(4).NameCode, 7);
  EXPECT_TRUE(program.app.Names.Set().Entries[59].Name.IsBlank());
}

TEST_F(TypedNames, EveryCommitOfANameBringsTheStepsChannelListUpToDate) {
  TypeOverName(3, "tilt");
  Tab();
  EXPECT_EQ(Channel(3).Name.Utf8(), "Tilt        ");
  EXPECT_EQ(w->Combo9->List(2), "Chan 3 - Tilt        ");

  TypeOverName(3, "Zoom2");  // refused: the channel is emptied
  ClickCell(grid, 1, 0);
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_TRUE(Channel(3).Name.IsBlank());
  EXPECT_EQ(w->Combo9->List(2), "Chan 3 -             ");

  program.dialogs.answers.push_back(Answer::Yes);
  TypeOverName(3, "Zoom2");  // added
  ClickCell(grid, 1, 0);
  EXPECT_EQ(Channel(3).Name.Utf8(), "Zoom2       ");
  EXPECT_EQ(w->Combo9->List(2), "Chan 3 - Zoom2       ");
}

TEST_F(TypedNames, AKnownNameIsFoundEvenWhenTheSetIsFull) {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  for (int s = 0; s < 253; ++s) {
    if (set.Entries[static_cast<std::size_t>(s)].Name.IsBlank()) SetEntryName(set, s, "N" + std::to_string(s));
  }
  ASSERT_FALSE(SaveChannelNameSet(set, ChannelNameSetPath(program.dir.path())));
  ReloadNames();
  ASSERT_EQ(w->Combo10->ListCount(), 253);
  TypeOverName(2, "pan");
  ClickCell(grid, 1, 0);
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(Channel(2).NameCode, 6);

  TypeOverName(2, "Extra");  // a new name cannot be added to a full chooser
  ClickCell(grid, 1, 0);
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].text, "Over Channel Name Index!");
}

TEST_F(TypedNames, TypingAfterAKnownNameIsTypedAfterWhatTheUserSees) {
  ClickCell(grid, 3, 1);
  EXPECT_EQ(w->Combo10->Text(), "Pan");
  w->Combo10->lineEdit()->end(false);
  TypeInto(w->Combo10, "2B");
  EXPECT_EQ(w->Combo10->Text(), "Pan2B");
  program.dialogs.answers.push_back(Answer::Yes);
  ClickCell(grid, 1, 0);
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(Channel(3).Name.Utf8(), "Pan2B       ");
}

}  // namespace
}  // namespace brannoc
