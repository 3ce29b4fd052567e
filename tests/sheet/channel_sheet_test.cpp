// The channel sheet as a person reads it: the MAC Viper's import printed to a
// PDF and read back with pdftotext, the layout held against the page, and
// tfftool sheet making the same pages.

#include <QDate>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>

#include "data/fixture/file.h"
#include "data/import/qxf.h"
#include "data/palette_fill/generate.h"
#include "sheet/channel_sheet.h"
#include "support/temp_dir.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;

const fs::path kViper = "/usr/share/qlcplus/fixtures/Martin/Martin-MAC-Viper-Performance.qxf";

// Mode "Extended" of the MAC Viper (40 channels, 160 steps), with two palettes
// of its own: the import makes none.
std::unique_ptr<FixtureRecord> Viper() {
  const Bytes bytes = test::ReadAll(kViper);
  const QxfModeList list = ListQxfModes(bytes);
  std::size_t mode = 0;
  while (mode < list.Modes.size() && list.Modes[mode].Name != "Extended") ++mode;
  ChannelNameSet names;
  RestoreDefaultNames(names);
  QxfImport imported = ImportQxfMode(bytes, mode, names);
  if (!imported.Record) return nullptr;
  PaletteData& palettes = imported.Record->Palettes;
  palettes.PaletteName[0] = PaletteText::FromUtf8("Colour");
  const char* colours[] = {"Red", "Amber", "Lime", "Ocean"};
  for (std::size_t k = 0; k < 4; ++k) palettes.PresetName[0][k] = PaletteText::FromUtf8(colours[k]);
  for (std::size_t ch : {3, 4, 5}) {
    palettes.PaletteMember[0][ch] = 1;
    palettes.PresetValue[0][ch][1] = static_cast<std::uint8_t>(100 + ch);
  }
  palettes.PaletteName[1] = PaletteText::FromUtf8("Looks");  // every channel: more than one band
  palettes.PaletteMember[1].fill(1);
  for (std::size_t k = 0; k < kPresetCount; ++k) {
    palettes.PresetName[1][k] = PaletteText::FromUtf8("Look" + std::to_string(k));
    palettes.PresetValue[1][39][k] = 255;
  }
  return std::move(imported.Record);
}

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    pclose(pipe);
  }
  return text;
}

std::string PdfText(const fs::path& pdf) { return Output("pdftotext -layout '" + pdf.string() + "' - 2>&1"); }

const SheetHeader kHeader{QStringLiteral("viper.tff"), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)};

int WriteSheet(const FixtureRecord& fixture, const fs::path& pdf) {
  QPdfWriter writer(QString::fromStdString(pdf.string()));
  writer.setResolution(300);
  SetUpSheetPages(writer, QLocale(QLocale::German, QLocale::Germany));
  return PrintChannelSheet(writer, fixture, kHeader);
}

class ChannelSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kViper)) GTEST_SKIP() << "qlcplus-data is not installed; scripts/deps.sh installs it";
    fixture = Viper();
    ASSERT_TRUE(fixture);
  }
  test::TempDir dir;
  std::unique_ptr<FixtureRecord> fixture;
};

TEST_F(ChannelSheet, EveryChannelStepAndPresetNameIsOnAtMostThreePages) {
  const fs::path pdf = dir / "viper.pdf";
  const int pages = WriteSheet(*fixture, pdf);
  const std::string text = PdfText(pdf);
  EXPECT_GE(pages, 1);
  EXPECT_LE(pages, 3);
  EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\f')), pages);
  EXPECT_NE(text.find("Page " + std::to_string(pages) + " of " + std::to_string(pages)), std::string::npos);
  for (const std::string& header : {fixture->FixtureName.TrimmedUtf8(), std::string("viper.tff"), std::string("Channels: 40"), std::string("Max pan: 540"), std::string("Max tilt: 268")}) {
    EXPECT_NE(text.find(header), std::string::npos) << header;
  }
  int names = 0;
  const auto expect = [&](const std::string& name) {
    if (name.empty()) return;
    ++names;
    EXPECT_NE(text.find(name), std::string::npos) << name;
  };
  for (std::size_t c = 0; c < fixture->ChannelCount; ++c) {
    expect(fixture->Channels[c].Name.BoxTextTrimmed());
    for (std::size_t s = 0; s < fixture->StepCounts[c]; ++s) expect(fixture->Steps[c][s].StepName.BoxTextTrimmed());
  }
  for (std::size_t p = 0; p < 2; ++p) {
    expect(fixture->Palettes.PaletteName[p].BoxTextTrimmed());
    for (const PaletteText& preset : fixture->Palettes.PresetName[p]) expect(preset.BoxTextTrimmed());
  }
  EXPECT_GE(names, 200);
}

// Checked with the test's palettes (one narrow, one of every channel) and with
// the ten palettes "Fill Palettes" makes, which stand side by side in columns.
TEST_F(ChannelSheet, EveryTextHasRoomInsideThePageAndNoneOverlapsAnother) {
  QPdfWriter writer(QString::fromStdString((dir / "unused.pdf").string()));
  writer.setResolution(300);
  SetUpSheetPages(writer, QLocale(QLocale::English, QLocale::UnitedStates));  // Letter: the shorter page
  FixtureRecord filled = *fixture;
  ClearPalettes(filled.Palettes);
  ASSERT_EQ(FillPalettes(filled).Made.size(), 10u);
  const SheetLayout tens = LayOutChannelSheet(filled, kHeader, writer);
  EXPECT_EQ(tens.Pages.size(), 2u);
  std::set<double> lefts;
  for (const SheetText& text : tens.Pages.back().Texts) {
    if (text.Text.startsWith(QStringLiteral("Palette "))) lefts.insert(text.Box.left());
  }
  EXPECT_GE(lefts.size(), 3u);
  for (const SheetLayout& layout : {LayOutChannelSheet(*fixture, kHeader, writer), tens}) {
  ASSERT_LE(layout.Pages.size(), 3u);
  const QRectF page(QPointF(0, 0), layout.Area);
  for (const SheetPage& sheet : layout.Pages) {
    for (std::size_t i = 0; i < sheet.Texts.size(); ++i) {
      const SheetText& text = sheet.Texts[i];
      EXPECT_TRUE(page.contains(text.Box)) << text.Text.toStdString();
      const QFontMetricsF metrics(SheetFontOf(text.Font), &writer);
      EXPECT_LE(metrics.horizontalAdvance(text.Text), text.Box.width()) << text.Text.toStdString();
      for (std::size_t j = 0; j < i; ++j) {
        const QRectF overlap = text.Box.intersected(sheet.Texts[j].Box);
        EXPECT_TRUE(overlap.width() < 1 || overlap.height() < 1)
            << text.Text.toStdString() << " over " << sheet.Texts[j].Text.toStdString();
      }
    }
  }
  }
}

TEST_F(ChannelSheet, TfftoolSheetMakesTheSamePages) {
  const fs::path tff = dir / "viper.tff";
  ASSERT_FALSE(SaveFixtureFile(*fixture, tff));
  const fs::path made = dir / "made.pdf";
  const std::string run = Output("'" + std::string(TFFTOOL_PATH) + "' sheet '" + tff.string() +
                                 "' '" + made.string() + "' 2>&1; echo status $?");
  EXPECT_NE(run.find("status 0"), std::string::npos) << run;
  const fs::path here = dir / "here.pdf";
  WriteSheet(*fixture, here);
  EXPECT_EQ(PdfText(made), PdfText(here));
  EXPECT_EQ(Output("'" + std::string(TFFTOOL_PATH) + "' sheet '" + (dir / "none.tff").string() + "' '" +
                   (dir / "out.pdf").string() + "' >/dev/null 2>&1; echo $?"),
            "2\n");
  EXPECT_FALSE(fs::exists(dir / "out.pdf"));
}

TEST(SheetPaper, LetterWhereTheLocaleUsesItA4Elsewhere) {
  EXPECT_EQ(SheetPaperFor(QLocale(QLocale::English, QLocale::UnitedStates)), QPageSize::Letter);
  EXPECT_EQ(SheetPaperFor(QLocale(QLocale::French, QLocale::Canada)), QPageSize::Letter);
  EXPECT_EQ(SheetPaperFor(QLocale(QLocale::English, QLocale::UnitedKingdom)), QPageSize::A4);
  EXPECT_EQ(SheetPaperFor(QLocale(QLocale::German, QLocale::Germany)), QPageSize::A4);
}

}  // namespace
}  // namespace brannoc
