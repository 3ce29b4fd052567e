#pragma once
// The LED fixture editor window.

#include <QWidget>

#include "shell/app_state.h"

namespace brannoc {

class LedFixture : public QWidget {
  Q_OBJECT

 public:
  LedFixture(AppState& app, Shell& shell, QWidget* parent = nullptr);

  // Opening the window (its set-up); the shell calls it once, right after
  // creating the window.
  void Form_Load();

 private:
  AppState& app_;
  Shell& shell_;
};

}  // namespace brannoc
