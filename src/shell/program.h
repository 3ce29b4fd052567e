#pragma once
// The program as it starts: the face the windows were laid out for, the real
// dialogs, the state that lives for the whole run, and the parent window shown
// with the fixture editor in it. main() runs the event loop after it; the
// start-up benchmark builds the same program to time its first frame.

#include <memory>

#include "shell/app_state.h"
#include "shell/main_form.h"
#include "ui/dialogs.h"

namespace brannoc {

// The narrow 8-point face the windows were laid out for, for the whole application.
void UseProgramFont();

class Program {
 public:
  // Needs a QApplication. Shows the parent window and starts it.
  Program();
  ~Program();

  MainForm& Form() { return *form_; }

 private:
  ui::QtDialogs dialogs_;
  AppState app_;
  std::unique_ptr<MainForm> form_;
};

}  // namespace brannoc
