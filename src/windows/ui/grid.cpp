#include "windows/ui/grid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScopedValueRollback>

#include "windows/ui/twips.h"

namespace brannoc::ui {

// Announces leave-cell before the current cell changes, while the grid still
// reports the cell being left.
class LeaveAnnouncingSelection : public QItemSelectionModel {
 public:
  LeaveAnnouncingSelection(QAbstractItemModel* model, Grid* grid)
      : QItemSelectionModel(model, grid), grid_(grid) {}

  void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override {
    if (index.isValid() && index.column() == 0 && grid_->fixedFirstColumn_) return;
    if (index != currentIndex() && currentIndex().isValid()) grid_->AnnounceLeave();
    QItemSelectionModel::setCurrentIndex(index, command);
  }

 private:
  Grid* grid_;
};

Grid::Grid(int columns, bool fixedFirstColumn, QWidget* parent)
    : QTableWidget(0, columns, parent), fixedFirstColumn_(fixedFirstColumn) {
  setSelectionModel(new LeaveAnnouncingSelection(model(), this));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(Twips(255));
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  setWordWrap(false);
  setFocusPolicy(Qt::StrongFocus);
  for (int c = 0; c < columns; ++c) setHorizontalHeaderItem(c, new QTableWidgetItem());
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (fixedFirstColumn_ && index.column() == 0) return;  // fixed cells are not clicked
    if (Click) Click();
  });
}

void Grid::SetRows(int rows) {
  const int dataRows = std::max(0, rows - 1);
  if (dataRows == rowCount()) return;
  // Shrinking under the current cell moves it without asking: announce it first.
  if (currentIndex().isValid() && currentIndex().row() >= dataRows) AnnounceLeave();
  const int old = rowCount();
  {
    // The view then moves the current cell off the removed rows through
    // setCurrentIndex: that leave has been announced already.
    const QScopedValueRollback<bool> announced(announcing_, true);
    setRowCount(dataRows);
  }
  for (int r = old; r < dataRows; ++r) FillRow(r);
  EnsureCurrent();
}

void Grid::FillRow(int modelRow) {
  for (int c = 0; c < columnCount(); ++c) {
    auto* cell = new QTableWidgetItem();
    if (fixedFirstColumn_ && c == 0) {
      // A fixed cell looks like a header and never becomes current.
      cell->setFlags(Qt::ItemIsEnabled);
      cell->setBackground(palette().button());
    }
    setItem(modelRow, c, cell);
  }
}

void Grid::InsertRow(int row) {
  if (row < 1 || row > Rows()) return;
  insertRow(row - 1);
  FillRow(row - 1);
  EnsureCurrent();
}

void Grid::RemoveRow(int row) {
  if (row < 1 || row > rowCount()) return;
  if (currentIndex().isValid() && currentIndex().row() == row - 1) AnnounceLeave();
  {
    const QScopedValueRollback<bool> announced(announcing_, true);  // as in SetRows
    removeRow(row - 1);
  }
  EnsureCurrent();
}

void Grid::BackToFirstCell() {
  if (rowCount() == 0) return;
  selectionModel()->QItemSelectionModel::setCurrentIndex(model()->index(0, FirstSelectableColumn()),
                                                         QItemSelectionModel::ClearAndSelect);
}

void Grid::EnsureCurrent() {
  if (rowCount() > 0 && !currentIndex().isValid()) {
    QItemSelectionModel* sel = selectionModel();
    sel->QItemSelectionModel::setCurrentIndex(model()->index(0, FirstSelectableColumn()),
                                              QItemSelectionModel::ClearAndSelect);
  }
}

QString Grid::TextMatrix(int row, int col) const {
  if (row == 0) {
    const QTableWidgetItem* header = horizontalHeaderItem(col);
    return header ? header->text() : QString();
  }
  const QTableWidgetItem* cell = item(row - 1, col);
  return cell ? cell->text() : QString();
}

void Grid::SetTextMatrix(int row, int col, const QString& text) {
  if (col < 0 || col >= columnCount()) return;
  if (row == 0) {
    horizontalHeaderItem(col)->setText(text);
    return;
  }
  if (row < 1 || row > rowCount()) return;
  item(row - 1, col)->setText(text);
}

int Grid::Row() const { return currentIndex().isValid() ? currentIndex().row() + 1 : 0; }
int Grid::Col() const { return currentIndex().isValid() ? currentIndex().column() : 0; }

void Grid::SetCurrentCell(int row, int col) {
  if (row < 1 || row > rowCount() || col < FirstSelectableColumn() || col >= columnCount()) return;
  selectionModel()->setCurrentIndex(model()->index(row - 1, col), QItemSelectionModel::ClearAndSelect);
}

void Grid::MoveToNextCell(int firstCol, int lastCol) {
  const int r = Row();
  const int col = Col();
  if (col < lastCol) {
    SetCurrentCell(r, col + 1);
  } else {
    SetCurrentCell(r >= Rows() - 1 ? 1 : r + 1, firstCol);
  }
}

void Grid::SetColWidthTwips(int col, int twips) { setColumnWidth(col, Twips(twips)); }

void Grid::SetHeaderHeightTwips(int twips) { horizontalHeader()->setFixedHeight(Twips(twips)); }

QRect Grid::CellRectInParent(int row, int col) const {
  const QRect inViewport = visualRect(model()->index(row - 1, col));
  const QPoint topLeft = viewport()->mapTo(parentWidget(), inViewport.topLeft());
  return {topLeft, inViewport.size()};
}

void Grid::SetFocusQuietly() {
  if (hasFocus()) return;
  quietFocus_ = true;
  setFocus(Qt::OtherFocusReason);
  quietFocus_ = false;
}

void Grid::AnnounceLeave() {
  if (announcing_ || !LeaveCell) return;
  // A leave-cell handler that moves the current cell itself re-enters here.
  announcing_ = true;
  LeaveCell();
  announcing_ = false;
}

void Grid::keyReleaseEvent(QKeyEvent* event) {
  QTableWidget::keyReleaseEvent(event);
  if (event->isAutoRepeat()) return;
  if (KeyUp) KeyUp(event->key());
}

void Grid::mousePressEvent(QMouseEvent* event) {
  if (MouseDown) MouseDown();
  QTableWidget::mousePressEvent(event);
}

void Grid::focusInEvent(QFocusEvent* event) {
  QTableWidget::focusInEvent(event);
  if (quietFocus_ || event->reason() == Qt::MouseFocusReason ||
      event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
    return;
  }
  if (GotFocus) GotFocus();
}

}  // namespace brannoc::ui
