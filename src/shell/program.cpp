#include "shell/program.h"

#include <QApplication>

namespace brannoc {

void UseProgramFont() {
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), font.family()});
  font.setPointSize(8);
  QApplication::setFont(font);
}

Program::Program() {
  UseProgramFont();
  app_.ProgramFolder = QCoreApplication::applicationDirPath().toStdString();
  app_.Dialogs = &dialogs_;
  form_ = std::make_unique<MainForm>(app_);
  form_->show();
  form_->Start();
}

Program::~Program() = default;

}  // namespace brannoc
