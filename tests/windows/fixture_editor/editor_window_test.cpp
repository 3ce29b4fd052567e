// The fixture editor window: opening, the header boxes, New, Open, Save, and
// coming back to the fixture in memory.

#include <QApplication>
#include <QGroupBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "windows/fixture_editor/editor_window.h"
#include "data/fixture/file.h"
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

class FixtureEditor : public ::testing::Test {
 protected:
  ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  FixtureRecord& fixture = *program.app.Fixture;
};

TEST_F(FixtureEditor, OpensWithANewEightChannelFixture) {
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(program.form->Area->subWindowList().size(), 1);
  // The caption carries the mark that shows as "*" while the fixture is unsaved.
  EXPECT_EQ(w->windowTitle(), "Brannoc-512 library Edit Rev1.05[*]");
  EXPECT_FALSE(program.form->Window(Editor::Fixture)->isWindowModified());
  EXPECT_EQ(program.form->windowTitle(), "Brannoc-512 Rev1.05");
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 9);
  EXPECT_EQ(Row(w->MSFlexGrid1, 0), QStringList({"Channel", "Channel Name", "Type", "Ch16bit", "Value"}));
  for (int r = 1; r <= 8; ++r) {
    EXPECT_EQ(Row(w->MSFlexGrid1, r), QStringList({QString("Chan %1").arg(r), "", "LTP", "0", "0"}));
  }
  EXPECT_EQ(Row(w->MSFlexGrid2, 0), QStringList({"Step", "Step Name", "From Dmx", "To Dmx"}));
  EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 0), "No Steps");
  EXPECT_EQ(w->Combo1->Text(), "8");
  EXPECT_EQ(w->Text2->Text(), "0");
  EXPECT_EQ(w->Text4->Text(), "000");
  EXPECT_EQ(w->Text1->Text(), "New Fixture");
  EXPECT_EQ(fixture.FixtureName.Utf8(), "New Fixture");
  EXPECT_EQ(fixture.ChannelCount, 8);
  EXPECT_EQ(Entries(w->Combo9).first(), "Chan 1-");
  EXPECT_EQ(Entries(w->Combo11).size(), 8);
  EXPECT_EQ(Entries(w->Combo2), QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
  EXPECT_EQ(w->Combo10->ListCount(), 41);  // the built-in names
  EXPECT_EQ(w->Combo10->List(0), "Pan         ");
  EXPECT_EQ(w->Combo10->ItemData(0), 6);
  EXPECT_EQ(w->StepTotal->text(), "Steps: 0 of 204 in file");
}

TEST_F(FixtureEditor, DegreeBoxesTakeAtMostSevenHundredTwenty) {
  w->Text4->setFocus();
  w->Text4->clear();
  test::TypeInto(w->Text4, "800");
  EXPECT_EQ(w->Text4->Text(), "0");
  EXPECT_EQ(fixture.MaxPanDegree, 0);
  w->Text4->clear();
  test::TypeInto(w->Text4, "720");
  EXPECT_EQ(w->Text4->Text(), "720");
  EXPECT_EQ(fixture.MaxPanDegree, 720);
  w->Text2->SetText("-5");  // pasted: a typed "-" alone reads as 0
  EXPECT_EQ(fixture.MaxTiltDegree, -5);
  EXPECT_EQ(w->Text2->Text(), "-5");
  w->Text2->clear();
  test::TypeInto(w->Text2, "ab");
  EXPECT_EQ(w->Text2->Text(), "0");
}

TEST_F(FixtureEditor, NewFixtureAsksAndKeepsNameAndPanMaximum) {
  w->Combo1->SetListIndex(11);
  w->Text4->clear();
  test::TypeInto(w->Text4, "540");
  w->Text1->clear();
  test::TypeInto(w->Text1, "Wash");

  w->NewFixture_Click();  // no answer queued: Cancel
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].text, "Any current settings will be lost,continue");
  EXPECT_EQ(program.dialogs.asked[0].title, "Pelorin Fixture");
  EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::OkCancel);
  EXPECT_EQ(program.dialogs.asked[0].icon, ui::Icon::None);
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 13);
  EXPECT_EQ(fixture.ChannelCount, 12);

  program.dialogs.answers.push_back(Answer::Ok);
  w->NewFixture_Click();
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 9);
  EXPECT_EQ(w->Combo1->Text(), "8");
  EXPECT_EQ(fixture.ChannelCount, 8);
  EXPECT_EQ(fixture.FixtureName.Utf8(), "Wash       ");
  EXPECT_EQ(fixture.MaxPanDegree, 540);
  EXPECT_EQ(w->Text4->Text(), "540");
}

// A fixture of 12 channels with steps, set up through the record and shown.
void FillTwelve(Pelorin* w, FixtureRecord& f) {
  w->Combo1->SetListIndex(11);
  w->Text1->clear();
  test::TypeInto(w->Text1, "Spot 575");
  w->Text4->clear();
  test::TypeInto(w->Text4, "540");
  w->Text2->clear();
  test::TypeInto(w->Text2, "270");
  for (std::size_t c = 0; c < 12; ++c) {
    f.Channels[c].Name = FixedText<12>::FromUtf8("Name" + std::to_string(c + 1));
    f.Channels[c].Value = static_cast<std::uint8_t>(c * 10);
    f.Channels[c].Type = HTP;
  }
  f.Channels[2].Type = InstantLTP16H;
  f.Channels[2].Partner = 4;
  f.Channels[3].Type = InstantLTP16L;
  f.StepCounts[10] = 3;
  for (std::size_t s = 0; s < 3; ++s) {
    f.Steps[10][s] = {static_cast<std::uint8_t>(s * 20), static_cast<std::uint8_t>(s * 20 + 19),
                      FixedText<8>::FromUtf8("St" + std::to_string(s))};
  }
  w->FillChannelTable();
}

TEST_F(FixtureEditor, ASavedFixtureOpensAgainInAWindowThatShowedEight) {
  FillTwelve(w, fixture);
  program.dialogs.files.push_back(program.File("spot"));
  w->SaveFixture_Click();
  ASSERT_TRUE(fs::exists(program.dir / "spot.tff"));
  EXPECT_EQ(fs::file_size(program.dir / "spot.tff"), 6144u);
  EXPECT_EQ(program.dialogs.filters.back(), "Fixture Setup File(*.tff)|*.tff");
  EXPECT_TRUE(program.dialogs.asked.empty());

  program.dialogs.answers.push_back(Answer::Ok);
  w->NewFixture_Click();
  ASSERT_EQ(w->MSFlexGrid1->Rows(), 9);

  program.dialogs.files.push_back(program.File("spot.tff"));
  w->OpenFixture_Click();
  EXPECT_EQ(w->Text1->Text(), "Spot 575");
  EXPECT_EQ(w->Combo1->Text(), "12");
  EXPECT_EQ(w->Text4->Text(), "540");
  EXPECT_EQ(w->Text2->Text(), "270");
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 13);
  EXPECT_EQ(Row(w->MSFlexGrid1, 3), QStringList({"Chan 3", "Name3       ", "instant LTP 16bitH", "4", "20"}));
  EXPECT_EQ(Row(w->MSFlexGrid1, 4), QStringList({"Chan 4", "Name4       ", "instant LTP 16bitL", "0", "30"}));
  EXPECT_EQ(Row(w->MSFlexGrid1, 12), QStringList({"Chan 12", "Name12      ", "HTP", "0", "110"}));
  EXPECT_EQ(Entries(w->Combo9).size(), 12);
  EXPECT_EQ(w->Combo9->List(11), "Chan 12 - Name12      ");
  EXPECT_EQ(Entries(w->Combo11).size(), 12);
  EXPECT_EQ(Entries(w->Combo12).last(), "Chan 12");
  EXPECT_EQ(Entries(w->Combo2).size(), 12);
  EXPECT_EQ(w->Combo9->ListIndex(), 0);
  w->Combo9->SetListIndex(10);
  EXPECT_EQ(w->MSFlexGrid2->Rows(), 4);
  EXPECT_EQ(Row(w->MSFlexGrid2, 3), QStringList({"Step 3", "St2     ", "40", "59"}));
  EXPECT_EQ(w->StepTotal->text(), "Steps: 3 of 204 in file");
}

TEST_F(FixtureEditor, OpeningAFileKeepsTheChannelsItBringsPastTheShownCount) {
  // On disk: an 8-channel fixture whose channels 9..12 hold data.
  auto onDisk = std::make_unique<FixtureRecord>();
  ResetFixture(*onDisk, 8);
  onDisk->Channels[9].Name = FixedText<12>::FromUtf8("Hidden");
  onDisk->Channels[9].Value = 77;
  ASSERT_FALSE(SaveFixtureFile(*onDisk, program.dir / "eight.tff"));

  w->Combo1->SetListIndex(11);  // the window shows 12
  program.dialogs.files.push_back(program.File("eight.tff"));
  w->OpenFixture_Click();
  EXPECT_EQ(fixture.ChannelCount, 8);
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 9);
  EXPECT_EQ(Entries(w->Combo9).size(), 8);
  EXPECT_EQ(Entries(w->Combo11).size(), 8);
  EXPECT_EQ(fixture.Channels[9].Name.Utf8(), "Hidden      ");
  EXPECT_EQ(fixture.Channels[9].Value, 77);
}

TEST_F(FixtureEditor, ReplacingAFileIsAskedAndNoLeavesItUntouched) {
  const Bytes old(6144, 0x33);
  test::WriteAll(program.dir / "spot.tff", old);
  program.dialogs.files.push_back(program.File("spot"));
  program.dialogs.answers.push_back(Answer::No);
  w->SaveFixture_Click();
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  const auto& q = program.dialogs.asked[0];
  EXPECT_EQ(q.text, program.File("spot.tff") + " already exists." + QChar(13) + "Do you want to replace it?");
  EXPECT_EQ(q.title, "Brannoc-512 Save As");
  EXPECT_EQ(q.buttons, ui::Buttons::YesNo);
  EXPECT_EQ(q.icon, ui::Icon::None);
  EXPECT_EQ(test::ReadAll(program.dir / "spot.tff"), old);

  program.dialogs.files.push_back(program.File("spot.tff"));
  program.dialogs.answers.push_back(Answer::Yes);
  w->SaveFixture_Click();
  EXPECT_EQ(test::ReadAll(program.dir / "spot.tff")[12], 8);
}

TEST_F(FixtureEditor, AnEmptyFileIsReplacedWithoutAQuestionAndTffIsNotDoubled) {
  test::WriteAll(program.dir / "empty.tff", {});
  program.dialogs.files.push_back(program.File("empty.tff"));
  w->SaveFixture_Click();
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(fs::file_size(program.dir / "empty.tff"), 6144u);

  program.dialogs.files.push_back(program.File("UPPER.TFF"));
  w->SaveFixture_Click();
  EXPECT_TRUE(fs::exists(program.dir / "UPPER.TFF"));
  EXPECT_FALSE(fs::exists(program.dir / "UPPER.TFF.tff"));

  w->SaveFixture_Click();  // cancelled dialog: nothing written, nothing asked
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(FixtureEditor, ADamagedFileLeavesTheWindowAsItWasAndSaysSo) {
  w->Combo1->SetListIndex(9);
  test::WriteAll(program.dir / "bad.tff", Bytes(6000, 1));
  program.dialogs.files.push_back(program.File("bad.tff"));
  w->OpenFixture_Click();
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].title, "Brannoc-512 Open");
  EXPECT_TRUE(program.dialogs.asked[0].text.startsWith(program.File("bad.tff") + " could not be opened." + QChar(13)));
  EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::Ok);
  EXPECT_EQ(program.dialogs.asked[0].icon, ui::Icon::Warning);
  EXPECT_EQ(fixture.ChannelCount, 10);
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 11);
  EXPECT_EQ(w->Combo1->Text(), "10");
}

TEST_F(FixtureEditor, ASaveThatFailsSaysSoAndKeepsTheOldFile) {
  fs::create_directory(program.dir / "ro");
  const Bytes old(6144, 0x44);
  test::WriteAll(program.dir / "ro" / "spot.tff", old);
  ::chmod((program.dir / "ro").c_str(), 0555);
  program.dialogs.files.push_back(program.File("ro/spot.tff"));
  program.dialogs.answers.push_back(Answer::Yes);
  {
    test::ScopedObeyPermissions obey;
    w->SaveFixture_Click();
  }
  ::chmod((program.dir / "ro").c_str(), 0755);
  ASSERT_EQ(program.dialogs.asked.size(), 2u);
  const auto& failure = program.dialogs.asked[1];
  EXPECT_EQ(failure.title, "Brannoc-512 Save As");
  EXPECT_TRUE(failure.text.startsWith(program.File("ro/spot.tff") + " could not be saved." + QChar(13)));
  EXPECT_EQ(failure.buttons, ui::Buttons::Ok);
  EXPECT_EQ(failure.icon, ui::Icon::Warning);
  EXPECT_EQ(test::ReadAll(program.dir / "ro" / "spot.tff"), old);
}

TEST_F(FixtureEditor, AfterASaveTheGridShowsTheTypesTheSaveDerived) {
  fixture.Channels[4].Type = FadeableLTP16L;  // nothing points at it
  w->FillChannelTable();
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(5, 2), "Fadeable LTP 16bitL");
  program.dialogs.files.push_back(program.File("spot.tff"));
  program.dialogs.answers.push_back(Answer::Yes);  // the lone low byte is an error: save anyway
  w->SaveFixture_Click();
  ASSERT_FALSE(program.dialogs.asked.empty());
  EXPECT_TRUE(program.dialogs.asked[0].text.endsWith("problems the console may misread. Save anyway?"));
  EXPECT_EQ(fixture.Channels[4].Type, LTP);
  EXPECT_EQ(w->MSFlexGrid1->TextMatrix(5, 2), "LTP");
}

TEST_F(FixtureEditor, ClosingAndReopeningBringsBackTheSameFixture) {
  FillTwelve(w, fixture);
  w->Text2->SetText("-9");
  program.form->Window(Editor::Fixture)->close();
  QApplication::processEvents();
  EXPECT_EQ(program.form->Window(Editor::Fixture), nullptr);
  EXPECT_EQ(fixture.ChannelCount, 12);

  program.form->numMF->trigger();
  QApplication::processEvents();
  Pelorin* again = program.FixtureEditor();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again, w);  // built once, hidden on close, set up again on opening
  EXPECT_EQ(program.form->Window(Editor::Fixture)->pos(), QPoint(0, 0));
  EXPECT_EQ(again->Text1->Text(), "Spot 575");
  EXPECT_EQ(again->MSFlexGrid1->Rows(), 13);
  EXPECT_EQ(again->Text4->Text(), "540");
  EXPECT_EQ(again->Text2->Text(), "-9");
  EXPECT_EQ(fixture.MaxTiltDegree, -9);
  EXPECT_EQ(again->MSFlexGrid1->TextMatrix(4, 2), "instant LTP 16bitL");
  EXPECT_EQ(Entries(again->Combo11).size(), 12);
  EXPECT_EQ(again->Combo9->List(11), "Chan 12 - Name12      ");
}

TEST_F(FixtureEditor, FixtureEditWithTheEditorOpenOnlyMovesIt) {
  FillTwelve(w, fixture);
  QMdiSubWindow* sub = program.form->Window(Editor::Fixture);
  sub->move(120, 80);
  program.form->numMF->trigger();
  QApplication::processEvents();
  EXPECT_EQ(program.form->Window(Editor::Fixture), sub);
  EXPECT_EQ(program.FixtureEditor(), w);
  EXPECT_EQ(sub->pos(), QPoint(0, 0));
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 13);
}

TEST_F(FixtureEditor, APressOnAFrameTakesTheFocusAndLeavesTheWindowSize) {
  QMdiSubWindow* sub = program.form->Window(Editor::Fixture);
  const QSize opened = sub->size();
  sub->resize(opened + QSize(40, 30));
  const QSize grown = sub->size();
  ASSERT_NE(grown, opened);
  test::ClickCell(w->MSFlexGrid1, 2, 4);
  ASSERT_TRUE(w->Text5->hasFocus());
  // Right of the header boxes: the frame's own empty area.
  QTest::mousePress(static_cast<QWidget*>(w->Fixtue_Setup), Qt::LeftButton, {}, ui::TwipsRect(5000, 1200, 10, 10).topLeft());
  QApplication::processEvents();
  EXPECT_TRUE(w->Text1->hasFocus());
  EXPECT_FALSE(w->Text5->isVisible());
  EXPECT_EQ(sub->size(), grown);

  // A press on the window's own background does take it back to its opening size.
  QTest::mousePress(static_cast<QWidget*>(w), Qt::LeftButton, {}, QPoint(w->width() - 3, w->height() - 3));
  QApplication::processEvents();
  EXPECT_EQ(sub->size(), opened);
}

TEST_F(FixtureEditor, ExitEndsTheProgramAtOnce) {
  w->ExitMune->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(program.dialogs.asked.empty());
}

}  // namespace
}  // namespace brannoc
