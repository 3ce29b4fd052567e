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

#include "data/core/file_io.h"
#include "data/fixture/file.h"
#include "data/import/qxf.h"
#include "data/palette_fill/generate.h"
#include "support/palette_checks.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;

const fs::path kCorpus = "/usr/share/qlcplus/fixtures";

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
        if (const auto wheel = test::WheelChannel(fixture, p)) {
          test::ExpectPresetsInsideTheirSteps(fixture, p, *wheel, where);
          ++wheelPresets;
        }
      }
      const PaletteData filled = fixture.Palettes;
      const Bytes image = BuildFixtureImage(fixture);
      const FixtureReadResult read = ParseFixtureImage(image);
      ASSERT_TRUE(read.record) << where << ": " << read.error;
      test::ExpectSamePalettes(read.record->Palettes, filled, where);
    }
  }
  std::cout << "[ palettes ] " << modes << " modes: Colour " << colour << ", Gobo " << gobo << ", Beam " << beam
            << ", Pos " << pos << "; " << wheelPresets << " wheel palettes checked against their steps; " << leftOut
            << " modes with a palette left out for the block\n";
  EXPECT_GT(modes, 0);
}

}  // namespace
}  // namespace brannoc
