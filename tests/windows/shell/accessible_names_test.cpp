// What screen readers and desktop automation are told of the editors' boxes,
// choosers and grids: the text of each one's label, and for a cell editor the
// header of the column it edits.

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <gtest/gtest.h>

#include "windows/name_editor/editor_window.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/led_editor/editor_window.h"
#include "windows/palette_editor/editor_window.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
using test::ClickCell;

QString SpokenName(QWidget* widget) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  return face ? face->text(QAccessible::Name) : QString();
}

// The label a screen reader finds for the control (on Linux a chooser's own name
// is its value; its label comes through this relation).
QString LabelOf(QWidget* widget) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  if (!face) return QString();
  const auto labels = face->relations(QAccessible::Label);
  return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

// Named after its label: a chooser, whose spoken name is its value, through the
// label relation as well.
void ExpectLabelled(QWidget* control, const QString& label) {
  EXPECT_EQ(control->accessibleName(), label);
  if (qobject_cast<QComboBox*>(control)) {
    EXPECT_EQ(LabelOf(control), label);
  } else {
    EXPECT_EQ(SpokenName(control), label);
  }
}

// Every box, chooser, grid and scroll bar the window shows has a name.
void ExpectAllShownControlsNamed(QWidget* window) {
  std::vector<QWidget*> controls;
  for (auto* w : window->findChildren<QLineEdit*>()) {
    if (!qobject_cast<QComboBox*>(w->parentWidget())) controls.push_back(w);  // not a chooser's own box
  }
  for (auto* w : window->findChildren<QComboBox*>()) controls.push_back(w);
  for (auto* w : window->findChildren<QTableWidget*>()) controls.push_back(w);
  for (auto* w : window->findChildren<QScrollBar*>()) {
    if (!qobject_cast<QAbstractScrollArea*>(w->parentWidget()->parentWidget())) controls.push_back(w);
  }
  for (QWidget* control : controls) {
    if (!control->isVisibleTo(window)) continue;
    const bool chooser = qobject_cast<QComboBox*>(control) != nullptr;
    EXPECT_FALSE((chooser ? LabelOf(control) : SpokenName(control)).isEmpty()) << control->metaObject()->className();
  }
}

// Opens the cell editor of (row, col) and returns the name of what has the focus then.
QString EditorNameAt(ui::Grid* grid, int row, int col) {
  ClickCell(grid, row, col);
  QWidget* focused = test::Focused();
  if (focused && qobject_cast<QComboBox*>(focused->parentWidget())) focused = focused->parentWidget();
  return focused ? focused->accessibleName() : QString();
}

TEST(AccessibleNames, TheFixtureEditorsControlsCarryTheirLabels) {
  test::ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  ExpectLabelled(w->Text1, "Fixture Name:");
  ExpectLabelled(w->Combo1, "Number of Channels:");
  ExpectLabelled(w->Text4, "Max Pan Degree:");
  ExpectLabelled(w->Text2, "Max Tilt Degree:");
  ExpectLabelled(w->MSFlexGrid1, "Channel Infomation:");
  ExpectLabelled(w->Combo9, "Channel:");
  ExpectLabelled(w->Combo11, "From:");
  ExpectLabelled(w->Combo12, "To:");
  ExpectAllShownControlsNamed(w);

  EXPECT_EQ(EditorNameAt(w->MSFlexGrid1, 1, 1), "Channel Name");
  EXPECT_EQ(EditorNameAt(w->MSFlexGrid1, 1, 2), "Type");
  EXPECT_EQ(EditorNameAt(w->MSFlexGrid1, 1, 4), "Value");
  w->Command1->click();  // a step to edit
  EXPECT_EQ(EditorNameAt(w->MSFlexGrid2, 1, 1), "Step Name");
  EXPECT_EQ(EditorNameAt(w->MSFlexGrid2, 1, 3), "To Dmx");
}

TEST(AccessibleNames, TheOtherEditorsControlsCarryTheirLabels) {
  test::ProgramUnderTest program;
  program.form->ShowAtTopLeft(Editor::LedFixture);
  auto* led = program.form->EditorWidget<LedFixture>(Editor::LedFixture);
  ASSERT_TRUE(led);
  ExpectLabelled(led->Text1, "Led Fixture Name:");
  ExpectLabelled(led->Combo1, "Number of Channels:");
  ExpectLabelled(led->Text4, "PanMIRROR:");
  ExpectLabelled(led->Text2, "TiltMIRROR:");
  ExpectLabelled(led->MSFlexGrid1, "Channel Infomations:");
  ExpectAllShownControlsNamed(led);
  EXPECT_EQ(EditorNameAt(led->MSFlexGrid1, 2, 1), "Channel Name");
  EXPECT_EQ(EditorNameAt(led->MSFlexGrid1, 2, 2), "Type");

  program.form->ShowAtTopLeft(Editor::ChannelNames);
  auto* names = program.form->EditorWidget<EditChName>(Editor::ChannelNames);
  ASSERT_TRUE(names);
  ExpectAllShownControlsNamed(names);
  EXPECT_EQ(EditorNameAt(names->ChMSFlexGrid, 5, 1), "Channel Name");
  // Which file "Save" writes.
  EXPECT_EQ(names->ChSave->toolTip(), program.File("ChNameSet.fix"));

  program.FixtureEditor()->Combo1->SetListIndex(2);
  program.FixtureEditor()->MnuReturn->trigger();
  QApplication::processEvents();
  auto* palette = program.form->EditorWidget<ULink>(Editor::Palette);
  ASSERT_TRUE(palette);
  ExpectLabelled(palette->Text2, "Name:");
  palette->Command3->click();  // setting mode: tick channel 3
  palette->Check1[2]->click();
  palette->Command3->click();
  palette->Command2[0]->click();  // a preset open: its name box and the bars show
  ExpectLabelled(palette->Text3, "Name:");
  EXPECT_EQ(SpokenName(palette->VScroll1[2]), "Ch3");
  ExpectLabelled(palette->Text1[2], "Ch3");
  ExpectAllShownControlsNamed(palette);
}

}  // namespace
}  // namespace brannoc
