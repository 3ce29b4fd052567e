#pragma once
// The floor an action is held against: the same rows and cells filled into plain
// QTableWidgets of the same sizes, each floor in a sub-window of its own inside a
// multiple-document window like the program's, repainted the same way.

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <vector>

#include "measure.h"

class QMdiArea;
class QMdiSubWindow;
class QTableWidget;

namespace brannoc::bench {

// One plain table of a floor: where it lies in its window, its columns and the
// sizes of its rows and columns (those of the grid it stands for, so that as many
// cells show).
struct FloorTable {
  QRect geometry;
  int columns = 1;
  int rowHeight = 0;     // pixels
  int headerHeight = 0;  // pixels
  std::vector<int> columnWidths;  // empty: Qt's defaults

  // A table like `grid`, at the place `grid` has in `window`.
  static FloorTable Like(const QTableWidget* grid, const QWidget* window);
};

// A table's rows before the action, its rows after it, and the first row the
// action fills (the rows before it keep their cells).
struct Refill {
  int before = 0;
  int after = 0;
  int firstFilled = 0;
  int endFilled = -1;  // the row after the last one the action fills; -1: the last row
};

class FloorHost : public QMainWindow {
 public:
  FloorHost();

  // A floor whose window stays open: `prepare` sets each table to its `before`
  // rows (all cells filled), the action sets it to `after` rows and fills the
  // rows from `firstFilled` on.
  // Each floor window has the size and the caption of the window it stands for.
  Side Refilled(const QString& caption, QSize client, std::vector<FloorTable> tables, std::vector<Refill> refills);
  // A floor whose action opens its window: a new sub-window with its tables, all
  // `rows` of each filled, shown. `prepare` closes the one before.
  Side Opened(const QString& caption, QSize client, std::vector<FloorTable> tables, std::vector<int> rows);

 private:
  QMdiSubWindow* NewWindow(const QString& caption, QSize client, const std::vector<FloorTable>& tables,
                           std::vector<QTableWidget*>* made);

 public:
  // Closes every floor window (a floor left open under the next one would be
  // painted with it).
  void CloseAll();

 private:

  QMdiArea* area_ = nullptr;
};

// Sets `table` to `rows` rows and fills every cell of rows `from` up to `end`
// (the last row when -1) with a short text.
void FillTable(QTableWidget* table, int rows, int from, int end = -1);

}  // namespace brannoc::bench
