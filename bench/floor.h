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

// One plain table of a floor: where it lies in its window and its columns.
struct FloorTable {
  QRect geometry;
  int columns = 1;
};

// A table's rows before the action, its rows after it, and the first row the
// action fills (the rows before it keep their cells).
struct Refill {
  int before = 0;
  int after = 0;
  int firstFilled = 0;
};

class FloorHost : public QMainWindow {
 public:
  FloorHost();

  // A floor whose window stays open: `prepare` sets each table to its `before`
  // rows (all cells filled), the action sets it to `after` rows and fills the
  // rows from `firstFilled` on.
  Side Refilled(QSize client, std::vector<FloorTable> tables, std::vector<Refill> refills);
  // A floor whose action opens its window: a new sub-window with its tables, all
  // `rows` of each filled, shown. `prepare` closes the one before.
  Side Opened(QSize client, std::vector<FloorTable> tables, std::vector<int> rows);

 private:
  QMdiSubWindow* NewWindow(QSize client, const std::vector<FloorTable>& tables,
                           std::vector<QTableWidget*>* made);

 public:
  // Closes every floor window (a floor left open under the next one would be
  // painted with it).
  void CloseAll();

 private:

  QMdiArea* area_ = nullptr;
};

// Sets `table` to `rows` rows and fills every cell of rows `from`.. with a short text.
void FillTable(QTableWidget* table, int rows, int from);

}  // namespace brannoc::bench
