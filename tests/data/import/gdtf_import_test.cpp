// A GDTF mode through the import core: meanings from attributes, the master
// dimmer, repeated cells numbered by their reference, the third byte, and the
// reader's own report lines.

#include <gtest/gtest.h>

#include <string>

#include "data/fixture/file.h"
#include "data/import/gdtf.h"

namespace brannoc {
namespace {

std::string Channel(const std::string& offset, const std::string& attribute, const std::string& geometry = "Body",
                    const std::string& extra = "") {
  return "<DMXChannel Offset=\"" + offset + "\" Geometry=\"" + geometry + "\"" + extra +
         "><LogicalChannel Attribute=\"" + attribute + "\"><ChannelFunction Attribute=\"" + attribute +
         "\" DMXFrom=\"0/1\"/></LogicalChannel></DMXChannel>\n";
}

Bytes Description(const std::string& channels, const std::string& geometries = "<Geometry Name=\"Body\"/>") {
  const std::string text = R"(<?xml version="1.0" encoding="UTF-8"?>
<GDTF DataVersion="1.1"><FixtureType Name="Bar" ShortName="LED Bar 12">
<AttributeDefinitions><Attributes><Attribute Name="VideoBlendMode1" Pretty="Blend"/></Attributes></AttributeDefinitions>
<Geometries>)" + geometries + R"(</Geometries>
<DMXModes><DMXMode Name="M" Geometry="Body"><DMXChannels>
)" + channels + "</DMXChannels></DMXMode></DMXModes></FixtureType></GDTF>\n";
  return Bytes(text.begin(), text.end());
}

ImportResult Import(const Bytes& bytes) {
  ChannelNameSet names;
  RestoreDefaultNames(names);
  ImportResult result = ImportGdtfMode(bytes, 0, names);
  EXPECT_TRUE(result.Record) << result.Error;
  return result;
}

std::string NameOf(const ImportResult& result, int channel) {
  return result.Record->Channels[static_cast<std::size_t>(channel)].Name.TrimmedUtf8();
}

TEST(GdtfMeaningTest, StandardAttributesAndTheirWildcardsGiveTheirMeanings) {
  EXPECT_EQ(MeaningOfGdtfAttribute("ColorAdd_R"), Meaning::Red);
  EXPECT_EQ(MeaningOfGdtfAttribute("Color2"), Meaning::ColourWheel);
  EXPECT_EQ(MeaningOfGdtfAttribute("Gobo2"), Meaning::GoboWheel);
  EXPECT_EQ(MeaningOfGdtfAttribute("Gobo2Pos"), Meaning::GoboRotation);
  EXPECT_EQ(MeaningOfGdtfAttribute("Gobo1WheelSpin"), Meaning::GoboWheelRotation);
  EXPECT_EQ(MeaningOfGdtfAttribute("Shutter1StrobeRandomPulse"), Meaning::Strobe);
  EXPECT_EQ(MeaningOfGdtfAttribute("Effects2Adjust3"), Meaning::Effect);
  EXPECT_EQ(MeaningOfGdtfAttribute("Blade3A"), Meaning::BladeA);
  EXPECT_EQ(MeaningOfGdtfAttribute("ZoomMSpeed"), Meaning::Speed);
  EXPECT_EQ(MeaningOfGdtfAttribute("Dimmer"), Meaning::Dimmer);
  EXPECT_EQ(MeaningOfGdtfAttribute("VideoBlendMode1"), Meaning::Unknown);
}

TEST(GdtfImportTest, CellsRepeatedByReferencesTakeTheirNumbersBesideTheMasterDimmer) {
  const std::string geometries = R"(<Geometry Name="Cell"/><Geometry Name="Body">
<GeometryReference Name="C1" Geometry="Cell"><Break DMXOffset="2"/></GeometryReference>
<GeometryReference Name="C2" Geometry="Cell"><Break DMXOffset="4"/></GeometryReference></Geometry>)";
  const ImportResult result = Import(Description(Channel("1", "Dimmer") + Channel("1", "Dimmer", "Cell") +
                                                     Channel("2", "ColorAdd_R", "Cell"),
                                                 geometries));
  ASSERT_EQ(result.Record->ChannelCount, 5);
  EXPECT_EQ(NameOf(result, 0), SharedName(Meaning::MasterDimmer, 0, false));
  EXPECT_EQ(NameOf(result, 1), SharedName(Meaning::Dimmer, 1, false));
  EXPECT_EQ(NameOf(result, 2), SharedName(Meaning::Red, 1, false));
  EXPECT_EQ(NameOf(result, 3), SharedName(Meaning::Dimmer, 2, false));
  EXPECT_EQ(NameOf(result, 4), SharedName(Meaning::Red, 2, false));
  EXPECT_EQ(NameOf(result, 4), "Red 2");
  EXPECT_EQ(result.Record->Channels[0].Type, HTP);
}

TEST(GdtfImportTest, WideChannelsUnknownAttributesAndTheReadersLinesReachTheRecord) {
  const ImportResult result = Import(Description(Channel("1,2,3", "Zoom") + Channel("5", "VideoBlendMode1") +
                                                 Channel("None", "Dimmer")));
  ASSERT_EQ(result.Record->ChannelCount, 5);
  EXPECT_EQ(NameOf(result, 0), SharedName(Meaning::Zoom, 0, false));
  EXPECT_EQ(result.Record->Channels[0].Type, FadeableLTP16H);
  EXPECT_EQ(result.Record->Channels[0].Partner, 2);
  EXPECT_EQ(result.Record->Channels[1].Type, FadeableLTP16L);
  EXPECT_EQ(NameOf(result, 2), "Zoom Ultra");
  EXPECT_EQ(result.Record->Channels[2].Type, LTP);
  EXPECT_EQ(NameOf(result, 3), "");  // address 4: no channel
  EXPECT_EQ(NameOf(result, 4), "Blend");
  EXPECT_EQ(result.Record->FixtureName.TrimmedUtf8(), "LED Bar 12");
  auto has = [&](const std::string& line) {
    return std::find(result.Report.begin(), result.Report.end(), line) != result.Report.end();
  };
  EXPECT_TRUE(has("Address 4 is used by no DMX channel; it becomes an unnamed LTP channel"));
  EXPECT_TRUE(has("Virtual channels (no DMX address) left out: Dimmer"));
}

TEST(GdtfImportTest, AModeThatDoesNotLayOutSaysWhichAndWhy) {
  const ImportResult result = ImportGdtfMode(Description(Channel("1", "Dimmer") + Channel("50", "Zoom")), 0, {});
  EXPECT_FALSE(result.Record);
  EXPECT_EQ(result.Error, "mode \"M\" cannot be imported: 50 addresses; a fixture holds 40 at most");
}

}  // namespace
}  // namespace brannoc
