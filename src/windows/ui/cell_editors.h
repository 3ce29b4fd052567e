#pragma once
// The editors the windows lay over grid cells, and the boxes and choosers of the
// windows, with the behaviour the windows were drawn for:
//
// Chooser (a drop-down list):
//   - ListIndex() is the chosen entry (-1 none). Only the user's pick or the
//     program's SetListIndex changes it; typing into an editable chooser drops it
//     unless the text then equals an entry. SetListIndex of a position that does
//     not exist changes nothing.
//   - An editable chooser shows a chosen entry without the blanks that pad it at
//     its end (the entry itself keeps them); that text still counts as the entry.
//   - An entry can be left out of what the chooser offers (SetEntryOffered): it
//     keeps its position, so entry numbers keep their meaning, but its list
//     does not show it and neither keys, the wheel nor SetListIndex choose it.
//   - Click runs when an entry is picked by the user or chosen by the program.
//   - KeyPress gets the character code of each typed key before it reaches the
//     chooser; setting the code to 0 discards the key. AfterKeyPress follows
//     once the key has been applied.
//   - LostFocus ignores the focus going to the chooser's own list or to a
//     message box.
//   - The mouse wheel turns only a chooser that has the focus; a non-editable
//     chooser never selects by typed letters.
// TextBox (one line, with a maximum length): Changed on any change of the text,
// Edited only on the user's, after Changed; KeyPress and LostFocus as above.
// As cell editors, both return the focus to their grid on Tab, a focused editor
// that is hidden parks the focus on its grid without announcing it, and a shown
// editor carries the header of the column it edits as its accessible name.

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <functional>

namespace brannoc::ui {

class Grid;

class Chooser : public QComboBox {
  Q_OBJECT

 public:
  Chooser(bool editable, QWidget* parent);

  void Clear();
  void AddItem(const QString& text, int code = 0);
  void RemoveItem(int index);
  int ListCount() const { return count(); }
  QString List(int index) const { return itemText(index); }
  void SetList(int index, const QString& text);
  int ItemData(int index) const;

  int ListIndex() const { return chosen_; }
  void SetListIndex(int index);

  void SetEntryOffered(int index, bool offered);
  bool IsEntryOffered(int index) const;

  QString Text() const;
  void SetText(const QString& text);

  // Makes this chooser a cell editor of `grid`.
  void AttachToGrid(Grid* grid);
  void PlaceOver(const QRect& cell);
  void ShowAndFocus();
  void HideEditor();

  void showPopup() override;

  std::function<void()> Click;
  std::function<void(int& code)> KeyPress;
  std::function<void()> AfterKeyPress;
  std::function<void()> LostFocus;

 protected:
  bool event(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Choose(int index, bool announce);
  // The first entry whose text, or whose text without trailing blanks, is `text`.
  int EntryShownAs(const QString& text) const;

  // Whether the chooser's drop-down list is open.
  bool ListShown() const;

  int chosen_ = -1;
  bool listOpened_ = false;  // the list has been opened at least once
  bool settingText_ = false;
  QPointer<Grid> grid_;
};

class TextBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit TextBox(QWidget* parent);

  QString Text() const { return text(); }
  void SetText(const QString& text) { setText(text); }
  // The text a box shows when the window opens, set without running Changed.
  void SetInitialText(const QString& text);
  void SetMaxLength(int characters) { setMaxLength(characters); }
  // Forgets what the box's own undo and redo could take back; the text stays.
  void ForgetUndo();

  void AttachToGrid(Grid* grid);
  void PlaceOver(const QRect& cell);
  void ShowAndFocus();
  void HideEditor();

  std::function<void()> Changed;
  std::function<void()> Edited;
  std::function<void(int& code)> KeyPress;
  std::function<void()> LostFocus;
  std::function<void()> GotFocus;

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  bool quiet_ = false;
  bool userEdit_ = false;
  QPointer<Grid> grid_;
};

// The character code a key press carries (0 when it carries none), in the
// single-byte code page.
int KeyCharacterCode(const QKeyEvent& event);

// Ignores focus changes that are no real loss of the focus: the control's own
// drop-down list opening, or a message box or another window coming up.
bool IsRealFocusLoss(const QFocusEvent& event);

}  // namespace brannoc::ui
