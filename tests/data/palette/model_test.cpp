#include "data/palette/model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace brannoc {
namespace {

std::unique_ptr<PaletteData> Cleared() {
  auto palettes = std::make_unique<PaletteData>();
  ClearPalettes(*palettes);
  return palettes;
}

void Name(PaletteText& field, const char* text) { field = PaletteText::FromUtf8(text); }

TEST(UpdatePaletteCounts, CountsMembersOfNamedPresetsInNamedPalettesOnly) {
  auto pal = Cleared();
  // Palette 0: named, members 3, 5 and 20, presets 0 and 2 named; bound 12.
  Name(pal->PaletteName[0], "Gobos");
  pal->PaletteMember[0][2] = 1;
  pal->PaletteMember[0][4] = 1;
  pal->PaletteMember[0][19] = 1;  // at or above the bound: not counted
  pal->PaletteMember[0][6] = 2;   // only the value 1 counts
  Name(pal->PresetName[0][0], "Open");
  Name(pal->PresetName[0][2], "Star");
  // Palette 1: unnamed with a named preset. Palette 2: named, no named preset.
  Name(pal->PresetName[1][0], "Lost");
  Name(pal->PaletteName[2], "Empty");
  // Palette 3: named with a named preset but no members.
  Name(pal->PaletteName[3], "None");
  Name(pal->PresetName[3][9], "X");
  pal->PresetChannelCount[5][5] = 9;  // stale count, cleared

  UpdatePaletteCounts(*pal, 12);

  EXPECT_EQ(pal->PaletteUsed[0], 1);
  EXPECT_EQ(pal->PresetChannelCount[0][0], 2);
  EXPECT_EQ(pal->PresetChannelCount[0][1], 0);
  EXPECT_EQ(pal->PresetChannelCount[0][2], 2);
  EXPECT_EQ(pal->PaletteUsed[1], 0);
  EXPECT_EQ(pal->PresetChannelCount[1][0], 0);
  EXPECT_EQ(pal->PaletteUsed[2], 0);
  EXPECT_EQ(pal->PaletteUsed[3], 1);
  EXPECT_EQ(pal->PresetChannelCount[3][9], 0);
  EXPECT_EQ(pal->PresetChannelCount[5][5], 0);
}

TEST(PackPalettes, WritesChannelsThenValuesPerStoredPreset) {
  auto pal = Cleared();
  Name(pal->PaletteName[0], "Pos");
  pal->PaletteMember[0][2] = 1;
  pal->PaletteMember[0][4] = 1;
  Name(pal->PresetName[0][0], "A");
  Name(pal->PresetName[0][2], "B");
  pal->PresetValue[0][2][0] = 10;
  pal->PresetValue[0][4][0] = 20;
  pal->PresetValue[0][2][2] = 30;
  pal->PresetValue[0][4][2] = 40;
  pal->PresetValue[0][7][0] = 99;  // not a member: not stored
  UpdatePaletteCounts(*pal, 8);
  PackPalettes(*pal, 8);
  const std::uint8_t expected[] = {3, 5, 10, 20, 3, 5, 30, 40};
  EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), pal->PaletteBlock.begin()));
  EXPECT_TRUE(std::all_of(pal->PaletteBlock.begin() + 8, pal->PaletteBlock.end(), [](auto b) { return b == 0; }));

  // Read back: members and values of members return, the non-member value is 0.
  UnpackPalettes(*pal);
  EXPECT_EQ(pal->PaletteMember[0][2], 1);
  EXPECT_EQ(pal->PaletteMember[0][4], 1);
  EXPECT_EQ(pal->PaletteMember[0][7], 0);
  EXPECT_EQ(pal->PresetValue[0][4][2], 40);
  EXPECT_EQ(pal->PresetValue[0][7][0], 0);
}

TEST(PackPalettes, MembershipComesBackFromTheFirstStoredPreset) {
  auto pal = Cleared();
  Name(pal->PaletteName[1], "Only2");
  pal->PaletteMember[1][2] = 1;
  pal->PaletteMember[1][4] = 1;
  Name(pal->PresetName[1][2], "Two");
  pal->PresetValue[1][2][2] = 7;
  UpdatePaletteCounts(*pal, 8);
  PackPalettes(*pal, 8);
  EXPECT_EQ(pal->PaletteBlock[0], 3);
  EXPECT_EQ(pal->PaletteBlock[2], 7);
  pal->PaletteMember[1].fill(0);
  ASSERT_FALSE(UnpackPalettes(*pal));
  EXPECT_EQ(pal->PaletteMember[1][2], 1);
  EXPECT_EQ(pal->PaletteMember[1][4], 1);
  EXPECT_EQ(pal->PresetValue[1][2][2], 7);
}

TEST(PackPalettes, AFullBlockKeepsWhatFitsAndReadsTheRestAsZero) {
  auto pal = Cleared();
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    Name(pal->PaletteName[p], "P");
    pal->PaletteMember[p].fill(1);
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      Name(pal->PresetName[p][k], "K");
      for (std::size_t ch = 0; ch < kPaletteChannels; ++ch) {
        pal->PresetValue[p][ch][k] = static_cast<std::uint8_t>(100 + p * 10 + k);
      }
    }
  }
  UpdatePaletteCounts(*pal, 40);
  PackPalettes(*pal, 40);
  const auto& block = pal->PaletteBlock;
  // Palettes 1 and 2 and presets 0..4 of palette 3 whole: 25 records of 80 bytes.
  EXPECT_EQ(block[1999], 100 + 2 * 10 + 4);
  // Preset 5 of palette 3: the first 8 channels, their values up to byte 2047.
  for (std::size_t j = 0; j < 8; ++j) {
    EXPECT_EQ(block[2000 + j], j + 1);
    EXPECT_EQ(block[2040 + j], 100 + 20 + 5);
  }

  const auto before = *pal;
  ASSERT_FALSE(UnpackPalettes(*pal));
  EXPECT_EQ(pal->PresetValue[2][0][4], 124);
  EXPECT_EQ(pal->PresetValue[2][7][5], 125);
  EXPECT_EQ(pal->PresetValue[2][8][5], 0);
  EXPECT_EQ(pal->PresetValue[2][0][6], 0);
  for (std::size_t p = 3; p < kPaletteCount; ++p) {
    EXPECT_EQ(std::count(pal->PaletteMember[p].begin(), pal->PaletteMember[p].end(), 1), 0);
  }
  EXPECT_EQ(pal->PresetName, before.PresetName);
  EXPECT_EQ(pal->PresetChannelCount, before.PresetChannelCount);
}

// Fills palettes 0.. with stored presets until exactly `start` bytes of the block
// are used; returns the first palette left free.
std::size_t FillUpTo(PaletteData& pal, std::size_t start) {
  std::size_t pairs = start / 2;
  std::size_t p = 0;
  for (; pairs > 0; ++p) {
    const std::size_t members = std::min<std::size_t>(40, pairs);
    const std::size_t presets = std::min<std::size_t>(10, pairs / members);
    Name(pal.PaletteName[p], "Fill");
    for (std::size_t ch = 0; ch < members; ++ch) pal.PaletteMember[p][ch] = 1;
    for (std::size_t k = 0; k < presets; ++k) Name(pal.PresetName[p][k], "K");
    pairs -= members * presets;
  }
  return p;
}

TEST(PaletteBlockBytes, IsWhatPackPalettesWritesAndSaysWhenTheBlockIsTooSmall) {
  for (const std::size_t wanted : {2u, 1000u, 2046u, 2048u}) {
    SCOPED_TRACE(wanted);
    auto pal = Cleared();
    const std::size_t free = FillUpTo(*pal, wanted);
    for (auto& channel : pal->PresetValue) {
      for (auto& values : channel) values.fill(7);
    }
    Name(pal->PresetName[free][0], "Lost");  // an unnamed palette stores nothing
    pal->PaletteMember[free][0] = 1;
    EXPECT_EQ(PaletteBlockBytes(*pal, 40), wanted);
    UpdatePaletteCounts(*pal, 40);
    PackPalettes(*pal, 40);
    const auto& block = pal->PaletteBlock;
    const auto last = std::find_if(block.rbegin(), block.rend(), [](std::uint8_t b) { return b != 0; });
    EXPECT_EQ(static_cast<std::size_t>(block.rend() - last), wanted);
  }

  // Members at or above the channel count take no room.
  auto pal = Cleared();
  Name(pal->PaletteName[0], "Pos");
  pal->PaletteMember[0][2] = 1;
  pal->PaletteMember[0][30] = 1;
  Name(pal->PresetName[0][4], "A");
  Name(pal->PresetName[0][6], "B");
  EXPECT_EQ(PaletteBlockBytes(*pal, 12), 4u);
  EXPECT_EQ(PaletteBlockBytes(*pal, 40), 8u);

  // One member more than the block holds: two bytes for it in each preset.
  auto over = Cleared();
  const std::size_t next = FillUpTo(*over, 2048);
  Name(over->PaletteName[next], "One");
  over->PaletteMember[next][0] = 1;
  Name(over->PresetName[next][0], "Over");
  EXPECT_EQ(PaletteBlockBytes(*over, 40), 2050u);
}

TEST(UnpackPalettes, APaletteWhoseFirstRecordIsCutOffReadsBackWhatWasWritten) {
  for (const std::size_t start : {2030u, 2040u, 2046u}) {
    SCOPED_TRACE(start);
    auto pal = Cleared();
    const std::size_t cut = FillUpTo(*pal, start);
    ASSERT_LT(cut, kPaletteCount);
    Name(pal->PaletteName[cut], "Cut");
    for (std::size_t ch = 0; ch < 10; ++ch) {
      pal->PaletteMember[cut][ch] = 1;
      pal->PresetValue[cut][ch][0] = static_cast<std::uint8_t>(50 + ch);
    }
    Name(pal->PresetName[cut][0], "First");
    UpdatePaletteCounts(*pal, 40);
    PackPalettes(*pal, 40);

    ASSERT_FALSE(UnpackPalettes(*pal));
    // From 2030 the pairs of channels 1..8 fit (values at 2040..2047); later: none.
    const std::size_t kept = start == 2030 ? 8 : 0;
    for (std::size_t ch = 0; ch < 10; ++ch) {
      EXPECT_EQ(pal->PaletteMember[cut][ch], ch < kept ? 1 : 0) << ch;
      EXPECT_EQ(pal->PresetValue[cut][ch][0], ch < kept ? 50 + ch : 0) << ch;
    }
  }
}

TEST(UnpackPalettes, RefusesADamagedBlock) {
  auto pal = Cleared();
  pal->PaletteUsed[0] = 1;
  pal->PresetChannelCount[0][0] = 2;
  EXPECT_TRUE(UnpackPalettes(*pal));  // an all-zero block names channel 0

  pal->PaletteBlock[0] = 41;
  pal->PaletteBlock[1] = 1;
  EXPECT_TRUE(UnpackPalettes(*pal));  // channel 41

  auto counts = Cleared();
  counts->PaletteUsed[0] = 1;
  counts->PresetChannelCount[0][3] = 41;
  counts->PaletteBlock.fill(1);
  EXPECT_TRUE(UnpackPalettes(*counts));

  auto unused = Cleared();  // counts of an unused palette are not read
  unused->PresetChannelCount[0][0] = 2;
  EXPECT_FALSE(UnpackPalettes(*unused));
}

}  // namespace
}  // namespace brannoc
