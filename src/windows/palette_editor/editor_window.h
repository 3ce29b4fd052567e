#pragma once
// The palette editor window: the ten palettes of the fixture in memory, each
// with its name, its member channels and ten named presets of channel values.
//
// The window works on the palettes of the one FixtureRecord of the application
// and keeps only its controls and its own state. It writes no file; the palettes
// reach the disk when the fixture is saved from the fixture editor.
//
// Three states: browsing, setting mode (the palette's name and members being
// edited, SettingMode) and preset editing (one preset open, the tab strip
// disabled).

#include <QColor>
#include <QWidget>
#include <array>
#include <cstdint>

#include "data/palette/model.h"
#include "windows/app/app_state.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTabBar;

namespace brannoc {
namespace ui {
class TextBox;
}  // namespace ui

class ULink : public QWidget, public FixtureView {
  Q_OBJECT

 public:
  // The palette editor asks nothing of the shell: closing it returns to the
  // fixture editor by the shell's own rule.
  ULink(AppState& app, Shell& shell, QWidget* parent = nullptr);

  // Opening the window (its set-up); the shell calls it once, right after
  // creating the window.
  void Form_Load();

  // Shows the fixture in memory afresh with the current PaletteChannelCount, as
  // a newly opened window does: the first palette, browsing, the bars at their
  // tops. What was not committed is dropped.
  void ShowFixtureAgain();

  // Shows the current palette: its members, the value controls of its members,
  // its preset names and its name.
  void ShowPalette();

  // The member boxes' captions: the names of the fixture's channels as they
  // stand now (a channel renamed in the fixture editor shows its new name).
  void ShowMemberCaptions();

  // Shows on the block line what the palettes need of the file's palette block,
  // counted with the fixture's channel count as it stands.
  void UpdateBlockTotal();

  // A change recorded in the fixture editor: a channel count changed there
  // changes what the palettes need, and a renamed channel shows its new name
  // on its member box.
  void FixtureChanged() override {
    UpdateBlockTotal();
    ShowMemberCaptions();
  }
  void FixtureReplaced() override { ShowFixtureAgain(); }

  // Handlers, one per control event.
  void TabStrip1_Click();
  void Command3_Click();
  void Check1_Click(int i);
  void Command2_Click(int k);
  void VScroll1_Change(int i);
  void VScroll1_Scroll(int i);
  void Command1_Click();
  void Command4_Click();
  // "Fill Palettes": the free palettes filled from the fixture's channels.
  void Command5_Click();

  // The light blue of usable preset buttons.
  static QColor PresetBlue() { return QColor(128, 128, 255); }
  // The button-face colour preset buttons take while they cannot be used.
  QColor ButtonFace() const { return buttonFace_; }

  // Controls, named as the window was drawn. Public so that tests can drive them.
  QTabBar* TabStrip1 = nullptr;
  QFrame* TabPane = nullptr;
  QGroupBox* PaletteFrame = nullptr;
  QPushButton* Command3 = nullptr;
  QPushButton* Command5 = nullptr;  // "Fill Palettes"
  QLabel* PaletteNameLabel = nullptr;
  ui::TextBox* Text2 = nullptr;
  std::array<QLabel*, 8> ColumnHeadings{};
  std::array<QLabel*, 5> RowHeadings{};
  std::array<QCheckBox*, kPaletteChannels> Check1{};
  // "Palette block: N of 2048 bytes", red and bold when the palettes would not fit.
  QLabel* BlockTotal = nullptr;

  QGroupBox* PresetFrame = nullptr;
  QLabel* ClickToEditLabel = nullptr;
  std::array<QPushButton*, kPresetCount> Command2{};
  QLabel* PresetNameLabel = nullptr;
  ui::TextBox* Text3 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command4 = nullptr;
  std::array<QScrollBar*, kPaletteChannels> VScroll1{};
  std::array<ui::TextBox*, kPaletteChannels> Text1{};
  std::array<QLabel*, kPaletteChannels> ChannelLabels{};

  // Window state.
  int CurrentPalette = 0;
  int CurrentPreset = 0;
  bool SettingMode = false;
  // The values of the preset being edited, mirrored by the scroll bars.
  std::array<std::uint8_t, kPaletteChannels> EditValues{};

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void ConnectHandlers();

  // Stores Text2 as the palette's name and the ticks as its members.
  void StoreSetting();
  // Enables the ten preset buttons in light blue, or disables them in the
  // button-face colour.
  void EnablePresetButtons(bool enabled);
  // Shows or hides the preset name box, its label, "Save " and "Cancel".
  void ShowPresetEditControls(bool shown);
  // Shows the value controls of channel i exactly when its box is ticked.
  void ShowTickedValueControls();
  void ShowValue(int i, int value);
  void UpdateCounts();
  // Shows palette p (0..9) as a click on its tab outside setting mode does.
  void GoToPalette(int p);

  int ChannelBound() const;
  PaletteData& Palettes() { return app_.Fixture->Palettes; }

  AppState& app_;
  QColor buttonFace_;
};

}  // namespace brannoc
