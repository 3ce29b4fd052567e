// The grid: header row and data rows, the current cell, the order of its events,
// and the QTableWidget habits it must not have.

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "support/gui.h"
#include "windows/ui/grid.h"
#include "windows/ui/twips.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brannoc {
namespace {

// A window holding a box (so the focus has somewhere else to be) and a grid of
// four columns and five data rows, texts "r<row>c<col>".
class GridTest : public ::testing::Test {
 protected:
  explicit GridTest(bool fixedFirstColumn = false) {
    window.resize(600, 400);
    before = new QLineEdit(&window);
    before->setGeometry(5, 5, 100, 20);
    grid = new ui::Grid(4, fixedFirstColumn, &window);
    grid->setGeometry(20, 40, 500, 300);
    grid->SetRows(6);
    for (int r = 1; r < grid->Rows(); ++r)
      for (int c = 0; c < 4; ++c) grid->SetTextMatrix(r, c, QString("r%1c%2").arg(r).arg(c));
    after = new QLineEdit(&window);
    after->setGeometry(5, 350, 100, 20);
    grid->LeaveCell = [this] { Log(QString("leave %1,%2").arg(grid->Row()).arg(grid->Col())); };
    grid->Click = [this] { Log(QString("click %1,%2").arg(grid->Row()).arg(grid->Col())); };
    grid->MouseDown = [this] { Log(QString("down %1,%2").arg(grid->Row()).arg(grid->Col())); };
    grid->GotFocus = [this] { Log("gotfocus"); };
    grid->KeyUp = [this](int key) {
      Log(QString("keyup %1 %2,%3").arg(key == Qt::Key_Down ? "down" : QString::number(key))
              .arg(grid->Row())
              .arg(grid->Col()));
    };
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    QApplication::processEvents();
  }

  void Log(const QString& what) { log << what; }

  QStringList Take() {
    QStringList taken = log;
    log.clear();
    return taken;
  }

  QWidget window;
  QLineEdit* before;
  QLineEdit* after;
  ui::Grid* grid;
  QStringList log;
};

class FixedColumnGridTest : public GridTest {
 protected:
  FixedColumnGridTest() : GridTest(true) {}
};

TEST_F(GridTest, HeaderIsRowZeroAndDataRowsStartAtOne) {
  ui::Grid empty(3, false, &window);
  EXPECT_EQ(empty.Rows(), 1);  // only the header
  EXPECT_EQ(empty.Row(), 0);

  EXPECT_EQ(grid->Rows(), 6);
  EXPECT_EQ(grid->rowCount(), 5);
  grid->SetTextMatrix(0, 1, "Channel");
  EXPECT_EQ(grid->TextMatrix(0, 1), "Channel");
  EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Channel");
  EXPECT_EQ(grid->TextMatrix(1, 2), "r1c2");
  EXPECT_EQ(grid->item(0, 2)->text(), "r1c2");
  EXPECT_EQ(grid->TextMatrix(5, 3), "r5c3");
  // No row numbers down the side.
  EXPECT_FALSE(grid->verticalHeader()->isVisible());
  // Out of range writes change nothing.
  grid->SetTextMatrix(6, 0, "x");
  grid->SetTextMatrix(1, 4, "x");
  EXPECT_EQ(grid->Rows(), 6);
  EXPECT_EQ(grid->TextMatrix(6, 0), "");
}

TEST_F(GridTest, CurrentCellBySetCurrentCellRowAndCol) {
  EXPECT_EQ(grid->Row(), 1);  // a filled grid has a current cell
  EXPECT_EQ(grid->Col(), 0);
  grid->SetCurrentCell(3, 2);
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(grid->Col(), 2);
  grid->SetRow(5);
  EXPECT_EQ(grid->Row(), 5);
  EXPECT_EQ(grid->Col(), 2);
  grid->SetCol(1);
  EXPECT_EQ(grid->Row(), 5);
  EXPECT_EQ(grid->Col(), 1);
  // The header row and cells past the edges cannot become current.
  grid->SetCurrentCell(0, 1);
  grid->SetCurrentCell(6, 1);
  grid->SetCurrentCell(2, 4);
  EXPECT_EQ(grid->Row(), 5);
  EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridTest, LeaveCellComesBeforeTheMoveBySetCurrentCell) {
  grid->SetCurrentCell(2, 1);
  Take();
  grid->SetCurrentCell(4, 3);
  EXPECT_EQ(Take(), QStringList({"leave 2,1"}));
  EXPECT_EQ(grid->Row(), 4);
  EXPECT_EQ(grid->Col(), 3);
  // The same cell again is no move.
  grid->SetCurrentCell(4, 3);
  grid->SetCol(3);
  EXPECT_EQ(Take(), QStringList());
}

TEST_F(GridTest, MouseClickOnAnotherCell) {
  grid->SetCurrentCell(1, 1);
  Take();
  test::ClickCell(grid, 3, 2);
  // The press comes first, then the leave with the old cell, then the click
  // with the new one; a mouse focus is not announced.
  EXPECT_EQ(Take(), QStringList({"down 1,1", "leave 1,1", "click 3,2"}));
  EXPECT_EQ(test::Focused(), grid);
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(grid->Col(), 2);
  // The current cell once more: a click, no leave.
  test::ClickCell(grid, 3, 2);
  EXPECT_EQ(Take(), QStringList({"down 3,2", "click 3,2"}));
}

TEST_F(GridTest, ArrowKeyLeavesTheCellThenKeyUpSeesTheNewOne) {
  grid->SetCurrentCell(2, 1);
  grid->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  Take();
  test::PressOn(grid, Qt::Key_Down);
  EXPECT_EQ(Take(), QStringList({"leave 2,1", "keyup down 3,1"}));
  EXPECT_EQ(grid->Row(), 3);
}

TEST_F(GridTest, LeaveCellHandlerThatMovesTheCellDoesNotRecurseAndTheOuterMoveWins) {
  int leaves = 0;
  grid->LeaveCell = [&] {
    ++leaves;
    ASSERT_LT(leaves, 5) << "leave-cell re-entered";
    grid->SetCol(3);  // what a handler committing an edit does
  };
  grid->SetCurrentCell(1, 1);
  leaves = 0;
  grid->SetCurrentCell(2, 2);
  EXPECT_EQ(leaves, 1);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->Col(), 2);

  leaves = 0;
  test::ClickCell(grid, 4, 1);
  EXPECT_EQ(leaves, 1);
  EXPECT_EQ(grid->Row(), 4);
  EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridTest, ShrinkingUnderTheCurrentCellAnnouncesLeaveFirst) {
  grid->SetCurrentCell(5, 2);
  Take();
  grid->SetRows(4);  // rows 1..3 stay
  EXPECT_EQ(Take(), QStringList({"leave 5,2"}));
  EXPECT_EQ(grid->Rows(), 4);
  EXPECT_GE(grid->Row(), 1);
  EXPECT_LE(grid->Row(), 3);
  EXPECT_EQ(grid->TextMatrix(3, 2), "r3c2");

  // Shrinking below a current cell that stays is no leave.
  grid->SetCurrentCell(1, 1);
  Take();
  grid->SetRows(3);
  EXPECT_EQ(Take(), QStringList());
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->Col(), 1);

  // Down to the header alone: no current cell left.
  grid->SetRows(1);
  EXPECT_EQ(Take(), QStringList({"leave 1,1"}));
  EXPECT_EQ(grid->Rows(), 1);
  EXPECT_EQ(grid->Row(), 0);
  // Growing again gives a current cell in row 1, without a leave.
  grid->SetRows(3);
  EXPECT_EQ(Take(), QStringList());
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->TextMatrix(2, 1), "");
}

TEST_F(GridTest, GotFocusForTabAndProgramNotForMouseNorQuietFocus) {
  before->setFocus();
  QApplication::processEvents();
  Take();
  test::PressOn(before, Qt::Key_Tab);
  EXPECT_EQ(test::Focused(), grid);
  EXPECT_EQ(Take(), QStringList({"gotfocus"}));

  after->setFocus();
  QApplication::processEvents();
  Take();
  grid->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  EXPECT_EQ(Take(), QStringList({"gotfocus"}));

  after->setFocus();
  QApplication::processEvents();
  Take();
  grid->SetFocusQuietly();
  QApplication::processEvents();
  EXPECT_EQ(test::Focused(), grid);
  EXPECT_EQ(Take(), QStringList());

  after->setFocus();
  QApplication::processEvents();
  grid->SetCurrentCell(2, 2);
  Take();
  test::ClickCell(grid, 2, 2);
  EXPECT_EQ(test::Focused(), grid);
  EXPECT_EQ(Take(), QStringList({"down 2,2", "click 2,2"}));

  // The window coming back to the front is no new focus either.
  QFocusEvent activated(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(grid, &activated);
  EXPECT_EQ(Take(), QStringList());
}

TEST_F(GridTest, TypedLetterDoesNotJumpAndTabDoesNotMoveBetweenCells) {
  grid->SetCurrentCell(1, 1);
  grid->setFocus();
  QApplication::processEvents();
  Take();
  test::TypeInto(grid, "r4");  // matches "r4c1" in keyboard search
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->Col(), 1);

  test::PressOn(grid, Qt::Key_Tab);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(test::Focused(), after);  // Tab leaves the grid
  EXPECT_FALSE(Take().contains("leave 1,1"));
}

TEST_F(GridTest, DoubleClickAndTypingDoNotEditInPlace) {
  grid->SetCurrentCell(2, 1);
  const QRect cell = grid->visualRect(grid->model()->index(1, 1));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  QApplication::processEvents();
  EXPECT_EQ(grid->viewport()->findChild<QLineEdit*>(), nullptr);
  test::PressOn(grid, Qt::Key_F2);
  test::TypeInto(grid, "x");
  EXPECT_EQ(grid->viewport()->findChild<QLineEdit*>(), nullptr);
  EXPECT_EQ(grid->TextMatrix(2, 1), "r2c1");
}

TEST_F(GridTest, HeaderClickIsNoClick) {
  Take();
  const QHeaderView* header = grid->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
  QApplication::processEvents();
  EXPECT_EQ(Take(), QStringList());
  EXPECT_EQ(grid->Row(), 1);
}

TEST_F(FixedColumnGridTest, FixedFirstColumnNeverBecomesCurrent) {
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->Col(), 1);  // the first cell that can be current
  grid->SetCurrentCell(2, 2);
  Take();
  grid->SetCurrentCell(3, 0);
  grid->SetCol(0);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->Col(), 2);

  test::ClickCell(grid, 4, 0);
  QStringList events = Take();
  EXPECT_FALSE(events.contains("click 2,2")) << events.join("; ").toStdString();
  EXPECT_FALSE(events.filter("leave").size()) << events.join("; ").toStdString();
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->Col(), 2);

  // The arrow keys stop at column 1.
  grid->SetCurrentCell(2, 1);
  grid->setFocus();
  QApplication::processEvents();
  Take();
  test::PressOn(grid, Qt::Key_Left);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_TRUE(Take().filter("leave").isEmpty());

  // A row added later has a fixed first cell too.
  grid->InsertRow(2);
  test::ClickCell(grid, 2, 0);
  EXPECT_NE(grid->Col(), 0);
  EXPECT_TRUE(Take().filter("click").isEmpty());
}

TEST_F(GridTest, InsertAndRemoveRowsKeepTheOtherRows) {
  grid->InsertRow(2);
  EXPECT_EQ(grid->Rows(), 7);
  EXPECT_EQ(grid->TextMatrix(1, 1), "r1c1");
  EXPECT_EQ(grid->TextMatrix(2, 1), "");
  EXPECT_EQ(grid->TextMatrix(3, 1), "r2c1");
  EXPECT_EQ(grid->TextMatrix(6, 3), "r5c3");
  grid->SetTextMatrix(2, 1, "new");  // the new row has cells of its own
  EXPECT_EQ(grid->TextMatrix(2, 1), "new");

  grid->InsertRow(grid->Rows());  // after the last row
  EXPECT_EQ(grid->Rows(), 8);
  EXPECT_EQ(grid->TextMatrix(7, 0), "");
  EXPECT_EQ(grid->TextMatrix(6, 0), "r5c0");

  grid->RemoveRow(1);
  EXPECT_EQ(grid->Rows(), 7);
  EXPECT_EQ(grid->TextMatrix(1, 1), "new");
  EXPECT_EQ(grid->TextMatrix(2, 1), "r2c1");
  EXPECT_EQ(grid->TextMatrix(5, 2), "r5c2");

  // Rows that do not exist change nothing.
  grid->InsertRow(0);
  grid->InsertRow(9);
  grid->RemoveRow(0);
  grid->RemoveRow(7);
  EXPECT_EQ(grid->Rows(), 7);
  EXPECT_EQ(grid->TextMatrix(0, 0), "");

  // Removing the current row announces leaving it.
  grid->SetCurrentCell(3, 2);
  Take();
  grid->RemoveRow(3);
  EXPECT_EQ(Take(), QStringList({"leave 3,2"}));
  EXPECT_EQ(grid->TextMatrix(3, 1), "r4c1");
}

TEST_F(GridTest, CellRectInParentIsWhereTheCellIs) {
  grid->SetColWidthTwips(0, 1500);
  grid->SetColWidthTwips(1, 2250);
  for (const auto& [r, c] : std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {3, 2}, {5, 3}}) {
    const QRect rect = grid->CellRectInParent(r, c);
    SCOPED_TRACE(QString("cell %1,%2").arg(r).arg(c).toStdString());
    // The cell without its grid line.
    EXPECT_EQ(rect.size(), QSize(grid->columnWidth(c) - 1, grid->rowHeight(r - 1) - 1));
    // Below the header, inside the grid, in the window's coordinates.
    EXPECT_GE(rect.top(), grid->y() + grid->horizontalHeader()->height());
    EXPECT_GE(rect.left(), grid->x());
    EXPECT_TRUE(grid->geometry().contains(rect));
    // The point in the middle of the rectangle is that cell.
    const QPoint inViewport = grid->viewport()->mapFrom(&window, rect.center());
    EXPECT_EQ(grid->indexAt(inViewport), grid->model()->index(r - 1, c));
    EXPECT_EQ(window.childAt(rect.center()), grid->viewport());
  }
  // Inside a frame the rectangle is in the frame's coordinates.
  QWidget frame(&window);
  frame.setGeometry(50, 60, 400, 300);
  ui::Grid inner(2, false, &frame);
  inner.setGeometry(30, 40, 300, 200);
  inner.SetRows(3);
  frame.show();
  QApplication::processEvents();
  const QRect rect = inner.CellRectInParent(2, 1);
  EXPECT_EQ(frame.childAt(rect.center()), inner.viewport());
  EXPECT_EQ(inner.indexAt(inner.viewport()->mapFrom(&frame, rect.center())), inner.model()->index(1, 1));
}

TEST_F(GridTest, WidthsAndHeaderHeightInTwips) {
  grid->SetColWidthTwips(0, 1440);
  grid->SetColWidthTwips(2, 705);
  grid->SetHeaderHeightTwips(300);
  EXPECT_EQ(grid->columnWidth(0), ui::Twips(1440));
  EXPECT_EQ(grid->columnWidth(2), ui::Twips(705));
  EXPECT_EQ(grid->horizontalHeader()->height(), ui::Twips(300));
  // The user cannot drag a column wider.
  EXPECT_EQ(grid->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

}  // namespace
}  // namespace brannoc
