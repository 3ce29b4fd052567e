#include "data/palette_fill/generate.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace brannoc {
namespace {

using Steps = std::vector<std::tuple<int, int, const char*>>;

class MadeFixture {
 public:
  MadeFixture() {
    fixture_ = std::make_unique<FixtureRecord>();
    ResetFixture(*fixture_, 1);
    fixture_->ChannelCount = 0;
  }
  // Adds a channel; its 1-based number.
  int Add(const char* name, Steps steps = {}, std::uint8_t value = 0) {
    const auto c = fixture_->ChannelCount++;
    ChannelRecord& channel = fixture_->Channels[c];
    channel.Name = FixedText<12>::FromUtf8(name);
    channel.Number = static_cast<std::uint8_t>(c + 1);
    channel.Value = value;
    for (const auto& [from, to, text] : steps) {
      fixture_->Steps[c][fixture_->StepCounts[c]++] = {static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to),
                                                       FixedText<8>::FromUtf8(text)};
    }
    return c + 1;
  }
  // Makes `high` a 16-bit channel whose fine byte is `low`.
  void Pair(int high, int low) {
    fixture_->Channels[high - 1u].Type = FadeableLTP16H;
    fixture_->Channels[high - 1u].Partner = static_cast<std::uint8_t>(low);
    fixture_->Channels[low - 1u].Type = FadeableLTP16L;
  }
  FixtureRecord& operator*() { return *fixture_; }

 private:
  std::unique_ptr<FixtureRecord> fixture_;
};

const GeneratedPalette* Find(const std::vector<GeneratedPalette>& palettes, const std::string& name) {
  for (const GeneratedPalette& p : palettes) {
    if (p.Name == name) return &p;
  }
  return nullptr;
}

std::vector<std::string> PresetNames(const GeneratedPalette& palette) {
  std::vector<std::string> names;
  for (const GeneratedPreset& preset : palette.Presets) names.push_back(preset.Name);
  return names;
}

TEST(PalettesFromChannels, AColourWheelGivesOnePresetPerSingleColourStepInsideItsRange) {
  MadeFixture f;
  f.Add("Colour", {{0, 9, "Open"}, {10, 19, "Red"}, {20, 29, "Blue"}, {30, 39, "Green"}, {40, 49, "Split"},
                   {50, 59, "Red/Blue"}, {60, 255, "RnbwFxSF"}});
  const auto palettes = PalettesFromChannels(*f);
  const GeneratedPalette* colour = Find(palettes, "Colour");
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(PresetNames(*colour), (std::vector<std::string>{"Open", "Red", "Blue", "Green"}));
  EXPECT_EQ(colour->Members, std::vector<int>{0});
  const int lows[] = {0, 10, 20, 30};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_GE(colour->Presets[k].Values[0], lows[k]);
    EXPECT_LE(colour->Presets[k].Values[0], lows[k] + 9);
  }
  // A gobo wheel keeps its still gobos, cut to 6 characters, and drops the shaking ones.
  MadeFixture g;
  g.Add("Gobo", {{0, 7, "Open"}, {8, 15, "Gobo 1"}, {16, 23, "Starburs"}, {24, 31, "Gobo1Shk"}, {32, 40, "Gobo 1-2"},
                 {41, 50, "IdxGobo2"}, {51, 60, "IdxGobo3"}, {61, 70, "Lavendr9"}});
  const auto goboPalettes = PalettesFromChannels(*g);
  const GeneratedPalette* gobo = Find(goboPalettes, "Gobo");
  ASSERT_NE(gobo, nullptr);
  EXPECT_EQ(PresetNames(*gobo), (std::vector<std::string>{"Open", "Gobo 1", "Starbu", "Gobo2", "Gobo3", "Laven9"}));
}

TEST(PalettesFromChannels, AnRgbwMixerTakesTheTableWithWhiteAloneAndCmyTakesItsComplement) {
  MadeFixture f;
  const int dimmer = f.Add("Dimmer");
  f.Add("Red");
  f.Add("Green");
  f.Add("Blue");
  f.Add("White");
  const auto palettes = PalettesFromChannels(*f);
  const GeneratedPalette* colour = Find(palettes, "Colour");
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(colour->Members, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(PresetNames(*colour), (std::vector<std::string>{"White", "Red", "Orange", "Yellow", "Green", "Cyan",
                                                            "Blue", "Purple", "Pink", "Warm"}));
  auto rgbw = [&](std::size_t k) {
    const auto& v = colour->Presets[k].Values;
    return std::vector<int>{v[1], v[2], v[3], v[4]};
  };
  EXPECT_EQ(rgbw(0), (std::vector<int>{0, 0, 0, 255}));  // White: the white LED alone
  EXPECT_EQ(rgbw(1), (std::vector<int>{255, 0, 0, 0}));
  EXPECT_EQ(rgbw(2), (std::vector<int>{255, 96, 0, 0}));
  EXPECT_EQ(rgbw(7), (std::vector<int>{128, 0, 255, 0}));
  EXPECT_EQ(rgbw(9), (std::vector<int>{255, 160, 64, 128}));
  // The master dimmer carries the intensity.
  const GeneratedPalette* intens = Find(palettes, "Intens");
  ASSERT_NE(intens, nullptr);
  EXPECT_EQ(intens->Members, std::vector<int>{dimmer - 1});
  EXPECT_EQ(PresetNames(*intens), (std::vector<std::string>{"Full", "75%", "50%", "25%", "Off"}));
  EXPECT_EQ(intens->Presets[1].Values[0], 191);

  // A wheel that names no colour gives way to mixing.
  MadeFixture cmy;
  cmy.Add("Cyan");
  cmy.Add("Magenta");
  cmy.Add("Yellow");
  cmy.Add("Colour", {{0, 9, "Open"}, {10, 19, "Slot 1"}});
  const auto cmyPalettes = PalettesFromChannels(*cmy);
  const GeneratedPalette* mix = Find(cmyPalettes, "Colour");
  ASSERT_NE(mix, nullptr);
  EXPECT_EQ(mix->Members, (std::vector<int>{0, 1, 2}));
  const auto& red = mix->Presets[1].Values;
  EXPECT_EQ((std::vector<int>{red[0], red[1], red[2]}), (std::vector<int>{0, 255, 255}));
  EXPECT_EQ(Find(cmyPalettes, "Intens"), nullptr);  // subtractive: no intensity without a dimmer
}

TEST(PalettesFromChannels, SixteenBitPanAndTiltCentreAtCoarse128Fine0AndHomeAtTheirDefaults) {
  MadeFixture f;
  const int pan = f.Add("Pan", {}, 100);
  const int panFine = f.Add("Pan Fine", {}, 7);
  const int tilt = f.Add("Tilt", {}, 50);
  const int tiltFine = f.Add("Tilt Fine");
  f.Pair(pan, panFine);
  f.Pair(tilt, tiltFine);
  const auto palettes = PalettesFromChannels(*f);
  const GeneratedPalette* pos = Find(palettes, "Pos");
  ASSERT_NE(pos, nullptr);
  EXPECT_EQ(pos->Members, (std::vector<int>{0, 1, 2, 3}));
  ASSERT_EQ(PresetNames(*pos), (std::vector<std::string>{"Centre", "Home"}));
  const auto& centre = pos->Presets[0].Values;
  EXPECT_EQ((std::vector<int>{centre[0], centre[1], centre[2], centre[3]}), (std::vector<int>{128, 0, 128, 0}));
  const auto& home = pos->Presets[1].Values;
  EXPECT_EQ((std::vector<int>{home[0], home[1], home[2], home[3]}), (std::vector<int>{100, 7, 50, 0}));
}

TEST(PalettesFromChannels, ShutterPrismAndLensChannelsGiveTheirPresets) {
  MadeFixture f;
  f.Add("Shutter", {{0, 19, "Closed"}, {20, 49, "Open"}, {50, 199, "Strb s-f"}, {200, 255, "Pulse"}});
  f.Add("Prism", {{0, 19, "No prism"}, {20, 127, "3-facet"}, {128, 255, "Prsm Rot"}});
  f.Add("Iris", {{0, 9, "Open"}, {10, 255, "Close"}});
  f.Add("Zoom 2");
  const auto palettes = PalettesFromChannels(*f);
  const GeneratedPalette* beam = Find(palettes, "Beam");
  ASSERT_NE(beam, nullptr);
  EXPECT_EQ(PresetNames(*beam), (std::vector<std::string>{"Open", "Closed", "Strb S", "Strb F", "Pulse"}));
  EXPECT_EQ(beam->Presets[2].Values[0], 50 + 149 / 4);
  EXPECT_EQ(beam->Presets[3].Values[0], 50 + 149 * 3 / 4);
  const GeneratedPalette* prism = Find(palettes, "Prism");
  ASSERT_NE(prism, nullptr);
  EXPECT_EQ(PresetNames(*prism), (std::vector<std::string>{"Out", "3-face", "PrsmRo"}));
  EXPECT_EQ(prism->Presets[0].Values[1], 9);
  const GeneratedPalette* iris = Find(palettes, "Iris");
  ASSERT_NE(iris, nullptr);
  EXPECT_EQ(PresetNames(*iris), (std::vector<std::string>{"Open", "Min", "Mid", "Max"}));
  const GeneratedPalette* zoom = Find(palettes, "Zoom");
  ASSERT_NE(zoom, nullptr);
  EXPECT_EQ(zoom->Presets[1].Values[3], 128);
  // The order of the palettes is fixed.
  std::vector<std::string> order;
  for (const auto& p : palettes) order.push_back(p.Name);
  EXPECT_EQ(order, (std::vector<std::string>{"Beam", "Prism", "Zoom", "Iris"}));

  // A strobe channel: its "no strobe" step is the open light; random strobing is no strobe range.
  MadeFixture strobe;
  strobe.Add("Strobe", {{0, 3, "No Strb"}, {4, 99, "Strobe"}, {100, 255, "Rnd Strb"}});
  const auto strobePalettes = PalettesFromChannels(*strobe);
  ASSERT_EQ(strobePalettes.size(), 1u);
  EXPECT_EQ(PresetNames(strobePalettes[0]), (std::vector<std::string>{"Open", "Strb S", "Strb F"}));
  EXPECT_EQ(strobePalettes[0].Presets[0].Values[0], 1);
  EXPECT_EQ(strobePalettes[0].Presets[1].Values[0], 4 + 95 / 4);
}

TEST(FillPalettes, FillsOnlyFreePalettesAndNeverANamedPaletteOrPreset) {
  MadeFixture f;
  f.Add("Dimmer");
  f.Add("Pan");
  f.Add("Zoom");
  PaletteData& pal = (*f).Palettes;
  ClearPalettes(pal);
  pal.PaletteName[0] = PaletteText::FromUtf8("Mine");
  pal.PresetName[1][3] = PaletteText::FromUtf8("Kept");  // a named preset in an unnamed palette
  pal.PaletteName[4] = PaletteText::FromUtf8("pos");     // the same name as a made one
  const PaletteData before = pal;

  const PaletteFill fill = FillPalettes(*f);
  EXPECT_EQ(fill.Made, (std::vector<std::string>{"Zoom", "Intens"}));
  EXPECT_EQ(fill.Named, std::vector<std::string>{"Pos"});
  EXPECT_EQ(pal.PaletteName[0], before.PaletteName[0]);
  EXPECT_EQ(pal.PresetName[1], before.PresetName[1]);
  EXPECT_EQ(pal.PresetValue[1], before.PresetValue[1]);
  EXPECT_EQ(pal.PaletteName[2].TrimmedUtf8(), "Zoom");
  EXPECT_EQ(pal.PaletteName[3].TrimmedUtf8(), "Intens");
  EXPECT_EQ(pal.PaletteMember[2][2], 1);
  EXPECT_EQ(pal.PresetChannelCount[3][4], 1);  // recounted
  EXPECT_EQ(pal.PaletteUsed[3], 1);
  EXPECT_EQ(fill.ReportLines(), (std::vector<std::string>{"Palettes made: Zoom, Intens",
                                                          "Palettes left out, a palette of that name is there: Pos"}));
  // Filling again finds every palette it would make already there.
  const PaletteFill again = FillPalettes(*f);
  EXPECT_TRUE(again.Made.empty());
  EXPECT_EQ(again.Named, (std::vector<std::string>{"Zoom", "Pos", "Intens"}));
}

TEST(FillPalettes, PalettesThatWouldPassTheBlockAreLeftOutAndNamedWhileSmallerOnesStillGoIn) {
  MadeFixture f;
  for (int i = 1; i <= 36; ++i) f.Add(("Red " + std::to_string(i)).c_str());
  f.Add("Green");
  f.Add("Blue");
  f.Add("Focus");
  PaletteData& pal = (*f).Palettes;
  ClearPalettes(pal);
  // Named palettes of 36, 36 and 13 members with ten presets each: 1700 bytes.
  // Colour would need 38 x 2 x 10 = 760 more, Focus 6, Intens 38 x 2 x 5 = 380.
  const int members[] = {36, 36, 13};
  for (std::size_t p = 0; p < 3; ++p) {
    pal.PaletteName[p] = PaletteText::FromUtf8("Big" + std::to_string(p));
    for (int ch = 0; ch < members[p]; ++ch) pal.PaletteMember[p][static_cast<std::size_t>(ch)] = 1;
    for (std::size_t k = 0; k < 10; ++k) pal.PresetName[p][k] = PaletteText::FromUtf8("P" + std::to_string(k));
  }
  const PaletteFill fill = FillPalettes(*f);
  EXPECT_EQ(fill.Made, (std::vector<std::string>{"Focus"}));
  EXPECT_EQ(fill.BlockFull, (std::vector<std::string>{"Colour", "Intens"}));
  EXPECT_LE(PaletteBlockBytes(pal, (*f).ChannelCount), kPaletteBlockSize);
  EXPECT_EQ(fill.ReportLines()[1],
            "Palettes left out, the palette block would pass 2048 bytes: Colour, Intens");
}

}  // namespace
}  // namespace brannoc
