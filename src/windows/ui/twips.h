#pragma once
// Positions and sizes of the windows are given in twips: 1440 to the logical
// inch of the screen (15 to a pixel at 96 dpi).

#include <QRect>
#include <QSize>

namespace brannoc::ui {

int Twips(int twips);
QRect TwipsRect(int left, int top, int width, int height);
QSize TwipsSize(int width, int height);
// Pixels back to twips (for reading a control's size in the window's units).
int ToTwips(int pixels);

}  // namespace brannoc::ui
