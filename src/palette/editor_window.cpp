#include "palette/editor_window.h"

namespace brannoc {

ULink::ULink(AppState& app, Shell& shell, QWidget* parent) : QWidget(parent), app_(app), shell_(shell) {
  setWindowTitle(QStringLiteral("Palette Edit Rev1.05"));
  (void)app_;
  (void)shell_;
}

void ULink::Form_Load() {}

}  // namespace brannoc
