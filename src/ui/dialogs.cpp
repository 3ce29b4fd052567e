#include "ui/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace brannoc::ui {

QString QtFilter(const QString& filter) { return filter.section(QLatin1Char('|'), 0, 0); }

Answer QtDialogs::Ask(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                      Icon icon) {
  QMessageBox box(parent);
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
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
  }
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

}  // namespace brannoc::ui
