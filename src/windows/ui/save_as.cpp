#include "windows/ui/save_as.h"

#include <filesystem>

namespace brannoc::ui {
namespace {

const QString kSaveAsTitle = QStringLiteral("Brannoc-512 Save As");

bool HoldsSomething(const QString& path) {
  std::error_code ec;
  const std::filesystem::path file(path.toStdString());
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  const auto size = std::filesystem::file_size(file, ec);
  return !ec && size > 0;
}

}  // namespace

std::optional<QString> AskSavePath(Dialogs& dialogs, QWidget* parent, const QString& filter,
                                   const QString& ending) {
  const auto chosen = dialogs.SaveFileName(parent, filter);
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  QString name = *chosen;
  if (!name.toLower().endsWith(ending.toLower())) name += ending;
  if (HoldsSomething(name)) {
    const Answer replace = dialogs.Ask(
        parent, name + QStringLiteral(" already exists.") + QChar(13) + QStringLiteral("Do you want to replace it?"),
        kSaveAsTitle, Buttons::YesNo, Icon::None);
    if (replace != Answer::Yes) return std::nullopt;
  }
  return name;
}

void ReportSaveFailure(Dialogs& dialogs, QWidget* parent, const QString& path, const std::string& reason) {
  dialogs.Ask(parent, path + QStringLiteral(" could not be saved.") + QChar(13) + QString::fromStdString(reason),
              kSaveAsTitle, Buttons::Ok, Icon::Warning);
}

}  // namespace brannoc::ui
