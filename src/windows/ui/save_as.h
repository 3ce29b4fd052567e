#pragma once
// The way both fixture editors ask where to save: the save dialog, the ending
// added unless the name has it in any case, and the question before a file that
// holds something is replaced (an empty file counts as absent). A failed save is
// reported the same way too.

#include <QString>
#include <optional>
#include <string>

#include "windows/ui/dialogs.h"

namespace brannoc::ui {

// The path to write to, or nothing when the user cancelled or answered No.
std::optional<QString> AskSavePath(Dialogs& dialogs, QWidget* parent, const QString& filter,
                                   const QString& ending);

void ReportSaveFailure(Dialogs& dialogs, QWidget* parent, const QString& path, const std::string& reason);

}  // namespace brannoc::ui
