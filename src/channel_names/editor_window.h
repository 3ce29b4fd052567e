#pragma once
// The channel name editor window: the whole vocabulary of channel names as a
// two-column table, names typed into it one cell at a time, "Save" writing the
// set to "ChNameSet.fix", and the moves to the fixture and palette editors.
//
// The window keeps its own copy of the set, loaded when it opens and dropped when
// it closes. Row r of the table shows slot r - 1.

#include <bitset>

#include <QWidget>

#include "channel_names/name_set.h"
#include "shell/app_state.h"

class QAction;
class QMenuBar;
class QPushButton;

namespace brannoc {
namespace ui {
class Grid;
class TextBox;
}  // namespace ui

class EditChName : public QWidget {
  Q_OBJECT

 public:
  EditChName(AppState& app, Shell& shell, QWidget* parent = nullptr);

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

  // The window's copy of the vocabulary.
  ChannelNameSet NameSet;

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
  // What the file held when the window loaded it (or when it last saved it):
  // "Save" tells from it which records someone else has written since.
  ChannelNameSet fileAsRead_;
  // The slots the user has changed in this window since then.
  std::bitset<kNameSlots> edited_;
  bool endingEdit_ = false;
  bool closing_ = false;
};

}  // namespace brannoc
