#include "led_fixture/editor_window.h"

namespace brannoc {

LedFixture::LedFixture(AppState& app, Shell& shell, QWidget* parent) : QWidget(parent), app_(app), shell_(shell) {
  setWindowTitle(QStringLiteral("LED Fixture Edit"));
  (void)app_;
  (void)shell_;
}

void LedFixture::Form_Load() {}

}  // namespace brannoc
