#include "windows/ui/dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/ui/table_box.h"

namespace brannoc::ui {

// "A(*.a)|*.a|B(*.b)|*.b": each description with its pattern, the patterns
// after the bars being the old toolkit's second copy.
QString QtFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList kept;
  for (qsizetype i = 0; i < parts.size(); i += 2) kept << parts[i];
  return kept.join(QStringLiteral(";;"));
}

namespace {

void SetUpBox(QMessageBox& box, const QString& text, const QString& title, Buttons buttons, Icon icon) {
  box.setIcon(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
  box.setWindowTitle(title);
  // A carriage return breaks the line on screen.
  QString shown = text;
  shown.replace(QChar(13), QChar('\n'));
  box.setText(shown);
  switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
}

Answer Run(QMessageBox& box) {
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
  }
}

}  // namespace

Answer QtDialogs::Ask(QWidget* parent, const QString& text, const QString& title, Buttons buttons, Icon icon) {
  QMessageBox box(parent);
  SetUpBox(box, text, title, buttons, icon);
  return Run(box);
}

Answer QtDialogs::AskWithCheck(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                               Icon icon, const QString& checkText, bool& checked) {
  QMessageBox box(parent);
  SetUpBox(box, text, title, buttons, icon);
  auto* check = new QCheckBox(checkText, &box);
  check->setChecked(checked);
  box.setCheckBox(check);
  const Answer answer = Run(box);
  checked = check->isChecked();
  return answer;
}

Answer QtDialogs::AskWithTable(QWidget* parent, TableQuestion& question) {
  TableBox box(question, parent);
  const bool ok = box.exec() == QDialog::Accepted;
  box.Take(question);
  return ok ? Answer::Ok : Answer::Cancel;
}

std::optional<QString> QtDialogs::OpenFileName(QWidget* parent, const QString& filter) {
  const QString name = QFileDialog::getOpenFileName(parent, QString(), QString(), QtFilter(filter));
  if (name.isEmpty()) return std::nullopt;
  return name;
}

std::optional<QString> QtDialogs::SaveFileName(QWidget* parent, const QString& filter) {
  // The program asks its own question before replacing a file.
  const QString name = QFileDialog::getSaveFileName(parent, QString(), QString(), QtFilter(filter),
                                                    nullptr, QFileDialog::DontConfirmOverwrite);
  if (name.isEmpty()) return std::nullopt;
  return name;
}

std::optional<int> QtDialogs::ChooseFromList(QWidget* parent, const QString& title, const QString& prompt,
                                             const std::vector<ListEntry>& entries) {
  QDialog dialog(parent);
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(prompt, &dialog));
  auto* list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("entries"));
  for (const ListEntry& entry : entries) {
    auto* item = new QListWidgetItem(list);
    if (entry.whyNot.isEmpty()) {
      item->setText(entry.text);
    } else {
      item->setText(entry.text + QStringLiteral("  (") + entry.whyNot + QStringLiteral(")"));
      item->setToolTip(entry.whyNot);
      item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
    }
  }
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);

  auto choosable = [list](int row) {
    const QListWidgetItem* item = list->item(row);
    return item && (item->flags() & Qt::ItemIsEnabled);
  };
  QObject::connect(list, &QListWidget::currentRowChanged, ok, [ok, choosable](int row) { ok->setEnabled(choosable(row)); });
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, [&dialog, list, choosable](QListWidgetItem* item) {
    if (choosable(list->row(item))) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  ok->setEnabled(false);
  for (int row = 0; row < list->count(); ++row) {
    if (choosable(row)) {
      list->setCurrentRow(row);
      break;
    }
  }
  list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 24);

  if (dialog.exec() != QDialog::Accepted || !choosable(list->currentRow())) return std::nullopt;
  return list->currentRow();
}

}  // namespace brannoc::ui
