// Names of fixed width shown in boxes: a reopened name shows without its padding,
// so that what the user types after it goes in; the record keeps its width and
// changes only on the user's edit.

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
using test::PressOn;
using test::TypeInto;

void TypeAtTheEnd(QWidget* box, const QString& text) {
  box->setFocus(Qt::MouseFocusReason);
  PressOn(box, Qt::Key_End);
  TypeInto(box, text);
}

class NameBoxes : public ::testing::Test {
 protected:
  Pelorin* ReturnFromThePalettes() {
    program.FixtureEditor()->MnuReturn->trigger();
    QApplication::processEvents();
    program.form->Window(Editor::Palette)->close();
    QApplication::processEvents();
    return program.FixtureEditor();
  }

  test::ProgramUnderTest program;
  FixtureRecord& fixture = *program.app.Fixture;
};

TEST_F(NameBoxes, TheFixtureNameTakesTypingAfterItWhenOpenedAndWhenTheEditorOpensAgain) {
  FixtureRecord spot;
  ResetFixture(spot, 8);
  spot.FixtureName = FixedText<11>::FromUtf8("Spot 575");
  ASSERT_FALSE(SaveFixtureFile(spot, program.dir / "spot.tff"));
  program.dialogs.files.push_back(program.File("spot.tff"));
  Pelorin* w = program.FixtureEditor();
  w->OpenFixture_Click();
  EXPECT_EQ(w->Text1->Text(), "Spot 575");
  EXPECT_EQ(fixture.FixtureName.Utf8(), "Spot 575   ");  // only shown, not written back
  TypeAtTheEnd(w->Text1, "X");
  EXPECT_EQ(w->Text1->Text(), "Spot 575X");
  EXPECT_EQ(fixture.FixtureName.Utf8(), "Spot 575X  ");

  w = ReturnFromThePalettes();
  ASSERT_TRUE(w);
  EXPECT_EQ(w->Text1->Text(), "Spot 575X");
  TypeAtTheEnd(w->Text1, "L");
  EXPECT_EQ(fixture.FixtureName.Utf8(), "Spot 575XL ");
}

TEST_F(NameBoxes, ThePaletteAndPresetNamesTakeTypingAfterThem) {
  program.FixtureEditor()->Combo1->SetListIndex(3);
  fixture.Palettes.PaletteName[0] = PaletteText::FromUtf8("Wash");
  fixture.Palettes.PresetName[0][0] = PaletteText::FromUtf8("Blue");
  program.FixtureEditor()->MnuReturn->trigger();
  QApplication::processEvents();
  ULink* p = program.form->EditorWidget<ULink>(Editor::Palette);
  ASSERT_TRUE(p);

  EXPECT_EQ(p->Text2->Text(), "Wash");
  p->Command3->click();  // setting mode
  TypeAtTheEnd(p->Text2, "1");
  p->Command3->click();  // "Save Setting"
  EXPECT_EQ(fixture.Palettes.PaletteName[0].Utf8(), "Wash1 ");

  p->Command2[0]->click();
  EXPECT_EQ(p->Text3->Text(), "Blue");
  TypeAtTheEnd(p->Text3, "2");
  p->Command1->click();  // "Save "
  EXPECT_EQ(fixture.Palettes.PresetName[0][0].Utf8(), "Blue2 ");
}

TEST_F(NameBoxes, AStepNameTakesTypingAfterIt) {
  Pelorin* w = program.FixtureEditor();
  fixture.StepCounts[0] = 1;
  fixture.Steps[0][0] = {0, 127, FixedText<8>::FromUtf8("Gobo")};
  w->FillStepGrid(0);
  test::ClickCell(w->MSFlexGrid2, 1, 1);
  ASSERT_TRUE(w->Text3->isVisible());
  EXPECT_EQ(w->Text3->Text(), "Gobo");
  TypeAtTheEnd(w->Text3, "1");
  w->Text1->setFocus(Qt::MouseFocusReason);  // leaving the box commits it
  QApplication::processEvents();
  EXPECT_EQ(fixture.Steps[0][0].StepName.Utf8(), "Gobo1   ");
}

}  // namespace
}  // namespace brannoc
