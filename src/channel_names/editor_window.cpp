#include "channel_names/editor_window.h"

namespace brannoc {

EditChName::EditChName(AppState& app, Shell& shell, QWidget* parent) : QWidget(parent), app_(app), shell_(shell) {
  setWindowTitle(QStringLiteral("Edit Channel Name Rev1.05"));
  (void)app_;
  (void)shell_;
}

void EditChName::Form_Load() {}

}  // namespace brannoc
