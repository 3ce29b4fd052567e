// tfftool palettes: the free palettes of a fixture file filled, written where
// asked, the named ones left as they were.

#include <gtest/gtest.h>

#include <sstream>

#include "data/fixture/file.h"
#include "support/temp_dir.h"
#include "tfftool/command.h"
#include "tools/tool_run.h"

namespace brannoc::tfftool {
namespace {
namespace fs = std::filesystem;
using test::ReadAll;
namespace layout = fixture_layout;


std::string Text(const Bytes& file, std::size_t at, std::size_t size) {
  return std::string(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at + size));
}

class TfftoolPalettes : public ::testing::Test {
 protected:
  void SetUp() override {
    // Channel 1 a colour wheel, 2 and 3 a 16-bit pan; palette 1 named by the user.
    auto fixture = std::make_unique<FixtureRecord>();
    ResetFixture(*fixture, 3);
    fixture->Channels[0].Name = FixedText<12>::FromUtf8("Colour");
    fixture->StepCounts[0] = 3;
    fixture->Steps[0][0] = {0, 20, FixedText<8>::FromUtf8("White")};
    fixture->Steps[0][1] = {21, 41, FixedText<8>::FromUtf8("Deep Red")};
    fixture->Steps[0][2] = {42, 255, FixedText<8>::FromUtf8("Rnbw")};
    fixture->Channels[1].Name = FixedText<12>::FromUtf8("Pan");
    fixture->Channels[1].Type = FadeableLTP16H;
    fixture->Channels[1].Partner = 3;
    fixture->Channels[2].Name = FixedText<12>::FromUtf8("Pan Fine");
    fixture->Channels[2].Type = FadeableLTP16L;
    fixture->Palettes.PaletteName[0] = PaletteText::FromUtf8("Mine");
    fixture->Palettes.PresetName[0][0] = PaletteText::FromUtf8("One");
    fixture->Palettes.PaletteMember[0][0] = 1;
    fixture->Palettes.PresetValue[0][0][0] = 77;
    ASSERT_FALSE(SaveFixtureFile(*fixture, in));
    before = ReadAll(in);
  }
  test::TempDir dir;
  const fs::path in = dir / "Spot.tff";
  const fs::path out = dir / "Filled.tff";
  Bytes before;
};

TEST_F(TfftoolPalettes, WritesTheFilledPalettesToOutAfterTheNamedOnes) {
  const ToolRun run = Tool({"palettes", in.string(), out.string()});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Palettes made: Colour, Pos\n");
  EXPECT_EQ(ReadAll(in), before);
  const Bytes file = ReadAll(out);
  ASSERT_EQ(file.size(), 6144u);
  EXPECT_EQ((Bytes(file.begin() + layout::kPaletteUsed, file.begin() + layout::kPaletteUsed + 4)), (Bytes{1, 1, 1, 0}));
  EXPECT_EQ(Text(file, layout::kPaletteName, 18), "Mine  Colour" "Pos   ");
  EXPECT_EQ(Text(file, layout::kPresetName + 60, 12), "White DeepRe");
  EXPECT_EQ(Text(file, layout::kPresetName + 120, 12), "CentreHome  ");
  EXPECT_EQ(file[layout::kPresetChannelCount + 20], 2);  // Pos: pan and its fine channel
  // "Mine" first as it was, then Colour on channel 1, then Pos on channels 2 and 3.
  const Bytes block(file.begin() + layout::kPaletteBlock, file.begin() + layout::kPaletteBlock + 17);
  EXPECT_EQ(block, (Bytes{1, 77, 1, 10, 1, 31, 2, 3, 128, 0, 2, 3, 0, 0, 0, 0, 0}));
}

TEST_F(TfftoolPalettes, WithoutOutFillsTheFileItselfAndAFileWithNothingFreeStaysUntouched) {
  ASSERT_EQ(Tool({"palettes", in.string()}).status, kExitOk);
  const Bytes filled = ReadAll(in);
  EXPECT_EQ(Text(filled, layout::kPaletteName + 6, 6), "Colour");
  // Filled again: both palettes are there by name, nothing is made or written.
  fs::last_write_time(in, fs::file_time_type::clock::now() - std::chrono::hours(1));
  const auto stamp = fs::last_write_time(in);
  const ToolRun again = Tool({"palettes", in.string()});
  EXPECT_EQ(again.status, kExitFindings);
  EXPECT_EQ(again.out, "Palettes left out, a palette of that name is there: Colour, Pos\n");
  EXPECT_EQ(fs::last_write_time(in), stamp);
  EXPECT_EQ(ReadAll(in), filled);
}

TEST_F(TfftoolPalettes, AFileThatIsNoFixtureIsAnErrorAndNothingIsWritten) {
  test::WriteAll(dir / "short.tff", Bytes(100, 0));
  const ToolRun run = Tool({"palettes", (dir / "short.tff").string(), out.string()});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("tfftool: "), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(Tool({"palettes"}).status, kExitFailure);
}

}  // namespace
}  // namespace brannoc::tfftool
