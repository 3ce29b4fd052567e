#include "windows/ui/cell_editors.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QListView>
#include <QStandardItemModel>
#include <utility>

#include "data/core/codepage.h"
#include "windows/ui/grid.h"

namespace brannoc::ui {

int KeyCharacterCode(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.isEmpty()) return 0;
  const char32_t ch = text.toUcs4().value(0);
  const auto byte = UnicodeToCp1252(ch);
  return byte ? *byte : '?';
}

bool IsRealFocusLoss(const QFocusEvent& event) {
  return event.reason() != Qt::PopupFocusReason && event.reason() != Qt::ActiveWindowFocusReason;
}

namespace {

bool IsTab(const QKeyEvent& event) { return event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab; }

QString WithoutTrailingBlanks(QString text) {
  while (text.endsWith(QLatin1Char(' '))) text.chop(1);
  return text;
}

// A screen reader announces a cell editor by the header of the column it edits.
void NameAfterColumn(QWidget* editor, const Grid* grid) {
  if (grid) editor->setAccessibleName(grid->TextMatrix(0, grid->Col()));
}

}  // namespace

// ---------------------------------------------------------------- Chooser

Chooser::Chooser(bool editable, QWidget* parent) : QComboBox(parent) {
  setEditable(editable);
  setFocusPolicy(Qt::StrongFocus);
  setMaxVisibleItems(12);
  if (editable) {
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
      // An edit keeps a chosen entry only when the text is that entry's.
      chosen_ = EntryShownAs(text);
    });
  }
  connect(this, &QComboBox::activated, this, [this](int index) { Choose(index, true); });
}

void Chooser::Clear() {
  const QSignalBlocker block(this);
  clear();
  chosen_ = -1;
}

void Chooser::AddItem(const QString& text, int code) {
  const QSignalBlocker block(this);
  const QString shown = isEditable() ? currentText() : QString();
  addItem(text, code);
  // Adding an entry never chooses it.
  if (chosen_ < 0) {
    setCurrentIndex(-1);
    if (isEditable()) setEditText(shown);
  }
}

void Chooser::RemoveItem(int index) {
  if (index < 0 || index >= count()) return;
  const QSignalBlocker block(this);
  removeItem(index);
  if (chosen_ == index) {
    chosen_ = -1;
    setCurrentIndex(-1);
  } else if (chosen_ > index) {
    --chosen_;
  }
}

void Chooser::SetList(int index, const QString& text) {
  if (index < 0 || index >= count()) return;
  const QSignalBlocker block(this);
  setItemText(index, text);
}

int Chooser::ItemData(int index) const { return itemData(index).toInt(); }

void Chooser::SetListIndex(int index) {
  if (index < -1 || index >= count()) return;  // no such entry: nothing changes
  if (index >= 0 && !IsEntryOffered(index)) return;
  Choose(index, index >= 0);
}

void Chooser::SetEntryOffered(int index, bool offered) {
  if (index < 0 || index >= count()) return;
  if (auto* items = qobject_cast<QStandardItemModel*>(model())) {
    if (QStandardItem* item = items->item(index)) item->setEnabled(offered);
  }
  if (auto* list = qobject_cast<QListView*>(view())) list->setRowHidden(index, !offered);
}

bool Chooser::IsEntryOffered(int index) const {
  if (index < 0 || index >= count()) return false;
  return (model()->flags(model()->index(index, modelColumn(), rootModelIndex())) & Qt::ItemIsEnabled) != 0;
}

int Chooser::EntryShownAs(const QString& text) const {
  for (int i = 0; i < count(); ++i) {
    if (itemText(i) == text || WithoutTrailingBlanks(itemText(i)) == text) return i;
  }
  return -1;
}

void Chooser::Choose(int index, bool announce) {
  {
    const QSignalBlocker block(this);
    setCurrentIndex(index);
    // The text box shows the entry as the user reads it, so typing goes on right
    // after its last character.
    if (isEditable() && index >= 0) setEditText(WithoutTrailingBlanks(itemText(index)));
  }
  chosen_ = index;
  if (announce && Click) Click();
}

QString Chooser::Text() const {
  if (isEditable()) return currentText();
  return chosen_ >= 0 ? itemText(chosen_) : QString();
}

void Chooser::SetText(const QString& text) {
  const QSignalBlocker block(this);
  if (!isEditable()) {
    const int found = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(found);
    chosen_ = found;
    return;
  }
  if (text.isEmpty()) {
    setCurrentIndex(-1);
    chosen_ = -1;
  }
  setEditText(text);
  if (!text.isEmpty()) chosen_ = EntryShownAs(text);
}

void Chooser::AttachToGrid(Grid* grid) {
  grid_ = grid;
  hide();
}

void Chooser::PlaceOver(const QRect& cell) {
  setGeometry(cell.x(), cell.y(), cell.width(), sizeHint().height());
  raise();
}

void Chooser::ShowAndFocus() {
  NameAfterColumn(this, grid_);
  show();
  setFocus(Qt::OtherFocusReason);
}

void Chooser::showPopup() {
  listOpened_ = true;
  QComboBox::showPopup();
}

bool Chooser::ListShown() const {
  // view() makes the list the first time it is asked for; a list never opened
  // is not shown, and need not be made for that answer.
  return listOpened_ && view()->isVisible();
}

void Chooser::HideEditor() {
  const bool focused = hasFocus() || (lineEdit() && lineEdit()->hasFocus()) || ListShown();
  if (ListShown()) hidePopup();
  if (focused && grid_) grid_->SetFocusQuietly();
  hide();
}

bool Chooser::event(QEvent* event) {
  // Tab is taken before the focus chain sees it.
  if (event->type() == QEvent::KeyPress && grid_ && IsTab(*static_cast<QKeyEvent*>(event))) {
    grid_->setFocus(Qt::TabFocusReason);
    return true;
  }
  return QComboBox::event(event);
}

void Chooser::keyPressEvent(QKeyEvent* event) {
  int code = KeyCharacterCode(*event);
  if (code != 0 && KeyPress) {
    KeyPress(code);
    if (code == 0) return;  // discarded
  }
  // A list without a text box never selects an entry by a typed letter.
  if (!isEditable() && code >= 32) return;
  QComboBox::keyPressEvent(event);
  if (code != 0 && AfterKeyPress) AfterKeyPress();
}

void Chooser::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // The chooser's own list takes the focus as it opens: that is no loss.
  if (ListShown()) return;
  if (IsRealFocusLoss(*event) && LostFocus) LostFocus();
}

void Chooser::wheelEvent(QWheelEvent* event) {
  if (!hasFocus()) {
    event->ignore();
    return;
  }
  QComboBox::wheelEvent(event);
}

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
  // Qt announces the user's edit before the change itself; Edited follows
  // Changed, so that it finds what Changed made of the text.
  connect(this, &QLineEdit::textEdited, this, [this] { userEdit_ = true; });
  connect(this, &QLineEdit::textChanged, this, [this] {
    const bool edited = std::exchange(userEdit_, false);
    if (!quiet_ && Changed) Changed();
    if (edited && Edited) Edited();
  });
}

void TextBox::SetInitialText(const QString& text) {
  quiet_ = true;
  setText(text);
  quiet_ = false;
}

void TextBox::ForgetUndo() {
  if (!isUndoAvailable() && !isRedoAvailable()) return;
  // Setting the text starts the box's own history afresh.
  const int caret = cursorPosition();
  quiet_ = true;
  setText(text());
  quiet_ = false;
  setCursorPosition(caret);
}

void TextBox::AttachToGrid(Grid* grid) {
  grid_ = grid;
  hide();
}

void TextBox::PlaceOver(const QRect& cell) {
  setGeometry(cell);
  raise();
}

void TextBox::ShowAndFocus() {
  NameAfterColumn(this, grid_);
  show();
  setFocus(Qt::OtherFocusReason);
}

void TextBox::HideEditor() {
  if (hasFocus() && grid_) grid_->SetFocusQuietly();
  hide();
}

bool TextBox::event(QEvent* event) {
  // Tab is taken before the focus chain sees it.
  if (event->type() == QEvent::KeyPress && grid_ && IsTab(*static_cast<QKeyEvent*>(event))) {
    grid_->setFocus(Qt::TabFocusReason);
    return true;
  }
  return QLineEdit::event(event);
}

void TextBox::keyPressEvent(QKeyEvent* event) {
  int code = KeyCharacterCode(*event);
  if (code != 0 && KeyPress) {
    KeyPress(code);
    if (code == 0) return;
  }
  QLineEdit::keyPressEvent(event);
}

void TextBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (IsRealFocusLoss(*event) && LostFocus) LostFocus();
}

void TextBox::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (IsRealFocusLoss(*event) && GotFocus) GotFocus();
}

}  // namespace brannoc::ui
