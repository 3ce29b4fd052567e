// The Brannoc-512 fixture library editor.

#include <QApplication>

#include "shell/main_form.h"
#include "ui/dialogs.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The windows were laid out for a narrow 8-point face.
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), font.family()});
  font.setPointSize(8);
  QApplication::setFont(font);
  brannoc::ui::QtDialogs dialogs;
  brannoc::AppState app;
  app.ProgramFolder = QCoreApplication::applicationDirPath().toStdString();
  app.Dialogs = &dialogs;
  brannoc::MainForm form(app);
  form.show();
  form.Start();
  return QApplication::exec();
}
