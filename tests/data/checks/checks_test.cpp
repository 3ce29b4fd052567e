#include "data/checks/checks.h"

#include <gtest/gtest.h>

#include <memory>

#include "data/fixture/file.h"

namespace brannoc {
namespace {

using Problems = std::vector<FixtureProblem>;

// A fixture of 8 channels that has no problem: named, every name from the
// built-in set with its code, pan and tilt maxima set.
struct Made {
  std::unique_ptr<FixtureRecord> fixture = std::make_unique<FixtureRecord>();
  ChannelNameSet names;

  Made() {
    RestoreDefaultNames(names);
    ResetFixture(*fixture, 8);
    fixture->FixtureName = FixedText<11>::FromUtf8("Spot");
    fixture->MaxPanDegree = 540;
    fixture->MaxTiltDegree = 270;
    for (std::size_t c = 0; c < 8; ++c) Name(c, BuiltInNames()[c].Name, BuiltInNames()[c].Code);
  }
  void Name(std::size_t c, const char* name, std::uint8_t code) {
    fixture->Channels[c].Name = FixedText<12>::FromUtf8(name);
    fixture->Channels[c].NameCode = code;
  }
  void Step(std::size_t c, std::size_t s, std::uint8_t from, std::uint8_t to) {
    fixture->Steps[c][s] = {from, to, FixedText<8>::FromUtf8("S")};
    fixture->StepCounts[c] = static_cast<std::uint8_t>(std::max<std::size_t>(fixture->StepCounts[c], s + 1));
  }
  Problems Check() const { return CheckFixture(*fixture, &names); }
};

FixtureProblem Problem(ProblemLevel level, ProblemPlace place, int channel, int step, std::string text,
                       ProblemField field = ProblemField::None) {
  return {level, place, field, channel, step, -1, -1, std::move(text)};
}

constexpr auto kError = ProblemLevel::Error;
constexpr auto kWarning = ProblemLevel::Warning;

TEST(FixtureChecks, AMadeFixtureHasNoProblems) {
  Made made;
  EXPECT_EQ(made.Check(), Problems{});
  EXPECT_EQ(CountProblems(made.Check(), kError), 0u);
}

TEST(FixtureChecks, HighByteChannelsNeedAMatchingLowBytePartner) {
  Made made;
  ChannelRecord* ch = made.fixture->Channels.data();
  ch[0].Type = InstantLTP16H;
  ch[0].Partner = 0;
  ch[2].Type = FadeableLTP16H;
  ch[2].Partner = 3;  // itself
  ch[4].Type = InstantLTP16H;
  ch[4].Partner = 9;  // beyond the 8
  ch[6].Type = InstantLTP16H;
  ch[6].Partner = 8;
  ch[7].Type = FadeableLTP16L;  // the other flavour
  EXPECT_EQ(made.Check(),
            (Problems{
                Problem(kError, ProblemPlace::Channel, 0, -1,
                        "channel 1: a 16-bit high-byte channel without a partner (Ch16bit 0)", ProblemField::Partner),
                Problem(kError, ProblemPlace::Channel, 2, -1,
                        "channel 3: its 16-bit partner, channel 3, is not a low-byte channel", ProblemField::Partner),
                Problem(kError, ProblemPlace::Channel, 4, -1, "channel 5: its 16-bit partner 9 is beyond the 8 channels", ProblemField::Partner),
                Problem(kError, ProblemPlace::Channel, 6, -1,
                        "channel 7: its 16-bit partner, channel 8, is a low byte of the other kind", ProblemField::Partner),
            }));
  ch[7].Type = InstantLTP16L;
  ch[0].Partner = 2;
  ch[1].Type = LTP;
  EXPECT_EQ(made.Check()[0].Text, "channel 1: its 16-bit partner, channel 2, is not a low-byte channel");
}

TEST(FixtureChecks, ALowByteChannelNothingPointsAtIsAnError) {
  Made made;
  made.fixture->Channels[3].Type = InstantLTP16L;
  EXPECT_EQ(made.Check(), (Problems{Problem(kError, ProblemPlace::Channel, 3, -1,
                                            "channel 4: a 16-bit low-byte channel that no high-byte channel points "
                                            "at (it loads as LTP)", ProblemField::ChannelType)}));
}

TEST(FixtureChecks, ChannelNamesAreNamedOnceAndKnownToTheSet) {
  Made made;
  made.Name(1, "", 0);
  made.Name(4, "pan", 6);  // the name of channel 1, in other letters
  made.Name(5, "Wobble", 0);
  made.Name(6, "Zoom", 250);
  EXPECT_EQ(made.Check(),
            (Problems{
                Problem(kWarning, ProblemPlace::Channel, 1, -1, "channel 2: the channel has no name", ProblemField::ChannelName),
                Problem(kWarning, ProblemPlace::Channel, 4, -1,
                        "channel 5: its name \"pan\" is the name of channel 1 too", ProblemField::ChannelName),
                Problem(kWarning, ProblemPlace::Channel, 5, -1,
                        "channel 6: its name \"Wobble\" is not in the channel name set", ProblemField::ChannelName),
                Problem(kWarning, ProblemPlace::Channel, 5, -1,
                        "channel 6: its name \"Wobble\" has no name code, so the console does not know it", ProblemField::ChannelName),
                Problem(kError, ProblemPlace::Channel, 6, -1,
                        "channel 7 (\"Zoom\"): name code 250 is carried by no entry of the channel name set",
                        ProblemField::ChannelName),
            }));
  // Without a set only what the fixture itself shows.
  EXPECT_EQ(CheckFixture(*made.fixture).size(), 3u);
}

TEST(FixtureChecks, StepsOutOfOrderOverlappingOrUpsideDownPointAtTheStep) {
  Made made;
  made.Step(2, 0, 0, 99);
  made.Step(2, 1, 90, 120);   // overlaps step 1
  made.Step(2, 2, 60, 80);    // before step 2
  made.Step(2, 3, 200, 150);  // from above to
  made.Step(2, 4, 210, 255);  // after an upside-down step nothing is compared
  made.Step(3, 0, 0, 127);
  made.Step(3, 1, 128, 255);
  EXPECT_EQ(made.Check(),
            (Problems{
                Problem(kWarning, ProblemPlace::Step, 2, 1, "channel 3 step 2: overlaps step 1 (90 is within 0..99)"),
                Problem(kWarning, ProblemPlace::Step, 2, 2,
                        "channel 3 step 3: starts at 60, before step 2 (out of order)"),
                Problem(kError, ProblemPlace::Step, 2, 3, "channel 3 step 4: from 200 is above to 150"),
            }));
}

TEST(FixtureChecks, OneStepOverTheWholeRangeSaysNothing) {
  Made made;
  made.Step(5, 0, 0, 255);
  EXPECT_EQ(made.Check(), (Problems{Problem(kWarning, ProblemPlace::Step, 5, 0,
                                            "channel 6 step 1: the one step covers 0 to 255, so it tells nothing")}));
  made.Step(5, 0, 0, 254);
  EXPECT_EQ(made.Check(), Problems{});
}

TEST(FixtureChecks, StepsPastTheFilesRoomNameTheirChannelsAndFirstLostStep) {
  Made made;
  for (std::size_t s = 0; s < 200; ++s) made.Step(0, s, static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s));
  for (std::size_t s = 0; s < 6; ++s) made.Step(1, s, static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s));
  EXPECT_EQ(made.Check(), (Problems{Problem(kError, ProblemPlace::Step, 1, 4,
                                            "channel 2: 2 of its 6 steps do not fit in the file (it holds 204 "
                                            "steps in all)")}));
}

void NamePalette(PaletteData& palettes, std::size_t p, const char* name) {
  palettes.PaletteName[p] = PaletteText::FromUtf8(name);
}

TEST(FixtureChecks, NamedPalettesNeedPresetsAndMembersInUse) {
  Made made;
  PaletteData& palettes = made.fixture->Palettes;
  NamePalette(palettes, 0, "Colour");
  palettes.PresetName[0][0] = PaletteText::FromUtf8("Red");
  palettes.PaletteMember[0][11] = 1;  // beyond the 8 channels
  NamePalette(palettes, 1, "Gobo");
  palettes.PaletteMember[1][2] = 1;
  FixtureProblem member{kWarning, ProblemPlace::Palette, ProblemField::None, -1, -1, 0, -1,
                        "palette 1 \"Colour\": no channel is a member"};
  EXPECT_EQ(made.Check(),
            (Problems{member,
                      {kWarning, ProblemPlace::Palette, ProblemField::None, -1, -1, 0, -1,
                       "palette 1 \"Colour\": channel 12 is a member but beyond the 8 channels, so it is not stored"},
                      {kWarning, ProblemPlace::Palette, ProblemField::None, -1, -1, 1, -1,
                       "palette 2 \"Gobo\": no preset is named"}}));
}

TEST(FixtureChecks, PresetsOverTheBlockAreNamedAsTheNextSaveCountsThem) {
  Made made;
  ResetFixture(*made.fixture, 40);
  made.fixture->MaxTiltDegree = 270;  // a reset clears it
  for (std::size_t c = 0; c < 40; ++c) made.Name(c, BuiltInNames()[c].Name, BuiltInNames()[c].Code);
  PaletteData& palettes = made.fixture->Palettes;
  // 40 members x 10 presets: 800 bytes a palette; the third is cut in its sixth preset.
  for (std::size_t p = 0; p < 3; ++p) {
    NamePalette(palettes, p, "P");
    palettes.PaletteMember[p].fill(1);
    for (std::size_t k = 0; k < kPresetCount; ++k) palettes.PresetName[p][k] = PaletteText::FromUtf8("K" + std::to_string(k));
  }
  const Problems problems = made.Check();
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_EQ(problems[0], (FixtureProblem{kError, ProblemPlace::Preset, ProblemField::None, -1, -1, 2, 5,
                                         "palette 3 \"P\", preset 6 \"K5\": only 8 of its 40 channel values fit in "
                                         "the palette block"}));
  EXPECT_EQ(problems[4].Text, "palette 3 \"P\", preset 10 \"K9\": left out, the palette block is full");
  EXPECT_EQ(CountProblems(problems, kError), 5u);
}

TEST(FixtureChecks, HeaderNeedsANameAndTheDegreesOfNamedPanAndTilt) {
  Made made;
  made.fixture->FixtureName = FixedText<11>::Blank();
  made.fixture->MaxPanDegree = 0;
  made.fixture->MaxTiltDegree = 721;
  EXPECT_EQ(made.Check(),
            (Problems{
                {kWarning, ProblemPlace::Header, ProblemField::FixtureName, -1, -1, -1, -1, "the fixture has no name"},
                {kError, ProblemPlace::Header, ProblemField::MaxTilt, -1, -1, -1, -1, "max tilt degree 721 is above 720"},
                {kWarning, ProblemPlace::Header, ProblemField::MaxPan, -1, -1, -1, -1,
                 "max pan degree is 0 while channel 1 is named \"Pan\""},
            }));
  made.fixture->Channels[0].Name = FixedText<12>::FromUtf8("Spin");
  made.fixture->MaxTiltDegree = 0;
  EXPECT_EQ(made.Check()[1].Text, "max tilt degree is 0 while channel 2 is named \"Tilt\"");
}

TEST(FixtureChecks, AFileIsJudgedByTheLettersItHolds) {
  Made made;
  Bytes image = BuildFixtureImage(*made.fixture);
  // A high byte pointing at an "H": the reader makes the "H" a low byte, the file keeps it.
  image[fixture_layout::kChannelRecords + fixture_layout::kRecordType] = 'S';
  image[fixture_layout::kChannelRecords + fixture_layout::kRecordPartner] = 2;
  image[fixture_layout::kChannelRecords + fixture_layout::kChannelRecordSize + fixture_layout::kRecordType] = 'H';
  const auto read = ParseFixtureImage(image);
  ASSERT_TRUE(read.record);
  EXPECT_EQ(CheckFixture(*read.record, &made.names), Problems{});
  EXPECT_EQ(CheckFixture(*read.record, &made.names, image),
            (Problems{Problem(kError, ProblemPlace::Channel, 0, -1,
                              "channel 1: its 16-bit partner, channel 2, is not a low-byte channel", ProblemField::Partner)}));
}

}  // namespace
}  // namespace brannoc
