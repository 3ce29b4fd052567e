#pragma once
// Laying controls out at positions given in twips, as the windows were drawn.

#include <QLabel>
#include <QString>
#include <QWidget>

#include "windows/ui/twips.h"

namespace brannoc::ui {

// Puts `control` at (left, top) with the given size, all in twips; returns it.
template <class Control>
Control* Place(Control* control, int left, int top, int width, int height) {
  control->setGeometry(TwipsRect(left, top, width, height));
  return control;
}

// A label of its own size with its top-left corner at (left, top) in twips.
inline QLabel* Label(const QString& text, QWidget* parent, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->move(Twips(left), Twips(top));
  label->adjustSize();
  return label;
}

// The same label, naming `control`: its buddy, and its text as the control's
// accessible name, so that screen readers and desktop automation tell the
// control by its label.
inline QLabel* Label(const QString& text, QWidget* parent, int left, int top, QWidget* control) {
  QLabel* label = Label(text, parent, left, top);
  label->setBuddy(control);
  control->setAccessibleName(text);
  return label;
}

}  // namespace brannoc::ui
