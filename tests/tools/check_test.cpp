#include "tfftool/check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "data/fixture/file.h"
#include "tfftool/json_form.h"

namespace brannoc::tfftool {
namespace {
namespace L = fixture_layout;
using Findings = std::vector<std::string>;

// Saves the fixture as the editor does, lets `patch` change the file, reads it
// back and checks it; the warnings of a made fixture (unnamed channels) are left
// out, they have tests of their own.
Findings Check(FixtureRecord& fixture, const ChannelNameSet* names = nullptr,
               const std::function<void(Bytes&)>& patch = {}) {
  Bytes image = BuildFixtureImage(fixture);
  if (patch) patch(image);
  const auto read = ParseFixtureImage(image);
  EXPECT_TRUE(read.record) << read.error;
  if (!read.record) return {"unreadable"};
  Findings findings = CheckFixture(image, *read.record, names);
  std::erase_if(findings, [](const std::string& line) { return line.starts_with("warning: "); });
  return findings;
}

Findings CheckLed(LedFixtureRecord fixture, const std::function<void(Bytes&)>& patch = {}) {
  RebuildLedFunctionMap(fixture);
  Bytes image = BuildLedFixtureImage(fixture);
  if (patch) patch(image);
  const auto read = ParseLedFixtureImage(image);
  EXPECT_TRUE(read.record) << read.error;
  if (!read.record) return {"unreadable"};
  return CheckLedFixture(image, *read.record);
}

void SetType(Bytes& image, std::size_t channel, std::uint8_t letter) {
  image[L::kChannelRecords + channel * L::kChannelRecordSize + L::kRecordType] = letter;
}

TEST(TfftoolCheck, ANewFixtureHasNoProblems) {
  auto fixture = NewFixture();
  EXPECT_EQ(Check(*fixture), Findings{});
}

TEST(TfftoolCheck, StepsPastTheFilesRoomAreCountedPerChannel) {
  auto fixture = NewFixture();
  fixture->StepCounts[0] = 150;
  fixture->StepCounts[1] = 54;
  EXPECT_EQ(Check(*fixture), Findings{});  // 204 exactly
  fixture->StepCounts[1] = 100;
  fixture->StepCounts[39] = 3;  // beyond the count, yet stored
  EXPECT_EQ(Check(*fixture), (Findings{
                                 "channel 2: 46 of its 100 steps do not fit in the file (it holds 204 steps in all)",
                                 "channel 40: 3 of its 3 steps do not fit in the file (it holds 204 steps in all)",
                             }));
}

void FillPalettes(FixtureRecord& fixture, std::size_t members) {
  ResetFixture(fixture, 40);
  PaletteData& palettes = fixture.Palettes;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    palettes.PaletteName[p] = PaletteText::FromUtf8("P");
    for (std::size_t ch = 0; ch < members; ++ch) palettes.PaletteMember[p][ch] = 1;
    for (std::size_t k = 0; k < kPresetCount; ++k) palettes.PresetName[p][k] = PaletteText::FromUtf8("K");
  }
}

TEST(TfftoolCheck, PresetsCutOffOrLeftOutByTheBlockAreNamed) {
  auto fixture = NewFixture();
  FillPalettes(*fixture, 10);  // 100 presets of 20 bytes: 2000 bytes
  EXPECT_EQ(Check(*fixture), Findings{});

  FillPalettes(*fixture, 40);
  const Findings findings = Check(*fixture);
  ASSERT_EQ(findings.size(), 1u + 4u + 70u);
  EXPECT_EQ(findings[0], "palette 3 \"P\", preset 6 \"K\": only 8 of its 40 channel values fit in the palette block");
  EXPECT_EQ(findings[1], "palette 3 \"P\", preset 7 \"K\": left out, the palette block is full");
  EXPECT_EQ(findings.back(), "palette 10 \"P\", preset 10 \"K\": left out, the palette block is full");
}

TEST(TfftoolCheck, PresetsThatExactlyFillTheBlockAreWhole) {
  auto fixture = NewFixture();
  FillPalettes(*fixture, 0);
  PaletteData& palettes = fixture->Palettes;
  // 12 members, 10 presets in each of palettes 1..8: 8 x 240 = 1920 bytes; then
  // palette 9 with 8 members and 8 named presets: 128 bytes, exactly to 2048.
  for (std::size_t p = 0; p < 8; ++p) std::fill_n(palettes.PaletteMember[p].begin(), 12, 1);
  std::fill_n(palettes.PaletteMember[8].begin(), 8, 1);
  palettes.PresetName[8][8] = palettes.PresetName[8][9] = PaletteText::Blank();
  palettes.PaletteName[9] = PaletteText::Blank();
  EXPECT_EQ(Check(*fixture), Findings{});
  palettes.PaletteName[9] = PaletteText::FromUtf8("Last");
  palettes.PaletteMember[9][0] = 1;
  EXPECT_EQ(Check(*fixture).size(), 10u);  // every preset of palette 10 is left out
}

TEST(TfftoolCheck, ALowByteChannelThatNothingPointsAtIsReported) {
  auto fixture = NewFixture();
  fixture->Channels[2].Type = FadeableLTP16L;
  EXPECT_EQ(Check(*fixture),
            Findings{"channel 3: a 16-bit low-byte channel that no high-byte channel points at (it loads as LTP)"});
  fixture->Channels[2].Type = FadeableLTP16L;  // the save left it LTP
  fixture->Channels[4].Type = FadeableLTP16H;
  fixture->Channels[4].Partner = 3;
  EXPECT_EQ(Check(*fixture), Findings{});
}

TEST(TfftoolCheck, AHighByteChannelNeedsALowBytePartnerInUse) {
  auto fixture = NewFixture();
  fixture->Channels[0].Type = InstantLTP16H;
  fixture->Channels[0].Partner = 0;
  EXPECT_EQ(Check(*fixture), Findings{"channel 1: a 16-bit high-byte channel without a partner (Ch16bit 0)"});

  fixture->Channels[0].Partner = 12;
  EXPECT_EQ(Check(*fixture), Findings{"channel 1: its 16-bit partner 12 is beyond the 8 channels"});

  fixture->Channels[0].Partner = 2;
  fixture->Channels[1].Type = HTP;
  EXPECT_EQ(Check(*fixture), Findings{"channel 1: its 16-bit partner, channel 2, is not a low-byte channel"});
  fixture->Channels[0].Type = InstantLTP16H;
  fixture->Channels[0].Partner = 1;  // itself
  fixture->Channels[1].Type = HTP;   // the last save paired it
  EXPECT_EQ(Check(*fixture), Findings{"channel 1: its 16-bit partner, channel 1, is not a low-byte channel"});

  fixture->Channels[0].Type = InstantLTP16H;
  fixture->Channels[0].Partner = 2;
  fixture->Channels[1].Type = InstantLTP16L;
  EXPECT_EQ(Check(*fixture), Findings{});
}

TEST(TfftoolCheck, UnknownTypeLettersOfChannelsInUseAreReported) {
  auto fixture = NewFixture();
  EXPECT_EQ(Check(*fixture, nullptr, [](Bytes& image) { SetType(image, 8, 'X'); }), Findings{});  // channel 9 unused
  EXPECT_EQ(Check(*fixture, nullptr,
                  [](Bytes& image) {
                    SetType(image, 1, 'X');
                    SetType(image, 5, 7);
                  }),
            (Findings{"channel 2: unknown type letter 'X' (byte 88)", "channel 6: unknown type letter (byte 7)"}));
}

TEST(TfftoolCheck, DegreesAbove720AreReported) {
  auto fixture = NewFixture();
  fixture->MaxPanDegree = 720;
  fixture->MaxTiltDegree = -5;
  EXPECT_EQ(Check(*fixture), Findings{});
  fixture->MaxPanDegree = 800;
  fixture->MaxTiltDegree = 721;
  EXPECT_EQ(Check(*fixture), (Findings{"max pan degree 800 is above 720", "max tilt degree 721 is above 720"}));
}

TEST(TfftoolCheck, NameCodesAreLookedUpByTheCodeOfNamedEntries) {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  set.Entries[59] = {59, 99, FixedText<12>::FromUtf8("Foo")};  // not the code slot 59 would give
  set.Entries[80] = {80, 62, FixedText<12>::FromUtf8("Bar")};
  set.Entries[45] = {45, 48, FixedText<12>::Blank()};  // a code without a name
  auto fixture = NewFixture();
  fixture->Channels[0].NameCode = 6;
  fixture->Channels[1].NameCode = 99;
  fixture->Channels[2].NameCode = 62;
  fixture->Channels[3].NameCode = 0;  // no code
  fixture->Channels[20].NameCode = 200;  // not in use
  EXPECT_EQ(Check(*fixture, &set), Findings{});
  EXPECT_EQ(Check(*fixture), Findings{});  // without a set nothing is looked up

  fixture->Channels[4].NameCode = 48;
  fixture->Channels[5].NameCode = 65;  // slot 62 by the slot rule, which is blank
  fixture->Channels[5].Name = FixedText<12>::FromUtf8("Strobe2");
  set.Entries[62] = {62, 30, FixedText<12>::FromUtf8("Named")};
  EXPECT_EQ(Check(*fixture, &set),
            (Findings{
                "channel 5 (\"\"): name code 48 is carried by no entry of the channel name set",
                "channel 6 (\"Strobe2\"): name code 65 is carried by no entry of the channel name set",
            }));
}

TEST(TfftoolCheck, AnLedFixtureIsCheckedForItsOwnLetters) {
  LedFixtureRecord fixture = NewLedFixture();
  fixture.Channels[0].Type = FadeableLTP16H;
  fixture.Channels[0].Partner = 2;
  fixture.Channels[1].Type = FadeableLTP16L;
  EXPECT_EQ(CheckLed(fixture), Findings{});

  fixture.Channels[0].Partner = 9;
  EXPECT_EQ(CheckLed(fixture), (Findings{
                                   "channel 1: its 16-bit partner 9 is beyond the 8 channels",
                                   "channel 2: a 16-bit low-byte channel that no high-byte channel points at "
                                   "(it loads as LTP)",
                               }));
  const auto letter = [](Bytes& image) { image[kLedChannelRecordsOffset + 2 * kLedChannelRecordSize + 1] = 'A'; };
  fixture.Channels[0].Partner = 2;
  EXPECT_EQ(CheckLed(fixture, letter), Findings{"channel 3: unknown type letter 'A' (byte 65)"});
}

}  // namespace
}  // namespace brannoc::tfftool
