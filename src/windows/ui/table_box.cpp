#include "windows/ui/table_box.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "windows/ui/dialogs.h"

namespace brannoc::ui {

TablePane::TablePane(QWidget* parent) : QWidget(parent) {
  Lines = new QLabel(this);
  Lines->setWordWrap(true);
  Lines->setTextFormat(Qt::PlainText);
  Lines->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Table = new QTableWidget(0, 0, this);
  Table->verticalHeader()->hide();
  Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Table->setSelectionMode(QAbstractItemView::NoSelection);
  Table->setFocusPolicy(Qt::NoFocus);
  // A long note wraps in its cell, which grows to hold it, rather than being cut.
  Table->setWordWrap(true);
  Table->setTextElideMode(Qt::ElideNone);
  Table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  Table->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Lines);
  layout->addWidget(Table, 1);
}

void TablePane::Show(const QStringList& lines, const QStringList& headers, const std::vector<QStringList>& rows) {
  Lines->setText(lines.join(QChar('\n')));
  Table->clear();
  Table->setColumnCount(static_cast<int>(headers.size()));
  Table->setHorizontalHeaderLabels(headers);
  Table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const QStringList& cells = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < cells.size() && c < Table->columnCount(); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setToolTip(cells[c]);  // a long note is cut in its cell
      Table->setItem(r, c, item);
    }
  }
  Table->resizeColumnsToContents();
  // A long text (a definition's channel name of five words) wraps in its cell
  // rather than pushing the last column, the notes, out of sight.
  const int widest = fontMetrics().averageCharWidth() * 24;
  for (int c = 0; c + 1 < Table->columnCount(); ++c) {
    if (Table->columnWidth(c) > widest) Table->setColumnWidth(c, widest);
  }
  contentWidth_ = 0;
  for (int c = 0; c < Table->columnCount(); ++c) contentWidth_ += Table->columnWidth(c);
  FitLastColumn();
}

void TablePane::FitLastColumn() {
  // The last column takes the room the others leave, at least 30 characters,
  // and its text wraps in it; the rows grow to hold it.
  const int last = Table->columnCount() - 1;
  if (last < 0) return;
  int others = 0;
  for (int c = 0; c < last; ++c) others += Table->columnWidth(c);
  const int room = Table->viewport()->width() - others;
  const int width = std::max(room, fontMetrics().averageCharWidth() * 30);
  if (Table->columnWidth(last) != width) Table->setColumnWidth(last, width);
  Table->resizeRowsToContents();
}

bool TablePane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Table->viewport() && event->type() == QEvent::Resize) FitLastColumn();
  return QWidget::eventFilter(watched, event);
}

void TablePane::ShowLines(const QStringList& lines) {
  Lines->setText(lines.join(QChar('\n')));
  Table->setRowCount(0);
}

TableBox::TableBox(const TableQuestion& question, QWidget* parent) : QDialog(parent) {
  setWindowTitle(question.title);
  Pane = new TablePane(this);
  Pane->Show(question.lines, question.headers, question.rows);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Pane, 1);
  Options = new QButtonGroup(this);
  for (int i = 0; i < static_cast<int>(question.options.size()); ++i) {
    auto* button = new QRadioButton(question.options[static_cast<std::size_t>(i)], this);
    Options->addButton(button, i);
    layout->addWidget(button);
    if (i == question.option) button->setChecked(true);
  }
  if (!question.checkText.isEmpty()) {
    Check = new QCheckBox(question.checkText, this);
    Check->setChecked(question.checked);
    layout->addWidget(Check);
    if (const int with = question.checkWithOption; with >= 0) {
      auto follow = [this, with] { Check->setEnabled(Options->checkedId() == with); };
      connect(Options, &QButtonGroup::idToggled, Check, follow);
      follow();
    }
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // Wide enough for every column of a 40-channel table; its rows scroll.
  const int width = Pane->ContentWidth() + 2 * Pane->Table->frameWidth() + 48;
  resize(std::clamp(width, 640, 1180), 680);
}

void TableBox::Take(TableQuestion& question) const {
  if (Options->checkedId() >= 0) question.option = Options->checkedId();
  if (Check) question.checked = Check->isChecked();
}

}  // namespace brannoc::ui
