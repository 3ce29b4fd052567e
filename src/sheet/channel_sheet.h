#pragma once
// The channel sheet: the operator's paper reference of a fixture. A header
// (fixture name, file name, date, channel count, pan and tilt maxima), the
// channel table, the steps of each channel in columns, and the palettes with
// their members and preset values; page numbers at the foot.
//
// The layout is made once, as positioned texts and rules on pages, and then
// painted on any paged device: the printer the print dialog set up, or a
// QPdfWriter (tfftool sheet). Qt Gui only; every text is given a box at least
// as wide as the text, inside the page's paintable area, so nothing is cut.

#include <QFont>
#include <QLineF>
#include <QLocale>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <vector>

#include "data/fixture/model.h"

class QPagedPaintDevice;
class QPaintDevice;

namespace brannoc {

struct SheetHeader {
  QString FileName;  // empty: the fixture has not been saved
  QString Date;
};

enum class SheetFont { Title, Heading, Bold, Body };

struct SheetText {
  QRectF Box;  // device pixels, from the top-left of the paintable area
  QString Text;
  SheetFont Font = SheetFont::Body;
  Qt::Alignment Align = Qt::AlignLeft;
};

struct SheetPage {
  std::vector<SheetText> Texts;
  std::vector<QLineF> Rules;
};

struct SheetLayout {
  QSizeF Area;  // the paintable area of a page, device pixels
  std::vector<SheetPage> Pages;
};

// The fonts of the sheet: DejaVu Sans, as the windows use.
QFont SheetFontOf(SheetFont font);

// A4, or Letter where the locale's paper is Letter (the United States, Canada).
QPageSize::PageSizeId SheetPaperFor(const QLocale& locale);

// The paper of the locale and margins of 12 mm all round.
void SetUpSheetPages(QPagedPaintDevice& device, const QLocale& locale);

// Lays the sheet out for `device`, whose resolution and paintable size give the
// measures.
SheetLayout LayOutChannelSheet(const FixtureRecord& fixture, const SheetHeader& header, const QPaintDevice& device);

// Lays the sheet out for `device` and paints it there, one page after another.
// Returns the number of pages, 0 when the device could not be painted on.
int PrintChannelSheet(QPagedPaintDevice& device, const FixtureRecord& fixture, const SheetHeader& header);

}  // namespace brannoc
