// dump then build, and build then dump, through the tool's own commands.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <sstream>

#include "data/fixture/file.h"
#include "generate.h"
#include "support/temp_dir.h"
#include "tfftool/command.h"
#include "tfftool/json_form.h"

namespace brannoc::tfftool {
namespace {
namespace L = fixture_layout;
using test::ReadAll;
using test::RecordGenerator;
using test::TempDir;

constexpr int kRecordsPerKind = 50;

std::string Run(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunTool(args, out, err), kExitOk) << err.str();
  EXPECT_EQ(err.str(), "");
  return out.str();
}

// tfftool dump FILE > FILE.json; tfftool build FILE.json OUT.
Bytes DumpThenBuild(const Bytes& file, const TempDir& dir) {
  test::WriteAll(dir / "in", file);
  const std::string json = Run({"dump", (dir / "in").string()});
  test::WriteAll(dir / "in.json", Bytes(json.begin(), json.end()));
  Run({"build", (dir / "in.json").string(), (dir / "out").string()});
  return ReadAll(dir / "out");
}

Json BuildThenDump(const Json& json, const TempDir& dir) {
  const std::string text = FormatJson(json);
  test::WriteAll(dir / "in.json", Bytes(text.begin(), text.end()));
  Run({"build", (dir / "in.json").string(), (dir / "out").string()});
  return Json::parse(Run({"dump", (dir / "out").string()}));
}

// The first offset at which the two differ, or their common size.
std::size_t FirstDifference(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size()) return std::min(a.size(), b.size());
  return static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin());
}

TEST(TfftoolRoundTrip, DumpThenBuildReproducesEveryFixtureFileByteForByte) {
  RecordGenerator generate(20240501);
  TempDir dir;
  int moreSteps = 0;
  int pairs = 0;
  int palettes = 0;
  for (int i = 0; i < kRecordsPerKind; ++i) {
    auto fixture = generate.Fixture();
    const Bytes file = BuildFixtureImage(*fixture);  // what "&Save Fixture" writes
    EXPECT_EQ(FirstDifference(DumpThenBuild(file, dir), file), file.size()) << "record " << i;

    const auto counts = file.begin() + L::kStepCounts;
    moreSteps += std::accumulate(counts, counts + kMaxChannels, 0) > MAX_FILE_STEPS;
    for (std::size_t c = 0; c < file[L::kChannelCount]; ++c) {
      const std::uint8_t letter = file[L::kChannelRecords + c * L::kChannelRecordSize + L::kRecordType];
      pairs += letter == 'S' || letter == 's';
    }
    palettes += file[L::kPaletteBlock] != 0;
  }
  // The set is varied: steps past the file's room, 16-bit pairs, stored palettes.
  EXPECT_GE(moreSteps, 5);
  EXPECT_GE(pairs, 50);
  EXPECT_GE(palettes, 20);
}

TEST(TfftoolRoundTrip, DumpThenBuildReproducesEveryLedFixtureFileByteForByte) {
  RecordGenerator generate(7);
  TempDir dir;
  for (int i = 0; i < kRecordsPerKind; ++i) {
    LedFixtureRecord fixture = generate.LedFixture();
    // What the LED editor's Save writes: the map rebuilt, then WriteLedFixtureFile.
    RebuildLedFunctionMap(fixture);
    ASSERT_FALSE(WriteLedFixtureFile(fixture, dir / "saved"));
    const Bytes file = ReadAll(dir / "saved");
    ASSERT_EQ(file.size(), LED_FILE_SIZE);
    EXPECT_EQ(FirstDifference(DumpThenBuild(file, dir), file), file.size()) << "record " << i;
  }
}

TEST(TfftoolRoundTrip, DumpThenBuildReproducesEveryNameSetFileByteForByte) {
  RecordGenerator generate(99);
  TempDir dir;
  for (int i = 0; i < kRecordsPerKind; ++i) {
    ChannelNameSet set = generate.NameSet();
    std::filesystem::remove(dir / "ChNameSet.fix");
    ASSERT_FALSE(SaveChannelNameSet(set, dir / "ChNameSet.fix"));
    const Bytes file = ReadAll(dir / "ChNameSet.fix");
    EXPECT_EQ(FirstDifference(DumpThenBuild(file, dir), file), file.size()) << "record " << i;
  }
}

TEST(TfftoolRoundTrip, BuildThenDumpGivesBackTheJsonSaveWhatTheFileCannotHold) {
  auto fixture = NewFixture();
  fixture->MaxPanDegree = -5;
  fixture->MaxTiltDegree = 270;
  fixture->Channels[0].Type = InstantLTP16H;
  fixture->Channels[0].Partner = 2;
  fixture->Channels[1].Type = InstantLTP16L;
  fixture->StepCounts[0] = 150;
  fixture->StepCounts[1] = 60;
  for (std::size_t s = 0; s < 150; ++s) {
    fixture->Steps[0][s] = {static_cast<std::uint8_t>(s), 255, FixedText<8>::FromUtf8("Step")};
    fixture->Steps[1][s] = {1, static_cast<std::uint8_t>(s), FixedText<8>::FromUtf8("Other")};
  }
  PaletteData& palettes = fixture->Palettes;
  palettes.PaletteName[0] = PaletteText::FromUtf8("Beam");
  palettes.PresetName[0][0] = PaletteText::FromUtf8("Wide");
  palettes.PaletteMember[0][0] = palettes.PaletteMember[0][2] = 1;
  palettes.PresetValue[0][0][0] = 11;
  palettes.PresetValue[0][2][0] = 33;
  palettes.PresetValue[0][5][0] = 66;  // channel 6 is no member
  BuildFixtureImage(*fixture);  // settles what the save derives: map, letters, counts
  const Json json = FixtureToJson(*fixture);
  ASSERT_EQ(json["palettes"][0]["used"], 1);

  Json expected = json;
  expected["max_pan_degree"] = 251;  // stored as 0, 251
  for (std::size_t s = 54; s < 60; ++s) expected["steps"][1][s] = {{"from", 0}, {"to", 0}, {"name", "        "}};
  expected["palettes"][0]["presets"][0]["values"][5] = 0;
  TempDir dir;
  EXPECT_EQ(BuildThenDump(json, dir), expected);
}

// Ten palettes of 40 members with all presets named: palettes 1 and 2 and
// presets 1..5 of palette 3 are stored whole, preset 6 keeps its first 8
// values, and the rest does not fit.
std::unique_ptr<FixtureRecord> FullPaletteBlock() {
  auto fixture = NewFixture();
  ResetFixture(*fixture, 40);
  PaletteData& palettes = fixture->Palettes;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    palettes.PaletteName[p] = PaletteText::FromUtf8("P" + std::to_string(p));
    palettes.PaletteMember[p].fill(1);
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      palettes.PresetName[p][k] = PaletteText::FromUtf8("K" + std::to_string(k));
      for (std::size_t ch = 0; ch < kPaletteChannels; ++ch) palettes.PresetValue[p][ch][k] = 7;
    }
  }
  return fixture;
}

TEST(TfftoolRoundTrip, PaletteDataPastTheBlockComesBackAsTheReaderSeesIt) {
  auto fixture = FullPaletteBlock();
  BuildFixtureImage(*fixture);
  const Json json = FixtureToJson(*fixture);
  TempDir dir;
  const Json back = BuildThenDump(json, dir);
  EXPECT_EQ(back["palettes"][1], json["palettes"][1]);
  EXPECT_EQ(back["palettes"][2]["presets"][4], json["palettes"][2]["presets"][4]);
  EXPECT_EQ(back["palettes"][2]["presets"][5]["values"][7], 7);
  EXPECT_EQ(back["palettes"][2]["presets"][5]["values"][8], 0);
  EXPECT_EQ(back["palettes"][2]["presets"][6]["values"][0], 0);
  EXPECT_EQ(back["palettes"][3]["members"], Json::array());
  EXPECT_EQ(back["palettes"][3]["presets"][0]["channel_count"], 40);  // the file's count, as stored
}

// The file says which channels the lost palettes held only by their counts; the
// rebuilt file counts their (unknown) members as none.
TEST(TfftoolRoundTrip, AFileWhosePaletteBlockLostPalettesRebuildsWithTheirCountsAtZero) {
  auto fixture = FullPaletteBlock();
  const Bytes file = BuildFixtureImage(*fixture);
  TempDir dir;
  const Bytes rebuilt = DumpThenBuild(file, dir);
  const std::size_t lostCounts = L::kPresetChannelCount + 3 * kPresetCount;
  EXPECT_EQ(FirstDifference(rebuilt, file), lostCounts);
  EXPECT_TRUE(std::equal(rebuilt.begin() + lostCounts + 70, rebuilt.end(), file.begin() + lostCounts + 70));
  EXPECT_EQ(std::count(rebuilt.begin() + lostCounts, rebuilt.begin() + lostCounts + 70, 0), 70);
}

// A first save of a low-byte channel nothing points at writes "A"; the record it
// leaves (and a reload) is LTP, which the next save writes as "L". dump then build
// gives that next save.
TEST(TfftoolRoundTrip, AnUnpairedLowChannelRebuildsAsTheEditorsNextSaveWritesIt) {
  auto fixture = NewFixture();
  fixture->Channels[2].Type = FadeableLTP16L;
  const Bytes first = BuildFixtureImage(*fixture);
  const Bytes next = BuildFixtureImage(*fixture);
  TempDir dir;
  const Bytes rebuilt = DumpThenBuild(first, dir);
  EXPECT_EQ(first[L::kChannelRecords + 2 * L::kChannelRecordSize + L::kRecordType], 'A');
  EXPECT_EQ(rebuilt, next);
  EXPECT_EQ(FirstDifference(rebuilt, first), L::kChannelRecords + 2 * L::kChannelRecordSize + L::kRecordType);
}

}  // namespace
}  // namespace brannoc::tfftool
