#include "windows/shell/program.h"

#include <QApplication>
#include <QIcon>

namespace brannoc {

void UseProgramLook() {
  QGuiApplication::setDesktopFileName(QStringLiteral("brannoc512"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/brannoc512.png")));
  // The windows were laid out for a narrow 8-point face.
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), font.family()});
  font.setPointSize(8);
  QApplication::setFont(font);
}

Program::Program(const std::filesystem::path& nameSetFolder, const QString& file, bool nameSetReadOnly) {
  UseProgramLook();
  app_.NameSetFolder = nameSetFolder;
  app_.NameSetReadOnly = nameSetReadOnly;
  app_.Dialogs = &dialogs_;
  form_ = std::make_unique<MainForm>(app_);
  form_->show();
  form_->Start(file);
}

Program::~Program() = default;

}  // namespace brannoc
