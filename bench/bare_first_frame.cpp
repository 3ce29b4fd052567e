// The floor of the start-up: a bare Qt window with one table (the rows of a new
// fixture of 8 channels) in the editor's face, telling the time of its first
// complete frame.

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>

#include "first_frame.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), font.family()});
  font.setPointSize(8);
  QApplication::setFont(font);

  QTableWidget table(8, 5);
  table.verticalHeader()->hide();
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 5; ++c) table.setItem(r, c, new QTableWidgetItem(QStringLiteral("Cell ") + QString::number(r + 1)));
  }
  table.resize(934, 650);
  table.show();
  brannoc::bench::FirstFrameProbe probe({&table, table.viewport()});
  return QApplication::exec();
}
