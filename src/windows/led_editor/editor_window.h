#pragma once
// The LED fixture editor window: the fixture's name, its channel count, and for
// each channel a name from the LED name list, a type and, for the 16-bit types,
// the partner channel. "Save" writes the 512-byte LED fixture file.
//
// The window works on the one LedFixtureRecord of the application and keeps no
// copy of it; it holds only its controls and the keyboard walk's state.

#include <QWidget>

#include "windows/app/app_state.h"

class QGroupBox;
class QPushButton;

namespace brannoc {
namespace ui {
class Chooser;
class Grid;
class TextBox;
}  // namespace ui

class LedFixture : public QWidget {
  Q_OBJECT

 public:
  LedFixture(AppState& app, Shell& shell, QWidget* parent = nullptr);

  // Opening the window (its set-up); the shell calls it once, right after
  // creating the window.
  void Form_Load();

  // Another way in: shows `record` (an import's) as the fixture being edited,
  // its name, count, channel names, types and partners, in place of what the
  // editor held. Unsaved until the user saves it; a later opening of the window
  // runs its own set-up as ever.
  void ShowRecord(const LedFixtureRecord& record);

  // Rows 1..ChannelCount from the record, and the partner chooser's "1".."count".
  void RebuildLedGrid();

  // Control events.
  void Combo1_Click();
  void MSFlexGrid1_Click();
  void MSFlexGrid1_KeyUp();
  void MSFlexGrid1_MouseDown();
  void MSFlexGrid1_GotFocus();
  void MSFlexGrid1_LeaveCell();
  void Combo10_LostFocus();
  void Combo13_LostFocus();
  void Combo2_LostFocus();
  void Command1_Click();
  // True when the file was written.
  bool SaveLedFixture();

  // Whether a save would write other bytes than the last save did (or than a
  // save would have when the editor first showed the fixture). The name counts
  // only while the editor is open (`window`): a name typed into a window that
  // has closed went with it.
  static bool HasUnsavedChanges(const AppState& app, const LedFixture* window);
  // The name the fixture goes by: the name box's while the editor is open.
  static QString FixtureName(const AppState& app, const LedFixture* window);

  // Settles an open chooser before anything reads the record.
  void CommitOpenEditor();

  // Controls, named as the window was drawn. Public so that tests can drive them.
  QGroupBox* Frame1 = nullptr;  // "Fixture Setup"
  ui::TextBox* Text1 = nullptr;
  ui::Chooser* Combo1 = nullptr;
  ui::TextBox* Text4 = nullptr;
  ui::TextBox* Text2 = nullptr;
  ui::Grid* MSFlexGrid1 = nullptr;
  ui::Chooser* Combo10 = nullptr;
  ui::Chooser* Combo13 = nullptr;
  ui::Chooser* Combo2 = nullptr;
  QPushButton* Command1 = nullptr;

  // Window state: whether the grid's gaining the focus opens the next cell.
  bool AutoAdvance = false;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void ConnectHandlers();
  // Takes the chooser's pick into the current cell and channel when it is the
  // chooser of the current column, then empties and hides it.
  void CommitChooser(ui::Chooser* chooser, int col);
  void ApplyPick(int row, int col, int index);
  void ShowTypesAfterSave();
  ui::Chooser* ChooserOf(int col) const;
  LedChannelRecord* ChannelOfRow(int row);
  LedFixtureRecord& Led() { return *app_.LedFixture; }

  AppState& app_;
  Shell& shell_;
  // While the window's set-up chooses its count of 8.
  bool settingUp_ = false;
};

}  // namespace brannoc
