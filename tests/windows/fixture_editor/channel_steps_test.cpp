// The "Channel Traits" panel: adding, inserting, deleting, editing and copying
// the steps of a channel.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "windows/fixture_editor/editor_window.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
using test::ClickCell;
using test::Focused;
using test::PressOn;
using test::TypeInto;
using ui::Answer;

class StepsPanel : public ::testing::Test {
 protected:
  QStringList Row(int r) const {
    QStringList cells;
    for (int c = 0; c < 4; ++c) cells << steps->TextMatrix(r, c);
    return cells;
  }
  void Press(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
  }
  // Channel `ch` (0-based) gets the named steps, shown in the panel.
  void GiveSteps(int ch, const std::vector<std::string>& names) {
    fixture.StepCounts[static_cast<std::size_t>(ch)] = static_cast<std::uint8_t>(names.size());
    for (std::size_t s = 0; s < names.size(); ++s) {
      fixture.Steps[static_cast<std::size_t>(ch)][s] = {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s + 100),
                                                        FixedText<8>::FromUtf8(names[s])};
    }
    w->Combo9->SetListIndex(ch);
  }
  std::string StepName(int ch, int s) const {
    return fixture.Steps[static_cast<std::size_t>(ch)][static_cast<std::size_t>(s)].StepName.TrimmedUtf8();
  }

  test::ProgramUnderTest program;
  FixtureRecord& fixture = *program.app.Fixture;
  Pelorin* w = program.FixtureEditor();
  ui::Grid* steps = w->MSFlexGrid2;
};

TEST_F(StepsPanel, AddTurnsThePlaceholderIntoTheFirstStep) {
  w->Combo9->SetListIndex(1);
  EXPECT_EQ(Row(1), QStringList({"No Steps", "0", "0", "0"}));
  Press(w->Command1);
  EXPECT_EQ(Row(1), QStringList({"Step 1", "", "0", "0"}));
  EXPECT_EQ(fixture.StepCounts[1], 1);
  EXPECT_EQ(steps->Row(), 1);
  EXPECT_EQ(steps->Col(), 3);
  Press(w->Command1);
  EXPECT_EQ(Row(2), QStringList({"Step 2", "", "0", "0"}));
  EXPECT_EQ(fixture.StepCounts[1], 2);
  EXPECT_EQ(steps->Row(), 2);
  EXPECT_EQ(steps->Col(), 3);
}

TEST_F(StepsPanel, DeletingTheOnlyStepShowsTheEmptyPlaceholderAndKeepsTheRecord) {
  GiveSteps(0, {"Open"});
  ClickCell(steps, 1, 0);
  Press(w->Command3);
  EXPECT_EQ(Row(1), QStringList({"No Steps", "", "", ""}));
  EXPECT_EQ(fixture.StepCounts[0], 0);
  EXPECT_EQ(StepName(0, 0), "Open");
  ClickCell(steps, 1, 0);
  Press(w->Command3);
  EXPECT_EQ(Row(1), QStringList({"No Steps", "", "", ""}));
  EXPECT_EQ(fixture.StepCounts[0], 0);
}

TEST_F(StepsPanel, InsertPutsAnEmptyStepBeforeTheCurrentOne) {
  GiveSteps(2, {"Open", "Red", "Blue"});
  ClickCell(steps, 2, 0);
  Press(w->Command2);
  EXPECT_EQ(steps->Rows(), 5);
  EXPECT_EQ(Row(1), QStringList({"Step 1", "Open    ", "0", "100"}));
  EXPECT_EQ(Row(2), QStringList({"Step 2", "", "0", "0"}));
  EXPECT_EQ(Row(3), QStringList({"Step 3", "Red     ", "1", "101"}));
  EXPECT_EQ(Row(4), QStringList({"Step 4", "Blue    ", "2", "102"}));
  EXPECT_EQ(steps->Row(), 3);
  EXPECT_EQ(steps->Col(), 0);
  EXPECT_EQ(Focused(), steps);
  EXPECT_EQ(fixture.StepCounts[2], 4);
  EXPECT_EQ(StepName(2, 0), "Open");
  EXPECT_EQ(fixture.Steps[2][1], ChannelStep::Blank());
  EXPECT_EQ(StepName(2, 2), "Red");
  EXPECT_EQ(StepName(2, 3), "Blue");
}

TEST_F(StepsPanel, DeleteRemovesTheCurrentStepAndClearsTheSlotLeftAtTheEnd) {
  GiveSteps(2, {"Open", "Red", "Blue"});
  ClickCell(steps, 2, 0);
  Press(w->Command3);
  EXPECT_EQ(steps->Rows(), 3);
  EXPECT_EQ(Row(1).mid(0, 2), QStringList({"Step 1", "Open    "}));
  EXPECT_EQ(Row(2).mid(0, 2), QStringList({"Step 2", "Blue    "}));
  EXPECT_EQ(fixture.StepCounts[2], 2);
  EXPECT_EQ(StepName(2, 1), "Blue");
  EXPECT_EQ(fixture.Steps[2][2], ChannelStep::Blank());
  EXPECT_EQ(steps->Row(), 2);  // a second Delete removes the last step
  Press(w->Command3);
  EXPECT_EQ(fixture.StepCounts[2], 1);
}

TEST_F(StepsPanel, InsertAndDeleteActOnlyInTheStepColumnAndWithinTheirLimits) {
  GiveSteps(0, {"A", "B"});
  Press(w->Command1);  // the current cell ends in column 3
  Press(w->Command2);
  Press(w->Command3);
  EXPECT_EQ(fixture.StepCounts[0], 3);
  ClickCell(steps, 1, 2);
  Press(w->Command2);
  Press(w->Command3);
  EXPECT_EQ(fixture.StepCounts[0], 3);

  GiveSteps(1, std::vector<std::string>(50, "S"));
  ClickCell(steps, 3, 0);
  Press(w->Command2);
  EXPECT_EQ(fixture.StepCounts[1], 50);
  GiveSteps(3, std::vector<std::string>(255, "S"));
  Press(w->Command1);
  EXPECT_EQ(fixture.StepCounts[3], 255);
  EXPECT_EQ(steps->Rows(), 256);
}

TEST_F(StepsPanel, CopyAsksThenCopiesEveryStepPosition) {
  GiveSteps(1, {"Open", "Red"});
  fixture.Steps[1][200].StepName = FixedText<8>::FromUtf8("Hidden");
  w->Combo11->SetListIndex(1);
  w->Combo12->SetListIndex(4);
  Press(w->Command4);  // Cancel
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].text, "Any data on channel 5  will be lost,continue");
  EXPECT_EQ(program.dialogs.asked[0].title, "Pelorin Fixture");
  EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::OkCancel);
  EXPECT_EQ(program.dialogs.asked[0].icon, ui::Icon::None);
  EXPECT_EQ(fixture.StepCounts[4], 0);

  program.dialogs.answers.push_back(Answer::Ok);
  Press(w->Command4);
  EXPECT_EQ(fixture.StepCounts[4], 2);
  EXPECT_EQ(fixture.Steps[4], fixture.Steps[1]);
  EXPECT_EQ(StepName(4, 200), "Hidden");
  EXPECT_EQ(w->Combo9->ListIndex(), 4);
  EXPECT_EQ(Row(2).mid(0, 2), QStringList({"Step 2", "Red     "}));

  w->Combo12->SetListIndex(1);
  Press(w->Command4);  // the same channel: nothing
  EXPECT_EQ(program.dialogs.asked.size(), 2u);
}

TEST_F(StepsPanel, TheStepEditorWalksNameFromToAndWraps) {
  GiveSteps(0, {"", ""});
  ClickCell(steps, 1, 1);
  ASSERT_TRUE(w->Text3->isVisible());
  EXPECT_EQ(w->Text3->maxLength(), 8);
  TypeInto(w->Text3, "Gobo");
  PressOn(Focused(), Qt::Key_Tab);
  ASSERT_TRUE(w->Text3->isVisible());
  EXPECT_EQ(steps->Col(), 2);
  EXPECT_EQ(w->Text3->maxLength(), 3);
  EXPECT_EQ(w->Text3->Text(), "");  // the cell read "0"
  TypeInto(w->Text3, "300");
  PressOn(Focused(), Qt::Key_Tab);
  EXPECT_EQ(w->Text3->Text(), "100");
  w->Text3->selectAll();
  TypeInto(w->Text3, "25");
  PressOn(Focused(), Qt::Key_Tab);
  EXPECT_EQ(steps->Row(), 2);
  EXPECT_EQ(steps->Col(), 1);
  PressOn(Focused(), Qt::Key_Tab);
  PressOn(Focused(), Qt::Key_Tab);
  w->Text3->selectAll();
  TypeInto(w->Text3, "-4");
  PressOn(Focused(), Qt::Key_Tab);
  EXPECT_EQ(steps->Row(), 1);
  EXPECT_EQ(steps->Col(), 1);

  EXPECT_EQ(Row(1), QStringList({"Step 1", "Gobo", "0", "25"}));
  EXPECT_EQ(fixture.Steps[0][0].StepName.Utf8(), "Gobo    ");
  EXPECT_EQ(fixture.Steps[0][0].FromDmx, 0);
  EXPECT_EQ(fixture.Steps[0][0].ToDmx, 25);
  EXPECT_EQ(fixture.Steps[0][1].ToDmx, 101);  // a negative number is refused
  EXPECT_EQ(steps->TextMatrix(2, 3), "101");
}

TEST_F(StepsPanel, BlankNamesShowEmptyAndThePlaceholderOpensNoEditor) {
  GiveSteps(0, {"        ", "Four"});
  EXPECT_EQ(steps->TextMatrix(1, 1), "");
  EXPECT_EQ(steps->TextMatrix(2, 1), "Four    ");
  w->Combo9->SetListIndex(6);
  ClickCell(steps, 1, 1);
  EXPECT_FALSE(w->Text3->isVisible());
}

TEST_F(StepsPanel, TheTotalLineWarnsWhenTheFileCannotHoldEveryStep) {
  GiveSteps(0, std::vector<std::string>(200, "S"));
  GiveSteps(1, {"a", "b", "c"});
  w->Combo9->SetListIndex(1);
  ClickCell(steps, 1, 0);
  Press(w->Command1);
  EXPECT_EQ(w->StepTotal->text(), "Steps: 204 of 204 in file");
  EXPECT_TRUE(w->StepTotal->styleSheet().isEmpty());
  Press(w->Command1);
  EXPECT_EQ(w->StepTotal->text(), "Steps: 205 of 204 in file");
  EXPECT_FALSE(w->StepTotal->styleSheet().isEmpty());
  program.dialogs.answers.push_back(Answer::Ok);
  w->NewFixture_Click();
  EXPECT_EQ(w->StepTotal->text(), "Steps: 0 of 204 in file");
}

TEST_F(StepsPanel, TypedCharactersNeverChangeTheStepChoosers) {
  w->Combo9->setFocus();
  TypeInto(w->Combo9, "C");
  EXPECT_EQ(w->Combo9->ListIndex(), 0);
  w->Combo11->setFocus();
  TypeInto(w->Combo11, "C");
  EXPECT_EQ(w->Combo11->ListIndex(), -1);
}

}  // namespace
}  // namespace brannoc
