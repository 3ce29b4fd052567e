// The palettes of every mode of every fixture definition that Debian's
// qlcplus-data installs, filled from the imported channels, checked against the
// steps they came from, saved and read back. Skipped (and says so) when the
// package is not installed.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "fixture/file.h"
#include "import/qxf.h"
#include "palette/generate.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;

const fs::path kCorpus = "/usr/share/qlcplus/fixtures";

std::string Lower(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

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

TEST(PaletteCorpus, EveryModeOfTheLibraryGetsPalettesThatComeFromItsStepsFitAndComeBack) {
  if (!fs::is_directory(kCorpus)) GTEST_SKIP() << kCorpus << " is missing: install qlcplus-data";
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(kCorpus)) {
    if (entry.is_regular_file() && entry.path().extension() == ".qxf") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ChannelNameSet names;
  RestoreDefaultNames(names);

  int modes = 0, colour = 0, gobo = 0, beam = 0, pos = 0, leftOut = 0, wheelPresets = 0;
  for (const fs::path& path : files) {
    const ReadResult file = ReadFilePrefix(path, kMaxQxfBytes + 1);
    ASSERT_FALSE(file.error) << path;
    const QxfModeList list = ListQxfModes(file.bytes);
    for (std::size_t m = 0; m < list.Modes.size(); ++m) {
      if (!list.Modes[m].Fits) continue;
      const std::string where = path.filename().string() + " mode \"" + list.Modes[m].Name + "\"";
      QxfImport imported = ImportQxfMode(file.bytes, m, names);
      ASSERT_TRUE(imported.Record) << where << ": " << imported.Error;
      FixtureRecord& fixture = *imported.Record;
      const PaletteFill fill = FillPalettes(fixture);
      ++modes;
      leftOut += fill.BlockFull.empty() ? 0 : 1;
      EXPECT_LE(PaletteBlockBytes(fixture.Palettes, fixture.ChannelCount), kPaletteBlockSize) << where;
      for (std::size_t i = 0; i < fill.Made.size(); ++i) {
        const std::string& made = fill.Made[i];
        const auto p = static_cast<std::size_t>(fill.Slots[i]);
        colour += made == "Colour";
        gobo += made == "Gobo";
        beam += made == "Beam";
        pos += made == "Pos";
        if (made != "Colour" && made != "Gobo") continue;
        if (const auto wheel = WheelChannel(fixture, p)) {
          ExpectPresetsInsideTheirSteps(fixture, p, *wheel, where);
          ++wheelPresets;
        }
      }
      const PaletteData filled = fixture.Palettes;
      const Bytes image = BuildFixtureImage(fixture);
      const FixtureReadResult read = ParseFixtureImage(image);
      ASSERT_TRUE(read.record) << where << ": " << read.error;
      ExpectSamePalettes(read.record->Palettes, filled, where);
    }
  }
  std::cout << "[ palettes ] " << modes << " modes: Colour " << colour << ", Gobo " << gobo << ", Beam " << beam
            << ", Pos " << pos << "; " << wheelPresets << " wheel palettes checked against their steps; " << leftOut
            << " modes with a palette left out for the block\n";
  EXPECT_GT(modes, 0);
}

}  // namespace
}  // namespace brannoc
