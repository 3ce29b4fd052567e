// Undo and redo in the fixture editor: every kind of committed change, the
// window shown as Open shows a file, the palette editor's commits, the bound,
// the keys in boxes that have an undo of their own, and the caption's mark.

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QPushButton>
#include <gtest/gtest.h>

#include "windows/fixture_editor/editor_window.h"
#include "data/fixture/file.h"
#include "windows/palette_editor/editor_window.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
using test::ClickCell;
using test::PressOn;
using test::TypeInto;
using ui::Answer;

class Undo : public ::testing::Test {
 protected:
  // A fixture "Spot 575" of 12 channels named Ch1..Ch12, channels 9..12 HTP,
  // values 11..22, channel 2 with three steps and channel 5 with one, opened
  // from its file.
  void OpenTwelve() {
    auto record = std::make_unique<FixtureRecord>();
    ResetFixture(*record, 12);
    record->FixtureName = FixedText<11>::FromUtf8("Spot 575");
    for (std::size_t c = 0; c < 12; ++c) {
      ChannelRecord& channel = record->Channels[c];
      channel.Name = FixedText<12>::FromUtf8("Ch" + std::to_string(c + 1));
      channel.Type = c >= 8 ? HTP : LTP;
      channel.Value = static_cast<std::uint8_t>(11 + c);
    }
    record->StepCounts[1] = 3;
    for (std::size_t s = 0; s < 3; ++s) {
      record->Steps[1][s] = {static_cast<std::uint8_t>(s * 10), static_cast<std::uint8_t>(s * 10 + 9),
                             FixedText<8>::FromUtf8("Red" + std::to_string(s))};
    }
    record->StepCounts[4] = 1;
    record->Steps[4][0] = {200, 255, FixedText<8>::FromUtf8("Open")};
    ASSERT_FALSE(SaveFixtureFile(*record, program.dir / "spot.tff"));
    ASSERT_TRUE(w->OpenFixtureFile(program.File("spot.tff")));
    opened = std::make_unique<FixtureRecord>(fixture);
  }
  QString Cell(int r, int c) const { return w->MSFlexGrid1->TextMatrix(r, c); }
  bool Unsaved() const { return program.form->Window(Editor::Fixture)->isWindowModified(); }
  void Press(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
  }
  void Keys(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(widget, key, modifiers);
    QApplication::processEvents();
  }

  test::ProgramUnderTest program;
  FixtureRecord& fixture = *program.app.Fixture;
  Pelorin* w = program.FixtureEditor();
  std::unique_ptr<FixtureRecord> opened;
};

TEST_F(Undo, ACountLoweredFrom12To8AndUndoneBringsBackChannels9To12) {
  OpenTwelve();
  EXPECT_FALSE(w->UndoEdit->isEnabled());
  EXPECT_FALSE(Unsaved());

  w->Combo1->SetListIndex(7);
  ASSERT_EQ(w->MSFlexGrid1->Rows(), 9);
  EXPECT_TRUE(fixture.Channels[8].Name.IsBlank());
  EXPECT_TRUE(w->UndoEdit->isEnabled());
  EXPECT_TRUE(Unsaved());

  w->UndoEdit->trigger();
  EXPECT_TRUE(SameFixture(fixture, *opened));
  ASSERT_EQ(w->MSFlexGrid1->Rows(), 13);
  for (int c = 9; c <= 12; ++c) {
    EXPECT_EQ(Cell(c, 1).trimmed(), QString("Ch%1").arg(c));
    EXPECT_EQ(Cell(c, 2), "HTP");
    EXPECT_EQ(Cell(c, 4), QString::number(10 + c));
  }
  EXPECT_EQ(w->Combo1->Text(), "12");
  EXPECT_EQ(w->Combo9->ListCount(), 12);
  EXPECT_EQ(w->Combo9->List(11).trimmed(), "Chan 12 - Ch12");
  EXPECT_EQ(w->Combo11->ListCount(), 12);
  EXPECT_EQ(w->Combo2->ListCount(), 12);
  EXPECT_FALSE(Unsaved());  // back where the file left it
  EXPECT_FALSE(w->UndoEdit->isEnabled());
  EXPECT_TRUE(w->RedoEdit->isEnabled());

  w->RedoEdit->trigger();
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 9);
  EXPECT_EQ(fixture.ChannelCount, 8);
  EXPECT_TRUE(fixture.Channels[11].Name.IsBlank());
  EXPECT_EQ(w->Combo9->ListCount(), 8);
  EXPECT_TRUE(Unsaved());
  EXPECT_FALSE(w->RedoEdit->isEnabled());
}

TEST_F(Undo, AnUndoneCopyRestoresTheTargetsSteps) {
  OpenTwelve();
  w->Combo11->SetListIndex(1);
  w->Combo12->SetListIndex(4);
  program.dialogs.answers = {Answer::Ok};
  Press(w->Command4);
  ASSERT_EQ(fixture.StepCounts[4], 3);

  w->UndoEdit->trigger();
  EXPECT_EQ(fixture.StepCounts[4], 1);
  EXPECT_EQ(fixture.Steps[4], opened->Steps[4]);
  w->Combo9->SetListIndex(4);
  EXPECT_EQ(w->MSFlexGrid2->Rows(), 2);
  EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 1).trimmed(), "Open");
}

TEST_F(Undo, StepOperationsAndCellCommitsAreStepsAndANewEditDropsTheRedo) {
  OpenTwelve();
  w->Combo9->SetListIndex(1);
  w->MSFlexGrid2->SetCurrentCell(2, 0);
  Press(w->Command3);  // "Delete" of Red1
  ASSERT_EQ(fixture.StepCounts[1], 2);
  ClickCell(w->MSFlexGrid1, 3, 4);
  w->Text5->selectAll();
  TypeInto(w->Text5, "99");
  w->CommitOpenEditor();
  ASSERT_EQ(fixture.Channels[2].Value, 99);

  w->UndoEdit->trigger();
  EXPECT_EQ(fixture.Channels[2].Value, 13);
  EXPECT_EQ(Cell(3, 4), "13");
  w->UndoEdit->trigger();
  EXPECT_EQ(fixture.StepCounts[1], 3);
  EXPECT_EQ(fixture.Steps[1], opened->Steps[1]);
  EXPECT_EQ(program.app.History.RedoSteps(), 2u);

  // Opening an editor and leaving it as it was changes nothing: the redo stays.
  ClickCell(w->MSFlexGrid1, 4, 4);
  w->CommitOpenEditor();
  EXPECT_EQ(program.app.History.RedoSteps(), 2u);

  // A change does drop it.
  ClickCell(w->MSFlexGrid1, 4, 4);
  w->Text5->selectAll();
  TypeInto(w->Text5, "5");
  w->CommitOpenEditor();
  EXPECT_FALSE(w->RedoEdit->isEnabled());
  w->RedoEdit->trigger();
  EXPECT_EQ(fixture.Channels[2].Value, 13);
  EXPECT_EQ(fixture.Channels[3].Value, 5);
}

TEST_F(Undo, UndoAndRedoShowTheStepsOfTheChannelTheyChangeOrOfTheOneShown) {
  OpenTwelve();
  w->Combo9->SetListIndex(4);  // channel 5, one step
  w->MSFlexGrid2->SetCurrentCell(1, 0);
  Press(w->Command3);  // "Delete" of Open
  ASSERT_EQ(fixture.StepCounts[4], 0);
  w->Combo9->SetListIndex(1);  // the user looks at channel 2 meanwhile

  w->UndoEdit->trigger();
  ASSERT_EQ(fixture.StepCounts[4], 1);
  EXPECT_EQ(w->Combo9->ListIndex(), 4);
  EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 1).trimmed(), "Open");
  w->Combo9->SetListIndex(1);
  w->RedoEdit->trigger();
  EXPECT_EQ(w->Combo9->ListIndex(), 4);
  EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 0), "No Steps");

  // A change to no channel's steps keeps the channel shown.
  w->Combo9->SetListIndex(7);
  w->Combo1->SetListIndex(10);  // 11 channels
  w->UndoEdit->trigger();
  EXPECT_EQ(w->Combo9->ListIndex(), 7);
  w->Combo9->SetListIndex(11);  // channel 12, which the redo removes
  w->RedoEdit->trigger();
  EXPECT_EQ(fixture.ChannelCount, 11);
  EXPECT_EQ(w->Combo9->ListIndex(), 0);
}

TEST_F(Undo, TypingInAHeaderBoxIsBroughtBackByRedoWhateverTheBoxShowsAfterTheUndo) {
  // Max Pan Degree shows "000" in a new fixture; its rule shows the undone
  // value as "0".
  ASSERT_EQ(w->Text4->Text(), "000");
  w->Text4->setFocus(Qt::OtherFocusReason);
  w->Text4->selectAll();
  TypeInto(w->Text4, "540");
  ASSERT_EQ(fixture.MaxPanDegree, 540);
  Keys(w->Text4, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(fixture.MaxPanDegree, 0);
  EXPECT_EQ(w->Text4->Text(), "0");
  EXPECT_TRUE(w->RedoEdit->isEnabled());
  Keys(w->Text4, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(fixture.MaxPanDegree, 540);
  EXPECT_EQ(w->Text4->Text(), "540");

  // The name box, through the menu, the focus staying in the box.
  w->Text1->setFocus(Qt::OtherFocusReason);
  w->Text1->selectAll();
  TypeInto(w->Text1, "Spot");
  w->UndoEdit->trigger();
  EXPECT_EQ(w->Text1->Text(), "New Fixture");
  EXPECT_EQ(fixture.FixtureName.TrimmedUtf8(), "New Fixture");
  ASSERT_TRUE(w->RedoEdit->isEnabled());
  w->RedoEdit->trigger();
  EXPECT_EQ(w->Text1->Text(), "Spot");
  EXPECT_EQ(fixture.FixtureName.TrimmedUtf8(), "Spot");
  EXPECT_EQ(QApplication::focusWidget(), w->Text1);
}

TEST_F(Undo, TheHistoryKeepsTheNewest100Steps) {
  for (int i = 0; i < 105; ++i) Press(w->Command1);  // "Add" on channel 1
  ASSERT_EQ(fixture.StepCounts[0], 105);
  int undone = 0;
  while (w->UndoEdit->isEnabled()) {
    w->UndoEdit->trigger();
    ++undone;
  }
  EXPECT_EQ(undone, 100);
  EXPECT_EQ(fixture.StepCounts[0], 5);
  EXPECT_EQ(w->MSFlexGrid2->Rows(), 6);
}

TEST_F(Undo, ReachesAcrossThePaletteEditor) {
  w->Combo1->SetListIndex(11);  // 12 channels, then to the palette editor
  w->MnuReturn->trigger();
  QApplication::processEvents();
  auto* palette = program.form->EditorWidget<ULink>(Editor::Palette);
  ASSERT_NE(palette, nullptr);
  Press(palette->Command3);
  TypeInto(palette->Text2, "Colour");
  Press(palette->Command3);  // "Save Setting"
  Press(palette->Command2[0]);
  TypeInto(palette->Text3, "Red");
  Press(palette->Command1);  // "Save "
  ASSERT_EQ(fixture.Palettes.PresetName[0][0].TrimmedUtf8(), "Red");
  program.form->CloseEditor(Editor::Palette);
  QApplication::processEvents();

  w = program.FixtureEditor();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(Unsaved());
  w->UndoEdit->trigger();
  EXPECT_TRUE(fixture.Palettes.PresetName[0][0].IsBlank());
  EXPECT_EQ(fixture.Palettes.PaletteName[0].TrimmedUtf8(), "Colour");
  w->UndoEdit->trigger();
  EXPECT_TRUE(fixture.Palettes.PaletteName[0].IsBlank());
  w->UndoEdit->trigger();
  EXPECT_EQ(fixture.ChannelCount, 8);
  EXPECT_EQ(w->MSFlexGrid1->Rows(), 9);
  EXPECT_FALSE(w->UndoEdit->isEnabled());
  EXPECT_FALSE(Unsaved());
  w->RedoEdit->trigger();
  w->RedoEdit->trigger();
  EXPECT_EQ(fixture.Palettes.PaletteName[0].TrimmedUtf8(), "Colour");
  EXPECT_EQ(fixture.ChannelCount, 12);
}

TEST_F(Undo, TypingIntoAHeaderBoxIsOneStepAndMarksTheCaption) {
  QMdiSubWindow* sub = program.form->Window(Editor::Fixture);
  EXPECT_EQ(sub->windowTitle(), "Brannoc-512 library Edit Rev1.05[*]");
  w->Text1->setFocus(Qt::OtherFocusReason);
  w->Text1->selectAll();
  TypeInto(w->Text1, "Spot");
  EXPECT_TRUE(sub->isWindowModified());  // from the first key on
  PressOn(w->Text1, Qt::Key_Tab);
  w->Text4->setFocus(Qt::OtherFocusReason);
  w->Text4->selectAll();
  TypeInto(w->Text4, "540");
  ASSERT_EQ(fixture.MaxPanDegree, 540);
  w->Text1->setFocus(Qt::OtherFocusReason);
  EXPECT_EQ(program.app.History.UndoSteps(), 2u);

  w->UndoEdit->trigger();
  EXPECT_EQ(fixture.MaxPanDegree, 0);
  EXPECT_EQ(w->Text4->Text(), "0");
  w->UndoEdit->trigger();
  EXPECT_EQ(fixture.FixtureName.TrimmedUtf8(), "New Fixture");
  EXPECT_EQ(w->Text1->Text(), "New Fixture");
  EXPECT_FALSE(sub->isWindowModified());

  // Saved: no mark; a change after it brings the mark back.
  w->RedoEdit->trigger();
  program.dialogs.files = {program.File("spot.tff")};
  w->SaveFixture->trigger();
  EXPECT_FALSE(sub->isWindowModified());
  w->UndoEdit->trigger();
  EXPECT_TRUE(sub->isWindowModified());
}

TEST_F(Undo, UndoKeysTakeBackABoxsOwnTypingFirstThenCommitAndUndo) {
  ClickCell(w->MSFlexGrid1, 1, 4);
  TypeInto(w->Text5, "30");
  w->Text1->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  ASSERT_EQ(fixture.Channels[0].Value, 30);

  ClickCell(w->MSFlexGrid1, 2, 4);
  TypeInto(w->Text5, "45");
  Keys(w->Text5, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(w->Text5->isVisible());
  EXPECT_EQ(w->Text5->Text(), "");
  EXPECT_EQ(fixture.Channels[0].Value, 30);
  // Nothing of its own left: the window's undo, after the box has committed.
  Keys(w->Text5, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(fixture.Channels[0].Value, 0);
  EXPECT_EQ(fixture.Channels[1].Value, 0);
  EXPECT_EQ(Cell(1, 4), "0");

  // A chooser has no undo of its own: its pick is committed, then undone.
  ClickCell(w->MSFlexGrid1, 3, 2);
  ASSERT_TRUE(w->Combo13->isVisible());
  PressOn(w->Combo13, Qt::Key_Down);
  ASSERT_EQ(w->Combo13->ListIndex(), 1);
  Keys(w->Combo13, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(fixture.Channels[2].Type, LTP);
  EXPECT_EQ(Cell(3, 2), "LTP");
  EXPECT_TRUE(w->RedoEdit->isEnabled());
  EXPECT_EQ(fixture.Channels[0].Value, 0);  // the pick dropped the value's redo
  Keys(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(fixture.Channels[2].Type, HTP);
  Keys(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(fixture.Channels[2].Type, LTP);
  Keys(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(fixture.Channels[2].Type, HTP);
}

TEST_F(Undo, TheMenusUndoOfTypingInTheNameChooserTakesBackTheTypedNameToo) {
  const Bytes names = test::ReadAll(program.dir / "ChNameSet.fix");
  w->Combo1->SetListIndex(3);  // a step to undo, so that the menu's "&Undo" can be used
  ClickCell(w->MSFlexGrid1, 1, 1);
  ASSERT_TRUE(w->Combo10->isVisible());
  w->Combo10->SetListIndex(0);  // "Pan"
  TypeInto(w->Combo10, "x");
  ASSERT_EQ(w->Combo10->Text(), "Panx");

  ASSERT_TRUE(w->UndoEdit->isEnabled());
  w->UndoEdit->trigger();  // from the menu: the chooser keeps the focus
  EXPECT_TRUE(w->Combo10->isVisible());
  EXPECT_EQ(w->Combo10->Text(), "Pan");
  w->CommitOpenEditor();
  EXPECT_TRUE(program.dialogs.asked.empty());  // no name to add
  EXPECT_EQ(fixture.Channels[0].Name.TrimmedUtf8(), "Pan");
  EXPECT_EQ(test::ReadAll(program.dir / "ChNameSet.fix"), names);
}

TEST_F(Undo, NewAndOpenStartTheHistoryAfresh) {
  w->Combo1->SetListIndex(11);
  program.dialogs.answers = {Answer::Ok};
  w->NewFixture->trigger();
  EXPECT_FALSE(w->UndoEdit->isEnabled());
  EXPECT_FALSE(Unsaved());

  w->Combo1->SetListIndex(3);
  OpenTwelve();
  EXPECT_FALSE(w->UndoEdit->isEnabled());
  EXPECT_FALSE(w->RedoEdit->isEnabled());
  EXPECT_FALSE(Unsaved());
}

}  // namespace
}  // namespace brannoc
