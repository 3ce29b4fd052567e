// The fixture editor's Check list: the problems of the fixture in memory after
// each recorded change, a double-click going to what a problem points at, the
// question before saving errors, and the same list as tfftool check.

#include <QLabel>
#include <QListWidget>
#include <gtest/gtest.h>

#include <cstdio>

#include "windows/fixture_editor/editor_window.h"
#include "data/fixture/file.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
using test::ProgramUnderTest;

QStringList Listed(const Pelorin* w) {
  QStringList texts;
  for (int i = 0; i < w->CheckList->count(); ++i) texts << w->CheckList->item(i)->text();
  return texts;
}

// A double-click as the system delivers it: a click, then the second press as a double-click.
void DoubleClick(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

class CheckList : public ::testing::Test {
 protected:
  // Every channel named from the built-in names, so that only what a test does is listed.
  void NameChannels() {
    for (std::size_t c = 0; c < 8; ++c) {
      fixture.Channels[c].Name = FixedText<12>::FromUtf8(BuiltInNames()[c + 2].Name);
      fixture.Channels[c].NameCode = BuiltInNames()[c + 2].Code;
    }
    Recorded();
  }
  void Recorded() { program.app.RecordFixtureChange(0); }

  ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  FixtureRecord& fixture = *program.app.Fixture;
};

TEST_F(CheckList, FollowsEachRecordedChangeAndCountsInItsCaption) {
  EXPECT_EQ(w->CheckCaption->text(), "Check: 0 errors, 8 warnings");  // a new fixture's channels have no names
  EXPECT_EQ(Listed(w).first(), "channel 1: the channel has no name");
  NameChannels();
  EXPECT_EQ(w->CheckCaption->text(), "Check: no problems");
  EXPECT_EQ(w->CheckList->count(), 0);

  w->Text1->setFocus();
  w->Text1->selectAll();
  test::PressOn(w->Text1, Qt::Key_Delete);  // typing into a box records each key
  EXPECT_EQ(Listed(w), QStringList({"the fixture has no name"}));
  EXPECT_EQ(w->CheckCaption->text(), "Check: 0 errors, 1 warning");
  fixture.Channels[2].Type = InstantLTP16H;
  Recorded();
  EXPECT_EQ(w->CheckCaption->text(), "Check: 1 error, 1 warning");
  EXPECT_EQ(Listed(w).last(), "channel 3: a 16-bit high-byte channel without a partner (Ch16bit 0)");
}

TEST_F(CheckList, ADoubleClickSelectsTheCellOrOpensTheStep) {
  NameChannels();
  fixture.Channels[2].Type = InstantLTP16H;
  fixture.Channels[2].Partner = 0;
  fixture.StepCounts[5] = 2;
  fixture.Steps[5][0] = {0, 10, FixedText<8>::FromUtf8("Open")};
  fixture.Steps[5][1] = {90, 20, FixedText<8>::FromUtf8("Shut")};
  Recorded();
  ASSERT_EQ(Listed(w), QStringList({"channel 3: a 16-bit high-byte channel without a partner (Ch16bit 0)",
                                    "channel 6 step 2: from 90 is above to 20"}));
  QListWidget* list = w->CheckList;
  DoubleClick(list, 0);
  EXPECT_EQ(w->MSFlexGrid1->Row(), 3);
  EXPECT_EQ(w->MSFlexGrid1->Col(), 3);  // "Ch16bit"
  DoubleClick(list, 1);
  EXPECT_EQ(w->Combo9->ListIndex(), 5);
  EXPECT_EQ(w->MSFlexGrid2->TextMatrix(2, 1), "Shut    ");
  EXPECT_EQ(w->MSFlexGrid2->Row(), 2);
}

TEST_F(CheckList, SavingAFixtureWithErrorsAsksOnce) {
  NameChannels();
  fixture.Channels[0].Type = FadeableLTP16H;
  fixture.Channels[0].Partner = 12;
  fixture.Channels[4].Type = InstantLTP16L;
  Recorded();
  program.dialogs.answers = {ui::Answer::No};
  program.dialogs.files = {program.File("Spot.tff")};
  w->SaveFixture_Click();
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].text, "The fixture has 2 problems the console may misread. Save anyway?");
  EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::YesNo);
  EXPECT_FALSE(std::filesystem::exists(program.dir / "Spot.tff"));

  program.dialogs.answers = {ui::Answer::Yes};
  w->SaveFixture_Click();
  EXPECT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(program.dir / "Spot.tff"));
}

TEST_F(CheckList, ListsWhatTfftoolCheckPrintsForTheSameFile) {
  NameChannels();
  fixture.Channels[1].Type = InstantLTP16H;
  fixture.Channels[1].Partner = 2;  // itself
  fixture.Channels[3].Name = FixedText<12>::FromUtf8("Wobble");
  fixture.Channels[3].NameCode = 0;
  fixture.Channels[6].Name = FixedText<12>::FromUtf8("Dimmer");
  fixture.MaxPanDegree = 0;
  fixture.Channels[7].Name = FixedText<12>::FromUtf8("Pan");
  fixture.StepCounts[4] = 1;
  fixture.Steps[4][0] = {0, 255, FixedText<8>::FromUtf8("All")};
  fixture.Palettes.PaletteName[2] = PaletteText::FromUtf8("Beam");
  const std::filesystem::path file = program.dir / "Odd.tff";
  ASSERT_FALSE(SaveFixtureFile(fixture, file));
  ASSERT_TRUE(w->OpenFixtureFile(QString::fromStdString(file.string())));

  QStringList editor;
  for (const FixtureProblem& problem : w->Problems) {
    editor << QString::fromStdString((problem.Level == ProblemLevel::Warning ? "warning: " : "") + problem.Text);
  }
  EXPECT_EQ(editor.size(), w->CheckList->count());
  const std::string command = std::string("'") + TFFTOOL_PATH + "' check '" + file.string() + "' --names '" +
                              (program.dir / "ChNameSet.fix").string() + "'";
  std::string printed;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) printed.append(buffer, n);
    pclose(pipe);
  }
  const QString prefix = QString::fromStdString(file.string()) + ": ";
  QStringList tool = QString::fromStdString(printed).split('\n', Qt::SkipEmptyParts);
  for (QString& line : tool) line.remove(0, static_cast<int>(prefix.size()));
  EXPECT_EQ(editor, tool);
  EXPECT_GE(editor.size(), 6);
}

}  // namespace
}  // namespace brannoc
