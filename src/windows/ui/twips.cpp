#include "windows/ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace brannoc::ui {
namespace {

double LogicalDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
  return dpi > 0 ? dpi : 96.0;
}

}  // namespace

int Twips(int twips) { return static_cast<int>(std::lround(twips * LogicalDpi() / 1440.0)); }

QRect TwipsRect(int left, int top, int width, int height) {
  return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

QSize TwipsSize(int width, int height) { return {Twips(width), Twips(height)}; }

int ToTwips(int pixels) { return static_cast<int>(std::lround(pixels * 1440.0 / LogicalDpi())); }

}  // namespace brannoc::ui
