#include "support/palette_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "data/palette_fill/generate.h"

namespace brannoc::test {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

}  // namespace

// The one channel of a wheel palette that is no fine byte: the channel whose
// steps its presets came from. Nothing for a palette of mixers.
std::optional<std::size_t> WheelChannel(const FixtureRecord& fixture, std::size_t p) {
  std::vector<std::size_t> coarse;
  for (std::size_t c = 0; c < fixture.ChannelCount; ++c) {
    const bool low = fixture.Channels[c].Type == InstantLTP16L || fixture.Channels[c].Type == FadeableLTP16L;
    if (fixture.Palettes.PaletteMember[p][c] == 1 && !low) coarse.push_back(c);
  }
  if (coarse.size() != 1 || fixture.StepCounts[coarse[0]] == 0) return std::nullopt;
  return coarse[0];
}

// Every preset of a wheel palette lies inside a step that gives its name.
void ExpectPresetsInsideTheirSteps(const FixtureRecord& fixture, std::size_t p, std::size_t wheel,
                                   const std::string& where) {
  const PaletteData& pal = fixture.Palettes;
  for (std::size_t k = 0; k < kPresetCount; ++k) {
    if (pal.PresetName[p][k].IsBlank()) continue;
    const std::string name = Lower(pal.PresetName[p][k].TrimmedUtf8());
    const int value = pal.PresetValue[p][wheel][k];
    bool inside = false;
    for (std::size_t s = 0; s < fixture.StepCounts[wheel] && !inside; ++s) {
      const ChannelStep& step = fixture.Steps[wheel][s];
      inside = Lower(PaletteText::FromUtf8(PresetNameOfStep(step.StepName.TrimmedUtf8())).TrimmedUtf8()) == name &&
               value >= std::min(step.FromDmx, step.ToDmx) && value <= std::max(step.FromDmx, step.ToDmx);
    }
    EXPECT_TRUE(inside) << where << " " << pal.PaletteName[p].TrimmedUtf8() << " preset \"" << name << "\" at "
                        << value;
  }
}

// What a reload gives back of the palettes, the block itself aside.
void ExpectSamePalettes(const PaletteData& read, const PaletteData& filled, const std::string& where) {
  EXPECT_EQ(read.PaletteUsed, filled.PaletteUsed) << where;
  EXPECT_EQ(read.PaletteName, filled.PaletteName) << where;
  EXPECT_EQ(read.PresetName, filled.PresetName) << where;
  EXPECT_EQ(read.PresetChannelCount, filled.PresetChannelCount) << where;
  EXPECT_EQ(read.PaletteMember, filled.PaletteMember) << where;
  EXPECT_TRUE(read.PresetValue == filled.PresetValue) << where;
}

}  // namespace brannoc::test
