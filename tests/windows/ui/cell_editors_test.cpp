// The choosers and boxes: a chosen entry only the user's pick or the program
// changes, key codes that can be discarded, focus events that are real losses,
// and the way back to the grid.

#include <QAbstractItemView>
#include <QApplication>
#include <QListView>
#include <QKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brannoc {
namespace {

// A window with a grid, a plain box before it, a chooser of three entries, an
// editable chooser of the same entries and a box; the editors are attached to the
// grid when a test asks.
class EditorTest : public ::testing::Test {
 protected:
  EditorTest() {
    window.resize(600, 400);
    other = new ui::TextBox(&window);
    other->setGeometry(5, 5, 100, 22);
    grid = new ui::Grid(3, false, &window);
    grid->setGeometry(10, 40, 400, 200);
    grid->SetRows(4);
    list = new ui::Chooser(false, &window);
    list->setGeometry(420, 40, 120, 22);
    names = new ui::Chooser(true, &window);
    names->setGeometry(420, 80, 120, 22);
    box = new ui::TextBox(&window);
    box->setGeometry(420, 120, 120, 22);
    for (ui::Chooser* c : {list, names}) {
      c->AddItem("Pan", 6);
      c->AddItem("Tilt", 7);
      c->AddItem("Zoom", 9);
    }
    grid->GotFocus = [this] { ++gridFocus; };
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  void FocusOn(QWidget* widget) {
    widget->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(widget->hasFocus());
  }

  static void Send(QWidget* widget, QEvent::Type type, Qt::FocusReason reason) {
    QFocusEvent event(type, reason);
    QApplication::sendEvent(widget, &event);
  }

  static void Wheel(QWidget* widget, int steps) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120 * steps), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
    QApplication::processEvents();
  }

  QWidget window;
  ui::TextBox* other;
  ui::Grid* grid;
  ui::Chooser* list;
  ui::Chooser* names;
  ui::TextBox* box;
  int gridFocus = 0;
};

// ---------------------------------------------------------------- Chooser

TEST_F(EditorTest, AddingToAnEmptyChooserChoosesNothing) {
  for (bool editable : {false, true}) {
    SCOPED_TRACE(editable ? "editable" : "list");
    ui::Chooser chooser(editable, &window);
    int clicks = 0;
    chooser.Click = [&] { ++clicks; };
    chooser.AddItem("Pan", 6);
    chooser.AddItem("Tilt", 7);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(chooser.ListIndex(), -1);
    EXPECT_EQ(chooser.currentIndex(), -1);
    EXPECT_EQ(chooser.Text(), "");
    EXPECT_EQ(chooser.ListCount(), 2);
    EXPECT_EQ(chooser.ItemData(1), 7);
  }
  // Adding keeps both a chosen entry and a typed text.
  int clicks = 0;
  names->Click = [&] { ++clicks; };
  names->SetText("Zo");
  names->AddItem("Iris", 12);
  EXPECT_EQ(names->Text(), "Zo");
  EXPECT_EQ(names->ListIndex(), -1);
  list->SetListIndex(1);
  list->AddItem("Iris", 12);
  EXPECT_EQ(list->ListIndex(), 1);
  EXPECT_EQ(list->Text(), "Tilt");
  EXPECT_EQ(clicks, 0);
}

TEST_F(EditorTest, ClearAndOutOfRangeChoicesFireNothing) {
  int clicks = 0;
  list->Click = [&] { ++clicks; };
  list->SetListIndex(2);
  EXPECT_EQ(clicks, 1);
  list->SetListIndex(3);   // no such entry
  list->SetListIndex(-2);
  EXPECT_EQ(list->ListIndex(), 2);
  EXPECT_EQ(list->Text(), "Zoom");
  EXPECT_EQ(clicks, 1);
  list->Clear();
  EXPECT_EQ(list->ListIndex(), -1);
  EXPECT_EQ(list->ListCount(), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(EditorTest, ProgramChoiceFiresClickWithTheEntryChosen) {
  int seen = -2;
  QString text;
  list->Click = [&] {
    seen = list->ListIndex();
    text = list->Text();
  };
  list->SetListIndex(1);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(text, "Tilt");
  EXPECT_EQ(list->ItemData(list->ListIndex()), 7);
}

TEST_F(EditorTest, UserPickByKeyboardFiresClick) {
  int clicks = 0;
  int seen = -2;
  list->Click = [&] {
    ++clicks;
    seen = list->ListIndex();
  };
  list->SetListIndex(0);
  clicks = 0;
  FocusOn(list);
  test::PressOn(list, Qt::Key_Down);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(list->ListIndex(), 1);
  EXPECT_EQ(list->Text(), "Tilt");
}

TEST_F(EditorTest, TypingOverAChosenEntryDropsItUnlessTheTextIsAnEntry) {
  int clicks = 0;
  names->Click = [&] { ++clicks; };
  names->SetListIndex(0);
  clicks = 0;
  FocusOn(names);
  names->lineEdit()->selectAll();
  test::TypeInto(names, "Zoom2");
  EXPECT_EQ(names->Text(), "Zoom2");
  EXPECT_EQ(names->ListIndex(), -1);
  test::PressOn(names, Qt::Key_Backspace);
  EXPECT_EQ(names->Text(), "Zoom");
  EXPECT_EQ(names->ListIndex(), 2);
  test::PressOn(names, Qt::Key_Backspace);
  EXPECT_EQ(names->ListIndex(), -1);
  EXPECT_EQ(clicks, 0);  // typing is no pick

  // The program's text follows the same rule.
  names->SetText("Tilt");
  EXPECT_EQ(names->ListIndex(), 1);
  names->SetText("tilt");
  EXPECT_EQ(names->ListIndex(), -1);
  names->SetText("");
  EXPECT_EQ(names->ListIndex(), -1);
  EXPECT_EQ(names->Text(), "");
}

TEST_F(EditorTest, AnEditableChooserShowsAPaddedEntryWithoutItsPadding) {
  ui::Chooser padded(true, &window);
  padded.AddItem("Pan         ", 6);
  padded.AddItem("Tilt        ", 7);
  padded.setGeometry(420, 160, 120, 22);
  padded.show();
  padded.SetListIndex(1);
  EXPECT_EQ(padded.Text(), "Tilt");
  EXPECT_EQ(padded.ListIndex(), 1);
  EXPECT_EQ(padded.List(1), "Tilt        ");  // the entry keeps its blanks
  FocusOn(&padded);
  padded.lineEdit()->end(false);
  test::TypeInto(&padded, "2");
  EXPECT_EQ(padded.Text(), "Tilt2");
  EXPECT_EQ(padded.ListIndex(), -1);
  test::PressOn(&padded, Qt::Key_Backspace);
  EXPECT_EQ(padded.ListIndex(), 1);  // the text reads as the entry again
  padded.SetText("Pan");
  EXPECT_EQ(padded.ListIndex(), 0);
}

TEST_F(EditorTest, AnEntryLeftOutKeepsItsPlaceButCannotBeChosen) {
  list->SetEntryOffered(1, false);
  EXPECT_FALSE(list->IsEntryOffered(1));
  EXPECT_EQ(list->ListCount(), 3);
  EXPECT_EQ(list->List(2), "Zoom");
  list->SetListIndex(1);
  EXPECT_EQ(list->ListIndex(), -1);
  FocusOn(list);
  test::PressOn(list, Qt::Key_Down);
  EXPECT_EQ(list->ListIndex(), 0);
  test::PressOn(list, Qt::Key_Down);
  EXPECT_EQ(list->ListIndex(), 2);  // "Tilt" is stepped over
  test::PressOn(list, Qt::Key_Up);
  EXPECT_EQ(list->ListIndex(), 0);
  Wheel(list, 1);
  EXPECT_EQ(list->ListIndex(), 2);
  list->showPopup();
  QApplication::processEvents();
  auto* rows = qobject_cast<QListView*>(list->view());
  ASSERT_NE(rows, nullptr);
  EXPECT_TRUE(rows->isRowHidden(1));
  list->hidePopup();

  list->SetEntryOffered(1, true);
  list->SetListIndex(1);
  EXPECT_EQ(list->ListIndex(), 1);
  EXPECT_FALSE(rows->isRowHidden(1));
}

TEST_F(EditorTest, EditableChooserNeitherCompletesNorInsertsOnEnter) {
  FocusOn(names);
  test::TypeInto(names, "Ti");
  EXPECT_EQ(names->Text(), "Ti");  // no "Tilt" completed in
  EXPECT_EQ(names->ListIndex(), -1);
  test::TypeInto(names, "ger");
  test::PressOn(names, Qt::Key_Return);
  EXPECT_EQ(names->ListCount(), 3);
  EXPECT_EQ(names->findText("Tiger"), -1);
  EXPECT_EQ(names->Text(), "Tiger");
  EXPECT_EQ(names->ListIndex(), -1);
}

TEST_F(EditorTest, KeyPressSeesTheCodeAndCanDiscardIt) {
  std::vector<int> codes;
  names->KeyPress = [&](int& code) {
    codes.push_back(code);
    if (code == 'x') code = 0;
  };
  QStringList after;
  names->AfterKeyPress = [&] { after << names->Text(); };
  FocusOn(names);
  test::TypeInto(names, "axb");
  EXPECT_EQ(codes, (std::vector<int>{'a', 'x', 'b'}));
  EXPECT_EQ(names->Text(), "ab");
  // AfterKeyPress sees each applied key's result; the discarded key none.
  EXPECT_EQ(after, QStringList({"a", "ab"}));

  // A box the same way.
  codes.clear();
  box->KeyPress = names->KeyPress;
  FocusOn(box);
  test::TypeInto(box, "xyx");
  test::PressOn(box, Qt::Key_Backspace);
  EXPECT_EQ(codes, (std::vector<int>{'x', 'y', 'x', 8}));
  EXPECT_EQ(box->Text(), "");
}

TEST_F(EditorTest, ListWithoutTextBoxNeverSelectsByLetters) {
  int clicks = 0;
  list->Click = [&] { ++clicks; };
  FocusOn(list);
  test::TypeInto(list, "tz");
  EXPECT_EQ(list->ListIndex(), -1);
  EXPECT_EQ(list->currentIndex(), -1);
  list->SetListIndex(0);
  clicks = 0;
  test::TypeInto(list, "Z");
  EXPECT_EQ(list->ListIndex(), 0);
  EXPECT_EQ(list->currentText(), "Pan");
  EXPECT_EQ(clicks, 0);
  // A KeyPress handler still sees the letters.
  std::vector<int> codes;
  list->KeyPress = [&](int& code) { codes.push_back(code); };
  test::TypeInto(list, "t");
  EXPECT_EQ(codes, std::vector<int>{'t'});
  EXPECT_EQ(list->ListIndex(), 0);
}

TEST_F(EditorTest, WheelTurnsOnlyAFocusedChooser) {
  list->SetListIndex(0);
  FocusOn(other);
  Wheel(list, 1);
  EXPECT_EQ(list->ListIndex(), 0);
  EXPECT_EQ(list->currentIndex(), 0);
  int clicks = 0;
  list->Click = [&] { ++clicks; };
  FocusOn(list);
  Wheel(list, 1);
  EXPECT_EQ(list->ListIndex(), 1);
  EXPECT_EQ(clicks, 1);
}

TEST_F(EditorTest, ChooserLostFocusOnlyForARealLoss) {
  for (ui::Chooser* chooser : {list, names}) {
    SCOPED_TRACE(chooser->isEditable() ? "editable" : "list");
    int lost = 0;
    chooser->LostFocus = [&] { ++lost; };

    // Its own list opening is no loss.
    FocusOn(chooser);
    chooser->showPopup();
    QApplication::processEvents();
    EXPECT_TRUE(chooser->view()->isVisible());
    EXPECT_EQ(lost, 0);
    chooser->hidePopup();
    QApplication::processEvents();
    EXPECT_EQ(lost, 0);

    // Neither is a message box or another window coming up.
    Send(chooser, QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    Send(chooser, QEvent::FocusOut, Qt::PopupFocusReason);
    EXPECT_EQ(lost, 0);

    // A click elsewhere is.
    FocusOn(chooser);
    test::ClickCell(grid, 2, 1);
    EXPECT_EQ(test::Focused(), grid);
    EXPECT_EQ(lost, 1);

    // So is Tab.
    FocusOn(chooser);
    test::PressOn(chooser, Qt::Key_Tab);
    EXPECT_NE(test::Focused(), chooser);
    EXPECT_EQ(lost, 2);
    chooser->LostFocus = nullptr;
  }
}

TEST_F(EditorTest, ChooserAsCellEditorTabsBackToItsGrid) {
  for (ui::Chooser* chooser : {list, names}) {
    SCOPED_TRACE(chooser->isEditable() ? "editable" : "list");
    chooser->AttachToGrid(grid);
    EXPECT_FALSE(chooser->isVisible());
    chooser->PlaceOver(grid->CellRectInParent(2, 1));
    EXPECT_EQ(chooser->pos(), grid->CellRectInParent(2, 1).topLeft());
    chooser->ShowAndFocus();
    QApplication::processEvents();
    ASSERT_TRUE(chooser->hasFocus());
    int lost = 0;
    chooser->LostFocus = [&] { ++lost; };
    gridFocus = 0;
    test::PressOn(test::Focused(), Qt::Key_Tab);
    EXPECT_EQ(test::Focused(), grid);
    EXPECT_EQ(gridFocus, 1);
    EXPECT_EQ(lost, 1);
    chooser->LostFocus = nullptr;
    chooser->HideEditor();

    // Shift+Tab the same way.
    chooser->ShowAndFocus();
    QApplication::processEvents();
    gridFocus = 0;
    QTest::keyClick(test::Focused(), Qt::Key_Backtab, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_EQ(test::Focused(), grid);
    EXPECT_EQ(gridFocus, 1);
    chooser->HideEditor();
  }
}

TEST_F(EditorTest, HidingAFocusedChooserParksTheFocusOnTheGridQuietly) {
  for (ui::Chooser* chooser : {list, names}) {
    SCOPED_TRACE(chooser->isEditable() ? "editable" : "list");
    chooser->AttachToGrid(grid);
    chooser->ShowAndFocus();
    QApplication::processEvents();
    gridFocus = 0;
    chooser->HideEditor();
    QApplication::processEvents();
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(test::Focused(), grid);
    EXPECT_EQ(gridFocus, 0);

    // Also with its list open.
    chooser->ShowAndFocus();
    chooser->showPopup();
    QApplication::processEvents();
    chooser->HideEditor();
    QApplication::processEvents();
    EXPECT_FALSE(chooser->view()->isVisible());
    EXPECT_EQ(test::Focused(), grid);
    EXPECT_EQ(gridFocus, 0);

    // An editor without the focus leaves the focus where it is.
    chooser->show();
    FocusOn(other);
    chooser->HideEditor();
    EXPECT_EQ(test::Focused(), other);
  }
}

// ---------------------------------------------------------------- TextBox

TEST_F(EditorTest, ChangedForEveryChangeEditedOnlyForTyping) {
  int changed = 0, edited = 0;
  box->Changed = [&] { ++changed; };
  box->Edited = [&] { ++edited; };
  box->SetInitialText("000");
  EXPECT_EQ(box->Text(), "000");
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(edited, 0);
  box->SetText("12");
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(edited, 0);
  FocusOn(box);
  box->end(false);
  test::TypeInto(box, "3");
  EXPECT_EQ(box->Text(), "123");
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(edited, 1);
  // Changed runs normally again after an initial text.
  box->SetInitialText("New Fixture");
  box->SetText("Old");
  EXPECT_EQ(changed, 3);
  EXPECT_EQ(edited, 1);

  // Edited comes after Changed, and sees what Changed made of the text.
  box->Changed = [&] {
    if (box->Text() == "Oldx") box->SetText("0");
  };
  QString seen;
  box->Edited = [&] { seen += box->Text() + ";"; };
  box->end(false);
  test::TypeInto(box, "x");
  EXPECT_EQ(seen, "0;");
}

TEST_F(EditorTest, ForgetUndoKeepsTheTextAndDropsTheBoxsOwnHistory) {
  int changed = 0;
  box->Changed = [&] { ++changed; };
  FocusOn(box);
  test::TypeInto(box, "Spot");
  box->setCursorPosition(2);
  ASSERT_TRUE(box->isUndoAvailable());
  changed = 0;
  box->ForgetUndo();
  EXPECT_FALSE(box->isUndoAvailable());
  EXPECT_EQ(box->Text(), "Spot");
  EXPECT_EQ(box->cursorPosition(), 2);
  EXPECT_EQ(changed, 0);
}

TEST_F(EditorTest, MaxLengthLimitsTypingAndText) {
  box->SetMaxLength(3);
  FocusOn(box);
  test::TypeInto(box, "72000");
  EXPECT_EQ(box->Text(), "720");
  box->SetText("abcdef");
  EXPECT_EQ(box->Text(), "abc");
}

TEST_F(EditorTest, TextBoxAsCellEditor) {
  box->AttachToGrid(grid);
  EXPECT_FALSE(box->isVisible());
  const QRect cell = grid->CellRectInParent(3, 2);
  box->PlaceOver(cell);
  EXPECT_EQ(box->geometry(), cell);
  box->ShowAndFocus();
  QApplication::processEvents();
  ASSERT_TRUE(box->hasFocus());
  int lost = 0;
  box->LostFocus = [&] { ++lost; };
  gridFocus = 0;
  test::PressOn(box, Qt::Key_Tab);
  EXPECT_EQ(test::Focused(), grid);
  EXPECT_EQ(gridFocus, 1);
  EXPECT_EQ(lost, 1);

  box->ShowAndFocus();
  QApplication::processEvents();
  gridFocus = 0;
  box->HideEditor();
  QApplication::processEvents();
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(test::Focused(), grid);
  EXPECT_EQ(gridFocus, 0);
}

TEST_F(EditorTest, ClickOnAnotherCellWhileEditing) {
  // The editor's loss first, then the grid's press, leave and click; the grid's
  // mouse focus is not announced, so no keyboard walk starts inside the commit.
  QStringList log;
  grid->GotFocus = [&] { log << "gotfocus"; };
  grid->MouseDown = [&] { log << "down"; };
  grid->LeaveCell = [&] { log << QString("leave %1,%2").arg(grid->Row()).arg(grid->Col()); };
  grid->Click = [&] { log << QString("click %1,%2").arg(grid->Row()).arg(grid->Col()); };
  box->AttachToGrid(grid);
  box->LostFocus = [&] {
    log << "lost";
    box->HideEditor();
  };
  grid->SetCurrentCell(1, 1);
  box->PlaceOver(grid->CellRectInParent(1, 1));
  box->ShowAndFocus();
  QApplication::processEvents();
  log.clear();
  test::ClickCell(grid, 3, 2);
  EXPECT_EQ(log, QStringList({"lost", "down", "leave 1,1", "click 3,2"}));
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(test::Focused(), grid);
}

TEST_F(EditorTest, TextBoxFocusEventsIgnoreTheActiveWindowReason) {
  int got = 0, lost = 0;
  box->GotFocus = [&] { ++got; };
  box->LostFocus = [&] { ++lost; };
  FocusOn(box);
  EXPECT_EQ(got, 1);
  Send(box, QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  Send(box, QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  EXPECT_EQ(got, 1);
  EXPECT_EQ(lost, 0);
  test::ClickCell(grid, 1, 1);
  EXPECT_EQ(lost, 1);
  FocusOn(other);
  test::PressOn(other, Qt::Key_Tab);  // other -> grid
  EXPECT_EQ(test::Focused(), grid);
  EXPECT_EQ(got, 1);
}

// ---------------------------------------------------------------- key codes

int Code(Qt::Key key, const QString& text) {
  const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
  return ui::KeyCharacterCode(event);
}

TEST(KeyCharacterCode, IsTheCodePageByteOfTheTypedCharacter) {
  EXPECT_EQ(Code(Qt::Key_A, "a"), 'a');
  EXPECT_EQ(Code(Qt::Key_A, "A"), 'A');
  EXPECT_EQ(Code(Qt::Key_7, "7"), '7');
  EXPECT_EQ(Code(Qt::Key_Space, " "), ' ');
  EXPECT_EQ(Code(Qt::Key_Backspace, QString(QChar(8))), 8);
  EXPECT_EQ(Code(Qt::Key_Return, QString(QChar(13))), 13);
  EXPECT_EQ(Code(Qt::Key_Eacute, QString::fromUtf8("\u00e9")), 0xE9);
  EXPECT_EQ(Code(Qt::Key_unknown, QString::fromUtf8("\u20ac")), 0x80);  // the euro sign
  EXPECT_EQ(Code(Qt::Key_unknown, QString::fromUtf8("\u0160")), 0x8A);  // S with caron
  EXPECT_EQ(Code(Qt::Key_unknown, QString::fromUtf8("\u03a9")), '?');   // not in the code page
  EXPECT_EQ(Code(Qt::Key_unknown, QString::fromUtf8("\U0001F600")), '?');
  EXPECT_EQ(Code(Qt::Key_Left, ""), 0);  // carries no character
  EXPECT_EQ(Code(Qt::Key_Shift, ""), 0);
}

TEST_F(EditorTest, TypedKeysReachKeyPressAsCodePageBytes) {
  std::vector<int> codes;
  box->KeyPress = [&](int& code) { codes.push_back(code); };
  FocusOn(box);
  test::PressOn(box, Qt::Key_Backspace);
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_A, QString("A"), Qt::ShiftModifier);
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Eacute, QString::fromUtf8("\u00e9"), Qt::NoModifier);
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8("\u20ac"), Qt::NoModifier);
  QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8("\u03a9"), Qt::NoModifier);
  test::PressOn(box, Qt::Key_Left);  // no character: no KeyPress
  EXPECT_EQ(codes, (std::vector<int>{8, 'A', 0xE9, 0x80, '?'}));
  EXPECT_EQ(box->Text(), QString::fromUtf8("A\u00e9\u20ac\u03a9"));
}

}  // namespace
}  // namespace brannoc
