// The palette editor window: opening from the fixture editor, its three states,
// preset editing, the tab change, closing, and palettes that travel in the
// fixture file.

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <gtest/gtest.h>
#include <set>

#include "windows/fixture_editor/editor_window.h"
#include "data/fixture/file.h"
#include "windows/palette_editor/editor_window.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/twips.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::ProgramUnderTest;
using ui::Answer;
using ui::TwipsRect;

bool Shown(const QWidget* w) { return !w->isHidden(); }

// A user's clicks and edits on the palette editor.
void Click(QPushButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
  QApplication::processEvents();
}

void Tick(ULink* w, int channel) {
  QCheckBox* box = w->Check1[static_cast<std::size_t>(channel - 1)];
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2));
  QApplication::processEvents();
}

void ClickTab(ULink* w, int index) {
  QTest::mouseClick(w->TabStrip1, Qt::LeftButton, {}, w->TabStrip1->tabRect(index).center());
  QApplication::processEvents();
}

void Retype(ui::TextBox* box, const QString& text) {
  box->clear();
  test::TypeInto(box, text);
}

// Moves the bar of a channel (1-based) so that it shows `value`.
void SetValue(ULink* w, int channel, int value) {
  w->VScroll1[static_cast<std::size_t>(channel - 1)]->setValue(255 - value);
  QApplication::processEvents();
}

QString ValueBox(ULink* w, int channel) { return w->Text1[static_cast<std::size_t>(channel - 1)]->Text(); }

std::string Name(const PaletteText& text) { return text.Utf8(); }

class PaletteEditor : public ::testing::Test {
 protected:
  // Gives the fixture 12 named channels, some with steps, as the fixture editor
  // shows them, then opens the palette editor through "&Palette Edit".
  ULink* OpenWithTwelve() {
    Pelorin* w = program.FixtureEditor();
    w->Combo1->SetListIndex(11);
    for (std::size_t c = 0; c < 12; ++c) {
      fixture.Channels[c].Name = FixedText<12>::FromUtf8("Name" + std::to_string(c + 1));
    }
    fixture.Channels[11].Name = FixedText<12>::FromUtf8("R&B");
    fixture.StepCounts[10] = 3;
    for (std::size_t s = 0; s < 3; ++s) {
      fixture.Steps[10][s] = {static_cast<std::uint8_t>(s * 20), static_cast<std::uint8_t>(s * 20 + 19),
                              FixedText<8>::FromUtf8("St" + std::to_string(s))};
    }
    w->FillChannelTable();
    return PaletteEdit();
  }

  ULink* PaletteEdit() {
    program.FixtureEditor()->MnuReturn->trigger();
    QApplication::processEvents();
    return Palette();
  }

  ULink* Palette() const { return program.form->EditorWidget<ULink>(Editor::Palette); }

  void ClosePalette() {
    program.form->Window(Editor::Palette)->close();
    QApplication::processEvents();
  }

  ProgramUnderTest program;
  FixtureRecord& fixture = *program.app.Fixture;
  PaletteData& palettes = program.app.Fixture->Palettes;
};

TEST_F(PaletteEditor, PaletteEditClosesTheFixtureEditorAndOpensWithTwelveChannels) {
  QPointer<Pelorin> before = program.FixtureEditor();
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(program.app.PaletteChannelCount, 12);
  ASSERT_FALSE(before.isNull());
  EXPECT_FALSE(before->isVisible());  // closed: hidden until it opens again
  EXPECT_EQ(program.form->Window(Editor::Fixture), nullptr);
  EXPECT_EQ(program.form->Window(Editor::Palette)->pos(), QPoint(0, 0));
  EXPECT_EQ(program.form->Area->subWindowList().size(), 2);
  EXPECT_EQ(program.form->Area->activeSubWindow(), program.form->Window(Editor::Palette));

  EXPECT_EQ(w->windowTitle(), "Palette Edit Rev1.05");
  EXPECT_EQ(w->size(), ui::TwipsSize(13755, 8490));
  ASSERT_EQ(w->TabStrip1->count(), 10);
  for (int t = 0; t < 10; ++t) {
    EXPECT_EQ(w->TabStrip1->tabText(t), QString("Palette%1").arg(t + 1));
    EXPECT_EQ(w->TabStrip1->tabData(t).toString(), QString("Palette%1").arg(t + 1));
  }
  EXPECT_EQ(w->TabStrip1->currentIndex(), 0);
  EXPECT_EQ(w->PaletteFrame->title(), "Palette1 Edit");
  EXPECT_EQ(w->PresetFrame->title(), "Edit Preset");
  EXPECT_EQ(w->Command3->text(), "Update Setting");
  EXPECT_EQ(w->Command3->toolTip(), "Click To Change Setting");
  EXPECT_EQ(w->PaletteNameLabel->text(), "Name:");
  EXPECT_EQ(w->PresetNameLabel->text(), "Name:");
  EXPECT_EQ(w->ClickToEditLabel->text(), "Click To Edit:");
  EXPECT_EQ(w->Command1->text(), "Save ");
  EXPECT_EQ(w->Command4->text(), "Cancel");
  for (int c = 0; c < 8; ++c) EXPECT_EQ(w->ColumnHeadings[c]->text(), QString("Ch%1").arg(c + 1));
  for (int r = 0; r < 5; ++r) EXPECT_EQ(w->RowHeadings[r]->text(), QString::number(r + 1));

  for (int i = 0; i < 40; ++i) {
    SCOPED_TRACE(i);
    const auto at = static_cast<std::size_t>(i);
    if (i < 11) {
      EXPECT_EQ(w->Check1[at]->text(), QString("Name%1").arg(i + 1).leftJustified(12));
    }
    EXPECT_EQ(Shown(w->Check1[at]), i < 12);
    EXPECT_FALSE(w->Check1[at]->isChecked());
    EXPECT_FALSE(Shown(w->VScroll1[at]));
    EXPECT_FALSE(Shown(w->Text1[at]));
    EXPECT_EQ(w->Text1[at]->Text(), "255");
    EXPECT_TRUE(w->Text1[at]->isReadOnly());
    EXPECT_EQ(w->VScroll1[at]->value(), 0);
    EXPECT_EQ(w->VScroll1[at]->minimum(), 0);
    EXPECT_EQ(w->VScroll1[at]->maximum(), 255);
    EXPECT_EQ(w->VScroll1[at]->singleStep(), 1);
    EXPECT_EQ(w->ChannelLabels[at]->text(), QString("Ch%1").arg(i + 1));
  }
  // An "&" in a channel name is shown as itself.
  EXPECT_EQ(w->Check1[11]->text(), "R&&B         ");

  // Where the controls sit.
  EXPECT_EQ(w->PaletteFrame->geometry(), TwipsRect(120, 480, 13455, 1935));
  EXPECT_EQ(w->PresetFrame->geometry(), TwipsRect(120, 2520, 13455, 5775));
  EXPECT_EQ(w->Command3->pos(), TwipsRect(120, 360, 1215, 375).topLeft());
  EXPECT_GE(w->Command3->width(), w->Command3->sizeHint().width());  // the caption is not cut
  EXPECT_EQ(w->Check1[13]->geometry(), TwipsRect(1920 + 1440 * 5, 480 + 240, 1395, 225));
  EXPECT_EQ(w->Command2[9]->geometry(), TwipsRect(120, 480 + 360 * 9, 1095, 375));
  EXPECT_EQ(w->VScroll1[39]->geometry(), TwipsRect(1440 + 600 * 19, 3240, 375, 1935));
  EXPECT_EQ(w->Text1[39]->geometry(), TwipsRect(1440 + 600 * 19, 5280, 495, 330));
}

TEST_F(PaletteEditor, WithNoChannelsEverythingIsHiddenAndNamedPresetsCountNothing) {
  // As "Show &P" of the channel name editor opens it before any "&Palette Edit".
  program.form->ShowAtTopLeft(Editor::Palette);
  QApplication::processEvents();
  ULink* w = Palette();
  ASSERT_NE(w, nullptr);
  EXPECT_NE(program.form->Window(Editor::Fixture), nullptr);  // it stays open this way
  for (int i = 0; i < 40; ++i) {
    const auto at = static_cast<std::size_t>(i);
    EXPECT_FALSE(Shown(w->Check1[at]));
    EXPECT_FALSE(Shown(w->VScroll1[at]));
    EXPECT_FALSE(Shown(w->Text1[at]));
  }
  Click(w->Command3);
  Retype(w->Text2, "Empty");
  Click(w->Command3);
  Click(w->Command2[1]);
  Retype(w->Text3, "One");
  Click(w->Command1);
  EXPECT_EQ(Name(palettes.PaletteName[0]), "Empty ");
  EXPECT_EQ(Name(palettes.PresetName[0][1]), "One   ");
  EXPECT_EQ(palettes.PaletteUsed[0], 1);
  EXPECT_EQ(palettes.PresetChannelCount[0][1], 0);
  for (int i = 0; i < 40; ++i) EXPECT_FALSE(Shown(w->VScroll1[static_cast<std::size_t>(i)]));
}

// What the state table asks of each state, control by control.
struct Expected {
  bool tabs;
  bool command3;
  QString caption;
  bool text2;
  bool boxesEnabled;
  bool presetButtons;
  bool presetEdit;
};

void ExpectState(ULink* w, const Expected& e, const std::set<int>& ticked) {
  EXPECT_EQ(w->TabStrip1->isEnabled(), e.tabs);
  EXPECT_EQ(w->Command3->isEnabled(), e.command3);
  EXPECT_EQ(w->Command3->text(), e.caption);
  EXPECT_EQ(w->Text2->isEnabled(), e.text2);
  for (int i = 0; i < 40; ++i) {
    SCOPED_TRACE(i);
    const auto at = static_cast<std::size_t>(i);
    EXPECT_EQ(Shown(w->Check1[at]), i < 12);
    if (i < 12) {
      EXPECT_EQ(w->Check1[at]->isEnabled(), e.boxesEnabled);
    }
    const bool isTicked = ticked.count(i + 1) > 0;
    EXPECT_EQ(w->Check1[at]->isChecked(), isTicked);
    EXPECT_EQ(Shown(w->VScroll1[at]), isTicked);
    EXPECT_EQ(Shown(w->Text1[at]), isTicked);
  }
  for (QPushButton* button : w->Command2) {
    EXPECT_EQ(button->isEnabled(), e.presetButtons);
    EXPECT_EQ(button->palette().color(QPalette::Button), e.presetButtons ? ULink::PresetBlue() : w->ButtonFace());
  }
  for (QWidget* control : std::initializer_list<QWidget*>{w->Text3, w->PresetNameLabel, w->Command1, w->Command4}) {
    EXPECT_EQ(Shown(control), e.presetEdit);
  }
}

// A palette editor of 8 channels browsing, as a newly opened one does: boxes
// 1..8 shown and disabled, the ticked ones with their value controls.
void ExpectStateOfEight(ULink* w, const std::set<int>& ticked) {
  EXPECT_TRUE(w->TabStrip1->isEnabled());
  EXPECT_TRUE(w->Command3->isEnabled());
  EXPECT_EQ(w->Command3->text(), "Update Setting");
  EXPECT_FALSE(w->SettingMode);
  EXPECT_FALSE(w->Text2->isEnabled());
  for (int i = 0; i < 40; ++i) {
    SCOPED_TRACE(i);
    const auto at = static_cast<std::size_t>(i);
    EXPECT_EQ(Shown(w->Check1[at]), i < 8);
    EXPECT_FALSE(w->Check1[at]->isEnabled() && i < 8);
    const bool isTicked = ticked.count(i + 1) > 0;
    EXPECT_EQ(w->Check1[at]->isChecked(), isTicked);
    EXPECT_EQ(Shown(w->VScroll1[at]), isTicked);
  }
  for (QPushButton* button : w->Command2) EXPECT_TRUE(button->isEnabled());
  EXPECT_FALSE(Shown(w->Command1));
}

TEST_F(PaletteEditor, TheThreeStatesOfferWhatTheyShould) {
  palettes.PaletteName[0] = PaletteText::FromUtf8("Beam");
  palettes.PaletteMember[0][1] = 1;
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  EXPECT_NE(ULink::PresetBlue(), w->ButtonFace());
  const Expected browsing{true, true, "Update Setting", false, false, true, false};
  {
    SCOPED_TRACE("browsing on opening");
    ExpectState(w, browsing, {2});
  }
  EXPECT_EQ(w->Text2->Text(), "Beam");

  Click(w->Command3);
  {
    SCOPED_TRACE("setting mode");
    EXPECT_TRUE(w->SettingMode);
    ExpectState(w, {true, true, "Save Setting", true, true, false, false}, {2});
    EXPECT_EQ(test::Focused(), w->Text2);
  }
  // The value controls follow the ticks at once.
  Tick(w, 7);
  EXPECT_TRUE(Shown(w->VScroll1[6]));
  Tick(w, 2);
  EXPECT_FALSE(Shown(w->VScroll1[1]));
  EXPECT_FALSE(Shown(w->Text1[1]));
  // A disabled preset button takes no click.
  Click(w->Command2[0]);
  EXPECT_FALSE(Shown(w->Command1));

  Click(w->Command3);
  {
    SCOPED_TRACE("browsing after setting mode");
    EXPECT_FALSE(w->SettingMode);
    ExpectState(w, {true, true, "Updata Setting", false, false, true, false}, {7});
  }
  EXPECT_EQ(palettes.PaletteMember[0][1], 0);
  EXPECT_EQ(palettes.PaletteMember[0][6], 1);

  Click(w->Command2[3]);
  {
    SCOPED_TRACE("preset editing");
    EXPECT_EQ(w->CurrentPreset, 3);
    ExpectState(w, {false, false, "Updata Setting", false, false, false, true}, {7});
    EXPECT_EQ(test::Focused(), w->Text3);
  }
  Click(w->Command4);
  {
    SCOPED_TRACE("browsing after Cancel");
    ExpectState(w, {true, true, "Updata Setting", false, false, true, false}, {7});
  }
  Click(w->Command2[3]);
  Click(w->Command1);
  {
    SCOPED_TRACE("browsing after Save");
    ExpectState(w, {true, true, "Updata Setting", false, false, true, false}, {7});
  }
}

TEST_F(PaletteEditor, BarsShowTheirValueFromTheTopAndAValueOf200OpensAtPosition55) {
  palettes.PaletteName[0] = PaletteText::FromUtf8("Dim");
  palettes.PaletteMember[0][2] = 1;
  palettes.PresetName[0][4] = PaletteText::FromUtf8("Half");
  palettes.PresetValue[0][2][4] = 200;
  palettes.PresetValue[0][30][4] = 7;  // not a member, not shown, still loaded
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Command2[4]->text(), "Half  ");
  EXPECT_EQ(w->Command2[0]->text(), "      ");

  Click(w->Command2[4]);
  QScrollBar* bar = w->VScroll1[2];
  EXPECT_EQ(bar->value(), 55);
  EXPECT_EQ(ValueBox(w, 3), "200");
  EXPECT_EQ(w->EditValues[2], 200);
  EXPECT_EQ(w->EditValues[30], 7);
  EXPECT_EQ(w->Text3->Text(), "Half");

  bar->setValue(0);
  EXPECT_EQ(ValueBox(w, 3), "255");
  bar->setValue(255);
  EXPECT_EQ(ValueBox(w, 3), "0");
  EXPECT_EQ(w->EditValues[2], 0);
  QTest::keyClick(bar, Qt::Key_Up);  // one step towards the top
  EXPECT_EQ(ValueBox(w, 3), "1");

  // While the bar is dragged, before it settles.
  bar->setTracking(false);
  bar->setSliderDown(true);
  bar->setSliderPosition(100);
  EXPECT_EQ(bar->value(), 254);
  EXPECT_EQ(ValueBox(w, 3), "155");
  EXPECT_EQ(w->EditValues[2], 155);
  bar->setSliderDown(false);
  EXPECT_EQ(bar->value(), 100);
  EXPECT_EQ(ValueBox(w, 3), "155");

  Click(w->Command1);
  EXPECT_EQ(palettes.PresetValue[0][2][4], 155);
  EXPECT_EQ(palettes.PresetValue[0][30][4], 7);
  EXPECT_EQ(palettes.PresetChannelCount[0][4], 1);
}

TEST_F(PaletteEditor, LongNamesAreCutToSixAndABlankPresetStaysBlank) {
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  Click(w->Command3);
  Retype(w->Text2, "ABCDEFGH");
  Tick(w, 1);
  Click(w->Command3);
  EXPECT_EQ(Name(palettes.PaletteName[0]), "ABCDEF");

  Click(w->Command2[0]);
  EXPECT_EQ(w->Text3->Text(), "");  // a blank preset opens empty
  Retype(w->Text3, "ABCDEFGH");
  SetValue(w, 1, 42);
  Click(w->Command1);
  EXPECT_EQ(Name(palettes.PresetName[0][0]), "ABCDEF");
  EXPECT_EQ(w->Command2[0]->text(), "ABCDEF");
  EXPECT_EQ(palettes.PresetValue[0][0][0], 42);
  EXPECT_EQ(palettes.PaletteUsed[0], 1);
  EXPECT_EQ(palettes.PresetChannelCount[0][0], 1);

  Click(w->Command2[1]);
  EXPECT_EQ(w->Text3->Text(), "");
  Click(w->Command1);
  EXPECT_EQ(Name(palettes.PresetName[0][1]), "      ");
  EXPECT_EQ(w->Command2[1]->text(), "      ");
  EXPECT_EQ(palettes.PresetChannelCount[0][1], 0);

  // Emptying a named preset's name makes it blank: no longer counted.
  Click(w->Command2[0]);
  EXPECT_EQ(w->Text3->Text(), "ABCDEF");
  w->Text3->clear();
  Click(w->Command1);
  EXPECT_TRUE(palettes.PresetName[0][0].IsBlank());
  EXPECT_EQ(palettes.PresetChannelCount[0][0], 0);
  EXPECT_EQ(palettes.PaletteUsed[0], 0);
}

TEST_F(PaletteEditor, CancelOnATabChangeDropsTheSettingAndKeepsPresetButtonsDisabled) {
  palettes.PaletteName[0] = PaletteText::FromUtf8("First");
  palettes.PaletteMember[0][0] = 1;
  palettes.PaletteName[1] = PaletteText::FromUtf8("Second");
  palettes.PaletteMember[1][4] = 1;
  palettes.PaletteMember[1][5] = 1;
  palettes.PresetName[1][0] = PaletteText::FromUtf8("P");
  const PaletteData before = palettes;
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);

  Click(w->Command3);
  Tick(w, 3);
  Retype(w->Text2, "Other");
  ClickTab(w, 1);  // no answer queued: Cancel
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].text, "Do you wish to save changes?");
  EXPECT_EQ(program.dialogs.asked[0].title, "Save Select");
  EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::OkCancel);
  EXPECT_EQ(program.dialogs.asked[0].icon, ui::Icon::None);
  EXPECT_EQ(palettes, before);

  EXPECT_EQ(w->CurrentPalette, 1);
  EXPECT_EQ(w->TabStrip1->currentIndex(), 1);
  EXPECT_EQ(w->PaletteFrame->title(), "Palette2 Edit");
  EXPECT_EQ(w->Text2->Text(), "Second");
  EXPECT_EQ(w->Command2[0]->text(), "P     ");
  EXPECT_FALSE(w->SettingMode);
  ExpectState(w, {true, true, "Updata Setting", false, false, false, false}, {5, 6});

  // Browsing elsewhere keeps them disabled; only "Save Setting" gives them back.
  ClickTab(w, 0);
  EXPECT_EQ(program.dialogs.asked.size(), 1u);
  ExpectState(w, {true, true, "Updata Setting", false, false, false, false}, {1});
  Click(w->Command3);
  ExpectState(w, {true, true, "Save Setting", true, true, false, false}, {1});
  Click(w->Command3);
  ExpectState(w, {true, true, "Updata Setting", false, false, true, false}, {1});
  EXPECT_EQ(palettes.PaletteMember, before.PaletteMember);
}

TEST_F(PaletteEditor, OkOnATabChangeStoresTheSettingOfThePaletteLeftAndRecounts) {
  palettes.PresetName[0][5] = PaletteText::FromUtf8("Five");
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  Click(w->Command3);
  Tick(w, 3);
  Tick(w, 12);
  Retype(w->Text2, "Kept");
  program.dialogs.answers.push_back(Answer::Ok);
  ClickTab(w, 9);
  EXPECT_EQ(Name(palettes.PaletteName[0]), "Kept  ");
  EXPECT_EQ(palettes.PaletteMember[0][2], 1);
  EXPECT_EQ(palettes.PaletteMember[0][11], 1);
  EXPECT_EQ(palettes.PaletteUsed[0], 1);
  EXPECT_EQ(palettes.PresetChannelCount[0][5], 2);
  EXPECT_TRUE(palettes.PaletteName[9].IsBlank());
  EXPECT_EQ(w->CurrentPalette, 9);
  EXPECT_EQ(w->PaletteFrame->title(), "Palette10 Edit");
  EXPECT_EQ(w->Text2->Text(), "");
  ExpectState(w, {true, true, "Updata Setting", false, false, false, false}, {});
  ClickTab(w, 0);
  EXPECT_EQ(program.dialogs.asked.size(), 1u);  // not in setting mode: no question
}

TEST_F(PaletteEditor, SaveSettingWithoutChangesStoresTheSameNameAndMembers) {
  palettes.PaletteName[0] = PaletteText::FromUtf8("AB");
  palettes.PaletteMember[0][0] = 1;
  palettes.PaletteMember[0][2] = 1;
  palettes.PresetName[0][6] = PaletteText::FromUtf8("Six");
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  Click(w->Command2[6]);
  SetValue(w, 1, 9);  // values being edited play no part
  Click(w->Command4);
  const PaletteData before = palettes;

  Click(w->Command3);
  Click(w->Command3);
  EXPECT_EQ(Name(palettes.PaletteName[0]), "AB    ");
  EXPECT_EQ(palettes.PaletteMember, before.PaletteMember);
  EXPECT_EQ(palettes.PresetValue, before.PresetValue);
  // The commit brought the counts up to date.
  EXPECT_EQ(palettes.PaletteUsed[0], 1);
  EXPECT_EQ(palettes.PresetChannelCount[0][6], 2);
}

TEST_F(PaletteEditor, BarsMovedOutsidePresetEditingStoreNothing) {
  palettes.PaletteName[0] = PaletteText::FromUtf8("Move");
  palettes.PaletteMember[0][3] = 1;
  palettes.PresetName[0][0] = PaletteText::FromUtf8("Zero");
  palettes.PresetValue[0][3][0] = 10;
  palettes.PresetValue[0][3][1] = 60;
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  const PaletteData before = palettes;

  SetValue(w, 4, 77);
  EXPECT_EQ(ValueBox(w, 4), "77");
  EXPECT_EQ(palettes, before);

  Click(w->Command2[0]);
  SetValue(w, 4, 99);
  Click(w->Command4);
  EXPECT_EQ(palettes, before);
  EXPECT_EQ(ValueBox(w, 4), "99");  // the discarded value stays in view

  SetValue(w, 4, 120);
  Click(w->Command2[1]);  // opening a preset reloads its values
  EXPECT_EQ(ValueBox(w, 4), "60");
  EXPECT_EQ(w->VScroll1[3]->value(), 195);
  Click(w->Command1);
  EXPECT_EQ(palettes.PresetValue[0][3][1], 60);
  EXPECT_EQ(palettes.PresetValue[0][3][0], 10);
}

TEST_F(PaletteEditor, ClosingDuringPresetEditingOrSettingModeDropsTheEdits) {
  palettes.PaletteName[0] = PaletteText::FromUtf8("Stay");
  palettes.PaletteMember[0][0] = 1;
  palettes.PresetName[0][2] = PaletteText::FromUtf8("Two");
  palettes.PresetValue[0][0][2] = 50;
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  const PaletteData before = palettes;

  Click(w->Command2[2]);
  Retype(w->Text3, "Gone");
  SetValue(w, 1, 200);
  ClosePalette();
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(Palette(), nullptr);
  EXPECT_EQ(palettes, before);
  ASSERT_NE(program.FixtureEditor(), nullptr);
  EXPECT_EQ(program.form->Window(Editor::Fixture)->pos(), QPoint(0, 0));

  w = PaletteEdit();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Command2[2]->text(), "Two   ");
  Click(w->Command3);
  Tick(w, 5);
  Tick(w, 1);
  Retype(w->Text2, "Lost");
  ClosePalette();
  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(palettes, before);

  w = PaletteEdit();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->SettingMode);
  EXPECT_EQ(w->Command3->text(), "Update Setting");
  EXPECT_EQ(w->Text2->Text(), "Stay");
  EXPECT_TRUE(w->Check1[0]->isChecked());
  EXPECT_FALSE(w->Check1[4]->isChecked());
}

TEST_F(PaletteEditor, ExitWhileOpenEndsWithoutReopeningTheFixtureEditor) {
  ASSERT_NE(OpenWithTwelve(), nullptr);
  program.dialogs.answers = {Answer::No};  // the twelve channels are not to be saved
  program.form->numExit->trigger();
  QApplication::processEvents();
  EXPECT_EQ(program.quits, 1);
  EXPECT_EQ(program.form->Window(Editor::Fixture), nullptr);
  EXPECT_EQ(program.form->Window(Editor::Palette), nullptr);
}

// Palette 0 "Colour" with channels 3 and 5, presets 0 and 2; palette 1 unnamed
// with a named preset; palette 2 "Gobo" with channel 12, preset 9. All through
// the window.
void EditThreePalettes(ULink* w) {
  Click(w->Command3);
  Retype(w->Text2, "Colour");
  Tick(w, 3);
  Tick(w, 5);
  Click(w->Command3);
  Click(w->Command2[0]);
  Retype(w->Text3, "Red");
  SetValue(w, 3, 10);
  SetValue(w, 5, 20);
  Click(w->Command1);
  Click(w->Command2[2]);
  Retype(w->Text3, "ABCDEFGH");
  SetValue(w, 3, 30);
  SetValue(w, 5, 40);
  Click(w->Command1);

  ClickTab(w, 1);
  Click(w->Command2[0]);
  Retype(w->Text3, "Lost");
  Click(w->Command1);

  ClickTab(w, 2);
  Click(w->Command3);
  Retype(w->Text2, "Gobo");
  Tick(w, 12);
  Click(w->Command3);
  Click(w->Command2[9]);
  Retype(w->Text3, "Spin");
  SetValue(w, 12, 255);
  Click(w->Command1);
}

TEST_F(PaletteEditor, BackToTheFixtureEditorKeepsChannelsStepsAndPalettes) {
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  EditThreePalettes(w);
  const PaletteData edited = palettes;
  ClosePalette();

  Pelorin* f = program.FixtureEditor();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(program.form->Window(Editor::Fixture)->pos(), QPoint(0, 0));
  EXPECT_EQ(f->Combo1->Text(), "12");
  ASSERT_EQ(f->MSFlexGrid1->Rows(), 13);
  EXPECT_EQ(f->MSFlexGrid1->TextMatrix(5, 1), "Name5       ");
  f->Combo9->SetListIndex(10);
  ASSERT_EQ(f->MSFlexGrid2->Rows(), 4);
  EXPECT_EQ(f->MSFlexGrid2->TextMatrix(3, 1), "St2     ");
  EXPECT_EQ(f->MSFlexGrid2->TextMatrix(3, 3), "59");
  EXPECT_EQ(palettes, edited);

  w = PaletteEdit();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Text2->Text(), "Colour");
  EXPECT_TRUE(w->Check1[2]->isChecked());
  EXPECT_TRUE(w->Check1[4]->isChecked());
  EXPECT_EQ(w->Command2[2]->text(), "ABCDEF");
  Click(w->Command2[2]);
  EXPECT_EQ(ValueBox(w, 3), "30");
  EXPECT_EQ(ValueBox(w, 5), "40");
}

// "Fill Palettes" on a fixture of pan, tilt, dimmer and a colour wheel whose
// first palette the user has named.
class FillPalettesButton : public PaletteEditor {
 protected:
  ULink* OpenWithWheel() {
    Pelorin* f = program.FixtureEditor();
    f->Combo1->SetListIndex(3);
    const char* names[] = {"Pan", "Tilt", "Dimmer", "Colour"};
    for (std::size_t c = 0; c < 4; ++c) fixture.Channels[c].Name = FixedText<12>::FromUtf8(names[c]);
    fixture.StepCounts[3] = 2;
    fixture.Steps[3][0] = {0, 9, FixedText<8>::FromUtf8("Open")};
    fixture.Steps[3][1] = {10, 19, FixedText<8>::FromUtf8("Red")};
    f->FillChannelTable();
    palettes.PaletteName[0] = PaletteText::FromUtf8("Mine");
    program.app.RecordFixtureChange(0);
    return PaletteEdit();
  }
};

TEST_F(FillPalettesButton, FillsTheFreePalettesShowsTheFirstMadeAndUndoesInOneStep) {
  ULink* w = OpenWithWheel();
  ASSERT_NE(w, nullptr);
  const PaletteData before = palettes;
  EXPECT_EQ(w->Command5->text(), "Fill Palettes");
  Click(w->Command5);

  EXPECT_TRUE(program.dialogs.asked.empty());
  EXPECT_EQ(Name(palettes.PaletteName[0]), "Mine  ");
  EXPECT_EQ(Name(palettes.PaletteName[1]), "Colour");
  EXPECT_EQ(Name(palettes.PaletteName[2]), "Pos   ");
  EXPECT_EQ(Name(palettes.PaletteName[3]), "Intens");
  EXPECT_EQ(palettes.PresetChannelCount[1][1], 1);
  // The window shows the first palette made.
  EXPECT_EQ(w->TabStrip1->currentIndex(), 1);
  EXPECT_EQ(w->CurrentPalette, 1);
  EXPECT_EQ(w->PaletteFrame->title(), "Palette2 Edit");
  EXPECT_EQ(w->Text2->Text(), "Colour");
  EXPECT_EQ(w->Command2[1]->text(), "Red   ");
  EXPECT_TRUE(w->Check1[3]->isChecked());
  EXPECT_FALSE(w->Check1[0]->isChecked());
  Click(w->Command2[1]);
  EXPECT_EQ(ValueBox(w, 4), "14");
  Click(w->Command4);

  // One step of the fixture's history takes it all back.
  ClosePalette();
  Pelorin* f = program.FixtureEditor();
  ASSERT_NE(f, nullptr);
  f->UndoEdit_Click();
  EXPECT_EQ(palettes, before);
}

TEST_F(FillPalettesButton, WaitsOutSettingModeAndPresetEditingAndSaysSoWhenNothingIsFree) {
  ULink* w = OpenWithWheel();
  ASSERT_NE(w, nullptr);
  Click(w->Command3);
  EXPECT_FALSE(w->Command5->isEnabled());
  Click(w->Command3);
  EXPECT_TRUE(w->Command5->isEnabled());
  Click(w->Command2[0]);
  EXPECT_FALSE(w->Command5->isEnabled());
  Click(w->Command4);
  EXPECT_TRUE(w->Command5->isEnabled());

  for (std::size_t p = 1; p < 10; ++p) palettes.PresetName[p][9] = PaletteText::FromUtf8("Kept");
  const PaletteData before = palettes;
  Click(w->Command5);
  ASSERT_EQ(program.dialogs.asked.size(), 1u);
  EXPECT_EQ(program.dialogs.asked[0].title, "Fill Palettes");
  EXPECT_EQ(program.dialogs.asked[0].text, "No palette is free: every palette has a name or named presets, and Fill "
                                           "Palettes changes none of them.");
  EXPECT_EQ(program.dialogs.asked[0].buttons, ui::Buttons::Ok);
  EXPECT_EQ(palettes, before);
  EXPECT_EQ(w->CurrentPalette, 0);
}

TEST_F(PaletteEditor, PalettesEditedHereAreSavedWithTheFixtureAndComeBack) {
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  EditThreePalettes(w);
  ClosePalette();

  program.dialogs.files.push_back(program.File("palettes"));
  program.FixtureEditor()->SaveFixture_Click();
  const fs::path file = program.dir / "palettes.tff";
  ASSERT_TRUE(fs::exists(file));
  const std::vector<std::uint8_t> bytes = test::ReadAll(file);
  ASSERT_EQ(bytes.size(), 6144u);
  auto text = [&](std::size_t at, std::size_t n) { return std::string(bytes.begin() + at, bytes.begin() + at + n); };

  const std::vector<std::uint8_t> used(bytes.begin() + 273, bytes.begin() + 283);
  EXPECT_EQ(used, std::vector<std::uint8_t>({1, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(text(283, 18), "Colour      Gobo  ");
  EXPECT_EQ(text(283 + 18, 42), std::string(42, ' '));
  EXPECT_EQ(text(343, 18), "Red         ABCDEF");
  EXPECT_EQ(text(343 + 18, 42), std::string(42, ' '));
  EXPECT_EQ(text(343 + 60, 6), "Lost  ");
  EXPECT_EQ(text(343 + 120 + 54, 6), "Spin  ");
  std::vector<std::uint8_t> counts(100, 0);
  counts[0] = 2;
  counts[2] = 2;
  counts[29] = 1;
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 943, bytes.begin() + 1043), counts);
  std::vector<std::uint8_t> block(2048, 0);
  const std::uint8_t records[] = {3, 5, 10, 20, 3, 5, 30, 40, 12, 255};
  std::copy(std::begin(records), std::end(records), block.begin());
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 2048, bytes.begin() + 4096), block);

  // A new fixture clears the palettes; opening the file brings them back.
  program.dialogs.answers.push_back(Answer::Ok);
  program.FixtureEditor()->NewFixture_Click();
  EXPECT_TRUE(palettes.PaletteName[0].IsBlank());
  program.dialogs.files.push_back(program.File("palettes.tff"));
  program.FixtureEditor()->OpenFixture_Click();
  EXPECT_EQ(fixture.ChannelCount, 12);

  w = PaletteEdit();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Text2->Text(), "Colour");
  for (int i = 0; i < 12; ++i) EXPECT_EQ(w->Check1[i]->isChecked(), i == 2 || i == 4) << i;
  EXPECT_EQ(w->Command2[0]->text(), "Red   ");
  EXPECT_EQ(w->Command2[2]->text(), "ABCDEF");
  Click(w->Command2[0]);
  EXPECT_EQ(ValueBox(w, 3), "10");
  EXPECT_EQ(ValueBox(w, 5), "20");
  Click(w->Command4);
  ClickTab(w, 1);
  EXPECT_EQ(w->Text2->Text(), "");
  EXPECT_EQ(w->Command2[0]->text(), "Lost  ");
  ClickTab(w, 2);
  EXPECT_EQ(w->Text2->Text(), "Gobo");
  EXPECT_TRUE(w->Check1[11]->isChecked());
  EXPECT_TRUE(Shown(w->VScroll1[11]));
  Click(w->Command2[9]);
  EXPECT_EQ(ValueBox(w, 12), "255");
  EXPECT_EQ(w->VScroll1[11]->value(), 0);
}

TEST_F(PaletteEditor, TheBlockLineShowsTheBytesTheSaveNeedsAndTurnsRedOverTheBlock) {
  // Palettes 1..8 with all 12 channels and every preset named (1920 bytes),
  // palette 9 with five presets (120 bytes), palette 10 with channel 1 and four
  // presets (8 bytes): exactly the 2048 bytes of the block.
  for (std::size_t p = 0; p < 10; ++p) {
    palettes.PaletteName[p] = PaletteText::FromUtf8("P" + std::to_string(p + 1));
    const std::size_t members = p < 9 ? 12 : 1;
    const std::size_t presets = p < 8 ? 10 : p == 8 ? 5 : 4;
    for (std::size_t ch = 0; ch < members; ++ch) palettes.PaletteMember[p][ch] = 1;
    for (std::size_t k = 0; k < presets; ++k) palettes.PresetName[p][k] = PaletteText::FromUtf8("K");
  }
  ULink* w = OpenWithTwelve();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->BlockTotal->text(), "Palette block: 2048 of 2048 bytes");
  EXPECT_TRUE(w->BlockTotal->styleSheet().isEmpty());
  EXPECT_TRUE(Shown(w->BlockTotal));

  ClickTab(w, 9);
  Click(w->Command2[4]);
  Retype(w->Text3, "More");
  Click(w->Command1);  // preset "Save ": two bytes more
  EXPECT_EQ(w->BlockTotal->text(), "Palette block: 2050 of 2048 bytes");
  EXPECT_TRUE(w->BlockTotal->styleSheet().contains("bold"));
  EXPECT_TRUE(w->BlockTotal->styleSheet().contains("color"));

  Click(w->Command3);
  Tick(w, 1);  // no member left in palette 10
  Click(w->Command3);  // "Save Setting"
  EXPECT_EQ(w->BlockTotal->text(), "Palette block: 2040 of 2048 bytes");
  EXPECT_TRUE(w->BlockTotal->styleSheet().isEmpty());

  // Counted with the fixture's channel count, as the save counts.
  ClosePalette();
  program.FixtureEditor()->Combo1->SetListIndex(5);  // 6 channels
  w = PaletteEdit();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->BlockTotal->text(), "Palette block: 1020 of 2048 bytes");
}

// --- The palette editor beside the fixture editor: opened through "Show &P"
// while the fixture editor stays open, it follows what happens there.

class PaletteBesideFixture : public PaletteEditor {
 protected:
  // Palette 1 "Beam" with members 3 and 5 and a named preset, as a file brings it.
  void GiveBeam() {
    palettes.PaletteName[0] = PaletteText::FromUtf8("Beam");
    palettes.PaletteMember[0][2] = 1;
    palettes.PaletteMember[0][4] = 1;
    palettes.PresetName[0][0] = PaletteText::FromUtf8("Open");
    palettes.PresetValue[0][2][0] = 77;
  }
  // "Show &P" of the channel name editor: the palette editor opens with the
  // channel count as it stands, and the fixture editor stays open.
  ULink* ShowP() {
    program.form->ShowAtTopLeft(Editor::Palette);
    QApplication::processEvents();
    return Palette();
  }
};

TEST_F(PaletteBesideFixture, SaveSettingKeepsTheMembersTheWindowDoesNotShow) {
  GiveBeam();
  ULink* w = ShowP();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(program.app.PaletteChannelCount, 0);
  Click(w->Command3);
  Retype(w->Text2, "Wash");
  Click(w->Command3);
  EXPECT_EQ(Name(palettes.PaletteName[0]), "Wash  ");
  EXPECT_EQ(palettes.PaletteMember[0][2], 1);
  EXPECT_EQ(palettes.PaletteMember[0][4], 1);

  // OK to the question on a tab change stores the same way.
  Click(w->Command3);
  Retype(w->Text2, "Wash2");
  program.dialogs.answers.push_back(Answer::Ok);
  ClickTab(w, 1);
  EXPECT_EQ(Name(palettes.PaletteName[0]), "Wash2 ");
  EXPECT_EQ(palettes.PaletteMember[0][2], 1);
  EXPECT_EQ(palettes.PaletteMember[0][4], 1);
}

TEST_F(PaletteBesideFixture, PaletteEditIntoAnOpenPaletteEditorShowsItWithTheNewCount) {
  GiveBeam();
  ULink* w = ShowP();
  ASSERT_NE(w, nullptr);
  Click(w->Command3);  // left in setting mode: dropped like a close drops it
  ClickTab(w, 1);
  program.FixtureEditor()->MnuReturn->trigger();  // 8 channels
  QApplication::processEvents();
  ASSERT_EQ(Palette(), w);
  EXPECT_EQ(program.form->Window(Editor::Fixture), nullptr);
  EXPECT_EQ(program.app.PaletteChannelCount, 8);
  EXPECT_EQ(w->CurrentPalette, 0);
  EXPECT_EQ(w->TabStrip1->currentIndex(), 0);
  EXPECT_EQ(w->Text2->Text(), "Beam");
  ExpectStateOfEight(w, {3, 5});
  Click(w->Command3);
  Click(w->Command3);
  EXPECT_EQ(palettes.PaletteMember[0][2], 1);
  EXPECT_EQ(palettes.PaletteMember[0][4], 1);
  EXPECT_EQ(palettes.PresetChannelCount[0][0], 2);
}

TEST_F(PaletteBesideFixture, AnOpenPaletteEditorShowsTheFixtureThatReplacesTheOne) {
  GiveBeam();
  FixtureRecord other = fixture;
  ClearPalettes(other.Palettes);
  other.Palettes.PaletteName[0] = PaletteText::FromUtf8("File");
  other.Palettes.PaletteMember[0][6] = 1;
  other.Palettes.PresetName[0][3] = PaletteText::FromUtf8("Three");
  ASSERT_FALSE(SaveFixtureFile(other, program.dir / "other.tff"));

  PaletteEdit();  // hands 8 over
  ClosePalette();
  ULink* w = ShowP();
  ASSERT_NE(w, nullptr);
  ASSERT_NE(program.FixtureEditor(), nullptr);
  Click(w->Command2[0]);  // left in preset editing
  ASSERT_EQ(w->Text2->Text(), "Beam");

  program.dialogs.answers.push_back(Answer::Ok);
  program.FixtureEditor()->NewFixture->trigger();
  EXPECT_EQ(w->Text2->Text(), "");
  EXPECT_EQ(w->Command2[0]->text(), "      ");
  ExpectStateOfEight(w, {});
  Click(w->Command3);
  Click(w->Command3);  // "Save Setting" with nothing touched
  EXPECT_TRUE(palettes.PaletteName[0].IsBlank());
  EXPECT_EQ(palettes.PaletteMember[0], (std::array<std::uint8_t, 40>{}));

  ASSERT_TRUE(program.FixtureEditor()->OpenFixtureFile(program.File("other.tff")));
  EXPECT_EQ(w->Text2->Text(), "File");
  EXPECT_EQ(w->Command2[3]->text(), "Three ");
  ExpectStateOfEight(w, {7});
}

TEST_F(PaletteBesideFixture, TheBlockLineFollowsAChannelCountChangedInTheFixtureEditor) {
  GiveBeam();  // members 3 and 5, one named preset: 4 bytes with 8 channels
  ULink* w = ShowP();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->BlockTotal->text(), "Palette block: 4 of 2048 bytes");

  program.FixtureEditor()->Combo1->SetListIndex(3);  // 4 channels: only member 3 is saved
  QApplication::processEvents();
  ASSERT_EQ(fixture.ChannelCount, 4);
  EXPECT_EQ(w->BlockTotal->text(), "Palette block: 2 of 2048 bytes");
  const Bytes image = BuildFixtureImage(fixture);
  EXPECT_EQ(image[fixture_layout::kPaletteBlock], 3);
  EXPECT_EQ(image[fixture_layout::kPaletteBlock + 1], 77);
  EXPECT_EQ(image[fixture_layout::kPaletteBlock + 2], 0);
}

TEST_F(PaletteBesideFixture, MemberCaptionsFollowAChannelRenamedInTheFixtureEditor) {
  PaletteEdit();  // hands 8 over
  ClosePalette();
  ULink* w = ShowP();
  ASSERT_NE(w, nullptr);
  Pelorin* f = program.FixtureEditor();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(w->Check1[1]->text(), "            ");

  test::ClickCell(f->MSFlexGrid1, 2, 1);
  test::TypeInto(f->Combo10, "tilt");
  test::ClickCell(f->MSFlexGrid1, 1, 0);
  EXPECT_EQ(fixture.Channels[1].NameCode, 7);
  EXPECT_EQ(w->Check1[1]->text(), "Tilt        ");

  // A name added to the set on the way.
  program.dialogs.answers.push_back(Answer::Yes);
  test::ClickCell(f->MSFlexGrid1, 3, 1);
  test::TypeInto(f->Combo10, "Smoke&Haze");
  test::ClickCell(f->MSFlexGrid1, 1, 0);
  EXPECT_EQ(fixture.Channels[2].NameCode, 62);
  EXPECT_EQ(w->Check1[2]->text(), "Smoke&&Haze  ");
}

}  // namespace
}  // namespace brannoc
