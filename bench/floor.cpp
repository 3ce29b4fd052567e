#include "floor.h"

#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <memory>

namespace brannoc::bench {

void FillTable(QTableWidget* table, int rows, int from) {
  table->setRowCount(rows);
  for (int r = from; r < rows; ++r) {
    for (int c = 0; c < table->columnCount(); ++c) {
      table->setItem(r, c, new QTableWidgetItem(QStringLiteral("Cell ") + QString::number(r + 1)));
    }
  }
}

FloorHost::FloorHost() {
  setWindowTitle(QStringLiteral("Floor"));
  area_ = new QMdiArea(this);
  setCentralWidget(area_);
}

QMdiSubWindow* FloorHost::NewWindow(QSize client, const std::vector<FloorTable>& tables,
                                    std::vector<QTableWidget*>* made) {
  auto* content = new QWidget;
  content->setFixedSize(client);
  for (const FloorTable& t : tables) {
    auto* table = new QTableWidget(0, t.columns, content);
    table->setGeometry(t.geometry);
    table->verticalHeader()->hide();
    if (made) made->push_back(table);
  }
  auto* sub = area_->addSubWindow(content);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  return sub;
}

void FloorHost::CloseAll() { area_->closeAllSubWindows(); }

Side FloorHost::Refilled(QSize client, std::vector<FloorTable> tables, std::vector<Refill> refills) {
  auto made = std::make_shared<std::vector<QTableWidget*>>();
  QMdiSubWindow* sub = NewWindow(client, tables, made.get());
  sub->show();
  sub->move(0, 0);
  Side side;
  side.prepare = [sub, made, refills] {
    sub->raise();
    for (std::size_t i = 0; i < made->size(); ++i) FillTable((*made)[i], refills[i].before, 0);
  };
  side.act = [sub, made, refills]() -> QWidget* {
    for (std::size_t i = 0; i < made->size(); ++i) FillTable((*made)[i], refills[i].after, refills[i].firstFilled);
    return sub;
  };
  return side;
}

Side FloorHost::Opened(QSize client, std::vector<FloorTable> tables, std::vector<int> rows) {
  auto open = std::make_shared<QPointer<QMdiSubWindow>>();
  Side side;
  side.prepare = [open] {
    if (*open) (*open)->close();
  };
  side.act = [this, open, client, tables, rows]() -> QWidget* {
    std::vector<QTableWidget*> made;
    QMdiSubWindow* sub = NewWindow(client, tables, &made);
    for (std::size_t i = 0; i < made.size(); ++i) FillTable(made[i], rows[i], 0);
    sub->show();
    sub->move(0, 0);
    *open = sub;
    return sub;
  };
  return side;
}

}  // namespace brannoc::bench
