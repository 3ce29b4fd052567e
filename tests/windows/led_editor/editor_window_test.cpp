// The LED fixture editor window: opening, the count, the three cell choosers and
// the keyboard walk, names kept over a closed window, and Save.

#include <QAbstractItemView>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QMdiArea>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "data/fixture/model.h"
#include "windows/led_editor/editor_window.h"
#include "support/gui.h"
#include "support/permissions.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/twips.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::Entries;
using test::ProgramUnderTest;
using test::Row;
using ui::Answer;

constexpr std::size_t RecordAt(int number) { return 23 + 17 * static_cast<std::size_t>(number - 1); }

QStringList Numbers(int to) {
  QStringList numbers;
  for (int n = 1; n <= to; ++n) numbers << QString::number(n);
  return numbers;
}

std::string TextAt(const Bytes& bytes, std::size_t offset, std::size_t size) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

LedFixture* OpenLedEditor(ProgramUnderTest& program) {
  program.form->numLFE->trigger();
  QApplication::processEvents();
  return program.form->EditorWidget<LedFixture>(Editor::LedFixture);
}

class LedEditor : public ::testing::Test {
 protected:
  // Clicks a cell and picks entry `index` in the chooser that opened there.
  void Pick(int row, int col, int index) {
    test::ClickCell(w->MSFlexGrid1, row, col);
    ui::Chooser* chooser = col == 1 ? w->Combo10 : col == 2 ? w->Combo13 : w->Combo2;
    ASSERT_TRUE(chooser->isVisible()) << "no chooser at " << row << "," << col;
    chooser->SetListIndex(index);
  }
  // Tab in the open chooser: it commits and the focus goes back to the grid.
  void Tab() { test::PressOn(test::Focused(), Qt::Key_Tab); }

  ProgramUnderTest program;
  LedFixture* w = OpenLedEditor(program);
  LedFixtureRecord& led = *program.app.LedFixture;
};

TEST_F(LedEditor, OpensWithEightRowsAndItsLists) {
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "LED Fixture Edit");
  EXPECT_EQ(program.form->Window(Editor::LedFixture)->pos(), QPoint(0, 0));
  EXPECT_NE(program.form->Window(Editor::Fixture), nullptr);  // the fixture editor stays open
  EXPECT_EQ(w->Frame1->title(), "Fixture Setup");
  EXPECT_EQ(w->Command1->text(), "Save");
  EXPECT_EQ(w->Text1->Text(), "New Fixture");
  EXPECT_EQ(w->Text1->maxLength(), 11);
  EXPECT_EQ(w->Text4->Text(), "000");
  EXPECT_EQ(w->Text2->Text(), "000");
  EXPECT_EQ(w->Text4->maxLength(), 3);
  EXPECT_EQ(w->Text2->maxLength(), 3);

  EXPECT_EQ(led.ChannelCount, 8);
  EXPECT_EQ(w->Combo1->Text(), "8");
  EXPECT_EQ(Entries(w->Combo1), Numbers(10));
  EXPECT_EQ(Entries(w->Combo2), Numbers(8));
  EXPECT_EQ(Entries(w->Combo10), QStringList({"Red", "Green", "Blue", "Amber", "CoolW", "WarmW", "Strobe", "Dimmer",
                                              "FX", "MACRO", "Duration", "Speed", "Zoom", "Reset"}));
  EXPECT_EQ(Entries(w->Combo13), QStringList({"LTP", "HTP", "instant LTP", "instant LTP 16bitH",
                                              "instant LTP 16bitL", "Fadeable LTP 16bitH", "Fadeable LTP 16bitL"}));
  EXPECT_FALSE(w->Combo10->isVisible());
  EXPECT_FALSE(w->Combo13->isVisible());
  EXPECT_FALSE(w->Combo2->isVisible());
  EXPECT_FALSE(w->AutoAdvance);

  ui::Grid* grid = w->MSFlexGrid1;
  ASSERT_EQ(grid->Rows(), 9);
  EXPECT_EQ(Row(grid, 0), QStringList({"Channel", "Channel Name", "Type", "Ch16bit"}));
  for (int r = 1; r <= 8; ++r) EXPECT_EQ(Row(grid, r), QStringList({QString("Chan %1").arg(r), "", "LTP", "0"}));
  const int width = (ui::ToTwips(grid->width()) - 100) / 4;
  EXPECT_EQ(grid->columnWidth(0), ui::Twips(width - 530));
  EXPECT_EQ(grid->columnWidth(1), ui::Twips(width - 50));
  EXPECT_EQ(grid->columnWidth(2), ui::Twips(width + 400));
  EXPECT_EQ(grid->columnWidth(3), ui::Twips(width - 200));
  EXPECT_EQ(grid->horizontalHeader()->height(), ui::Twips(500));
  // All ten channels fit without scrolling.
  EXPECT_GE(grid->viewport()->height(), 10 * grid->rowHeight(0));
}

TEST_F(LedEditor, ACountChangeRefillsThePartnerListAndKeepsTheChannels) {
  Pick(5, 1, 2);  // "Blue"
  Tab();
  w->Combo1->SetListIndex(2);
  EXPECT_EQ(led.ChannelCount, 3);
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 4);
  EXPECT_EQ(Entries(w->Combo2), Numbers(3));

  w->Combo1->SetListIndex(9);
  EXPECT_EQ(led.ChannelCount, 10);
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 11);
  EXPECT_EQ(Entries(w->Combo2), Numbers(10));
  EXPECT_EQ(Row(w->MSFlexGrid1, 5), QStringList({"Chan 5", "Blue", "LTP", "0"}));
  EXPECT_EQ(Row(w->MSFlexGrid1, 10), QStringList({"Chan 10", "", "LTP", "0"}));
  EXPECT_EQ(led.Channels[4].NameIndex, 3);
  EXPECT_EQ(led.Channels[4].Name.Utf8(), "Blue        ");
}

TEST_F(LedEditor, ThePartnerCellOpensOnlyForSixteenBitTypes) {
  Pick(2, 2, HTP);
  test::ClickCell(w->MSFlexGrid1, 2, 3);  // commits the type, then opens nothing
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(2, 2), "HTP");
  EXPECT_EQ(led.Channels[1].Type, HTP);
  EXPECT_FALSE(w->Combo2->isVisible());
  EXPECT_FALSE(w->Combo13->isVisible());

  Pick(2, 2, InstantLTP16H);
  test::ClickCell(w->MSFlexGrid1, 2, 3);
  ASSERT_TRUE(w->Combo2->isVisible());
  EXPECT_EQ(test::Focused(), w->Combo2);
  EXPECT_EQ(w->Combo2->ListIndex(), -1);  // no partner yet
  EXPECT_EQ(w->Combo2->geometry().topLeft(), w->MSFlexGrid1->CellRectInParent(2, 3).topLeft());
  w->Combo2->SetListIndex(4);
  Tab();  // the click on the cell stopped the walk: nothing opens after the commit
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(2, 3), "5");
  EXPECT_EQ(led.Channels[1].Partner, 5);
  EXPECT_FALSE(w->AutoAdvance);
  EXPECT_FALSE(w->Combo2->isVisible() || w->Combo10->isVisible() || w->Combo13->isVisible());

  // Reached by the keyboard with the walk on, the partner cell goes on to the
  // next row's name.
  test::ClickCell(w->MSFlexGrid1, 2, 2);
  w->MSFlexGrid1->SetCurrentCell(2, 3);
  test::PressOn(w->MSFlexGrid1, Qt::Key_Space);
  ASSERT_TRUE(w->Combo2->isVisible());
  EXPECT_TRUE(w->AutoAdvance);
  w->Combo2->SetListIndex(5);
  Tab();
  EXPECT_EQ(led.Channels[1].Partner, 6);
  EXPECT_TRUE(w->Combo10->isVisible());
  EXPECT_EQ(w->MSFlexGrid1->Row(), 3);
  EXPECT_EQ(w->MSFlexGrid1->Col(), 1);

  // The partner chooser shows the partner it opens on; one beyond the count is none.
  test::ClickCell(w->MSFlexGrid1, 2, 3);
  EXPECT_EQ(w->Combo2->ListIndex(), 5);
  test::ClickCell(w->MSFlexGrid1, 1, 0);
  led.Channels[1].Partner = 9;
  test::ClickCell(w->MSFlexGrid1, 2, 3);
  EXPECT_EQ(w->Combo2->ListIndex(), -1);
}

TEST_F(LedEditor, LeavingASixteenBitTypeForLtpClearsThePartner) {
  Pick(1, 2, FadeableLTP16H);
  Pick(1, 3, 3);  // partner 4
  test::ClickCell(w->MSFlexGrid1, 1, 2);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 3), "4");
  EXPECT_EQ(led.Channels[0].Partner, 4);
  EXPECT_EQ(w->Combo13->ListIndex(), FadeableLTP16H);  // opened on the channel's type

  w->Combo13->SetListIndex(LTP);
  Tab();
  EXPECT_EQ(Row(w->MSFlexGrid1, 1), QStringList({"Chan 1", "", "LTP", "0"}));
  EXPECT_EQ(led.Channels[0].Type, LTP);
  EXPECT_EQ(led.Channels[0].Partner, 0);
}

TEST_F(LedEditor, AChannelIsNeverOfferedAsItsOwnPartner) {
  Pick(2, 2, InstantLTP16H);
  led.Channels[1].Partner = 2;  // as an earlier version may have left it
  test::ClickCell(w->MSFlexGrid1, 2, 3);
  ASSERT_TRUE(w->Combo2->isVisible());
  EXPECT_EQ(w->Combo2->ListCount(), 8);  // entry p still stands for channel p + 1
  EXPECT_FALSE(w->Combo2->IsEntryOffered(1));
  EXPECT_TRUE(w->Combo2->IsEntryOffered(0));
  EXPECT_EQ(w->Combo2->ListIndex(), -1);  // its own number is not chosen either
  test::PressOn(w->Combo2, Qt::Key_Down);
  EXPECT_EQ(w->Combo2->Text(), "1");
  test::PressOn(w->Combo2, Qt::Key_Down);
  EXPECT_EQ(w->Combo2->Text(), "3");
  Tab();
  EXPECT_EQ(led.Channels[1].Partner, 3);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(2, 3), "3");

  // The next channel's chooser offers channel 2 again and leaves out 3.
  Pick(3, 2, FadeableLTP16H);
  test::ClickCell(w->MSFlexGrid1, 3, 3);
  EXPECT_TRUE(w->Combo2->IsEntryOffered(1));
  EXPECT_FALSE(w->Combo2->IsEntryOffered(2));
}

TEST_F(LedEditor, LoweringTheCountClearsEveryPartnerBeyondIt) {
  w->Combo1->SetListIndex(9);  // 10 channels
  Pick(1, 2, FadeableLTP16H);
  Pick(1, 3, 9);  // partner 10
  Pick(2, 2, InstantLTP16H);
  Pick(2, 3, 4);  // partner 5, which stays
  test::ClickCell(w->MSFlexGrid1, 1, 0);
  ASSERT_EQ(led.Channels[0].Partner, 10);

  w->Combo1->SetListIndex(4);  // 5 channels
  EXPECT_EQ(led.Channels[0].Partner, 0);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 3), "0");
  EXPECT_EQ(led.Channels[1].Partner, 5);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(2, 3), "5");

  program.dialogs.files.push_back(program.File("five.tff"));
  w->Command1->click();
  const Bytes file = test::ReadAll(program.dir / "five.tff");
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file[12], 5);
  EXPECT_EQ(file[RecordAt(1) + 3], 0);
  EXPECT_EQ(led.Channels[9].Type, LTP);
}

TEST_F(LedEditor, ReopeningTheWindowKeepsAPartnerBeyondEightAndASaveAtEightWritesNone) {
  w->Combo1->SetListIndex(9);  // 10 channels
  Pick(1, 2, InstantLTP16H);
  Pick(1, 3, 9);  // partner 10
  test::ClickCell(w->MSFlexGrid1, 1, 0);
  ASSERT_EQ(led.Channels[0].Partner, 10);

  // Closing and opening the window again is no change of the pair.
  program.form->CloseEditor(Editor::LedFixture);
  QApplication::processEvents();
  w = OpenLedEditor(program);
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(led.ChannelCount, 8);
  EXPECT_EQ(led.Channels[0].Partner, 10);
  w->Combo1->SetListIndex(9);  // the ten channels again
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 3), "10");
  program.dialogs.files.push_back(program.File("ten.tff"));
  w->Command1->click();
  Bytes file = test::ReadAll(program.dir / "ten.tff");
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file[RecordAt(1) + 1], 'S');
  EXPECT_EQ(file[RecordAt(1) + 3], 10);
  EXPECT_EQ(led.Channels[9].Type, InstantLTP16L);

  // Saved with fewer channels, the file names no partner it does not have.
  program.form->CloseEditor(Editor::LedFixture);
  QApplication::processEvents();
  w = OpenLedEditor(program);
  ASSERT_NE(w, nullptr);
  program.dialogs.files.push_back(program.File("eight.tff"));
  w->Command1->click();
  file = test::ReadAll(program.dir / "eight.tff");
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file[12], 8);
  EXPECT_EQ(file[RecordAt(1) + 3], 0);
  EXPECT_EQ(led.Channels[0].Partner, 0);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 3), "0");
}

TEST_F(LedEditor, TypedLettersChangeNothing) {
  test::ClickCell(w->MSFlexGrid1, 1, 1);
  ASSERT_EQ(test::Focused(), w->Combo10);
  test::TypeInto(w->Combo10, "Red");
  EXPECT_EQ(w->Combo10->ListIndex(), -1);
  Tab();  // nothing chosen: the cell and the channel keep what they had
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 1), "");
  EXPECT_EQ(led.Channels[0].NameIndex, 0);
  EXPECT_EQ(led.Channels[0].Name, FixedText<12>());

  ASSERT_EQ(test::Focused(), w->Combo13);  // the walk opened the type
  test::TypeInto(w->Combo13, "HTP fade");
  EXPECT_EQ(w->Combo13->ListIndex(), LTP);
  Tab();
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 2), "LTP");

  Pick(4, 1, 7);  // "Dimmer"
  test::TypeInto(w->Combo10, "zr");
  EXPECT_EQ(w->Combo10->ListIndex(), 7);
  Tab();
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(4, 1), "Dimmer");

  w->Combo1->setFocus();
  test::TypeInto(w->Combo1, "31");
  EXPECT_EQ(w->Combo1->ListIndex(), 7);
  EXPECT_EQ(led.ChannelCount, 8);
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 9);
}

TEST_F(LedEditor, TheWalkWrapsFromTheLastTypeToTheFirstNameAndAMousePressStopsIt) {
  Pick(8, 1, 7);
  Tab();
  ASSERT_TRUE(w->Combo13->isVisible());
  EXPECT_EQ(w->Combo13->geometry().topLeft(), w->MSFlexGrid1->CellRectInParent(8, 2).topLeft());
  w->Combo13->SetListIndex(HTP);
  Tab();
  EXPECT_EQ(Row(w->MSFlexGrid1, 8), QStringList({"Chan 8", "Dimmer", "HTP", "0"}));
  EXPECT_EQ(w->MSFlexGrid1->Row(), 1);
  EXPECT_EQ(w->MSFlexGrid1->Col(), 1);
  ASSERT_TRUE(w->Combo10->isVisible());
  EXPECT_EQ(test::Focused(), w->Combo10);
  EXPECT_EQ(w->Combo10->geometry().topLeft(), w->MSFlexGrid1->CellRectInParent(1, 1).topLeft());

  test::ClickCell(w->MSFlexGrid1, 3, 0);
  EXPECT_FALSE(w->AutoAdvance);
  EXPECT_FALSE(w->Combo10->isVisible());
  w->Text2->setFocus();
  test::PressOn(w->Text2, Qt::Key_Tab);  // the grid gains the focus: nothing opens
  EXPECT_EQ(test::Focused(), w->MSFlexGrid1);
  EXPECT_FALSE(w->Combo10->isVisible() || w->Combo13->isVisible() || w->Combo2->isVisible());

  // A key released on the grid opens the chooser of the cell it moved to.
  w->MSFlexGrid1->SetCurrentCell(2, 2);
  test::PressOn(w->MSFlexGrid1, Qt::Key_Down);
  EXPECT_TRUE(w->Combo13->isVisible());
  EXPECT_EQ(w->MSFlexGrid1->Row(), 3);
}

TEST_F(LedEditor, AChooserStaysOpenWhileItsListIsOpen) {
  test::ClickCell(w->MSFlexGrid1, 4, 2);
  w->Combo13->showPopup();
  QApplication::processEvents();
  ASSERT_TRUE(w->Combo13->view()->isVisible());
  EXPECT_TRUE(w->Combo13->isVisible());
  const QRect item = w->Combo13->view()->visualRect(w->Combo13->model()->index(HTP, 0));
  QTest::mouseClick(w->Combo13->view()->viewport(), Qt::LeftButton, {}, item.center());
  QApplication::processEvents();
  EXPECT_FALSE(w->Combo13->view()->isVisible());
  ASSERT_TRUE(w->Combo13->isVisible());
  EXPECT_EQ(w->Combo13->ListIndex(), HTP);
  Tab();
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(4, 2), "HTP");
}

TEST_F(LedEditor, LeavingTheCellCommitsTheOpenChooserOnce) {
  Pick(4, 2, InstantLTP);
  w->MSFlexGrid1->SetCurrentCell(5, 2);
  EXPECT_FALSE(w->Combo13->isVisible());
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(4, 2), "instant LTP");
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(5, 2), "LTP");
  EXPECT_EQ(led.Channels[3].Type, InstantLTP);
  EXPECT_EQ(led.Channels[4].Type, LTP);
  EXPECT_EQ(w->Combo13->ListIndex(), -1);  // emptied
}

TEST_F(LedEditor, NamesOutliveTheWindowAndAreSaved) {
  w->Combo1->SetListIndex(9);
  for (int r = 1; r <= 10; ++r) {
    Pick(r, 1, r - 1);
    Tab();
  }
  test::ClickCell(w->MSFlexGrid1, 1, 0);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(10, 1), "MACRO");

  program.form->Window(Editor::LedFixture)->close();
  QApplication::processEvents();
  ASSERT_EQ(program.form->Window(Editor::LedFixture), nullptr);
  LedFixture* again = OpenLedEditor(program);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Combo1->Text(), "8");
  EXPECT_EQ(again->MSFlexGrid1->Rows(), 9);
  EXPECT_EQ(Row(again->MSFlexGrid1, 8), QStringList({"Chan 8", "Dimmer", "LTP", "0"}));
  again->Combo1->SetListIndex(9);
  for (int r = 1; r <= 10; ++r) {
    EXPECT_EQ(again->MSFlexGrid1->TextMatrix(r, 1), QString::fromLatin1(kLedNames[r - 1].data()));
  }

  program.dialogs.files.push_back(program.File("ten"));
  again->Command1->click();
  const Bytes file = test::ReadAll(program.dir / "ten.tff");
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file[12], 10);
  // Map: entry k holds the channel named by NameIndex k; "MACRO" (10) has none.
  EXPECT_EQ(Bytes(file.begin() + 13, file.begin() + 23), Bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  for (int r = 1; r <= 10; ++r) {
    EXPECT_EQ(file[RecordAt(r)], r);
    std::string name(kLedNames[static_cast<std::size_t>(r - 1)]);
    name.resize(12, ' ');
    EXPECT_EQ(TextAt(file, RecordAt(r) + 5, 12), name);
  }
  EXPECT_EQ(file[RecordAt(1) + 4], 'G');  // "Red"
  EXPECT_EQ(file[RecordAt(8) + 4], 'D');  // "Dimmer"
}

TEST_F(LedEditor, ReplacingAFileIsAskedAndTheEndingIsAddedOnce) {
  const Bytes old(100, 0x33);
  test::WriteAll(program.dir / "led.tff", old);
  program.dialogs.files.push_back(program.File("led"));
  program.dialogs.answers.push_back(Answer::No);
  w->SaveLedFixture();
  EXPECT_EQ(program.dialogs.filters.back(), "LedFixture Setup File(*.tff)|*.tff");
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  const auto& q = program.dialogs.asked[0];
  EXPECT_EQ(q.text, program.File("led.tff") + " already exists." + QChar(13) + "Do you want to replace it?");
  EXPECT_EQ(q.title, "Brannoc-512 Save As");
  EXPECT_EQ(q.buttons, ui::Buttons::YesNo);
  EXPECT_EQ(q.icon, ui::Icon::None);
  EXPECT_EQ(test::ReadAll(program.dir / "led.tff"), old);
  EXPECT_FALSE(fs::exists(program.dir / "led"));

  program.dialogs.files.push_back(program.File("led"));
  program.dialogs.answers.push_back(Answer::Yes);
  w->SaveLedFixture();
  EXPECT_EQ(program.dialogs.asked.size(), 2u);  // no message after the save
  const Bytes file = test::ReadAll(program.dir / "led.tff");
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file[0], 0);
  EXPECT_EQ(TextAt(file, 1, 11), "New Fixture");
  EXPECT_EQ(file[12], 8);
  EXPECT_EQ(file[13], 8);  // every channel unnamed: entry 0 holds the last one
  for (std::size_t i = 14; i < 23; ++i) EXPECT_EQ(file[i], 0) << i;
  EXPECT_EQ(Bytes(file.begin() + RecordAt(1), file.begin() + RecordAt(1) + 5), Bytes({0, 'L', 0, 0, 'R'}));
  EXPECT_EQ(TextAt(file, RecordAt(1) + 5, 12), std::string(12, '\0'));
  EXPECT_EQ(Bytes(file.begin() + RecordAt(9), file.begin() + RecordAt(9) + 5), Bytes(5, 0));
  EXPECT_EQ(TextAt(file, RecordAt(10) + 5, 12), std::string(12, ' '));
  for (std::size_t i = 193; i < 511; ++i) ASSERT_EQ(file[i], 0) << i;
  EXPECT_EQ(file[511], 0x20);

  // An ending in capitals is kept; an empty file is replaced without a question.
  test::WriteAll(program.dir / "UP.TFF", {});
  program.dialogs.files.push_back(program.File("UP.TFF"));
  w->SaveLedFixture();
  EXPECT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_EQ(fs::file_size(program.dir / "UP.TFF"), 512u);
  EXPECT_FALSE(fs::exists(program.dir / "UP.TFF.tff"));

  // A cancelled dialog writes nothing.
  const auto before = test::FileNames(program.dir.path());
  w->SaveLedFixture();
  EXPECT_EQ(test::FileNames(program.dir.path()), before);
  EXPECT_EQ(program.dialogs.asked.size(), 2u);
}

TEST_F(LedEditor, AfterASaveTheGridShowsTheTypesTheSaveDerived) {
  Pick(1, 2, FadeableLTP16H);
  Pick(1, 3, 1);  // partner 2, which stays LTP in the grid
  Pick(3, 2, InstantLTP16L);  // nothing points at it
  Tab();
  w->Text1->setFocus();
  w->Text1->selectAll();
  test::TypeInto(w->Text1, "Par 64 RGBW-Z");
  EXPECT_EQ(w->Text1->Text(), "Par 64 RGBW");

  program.dialogs.files.push_back(program.File("par.tff"));
  w->Command1->click();
  EXPECT_EQ(led.FixtureName.Utf8(), "Par 64 RGBW");
  EXPECT_EQ(Row(w->MSFlexGrid1, 1), QStringList({"Chan 1", "", "Fadeable LTP 16bitH", "2"}));
  EXPECT_EQ(Row(w->MSFlexGrid1, 2), QStringList({"Chan 2", "", "Fadeable LTP 16bitL", "0"}));
  EXPECT_EQ(Row(w->MSFlexGrid1, 3), QStringList({"Chan 3", "", "LTP", "0"}));
  EXPECT_EQ(led.Channels[1].Type, FadeableLTP16L);
  EXPECT_EQ(led.Channels[2].Type, LTP);

  const Bytes file = test::ReadAll(program.dir / "par.tff");
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(TextAt(file, 1, 11), "Par 64 RGBW");
  EXPECT_EQ(file[RecordAt(1) + 1], 's');
  EXPECT_EQ(file[RecordAt(1) + 3], 2);
  EXPECT_EQ(file[RecordAt(2) + 1], 'L');
  EXPECT_EQ(file[RecordAt(3) + 1], 'O');
}

TEST_F(LedEditor, ASaveThatFailsSaysSoAndKeepsTheOldFile) {
  Pick(2, 2, InstantLTP16L);
  Tab();
  fs::create_directory(program.dir / "ro");
  const Bytes old(512, 0x44);
  test::WriteAll(program.dir / "ro" / "led.tff", old);
  ::chmod((program.dir / "ro").c_str(), 0555);
  program.dialogs.files.push_back(program.File("ro/led"));
  program.dialogs.answers.push_back(Answer::Yes);
  {
    test::ScopedObeyPermissions obey;
    w->SaveLedFixture();
  }
  ::chmod((program.dir / "ro").c_str(), 0755);
  ASSERT_EQ(program.dialogs.asked.size(), 2u);
  const auto& failure = program.dialogs.asked[1];
  EXPECT_EQ(failure.title, "Brannoc-512 Save As");
  EXPECT_TRUE(failure.text.startsWith(program.File("ro/led.tff") + " could not be saved." + QChar(13)))
      << failure.text.toStdString();
  EXPECT_GT(failure.text.size(), (program.File("ro/led.tff") + " could not be saved.").size() + 1);
  EXPECT_EQ(failure.buttons, ui::Buttons::Ok);
  EXPECT_EQ(failure.icon, ui::Icon::Warning);
  EXPECT_EQ(test::ReadAll(program.dir / "ro" / "led.tff"), old);
  EXPECT_EQ(test::FileNames(program.dir / "ro"), std::vector<std::string>({"led.tff"}));
  // The record is as a save leaves it, and the grid shows it.
  EXPECT_EQ(led.Channels[1].Type, LTP);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(2, 2), "LTP");
}

}  // namespace
}  // namespace brannoc
