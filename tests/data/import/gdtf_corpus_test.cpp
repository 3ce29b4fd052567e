// Every mode of the 5,733 public GDTF descriptions in the shared test corpus
// (gdtf-descriptions.tar.xz, unpacked into a temporary folder), imported, saved
// and read back. The archive is looked for at ../shared/corpora beside the
// source tree, or where BRANNOC_GDTF_CORPUS names it; without it the test is
// skipped and says so.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/core/file_io.h"
#include "data/fixture/file.h"
#include "data/import/gdtf.h"
#include "data/palette_fill/generate.h"
#include "support/corpora.h"
#include "support/fixture_fixed_point.h"
#include "support/palette_checks.h"
#include "support/temp_dir.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;

std::string Upper(std::string text) {
  for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return text;
}

// A 16-bit channel of the description: a coarse and fine pair of one of the
// pair types, or, for intensity, an HTP coarse channel beside a plain LTP one.
void ExpectPair(const FixtureRecord& fixture, int coarse, int fine, const std::string& where) {
  const ChannelRecord& high = fixture.Channels[static_cast<std::size_t>(coarse)];
  const ChannelRecord& low = fixture.Channels[static_cast<std::size_t>(fine)];
  const auto meaning = MeaningOfSharedName(high.Name.TrimmedUtf8());
  if (high.Type == HTP) {
    ASSERT_TRUE(meaning) << where << " channel " << coarse + 1 << " \"" << high.Name.TrimmedUtf8() << "\"";
    const TypeClass type = RowOf(meaning->Meaning).Type;
    EXPECT_TRUE(type == TypeClass::Intensity || type == TypeClass::ColourMix) << where << " channel " << coarse + 1;
    EXPECT_EQ(low.Type, LTP) << where << " channel " << fine + 1;
    EXPECT_EQ(low.Partner, 0) << where << " channel " << fine + 1;
    return;
  }
  ASSERT_TRUE(high.Type == FadeableLTP16H || high.Type == InstantLTP16H) << where << " channel " << coarse + 1;
  EXPECT_EQ(high.Partner, fine + 1) << where << " channel " << coarse + 1;
  EXPECT_EQ(low.Type, high.Type + 1) << where << " channel " << fine + 1;
  if (meaning) {
    const bool instant = RowOf(meaning->Meaning).Type == TypeClass::Instant;
    EXPECT_EQ(high.Type, instant ? InstantLTP16H : FadeableLTP16H) << where << " channel " << coarse + 1;
  }
}

TEST(GdtfCorpus, EveryModeWithinFortyAddressesImportsAndReadsBackAsAFixedPoint) {
  const auto archive = test::GdtfCorpusArchive(BRANNOC_SOURCE_DIR);
  if (!archive) GTEST_SKIP() << "Skipped: no gdtf-descriptions.tar.xz beside the source tree (../shared/corpora)";
  test::TempDir dir;
  const std::string command = "tar -xJf '" + archive->string() + "' -C '" + dir.path().string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_regular_file() && entry.path().filename() == "description.xml") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 5733u);

  ChannelNameSet names;
  RestoreDefaultNames(names);
  int modes = 0, within = 0, imported = 0, pairs = 0, unreadable = 0, refusedWithin = 0;
  int colour = 0, gobo = 0, beam = 0, pos = 0, wheelPalettes = 0, leftOut = 0;
  std::map<std::string, int> refusals;
  const auto start = std::chrono::steady_clock::now();
  for (const fs::path& path : files) {
    const Bytes bytes = test::ReadAll(path);
    const GdtfModeList list = ListGdtfModes(bytes);
    if (!list.Error.empty()) {
      ++unreadable;  // the corpus holds one empty file
      EXPECT_TRUE(bytes.empty()) << path << ": " << list.Error;
      continue;
    }
    for (std::size_t m = 0; m < list.Modes.size(); ++m) {
      ++modes;
      const GdtfMode& mode = list.Modes[m];
      const std::string where = path.parent_path().filename().string() + " mode \"" + mode.Name + "\"";
      if (mode.ChannelCount < 1 || mode.ChannelCount > kMaxChannels) continue;
      ++within;
      const ImportResult result = ImportGdtfMode(bytes, m, names);
      EXPECT_EQ(static_cast<bool>(result.Record), mode.Fits) << where << ": " << result.Error;
      if (!result.Record) {
        ++refusedWithin;
        ++refusals[result.Error.substr(result.Error.find(": ") + 2, 40)];
        continue;
      }
      ++imported;
      const FixtureRecord& fixture = *result.Record;
      ASSERT_EQ(fixture.ChannelCount, mode.ChannelCount) << where;

      // Pairs, names and codes, against the layout the record came from.
      const GdtfModeLayout layout = LayOutGdtfMode(bytes, m, false);
      std::set<std::string> seen;
      for (std::size_t c = 0; c < layout.Channels.size(); ++c) {
        const GdtfChannel& source = layout.Channels[c];
        const ChannelRecord& channel = fixture.Channels[c];
        const std::string name = channel.Name.TrimmedUtf8();
        if (source.Byte == 1) {
          ++pairs;
          ExpectPair(fixture, source.Coarse, static_cast<int>(c), where);
        }
        if (name.empty()) continue;
        EXPECT_TRUE(seen.insert(Upper(name)).second) << where << ": two channels named \"" << name << "\"";
        if (source.Byte == 0 && source.Used) {
          const Meaning meaning = MeaningOfGdtfAttribute(source.Attribute);
          if (meaning != Meaning::Unknown) {
            const auto shared = MeaningOfSharedName(name);
            ASSERT_TRUE(shared) << where << " channel " << c + 1 << " (" << source.Attribute << ") \"" << name << "\"";
            const bool dimmer = meaning == Meaning::Dimmer && shared->Meaning == Meaning::MasterDimmer;
            EXPECT_TRUE(shared->Meaning == meaning || dimmer) << where << " channel " << c + 1 << " (" << source.Attribute
                                                               << ") \"" << name << "\"";
          }
        }
        const bool missing =
            std::find(result.MissingNames.begin(), result.MissingNames.end(), name) != result.MissingNames.end();
        EXPECT_EQ(channel.NameCode == 0, missing) << where << " channel " << c + 1 << " \"" << name << "\"";
      }

      FixtureRecord saved = fixture;
      const Bytes image = BuildFixtureImage(saved);
      const FixtureReadResult read = ParseFixtureImage(image);
      ASSERT_TRUE(read.record) << where << ": " << read.error;
      EXPECT_TRUE(*read.record == fixture) << where << ": the saved import reads back otherwise";
      const test::FixedPointCheck fixedPoint = test::CheckFixtureFixedPoint(image);
      ASSERT_TRUE(fixedPoint.failure.empty()) << where << ": " << fixedPoint.failure;

      // The palettes its channels give: wheel presets inside their steps, the
      // block within its 2048 bytes, and the same palettes after a reload.
      FixtureRecord filled = fixture;
      const PaletteFill fill = FillPalettes(filled);
      leftOut += fill.BlockFull.empty() ? 0 : 1;
      EXPECT_LE(PaletteBlockBytes(filled.Palettes, filled.ChannelCount), kPaletteBlockSize) << where;
      for (std::size_t i = 0; i < fill.Made.size(); ++i) {
        const std::string& made = fill.Made[i];
        colour += made == "Colour";
        gobo += made == "Gobo";
        beam += made == "Beam";
        pos += made == "Pos";
        if (made != "Colour" && made != "Gobo") continue;
        const auto p = static_cast<std::size_t>(fill.Slots[i]);
        if (const auto wheel = test::WheelChannel(filled, p)) {
          test::ExpectPresetsInsideTheirSteps(filled, p, *wheel, where);
          ++wheelPalettes;
        }
      }
      const FixtureReadResult reread = ParseFixtureImage(BuildFixtureImage(filled));
      ASSERT_TRUE(reread.record) << where << ": " << reread.error;
      test::ExpectSamePalettes(reread.record->Palettes, filled.Palettes, where);
      if (HasFailure()) return;  // one broken mode tells enough
    }
  }
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::cout << "GDTF descriptions: " << files.size() << " files (" << unreadable << " unreadable), " << modes
            << " modes, " << within << " within 40 addresses; " << imported << " imported (" << pairs
            << " 16-bit channels), " << refusedWithin << " refused:";
  for (const auto& [why, count] : refusals) std::cout << " " << count << " \"" << why << "...\"";
  std::cout << ". Reading, importing and checking took " << ms << " ms.\n";
  std::cout << "Palettes: Colour " << colour << ", Gobo " << gobo << ", Beam " << beam << ", Pos " << pos << " of "
            << imported << " modes; " << wheelPalettes << " wheel palettes checked against their steps; " << leftOut
            << " modes with a palette left out for the block.\n";
  EXPECT_GE(imported * 100, within * 97) << imported << " of " << within << " modes imported";
}

}  // namespace
}  // namespace brannoc
