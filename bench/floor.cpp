#include "floor.h"

#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <algorithm>
#include <memory>

namespace brannoc::bench {

void FillTable(QTableWidget* table, int rows, int from, int end) {
  table->setRowCount(rows);
  for (int r = from; r < (end < 0 ? rows : std::min(end, rows)); ++r) {
    for (int c = 0; c < table->columnCount(); ++c) {
      table->setItem(r, c, new QTableWidgetItem(QStringLiteral("Cell ") + QString::number(r + 1)));
    }
  }
}

FloorTable FloorTable::Like(const QTableWidget* grid, const QWidget* window) {
  FloorTable t;
  t.geometry = QRect(grid->mapTo(window, QPoint(0, 0)), grid->size());
  t.columns = grid->columnCount();
  t.rowHeight = grid->verticalHeader()->defaultSectionSize();
  t.headerHeight = grid->horizontalHeader()->height();
  for (int c = 0; c < grid->columnCount(); ++c) t.columnWidths.push_back(grid->columnWidth(c));
  return t;
}

FloorHost::FloorHost() {
  setWindowTitle(QStringLiteral("Floor"));
  area_ = new QMdiArea(this);
  setCentralWidget(area_);
}

QMdiSubWindow* FloorHost::NewWindow(const QString& caption, QSize client, const std::vector<FloorTable>& tables,
                                    std::vector<QTableWidget*>* made) {
  auto* content = new QWidget;
  content->setFixedSize(client);
  for (const FloorTable& t : tables) {
    auto* table = new QTableWidget(0, t.columns, content);
    table->setGeometry(t.geometry);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(t.rowHeight);
    table->horizontalHeader()->setFixedHeight(t.headerHeight);
    for (std::size_t c = 0; c < t.columnWidths.size(); ++c) {
      table->setColumnWidth(static_cast<int>(c), t.columnWidths[c]);
    }
    if (made) made->push_back(table);
  }
  content->setWindowTitle(caption);
  auto* sub = area_->addSubWindow(content);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  return sub;
}

void FloorHost::CloseAll() { area_->closeAllSubWindows(); }

Side FloorHost::Refilled(const QString& caption, QSize client, std::vector<FloorTable> tables,
                         std::vector<Refill> refills) {
  auto made = std::make_shared<std::vector<QTableWidget*>>();
  QMdiSubWindow* sub = NewWindow(caption, client, tables, made.get());
  sub->show();
  sub->move(0, 0);
  Side side;
  side.prepare = [sub, made, refills] {
    sub->raise();
    for (std::size_t i = 0; i < made->size(); ++i) FillTable((*made)[i], refills[i].before, 0);
  };
  side.act = [sub, made, refills]() -> QWidget* {
    for (std::size_t i = 0; i < made->size(); ++i) FillTable((*made)[i], refills[i].after, refills[i].firstFilled, refills[i].endFilled);
    return sub;
  };
  return side;
}

Side FloorHost::Opened(const QString& caption, QSize client, std::vector<FloorTable> tables, std::vector<int> rows) {
  auto open = std::make_shared<QPointer<QMdiSubWindow>>();
  Side side;
  side.prepare = [open] {
    if (*open) (*open)->close();
  };
  side.act = [this, open, caption, client, tables, rows]() -> QWidget* {
    std::vector<QTableWidget*> made;
    QMdiSubWindow* sub = NewWindow(caption, client, tables, &made);
    for (std::size_t i = 0; i < made.size(); ++i) FillTable(made[i], rows[i], 0);
    sub->show();
    sub->move(0, 0);
    *open = sub;
    return sub;
  };
  return side;
}

}  // namespace brannoc::bench
