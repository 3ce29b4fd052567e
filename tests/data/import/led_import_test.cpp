// A mode as the console's LED fixture: which modes fit, the LED names, the
// function map, and the 512 bytes the LED writer makes of it.

#include "data/import/led.h"

#include <gtest/gtest.h>

#include <string>

namespace brannoc {
namespace {

SourceChannel Channel(const std::string& name, Meaning meaning, bool fine = false) {
  SourceChannel channel;
  channel.Name = name;
  channel.Meaning = meaning;
  channel.Fine = fine;
  return channel;
}

SourceMode Par(std::vector<SourceChannel> channels) {
  SourceMode mode;
  mode.Model = "LED PAR 64 RGBW";
  mode.ModeName = "Standard";
  mode.Channels = std::move(channels);
  return mode;
}

std::string NameOf(const LedFixtureRecord& led, std::size_t channel) { return led.Channels[channel].Name.TrimmedUtf8(); }

TEST(LedImport, AnRgbwParTakesTheColourNamesWhereTheMapLooks) {
  const SourceMode mode = Par({Channel("Red", Meaning::Red), Channel("Green", Meaning::Green),
                               Channel("Blue", Meaning::Blue), Channel("White", Meaning::White)});
  ASSERT_TRUE(FitsLedFixture(mode).Fits);
  LedImportResult result = ImportAsLedFixture(mode);
  ASSERT_TRUE(result.Record) << result.Error;
  LedFixtureRecord& led = *result.Record;
  EXPECT_EQ(led.ChannelCount, 4);
  EXPECT_EQ(NameOf(led, 0), "Red");
  EXPECT_EQ(NameOf(led, 3), "CoolW");
  // Without a master dimmer the colours are the intensity.
  EXPECT_EQ(led.Channels[0].Type, HTP);
  const Bytes image = BuildLedFixtureImage(led);
  ASSERT_EQ(image.size(), 512u);
  EXPECT_EQ(std::string(image.begin() + kLedFixtureNameOffset, image.begin() + kLedFixtureNameOffset + 11),
            "LEDPR64RGBW");
  EXPECT_EQ(image[kLedChannelCountOffset], 4);
  // Entry k of the map: the channel named k (Red 1, Green 2, Blue 3, CoolW 5).
  EXPECT_EQ(image[kLedFunctionMapOffset + 1], 1);
  EXPECT_EQ(image[kLedFunctionMapOffset + 2], 2);
  EXPECT_EQ(image[kLedFunctionMapOffset + 3], 3);
  EXPECT_EQ(image[kLedFunctionMapOffset + 5], 4);
  const std::size_t white = kLedChannelRecordsOffset + 3 * kLedChannelRecordSize;
  EXPECT_EQ(image[white + kLedRecNameIndex], 5);
  EXPECT_EQ(image[white + kLedRecType], 'H');
  EXPECT_EQ(std::string(image.begin() + white + kLedRecName, image.begin() + white + kLedRecName + 12),
            "CoolW       ");
  // The reader gives back what was imported.
  const LedReadResult reread = ParseLedFixtureImage(image);
  ASSERT_TRUE(reread.record) << reread.error;
  RederiveLedTypes(led);
  EXPECT_EQ(*reread.record, led);
}

TEST(LedImport, ADimmerMakesTheColoursLtpAndTheStrobeIsInstant) {
  SourceMode mode = Par({Channel("Dimmer", Meaning::Dimmer), Channel("R", Meaning::Red), Channel("G", Meaning::Green),
                         Channel("B", Meaning::Blue), Channel("Strobe", Meaning::Strobe)});
  mode.Channels[4].Steps = {{0, 9, "Open"}, {10, 255, "Strobe slow to fast"}};
  const LedImportResult result = ImportAsLedFixture(mode);
  ASSERT_TRUE(result.Record) << result.Error;
  const LedFixtureRecord& led = *result.Record;
  EXPECT_EQ(NameOf(led, 0), "Dimmer");
  EXPECT_EQ(led.Channels[0].Type, HTP);
  EXPECT_EQ(led.Channels[1].Type, LTP);
  EXPECT_EQ(NameOf(led, 4), "Strobe");
  EXPECT_EQ(led.Channels[4].Type, InstantLTP);
  EXPECT_EQ(led.LedFunctionMap[8], 1);  // Dimmer
  EXPECT_EQ(led.LedFunctionMap[7], 5);  // Strobe
  EXPECT_EQ(result.Report, (std::vector<std::string>{"The fixture name \"LED PAR 64 RGBW\" is shortened to "
                                                     "\"LEDPR64RGBW\"",
                                                     "An LED fixture keeps no steps: 2 steps are left out"}));
}

TEST(LedImport, WhatTheLedFormCannotHoldSaysWhy) {
  const SourceMode uv = Par({Channel("Red", Meaning::Red), Channel("Ultraviolet", Meaning::UV)});
  EXPECT_EQ(FitsLedFixture(uv).Why, "channel 2, \"Ultraviolet\", has no LED name");
  EXPECT_FALSE(ImportAsLedFixture(uv).Record);
  EXPECT_EQ(ImportAsLedFixture(uv).Error,
            "mode \"Standard\" does not fit an LED fixture: channel 2, \"Ultraviolet\", has no LED name");
  // A 16-bit dimmer: the map would point at its fine byte.
  const SourceMode fine = Par({Channel("Dimmer", Meaning::MasterDimmer), Channel("Dimmer fine", Meaning::MasterDimmer, true)});
  EXPECT_EQ(FitsLedFixture(fine).Why,
            "channel 2, \"Dimmer fine\", is a fine byte of Dimmer, which the LED form cannot hold");
  const SourceMode twoReds = Par({Channel("Red 1", Meaning::Red), Channel("Red 2", Meaning::Red)});
  EXPECT_EQ(FitsLedFixture(twoReds).Why, "channel 2, \"Red 2\", is a second Red channel");
  std::vector<SourceChannel> eleven(11, Channel("Zoom", Meaning::Zoom));
  EXPECT_EQ(FitsLedFixture(Par(eleven)).Why, "11 channels; an LED fixture holds 10 at most");
  // A 16-bit zoom is a pair, as on a moving fixture.
  const LedImportResult zoom = ImportAsLedFixture(Par({Channel("Zoom", Meaning::Zoom), Channel("Zoom fine", Meaning::Zoom, true)}));
  ASSERT_TRUE(zoom.Record) << zoom.Error;
  EXPECT_EQ(zoom.Record->Channels[0].Type, FadeableLTP16H);
  EXPECT_EQ(zoom.Record->Channels[0].Partner, 2);
  EXPECT_EQ(zoom.Record->Channels[1].Type, FadeableLTP16L);
}

}  // namespace
}  // namespace brannoc
