#include "data/checks/compare.h"
#include "data/checks/checks.h"
#include "data/palette_fill/generate.h"

#include <gtest/gtest.h>

#include <memory>

namespace brannoc {
namespace {

std::vector<std::string> Lines(const std::vector<FieldDifference>& differences) {
  std::vector<std::string> lines;
  for (const FieldDifference& d : differences) lines.push_back(DifferenceLine(d));
  return lines;
}

std::unique_ptr<FixtureRecord> Made() {
  auto fixture = std::make_unique<FixtureRecord>();
  ResetFixture(*fixture, 16);
  fixture->FixtureName = FixedText<11>::FromUtf8("Spot");
  for (std::size_t c = 0; c < 16; ++c) fixture->Channels[c].Name = FixedText<12>::FromUtf8("Ch" + std::to_string(c));
  fixture->Channels[4].Name = FixedText<12>::FromUtf8("Gobo");
  fixture->StepCounts[8] = 3;
  fixture->Steps[8][2] = {40, 63, FixedText<8>::FromUtf8("Open")};
  PaletteData& palettes = fixture->Palettes;
  palettes.PaletteName[0] = PaletteText::FromUtf8("Colour");
  palettes.PresetName[0][3] = PaletteText::FromUtf8("Red");
  palettes.PaletteMember[0][6] = 1;
  palettes.PresetValue[0][6][3] = 40;
  return fixture;
}

TEST(CompareFixtures, AFixtureIsTheSameAsItself) {
  const auto a = Made();
  EXPECT_EQ(CompareFixtures(*a, *a), std::vector<FieldDifference>{});
}

TEST(CompareFixtures, EachFieldThatDiffersIsNamedOnceInFileOrder) {
  const auto a = Made();
  auto b = Made();
  b->Channels[4].Name = FixedText<12>::FromUtf8("Gobo1");
  b->Channels[4].NameCode = 13;
  b->Channels[5].Type = HTP;
  b->Steps[8][2].ToDmx = 64;
  b->Palettes.PresetValue[0][6][3] = 44;
  b->Palettes.PresetValue[0][7][3] = 99;  // channel 8 is no member: not compared
  b->Palettes.PaletteMember[0][9] = 1;
  b->Channels[20].Name = FixedText<12>::FromUtf8("Unused");  // past the count
  b->FunctionMap[13] = 5;                                      // derived by a save
  EXPECT_EQ(Lines(CompareFixtures(*a, *b)), (std::vector<std::string>{
                                                "channel 5 name: \"Gobo\" -> \"Gobo1\"",
                                                "channel 5 code: 0 -> 13",
                                                "channel 6 type: LTP -> HTP",
                                                "channel 9 step 3 to: 63 -> 64",
                                                "palette \"Colour\" channel 10 member: no -> yes",
                                                "palette \"Colour\" preset 4 \"Red\": channel 7 value 40 -> 44",
                                            }));
}

TEST(CompareFixtures, ChannelsAndStepsOnOneSideOnlyAreNamedWhole) {
  const auto a = Made();
  auto b = Made();
  b->ChannelCount = 18;
  b->Channels[16].Name = FixedText<12>::FromUtf8("Zoom");
  b->Channels[17].Name = FixedText<12>::FromUtf8("Focus");
  b->StepCounts[17] = 2;
  b->StepCounts[8] = 4;
  b->Steps[8][3] = {64, 255, FixedText<8>::FromUtf8("Spin")};
  EXPECT_EQ(Lines(CompareFixtures(*a, *b)), (std::vector<std::string>{
                                                "channel count: 16 -> 18",
                                                "channel 17: none -> \"Zoom\"",
                                                "channel 18: none -> \"Focus\"",
                                                "channel 9 steps: 3 -> 4",
                                                "channel 9 step 4: none -> 64..255 \"Spin\"",
                                                "channel 18 steps: 0 -> 2",
                                            }));
}

// A palette name of NUL bytes (never assigned) is stored as a name, so the
// comparison, the checks and Fill Palettes all take it for one.
TEST(BlankNames, APaletteNamedWithNulBytesIsNamedForDiffTheChecksAndFillPalettes) {
  auto a = Made();
  a->Palettes.PaletteName[1] = PaletteText();
  a->Palettes.PresetName[1][0] = PaletteText::FromUtf8("Half");
  a->Palettes.PaletteMember[1][2] = 1;
  a->Palettes.PresetValue[1][2][0] = 10;
  auto b = std::make_unique<FixtureRecord>(*a);
  b->Palettes.PresetValue[1][2][0] = 20;

  EXPECT_EQ(Lines(CompareFixtures(*a, *b)),
            std::vector<std::string>{"palette 2 preset 1 \"Half\": channel 3 value 10 -> 20"});
  a->Palettes.PresetName[1][0] = PaletteText::Blank();
  const auto problems = CheckFixture(*a);
  EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [](const FixtureProblem& p) {
    return p.Palette == 1 && p.Text == "palette 2: no preset is named";
  }));
  EXPECT_FALSE(PaletteIsFree(a->Palettes, 1));
  EXPECT_TRUE(PaletteIsFree(a->Palettes, 2));
}

TEST(CompareLedFixtures, ComparesNamesTypesAndPartners) {
  LedFixtureRecord a;
  a.ChannelCount = 3;
  a.Channels[0].Name = FixedText<12>::FromUtf8("Red");
  LedFixtureRecord b = a;
  EXPECT_EQ(CompareLedFixtures(a, b), std::vector<FieldDifference>{});
  b.Channels[0].Name = FixedText<12>::FromUtf8("Green");
  b.Channels[1].Type = FadeableLTP16H;
  b.Channels[1].Partner = 3;
  EXPECT_EQ(Lines(CompareLedFixtures(a, b)), (std::vector<std::string>{
                                                 "channel 1 name: \"Red\" -> \"Green\"",
                                                 "channel 2 type: LTP -> Fadeable LTP 16bitH",
                                                 "channel 2 partner: 0 -> 3",
                                             }));
}

}  // namespace
}  // namespace brannoc
