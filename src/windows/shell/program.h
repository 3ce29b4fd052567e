#pragma once
// The program as it starts: its look (the face the windows were laid out for,
// its icon), the real dialogs, the state that lives for the whole run, and the
// parent window shown with the fixture editor in it. main() runs the event loop
// after it; the start-up benchmark builds the same program to time its first
// frame.

#include <QString>
#include <filesystem>
#include <memory>

#include "windows/app/app_state.h"
#include "windows/shell/main_form.h"
#include "windows/ui/dialogs.h"

namespace brannoc {

// The program's face, icon and desktop entry, for the whole application.
void UseProgramLook();

class Program {
 public:
  // Needs a QApplication. Shows the parent window and starts it, with
  // "ChNameSet.fix" in `nameSetFolder` and `file` (when not empty) opened in the
  // fixture editor; with `nameSetReadOnly` nothing is written into that folder.
  Program(const std::filesystem::path& nameSetFolder, const QString& file, bool nameSetReadOnly = false);
  ~Program();

  MainForm& Form() { return *form_; }

 private:
  ui::QtDialogs dialogs_;
  AppState app_;
  std::unique_ptr<MainForm> form_;
};

}  // namespace brannoc
