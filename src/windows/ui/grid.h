#pragma once
// A grid that behaves like the grids the windows were drawn for: a fixed header
// row 0 (and, when asked, a fixed column 0), data rows from 1, cell texts by row
// and column, sizes in twips, and these events:
//   Click      a click on a cell (the current cell is the clicked one)
//   KeyUp      a key released while the grid has the focus
//   MouseDown  a mouse button pressed on the grid
//   GotFocus   the grid gained the focus by the keyboard or the program (a focus
//              gained by a mouse press is not announced: the MouseDown follows)
//   LeaveCell  the current cell is about to change; Row() and Col() still name
//              the cell being left
// Cells are never edited in the grid itself.

#include <QTableWidget>
#include <functional>

namespace brannoc::ui {

class Grid : public QTableWidget {
  Q_OBJECT

 public:
  Grid(int columns, bool fixedFirstColumn, QWidget* parent);

  // All rows, the header row included.
  int Rows() const { return rowCount() + 1; }
  void SetRows(int rows);
  // A new empty row at `row` (1..Rows()); the rows from there move down.
  void InsertRow(int row);
  void RemoveRow(int row);

  QString TextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, const QString& text);

  // The current cell; row 1.. for data rows.
  int Row() const;
  int Col() const;
  void SetRow(int row) { SetCurrentCell(row, Col()); }
  void SetCol(int col) { SetCurrentCell(Row(), col); }
  void SetCurrentCell(int row, int col);
  // The current cell back to where a new grid has it (row 1, its first column
  // that can be current), without announcing a leave-cell.
  void BackToFirstCell();
  // The keyboard walk's step: from column `lastCol` (or beyond) to `firstCol`
  // of the next row, from the last row back to row 1; otherwise one column on.
  void MoveToNextCell(int firstCol, int lastCol);

  void SetColWidthTwips(int col, int twips);
  void SetHeaderHeightTwips(int twips);

  // The cell's rectangle in the coordinates of the grid's parent widget.
  QRect CellRectInParent(int row, int col) const;

  // Gives the grid the focus without announcing GotFocus.
  void SetFocusQuietly();

  std::function<void()> Click;
  std::function<void(int key)> KeyUp;
  std::function<void()> MouseDown;
  std::function<void()> GotFocus;
  std::function<void()> LeaveCell;

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void keyboardSearch(const QString&) override {}

 private:
  friend class LeaveAnnouncingSelection;
  void AnnounceLeave();
  int FirstSelectableColumn() const { return fixedFirstColumn_ ? 1 : 0; }
  void EnsureCurrent();
  void FillRow(int modelRow);

  bool fixedFirstColumn_;
  bool quietFocus_ = false;
  bool announcing_ = false;
};

}  // namespace brannoc::ui
