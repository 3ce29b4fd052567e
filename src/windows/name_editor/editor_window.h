#pragma once
// The channel name editor window: the whole vocabulary of channel names as a
// two-column table, names typed into it one cell at a time, "Save" writing the
// set to "ChNameSet.fix", and the moves to the fixture and palette editors.
//
// The window edits a working copy of the program's name set, taken when it opens
// and dropped when it closes; "Save" hands it to the set, which writes the file.
// A change the set makes meanwhile (a name the fixture editor adds) shows in its
// row at once, unless the row holds an unsaved name of the user's, which the set
// then goes around. Row r of the table shows slot r - 1.

#include <bitset>
#include <vector>

#include <QWidget>

#include "data/names/name_set.h"
#include "data/names/name_set_owner.h"
#include "windows/app/app_state.h"

class QAction;
class QMenuBar;
class QPushButton;

namespace brannoc {
namespace ui {
class Grid;
class TextBox;
}  // namespace ui

class EditChName : public QWidget, public NameSetWatcher {
  Q_OBJECT

 public:
  EditChName(AppState& app, Shell& shell, QWidget* parent = nullptr);
  ~EditChName() override;

  // Opening the window (its set-up); the shell calls it once, right after
  // creating the window.
  void Form_Load();

  // Handlers, one per control event.
  void ChMSFlexGrid_Click();
  void ChMSFlexGrid_LeaveCell();
  void ChTextEdit_LostFocus();
  void ChSave_Click();
  void Command1_Click();
  void Init_Click();
  void Command2_Click();
  void eSM_Click();
  void eSu_Click();
  void eExit_Click();

  // Controls, named as the window was drawn. Public so that tests can drive them.
  ui::Grid* ChMSFlexGrid = nullptr;
  ui::TextBox* ChTextEdit = nullptr;
  QPushButton* ChSave = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Init = nullptr;
  QPushButton* Command2 = nullptr;
  QMenuBar* MenuBar = nullptr;
  QAction* eSu = nullptr;
  QAction* eSM = nullptr;
  QAction* eExit = nullptr;

  // The window's working copy of the vocabulary.
  ChannelNameSet NameSet;

  void NameSetChanged(const ChannelNameSet& before, const std::vector<int>& changed) override;
  bool HoldsUnsavedName(int slot) const override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildControls();
  void ConnectHandlers();
  void ShowName(int slot);
  // Stores a finished edit of the current row into its cell and its slot.
  void CommitEdit(const QString& text);

  AppState& app_;
  Shell& shell_;
  // The slots the user has changed in this window since it opened or saved.
  std::bitset<kNameSlots> edited_;
  bool endingEdit_ = false;
  bool closing_ = false;
};

}  // namespace brannoc
