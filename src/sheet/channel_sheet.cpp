#include "sheet/channel_sheet.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numeric>

namespace brannoc {
namespace {

constexpr std::array<SheetFont, 4> kFonts = {SheetFont::Title, SheetFont::Heading, SheetFont::Bold, SheetFont::Body};

template <std::size_t N>
QString Shown(const FixedText<N>& text) {
  return QString::fromStdString(text.BoxTextTrimmed());
}

QString TypeText(std::uint8_t type) {
  const auto name = ChannelTypeName(type);
  if (name.empty()) return QStringLiteral("letter ") + QString::number(type);
  return QString::fromLatin1(name.data(), static_cast<int>(name.size()));
}

bool IsSixteenBit(std::uint8_t type) { return type >= InstantLTP16H && type <= FadeableLTP16L; }

// Lays texts out down the pages: `y` is where the next line goes on the last page.
class Flow {
 public:
  Flow(SheetLayout& layout, const QPaintDevice& device) : layout_(layout), dpi_(device.logicalDpiY()) {
    for (const SheetFont font : kFonts) metrics_.emplace_back(SheetFontOf(font), &device);
    bottom_ = layout_.Area.height() - Line(SheetFont::Body) * 2;
    NewPage();
  }

  double Pt(double points) const { return points * dpi_ / 72.0; }
  double Width(SheetFont font, const QString& text) const {
    return std::ceil(Metrics(font).horizontalAdvance(text)) + 1;
  }
  double Line(SheetFont font) const { return std::ceil(Metrics(font).lineSpacing() * 1.12); }
  double PageWidth() const { return layout_.Area.width(); }
  double Bottom() const { return bottom_; }
  double Room() const { return bottom_ - y; }

  void NewPage() {
    layout_.Pages.emplace_back();
    y = 0;
  }
  // A new page unless `height` fits below `y` (or the page is still empty).
  void Need(double height) {
    if (y > 0 && y + height > bottom_) NewPage();
  }
  // A text in a box of width `width` (never narrower than the text).
  void Text(double x, double top, double width, SheetFont font, const QString& text,
            Qt::Alignment align = Qt::AlignLeft) {
    width = std::max(width, Width(font, text));
    layout_.Pages.back().Texts.push_back({QRectF(x, top, width, Line(font)), text, font, align});
  }
  void Rule(double x1, double top, double x2) { layout_.Pages.back().Rules.push_back(QLineF(x1, top, x2, top)); }
  void Heading(const QString& text) {
    Need(Line(SheetFont::Heading) + Line(SheetFont::Bold) + 3 * Line(SheetFont::Body));
    y += Pt(4);
    Text(0, y, 0, SheetFont::Heading, text);
    y += Line(SheetFont::Heading);
  }

  double y = 0;

 private:
  const QFontMetricsF& Metrics(SheetFont font) const { return metrics_[static_cast<std::size_t>(font)]; }

  SheetLayout& layout_;
  double dpi_;
  std::vector<QFontMetricsF> metrics_;
  double bottom_ = 0;
};

void LayOutHeader(const FixtureRecord& fixture, const SheetHeader& header, Flow& flow) {
  QString name = Shown(fixture.FixtureName);
  if (name.isEmpty()) name = QStringLiteral("(fixture without a name)");
  flow.Text(0, flow.y, 0, SheetFont::Title, name);
  flow.y += flow.Line(SheetFont::Title);
  const QString file = header.FileName.isEmpty() ? QStringLiteral("not saved") : header.FileName;
  const QString fields[] = {
      QStringLiteral("File: ") + file,
      QStringLiteral("Date: ") + header.Date,
      QStringLiteral("Channels: ") + QString::number(fixture.ChannelCount),
      QStringLiteral("Max pan: ") + QString::number(fixture.MaxPanDegree) + QChar(0x00B0),
      QStringLiteral("Max tilt: ") + QString::number(fixture.MaxTiltDegree) + QChar(0x00B0),
  };
  const double gap = flow.Pt(16);
  double x = 0;
  for (QString field : fields) {
    double width = flow.Width(SheetFont::Body, field);
    if (width > flow.PageWidth()) {
      // Only a very long file name: shortened in its middle to the page's width.
      while (field.size() > 8 && flow.Width(SheetFont::Body, field) > flow.PageWidth()) {
        field.remove(field.size() / 2, 2);
        field.insert(field.size() / 2, QChar(0x2026));
      }
      width = flow.Width(SheetFont::Body, field);
    }
    if (x > 0 && x + width > flow.PageWidth()) {
      x = 0;
      flow.y += flow.Line(SheetFont::Body);
    }
    flow.Text(x, flow.y, width, SheetFont::Body, field);
    x += width + gap;
  }
  flow.y += flow.Line(SheetFont::Body) + flow.Pt(2);
  flow.Rule(0, flow.y, flow.PageWidth());
  flow.y += flow.Pt(2);
}

void LayOutChannels(const FixtureRecord& fixture, Flow& flow) {
  const int count = std::min<int>(fixture.ChannelCount, kMaxChannels);
  if (count == 0) return;
  constexpr int kColumns = 6;
  const QString heads[kColumns] = {QStringLiteral("Ch"),      QStringLiteral("Name"),   QStringLiteral("Code"),
                                   QStringLiteral("Type"),    QStringLiteral("Partner"), QStringLiteral("Value")};
  const bool numeric[kColumns] = {true, false, true, false, true, true};
  std::vector<std::array<QString, kColumns>> rows;
  for (int c = 0; c < count; ++c) {
    const ChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(c)];
    rows.push_back({QString::number(c + 1), Shown(channel.Name), QString::number(channel.NameCode),
                    TypeText(channel.Type),
                    IsSixteenBit(channel.Type) || channel.Partner != 0 ? QString::number(channel.Partner) : QString(),
                    QString::number(channel.Value)});
  }
  const double pad = flow.Pt(8);
  std::array<double, kColumns> widths{};
  for (int i = 0; i < kColumns; ++i) {
    widths[i] = flow.Width(SheetFont::Bold, heads[i]);
    for (const auto& row : rows) widths[i] = std::max(widths[i], flow.Width(SheetFont::Body, row[i]));
  }
  double tableWidth = 0;
  for (double& w : widths) tableWidth += (w += pad);
  const double gap = flow.Pt(18);
  const int halves = count > 8 && 2 * tableWidth + gap <= flow.PageWidth() ? 2 : 1;
  const int perHalf = (count + halves - 1) / halves;
  const double rowHeight = flow.Line(SheetFont::Body);

  const auto headRow = [&] {
    for (int h = 0; h < halves; ++h) {
      double x = h * (tableWidth + gap);
      for (int i = 0; i < kColumns; ++i) {
        flow.Text(x, flow.y, widths[i] - pad, SheetFont::Bold, heads[i], numeric[i] ? Qt::AlignRight : Qt::AlignLeft);
        x += widths[i];
      }
    }
    flow.y += flow.Line(SheetFont::Bold);
    for (int h = 0; h < halves; ++h) flow.Rule(h * (tableWidth + gap), flow.y, h * (tableWidth + gap) + tableWidth);
  };
  flow.Heading(QStringLiteral("Channels"));
  headRow();
  for (int r = 0; r < perHalf; ++r) {
    if (flow.y + rowHeight > flow.Bottom()) {
      flow.NewPage();
      headRow();
    }
    for (int h = 0; h < halves; ++h) {
      const int c = h * perHalf + r;
      if (c >= count) continue;
      double x = h * (tableWidth + gap);
      for (int i = 0; i < kColumns; ++i) {
        flow.Text(x, flow.y, widths[i] - pad, SheetFont::Body, rows[static_cast<std::size_t>(c)][i],
                  numeric[i] ? Qt::AlignRight : Qt::AlignLeft);
        x += widths[i];
      }
    }
    flow.y += rowHeight;
  }
}

void LayOutSteps(const FixtureRecord& fixture, Flow& flow) {
  const int count = std::min<int>(fixture.ChannelCount, kMaxChannels);
  std::vector<int> stepped;
  for (int c = 0; c < count; ++c) {
    if (fixture.StepCounts[static_cast<std::size_t>(c)] > 0) stepped.push_back(c);
  }
  if (stepped.empty()) return;
  const auto title = [&](int c) {
    const QString name = Shown(fixture.Channels[static_cast<std::size_t>(c)].Name);
    return QString::number(c + 1) + (name.isEmpty() ? QString() : QStringLiteral(" ") + name);
  };
  const auto range = [](const ChannelStep& step) {
    return QString::number(step.FromDmx) + QChar(0x2013) + QString::number(step.ToDmx);
  };
  const double rangeWidth = flow.Width(SheetFont::Body, QStringLiteral("255") + QChar(0x2013) + QStringLiteral("255"));
  double nameWidth = 0;
  double titleWidth = 0;
  for (int c : stepped) {
    titleWidth = std::max(titleWidth, flow.Width(SheetFont::Bold, title(c)));
    const auto& steps = fixture.Steps[static_cast<std::size_t>(c)];
    for (int s = 0; s < fixture.StepCounts[static_cast<std::size_t>(c)]; ++s) {
      nameWidth = std::max(nameWidth, flow.Width(SheetFont::Body, Shown(steps[static_cast<std::size_t>(s)].StepName)));
    }
  }
  const double inner = flow.Pt(5);
  const double columnWidth = std::max(titleWidth, rangeWidth + inner + nameWidth);
  const double gap = flow.Pt(14);
  const int columns = std::max(1, static_cast<int>((flow.PageWidth() + gap) / (columnWidth + gap)));
  const double line = flow.Line(SheetFont::Body);
  const double titleLine = flow.Line(SheetFont::Bold);

  flow.Heading(QStringLiteral("Steps"));
  double top = flow.y;
  double lowest = flow.y;
  int column = 0;
  double y = top;
  const auto nextColumn = [&] {
    lowest = std::max(lowest, y);
    if (++column == columns) {
      flow.NewPage();
      column = 0;
      top = lowest = 0;
    }
    y = top;
  };
  for (int c : stepped) {
    if (y + titleLine + line > flow.Bottom()) nextColumn();
    flow.Text(column * (columnWidth + gap), y, columnWidth, SheetFont::Bold, title(c));
    y += titleLine;
    const auto& steps = fixture.Steps[static_cast<std::size_t>(c)];
    for (int s = 0; s < fixture.StepCounts[static_cast<std::size_t>(c)]; ++s) {
      if (y + line > flow.Bottom()) {
        nextColumn();
        flow.Text(column * (columnWidth + gap), y, columnWidth, SheetFont::Bold, title(c));  // again, at the top
        y += titleLine;
      }
      const ChannelStep& step = steps[static_cast<std::size_t>(s)];
      const double left = column * (columnWidth + gap);
      flow.Text(left, y, rangeWidth, SheetFont::Body, range(step), Qt::AlignRight);
      flow.Text(left + rangeWidth + inner, y, nameWidth, SheetFont::Body, Shown(step.StepName));
      y += line;
    }
    y += line * 0.35;
  }
  flow.y = std::max(lowest, y);
}

// One named palette as the sheet shows it: its title, then a table of its
// named presets against its member channels, in bands of as many members as a
// page is wide.
struct PaletteBlock {
  std::size_t Palette = 0;
  QString Title;
  std::vector<int> Members;
  std::vector<std::size_t> Presets;
  double NameWidth = 0;   // the preset name column, with its padding
  double ValueWidth = 0;  // each member's column, with its padding
  std::size_t PerBand = 1;
  std::size_t Bands = 1;
  double Width = 0;       // of its title and its table, when one band
  double Height = 0;      // of all of it, when one band
  bool Table() const { return !Members.empty() && !Presets.empty(); }
};

std::vector<PaletteBlock> PaletteBlocks(const FixtureRecord& fixture, const Flow& flow) {
  const PaletteData& palettes = fixture.Palettes;
  const int count = std::min<int>(fixture.ChannelCount, kPaletteChannels);
  const double pad = flow.Pt(7);
  std::vector<PaletteBlock> blocks;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    const QString name = Shown(palettes.PaletteName[p]);
    if (name.isEmpty()) continue;
    PaletteBlock block;
    block.Palette = p;
    for (int ch = 0; ch < count; ++ch) {
      if (palettes.PaletteMember[p][static_cast<std::size_t>(ch)] == 1) block.Members.push_back(ch);
    }
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      if (!Shown(palettes.PresetName[p][k]).isEmpty()) block.Presets.push_back(k);
    }
    block.Title = QStringLiteral("Palette ") + QString::number(p + 1) + QStringLiteral(": ") + name;
    if (block.Members.empty()) block.Title += QStringLiteral(" (no member channels)");
    if (block.Presets.empty()) block.Title += QStringLiteral(" (no named presets)");
    block.NameWidth = flow.Width(SheetFont::Bold, QStringLiteral("Preset"));
    for (std::size_t k : block.Presets) {
      block.NameWidth = std::max(block.NameWidth, flow.Width(SheetFont::Body, Shown(palettes.PresetName[p][k])));
    }
    block.NameWidth += pad;
    block.ValueWidth =
        std::max(flow.Width(SheetFont::Body, QStringLiteral("255")), flow.Width(SheetFont::Bold, QStringLiteral("40"))) +
        pad;
    block.PerBand =
        std::max<std::size_t>(1, static_cast<std::size_t>((flow.PageWidth() - block.NameWidth) / block.ValueWidth));
    block.Bands = std::max<std::size_t>(1, (block.Members.size() + block.PerBand - 1) / block.PerBand);
    block.Width = std::max(flow.Width(SheetFont::Bold, block.Title),
                           block.NameWidth + static_cast<double>(block.Members.size()) * block.ValueWidth);
    block.Height = flow.Pt(4) + flow.Line(SheetFont::Bold);
    if (block.Table()) {
      block.Height += flow.Line(SheetFont::Bold) + static_cast<double>(block.Presets.size()) * flow.Line(SheetFont::Body);
    }
    blocks.push_back(std::move(block));
  }
  return blocks;
}

// The title and the rows of members `first`..`last` of a palette, at `x`, from
// `y` down; returns the y below them. `fits(height)` says whether the next line
// of that height fits, else makes room (a new page or column) and returns false,
// and the members' row is repeated.
double LayOutPaletteBand(const FixtureRecord& fixture, const PaletteBlock& block, std::size_t first,
                         std::size_t last, double x, double y, Flow& flow,
                         const std::function<bool(double& y, double height)>& fits) {
  const PaletteData& palettes = fixture.Palettes;
  const double pad = flow.Pt(7);
  const double line = flow.Line(SheetFont::Body);
  const double boldLine = flow.Line(SheetFont::Bold);
  const auto headRow = [&] {
    flow.Text(x, y, block.NameWidth - pad, SheetFont::Bold, QStringLiteral("Preset"));
    for (std::size_t m = first; m < last; ++m) {
      flow.Text(x + block.NameWidth + static_cast<double>(m - first) * block.ValueWidth, y, block.ValueWidth - pad,
                SheetFont::Bold, QString::number(block.Members[m] + 1), Qt::AlignRight);
    }
    y += boldLine;
    flow.Rule(x, y, x + block.NameWidth + static_cast<double>(last - first) * block.ValueWidth);
  };
  fits(y, boldLine + line);
  headRow();
  for (std::size_t k : block.Presets) {
    if (!fits(y, line)) headRow();
    flow.Text(x, y, block.NameWidth - pad, SheetFont::Body, Shown(palettes.PresetName[block.Palette][k]));
    for (std::size_t m = first; m < last; ++m) {
      const int value = palettes.PresetValue[block.Palette][static_cast<std::size_t>(block.Members[m])][k];
      flow.Text(x + block.NameWidth + static_cast<double>(m - first) * block.ValueWidth, y, block.ValueWidth - pad,
                SheetFont::Body, QString::number(value), Qt::AlignRight);
    }
    y += line;
  }
  return y;
}

// Palettes narrow enough go side by side in columns, as the steps do; a palette
// as wide as the page (many members) takes the page's width, in bands.
void LayOutPalettes(const FixtureRecord& fixture, Flow& flow) {
  const std::vector<PaletteBlock> blocks = PaletteBlocks(fixture, flow);
  if (blocks.empty()) return;
  flow.Heading(QStringLiteral("Palettes"));
  const double gap = flow.Pt(14);
  const double boldLine = flow.Line(SheetFont::Bold);
  double columnWidth = 0;
  for (const PaletteBlock& block : blocks) {
    if (block.Width * 2 + gap <= flow.PageWidth()) columnWidth = std::max(columnWidth, block.Width);
  }
  const int columns = columnWidth > 0 ? static_cast<int>((flow.PageWidth() + gap) / (columnWidth + gap)) : 1;

  // The columns now being filled: their top, the lowest line in them, the one in use.
  double top = flow.y;
  double lowest = flow.y;
  int column = -1;  // none
  double y = flow.y;
  const auto endColumns = [&] {
    if (column >= 0) flow.y = std::max(lowest, y);
    column = -1;
  };
  const auto narrow = [&](const PaletteBlock& block) { return columns >= 2 && block.Width <= columnWidth; };
  double balanced = 0;  // the height each column of the run is filled to, but the last
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const PaletteBlock& block = blocks[i];
    if (narrow(block)) {
      if (column < 0) {
        column = 0;
        top = lowest = y = flow.y;
        // The palettes that follow in columns share them evenly rather than
        // filling the first to the foot: the least height to which filling
        // the columns in turn puts them all in the columns there are.
        std::vector<double> run;
        for (std::size_t j = i; j < blocks.size() && narrow(blocks[j]); ++j) run.push_back(blocks[j].Height);
        const auto columnsFor = [&run](double height) {
          int used = 1;
          double filled = 0;
          for (double h : run) {
            if (filled > 0 && filled + h > height) {
              ++used;
              filled = 0;
            }
            filled += h;
          }
          return used;
        };
        double low = *std::max_element(run.begin(), run.end());
        double high = std::accumulate(run.begin(), run.end(), 0.0);
        for (int step = 0; step < 40 && high - low > 0.5; ++step) {
          const double middle = (low + high) / 2;
          (columnsFor(middle) <= columns ? high : low) = middle;
        }
        balanced = high;
      }
      if (column + 1 < columns && y > top && y + block.Height > top + balanced) {
        lowest = std::max(lowest, y);
        ++column;
        y = top;
      }
      // A palette stays in one column; the next column, or page, when it does not fit.
      if (y + block.Height > flow.Bottom()) {
        lowest = std::max(lowest, y);
        // An empty column that cannot hold it is no better than the next one.
        if (y == top || ++column == columns) {
          flow.NewPage();
          column = 0;
          top = lowest = 0;
        }
        y = top;
      }
      const double x = column * (columnWidth + gap);
      y += flow.Pt(4);
      flow.Text(x, y, 0, SheetFont::Bold, block.Title);
      y += boldLine;
      if (block.Table()) {
        y = LayOutPaletteBand(fixture, block, 0, block.Members.size(), x, y, flow, [](double&, double) { return true; });
      }
      lowest = std::max(lowest, y);
      continue;
    }
    endColumns();
    // A palette stays on one page when a page can hold it.
    const double bandsHeight =
        block.Height + static_cast<double>(block.Bands - 1) * (boldLine + static_cast<double>(block.Presets.size()) *
                                                                              flow.Line(SheetFont::Body));
    flow.Need(std::min(bandsHeight, flow.Bottom() * 0.9));
    flow.y += flow.Pt(4);
    flow.Text(0, flow.y, 0, SheetFont::Bold, block.Title);
    flow.y += boldLine;
    if (!block.Table()) continue;
    const auto fits = [&flow](double& at, double height) {
      if (at + height <= flow.Bottom()) return true;
      flow.NewPage();
      at = 0;
      return false;
    };
    for (std::size_t b = 0; b < block.Bands; ++b) {
      const std::size_t first = b * block.PerBand;
      const std::size_t last = std::min(block.Members.size(), first + block.PerBand);
      flow.y = LayOutPaletteBand(fixture, block, first, last, 0, flow.y, flow, fits);
    }
  }
  endColumns();
}

}  // namespace

QFont SheetFontOf(SheetFont font) {
  QFont f(QStringLiteral("DejaVu Sans"));
  // No ligatures: a name on paper reads, and copies out of a PDF, letter by letter.
  f.setStyleStrategy(QFont::PreferNoShaping);
  switch (font) {
    case SheetFont::Title:
      f.setPointSizeF(14);
      f.setBold(true);
      break;
    case SheetFont::Heading:
      f.setPointSizeF(10.5);
      f.setBold(true);
      break;
    case SheetFont::Bold:
      f.setPointSizeF(7.5);
      f.setBold(true);
      break;
    case SheetFont::Body: f.setPointSizeF(7.5); break;
  }
  return f;
}

QPageSize::PageSizeId SheetPaperFor(const QLocale& locale) {
  const auto territory = locale.territory();
  if (territory == QLocale::UnitedStates || territory == QLocale::Canada || territory == QLocale::Mexico ||
      territory == QLocale::Philippines || territory == QLocale::Chile || territory == QLocale::Colombia) {
    return QPageSize::Letter;
  }
  return QPageSize::A4;
}

void SetUpSheetPages(QPagedPaintDevice& device, const QLocale& locale) {
  device.setPageSize(QPageSize(SheetPaperFor(locale)));
  device.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
}

SheetLayout LayOutChannelSheet(const FixtureRecord& fixture, const SheetHeader& header, const QPaintDevice& device) {
  SheetLayout layout;
  layout.Area = QSizeF(device.width(), device.height());
  {
    Flow flow(layout, device);
    LayOutHeader(fixture, header, flow);
    LayOutChannels(fixture, flow);
    LayOutSteps(fixture, flow);
    LayOutPalettes(fixture, flow);
    const int pages = static_cast<int>(layout.Pages.size());
    const double line = flow.Line(SheetFont::Body);
    for (int i = 0; i < pages; ++i) {
      layout.Pages[static_cast<std::size_t>(i)].Texts.push_back(
          {QRectF(0, layout.Area.height() - line, layout.Area.width(), line),
           QStringLiteral("Page ") + QString::number(i + 1) + QStringLiteral(" of ") + QString::number(pages),
           SheetFont::Body, Qt::AlignHCenter});
    }
  }
  return layout;
}

int PrintChannelSheet(QPagedPaintDevice& device, const FixtureRecord& fixture, const SheetHeader& header) {
  const SheetLayout layout = LayOutChannelSheet(fixture, header, device);
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  QPen rule(Qt::black);
  rule.setWidthF(device.logicalDpiY() * 0.5 / 72.0);
  for (std::size_t i = 0; i < layout.Pages.size(); ++i) {
    if (i > 0 && !device.newPage()) return 0;
    const SheetPage& page = layout.Pages[i];
    painter.setPen(rule);
    for (const QLineF& line : page.Rules) painter.drawLine(line);
    painter.setPen(Qt::black);
    for (const SheetText& text : page.Texts) {
      painter.setFont(SheetFontOf(text.Font));
      painter.drawText(text.Box, static_cast<int>(text.Align | Qt::AlignVCenter), text.Text);
    }
  }
  painter.end();
  return static_cast<int>(layout.Pages.size());
}

}  // namespace brannoc
