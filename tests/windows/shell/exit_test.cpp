// Ending the program with unsaved changes: the question for the fixture and the
// LED fixture, each answer, and a save that fails or is cancelled.

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <gtest/gtest.h>

#include "windows/fixture_editor/editor_window.h"
#include "data/fixture/file.h"
#include "windows/led_editor/editor_window.h"
#include "windows/palette_editor/editor_window.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using ui::Answer;

const QString kFixtureQuestion =
    "The fixture \"Spot 575\" has unsaved changes. Save them before the program ends?";

class Exit : public ::testing::Test {
 protected:
  Pelorin* Fixture() const { return program.FixtureEditor(); }
  LedFixture* Led() const { return program.form->EditorWidget<LedFixture>(Editor::LedFixture); }
  // The user names the fixture "Spot 575" in the name box.
  void NameTheFixture() {
    Fixture()->Text1->setFocus(Qt::OtherFocusReason);
    Fixture()->Text1->selectAll();
    test::TypeInto(Fixture()->Text1, "Spot 575");
  }
  void ExitFromTheFixtureEditor() {
    Fixture()->ExitMune->trigger();
    QApplication::processEvents();
  }
  QStringList Questions() const {
    QStringList texts;
    for (const auto& q : program.dialogs.asked) texts << q.text;
    return texts;
  }

  test::ProgramUnderTest program;
  FixtureRecord& fixture = *program.app.Fixture;
};

TEST_F(Exit, NothingChangedAsksNothing) {
  // Opening the editors is no change, nor is the LED editor's count of 8.
  program.form->numLFE->trigger();
  Fixture()->MnuReturn->trigger();
  program.form->CloseEditor(Editor::Palette);
  QApplication::processEvents();
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(Exit, NoEndsWithoutSavingAndCancelKeepsEverything) {
  NameTheFixture();
  Fixture()->Combo1->SetListIndex(11);

  ExitFromTheFixtureEditor();  // no answer queued: Cancel
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  const test::Asked& q = program.dialogs.asked[0];
  EXPECT_EQ(q.text, kFixtureQuestion);
  EXPECT_EQ(q.title, "Pelorin Fixture");
  EXPECT_EQ(q.buttons, ui::Buttons::YesNoCancel);
  EXPECT_EQ(q.icon, ui::Icon::None);
  EXPECT_EQ(program.quits, 0);
  ASSERT_NE(Fixture(), nullptr);
  EXPECT_EQ(fixture.ChannelCount, 12);
  EXPECT_EQ(Fixture()->MSFlexGrid1->Rows(), 13);

  program.dialogs.answers = {Answer::No};
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(program.dialogs.filters.empty());  // no save dialog
  EXPECT_EQ(program.form->Window(Editor::Fixture), nullptr);
}

TEST_F(Exit, YesSavesThroughTheFixtureEditorWithWhatAnOpenCellEditorHolds) {
  NameTheFixture();
  test::ClickCell(Fixture()->MSFlexGrid1, 2, 4);
  test::TypeInto(Fixture()->Text5, "77");  // still open when the program is to end
  program.dialogs.answers = {Answer::Yes};
  program.dialogs.files = {program.File("spot")};
  ExitFromTheFixtureEditor();
  EXPECT_EQ(program.quits, 1);
  const FixtureReadResult saved = ReadFixtureFile(program.dir / "spot.tff");
  ASSERT_TRUE(saved.record) << saved.error;
  EXPECT_EQ(saved.record->FixtureName.TrimmedUtf8(), "Spot 575");
  EXPECT_EQ(saved.record->Channels[1].Value, 77);
}

TEST_F(Exit, ASaveThatFailsOrIsCancelledKeepsTheProgramRunning) {
  NameTheFixture();
  Fixture()->Combo1->SetListIndex(11);
  program.dialogs.answers = {Answer::Yes, Answer::Ok};
  program.dialogs.files = {program.File("missing/spot.tff")};
  ExitFromTheFixtureEditor();
  EXPECT_EQ(program.quits, 0);
  ASSERT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_EQ(program.dialogs.asked[1].title, "Brannoc-512 Save As");  // the failure is reported
  ASSERT_NE(Fixture(), nullptr);
  EXPECT_EQ(fixture.FixtureName.TrimmedUtf8(), "Spot 575");
  EXPECT_EQ(fixture.ChannelCount, 12);

  program.dialogs.answers = {Answer::Yes};  // then the dialog is cancelled
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 0);
  EXPECT_EQ(fixture.ChannelCount, 12);
}

TEST_F(Exit, AChangeThatWasSavedOrUndoneAsksNothing) {
  NameTheFixture();
  program.dialogs.files = {program.File("spot.tff")};
  Fixture()->SaveFixture->trigger();
  Fixture()->Combo1->SetListIndex(3);
  Fixture()->UndoEdit->trigger();  // back to what was saved
  program.dialogs.asked.clear();
  ExitFromTheFixtureEditor();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(Exit, ACancelledSaveOfAFileWhoseNameHoldsNulBytesAsksNothing) {
  // A file written elsewhere may leave its name field unfilled: 11 NUL bytes.
  FixtureRecord file;
  ResetFixture(file, 4);
  ASSERT_EQ(file.FixtureName.CodePage(), std::string(11, '\0'));
  ASSERT_FALSE(SaveFixtureFile(file, program.dir / "unnamed.tff"));
  ASSERT_TRUE(Fixture()->OpenFixtureFile(program.File("unnamed.tff")));

  Fixture()->SaveFixture->trigger();  // the save dialog is cancelled
  EXPECT_FALSE(program.form->Window(Editor::Fixture)->isWindowModified());
  ExitFromTheFixtureEditor();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(program.dialogs.asked.empty());
}

TEST_F(Exit, ClosingTheParentWindowAsksToo) {
  NameTheFixture();
  EXPECT_FALSE(program.form->close());
  EXPECT_TRUE(program.form->isVisible());
  EXPECT_EQ(Questions(), QStringList{kFixtureQuestion});
  EXPECT_EQ(program.quits, 0);

  program.dialogs.answers = {Answer::No};
  EXPECT_TRUE(program.form->close());
  EXPECT_EQ(program.quits, 1);
}

TEST_F(Exit, YesShowsAClosedFixtureEditorFirst) {
  Fixture()->Combo1->SetListIndex(11);
  Fixture()->MnuReturn->trigger();
  QApplication::processEvents();
  ASSERT_EQ(program.form->Window(Editor::Fixture), nullptr);
  program.dialogs.answers = {Answer::Yes};
  program.dialogs.files = {program.File("twelve.tff")};
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_EQ(Questions().value(0),
            "The fixture \"New Fixture\" has unsaved changes. Save them before the program ends?");
  const FixtureReadResult saved = ReadFixtureFile(program.dir / "twelve.tff");
  ASSERT_TRUE(saved.record);
  EXPECT_EQ(saved.record->ChannelCount, 12);
}

TEST_F(Exit, TheLedFixtureIsAskedAboutAfterTheFixture) {
  NameTheFixture();
  program.form->numLFE->trigger();
  ASSERT_NE(Led(), nullptr);
  Led()->Text1->selectAll();
  test::TypeInto(Led()->Text1, "Par 64");
  Led()->Combo1->SetListIndex(2);

  program.dialogs.answers = {Answer::No, Answer::Yes};
  program.dialogs.files = {program.File("par")};
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_EQ(Questions(),
            QStringList({kFixtureQuestion,
                         "The LED fixture \"Par 64\" has unsaved changes. Save them before the program ends?"}));
  EXPECT_FALSE(fs::exists(program.dir / "spot.tff"));
  const LedReadResult led = ReadLedFixtureFile(program.dir / "par.tff");
  ASSERT_TRUE(led.record) << led.error;
  EXPECT_EQ(led.record->ChannelCount, 3);
}

TEST_F(Exit, YesSavesAnLedFixtureWhoseEditorWasClosedWithItsOwnChannelCount) {
  program.form->numLFE->trigger();
  ASSERT_NE(Led(), nullptr);
  Led()->Combo1->SetListIndex(2);  // 3 channels
  program.form->CloseEditor(Editor::LedFixture);
  QApplication::processEvents();
  ASSERT_EQ(Led(), nullptr);

  program.dialogs.answers = {Answer::Yes};
  program.dialogs.files = {program.File("par")};
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_EQ(Questions(),
            QStringList{"The LED fixture \"New Fixture\" has unsaved changes. Save them before the program ends?"});
  const Bytes file = test::ReadAll(program.dir / "par.tff");
  ASSERT_EQ(file.size(), static_cast<std::size_t>(LED_FILE_SIZE));
  EXPECT_EQ(file[kLedChannelCountOffset], 3);
}

TEST_F(Exit, YesForAClosedLedEditorSavesTheNameTheQuestionShows) {
  program.form->numLFE->trigger();
  ASSERT_NE(Led(), nullptr);
  Led()->Text1->selectAll();
  test::TypeInto(Led()->Text1, "Par 64");
  Led()->Combo1->SetListIndex(3);  // 4 channels
  program.dialogs.files = {program.File("par.tff")};
  ASSERT_TRUE(Led()->SaveLedFixture());
  Led()->Combo1->SetListIndex(4);  // 5 channels, unsaved
  program.form->CloseEditor(Editor::LedFixture);
  QApplication::processEvents();

  program.dialogs.answers = {Answer::Yes, Answer::Yes};  // save, replace par.tff
  program.dialogs.files = {program.File("par.tff")};
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 1);
  ASSERT_GE(Questions().size(), 1);
  EXPECT_EQ(Questions()[0], "The LED fixture \"Par 64\" has unsaved changes. Save them before the program ends?");
  const Bytes file = test::ReadAll(program.dir / "par.tff");
  ASSERT_EQ(file.size(), static_cast<std::size_t>(LED_FILE_SIZE));
  EXPECT_EQ(std::string(file.begin() + kLedFixtureNameOffset, file.begin() + kLedFixtureNameOffset + 11), "Par 64     ");
  EXPECT_EQ(file[kLedChannelCountOffset], 5);
}

TEST_F(Exit, ASavedLedFixtureAsksNothing) {
  program.form->numLFE->trigger();
  Led()->Combo1->SetListIndex(4);
  program.dialogs.files = {program.File("par.tff")};
  Led()->SaveLedFixture();
  // Closing and opening the editor again is no change either.
  program.form->CloseEditor(Editor::LedFixture);
  program.form->numLFE->trigger();
  program.dialogs.asked.clear();
  program.form->numExit->trigger();
  EXPECT_EQ(program.quits, 1);
  EXPECT_TRUE(program.dialogs.asked.empty());
}

}  // namespace
}  // namespace brannoc
