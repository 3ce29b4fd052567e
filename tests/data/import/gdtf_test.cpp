#include "data/import/gdtf.h"

#include <gtest/gtest.h>

#include <string>

#include "data/core/file_io.h"
#include "data/import/archive.h"
#include "data/import/definition.h"
#include "support/zip_writer.h"

namespace brannoc {
namespace {
using test::GdtfArchive;
using test::ZipMethod;

Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A description around the given wheels, geometries and modes.
std::string Gdtf(const std::string& modes, const std::string& geometries = R"(<Geometry Name="Body"/>)",
                 const std::string& wheels = "", const std::string& names = R"(Name="Spot 575" ShortName="")") {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<GDTF DataVersion="1.1">
<FixtureType )" + names + R"( Manufacturer="Test">
<AttributeDefinitions><Attributes>
<Attribute Name="Pan" Pretty="P"/><Attribute Name="Dimmer" Pretty="Dim"/><Attribute Name="Color1" Pretty="C1"/>
</Attributes></AttributeDefinitions>
<Wheels>)" + wheels + R"(</Wheels>
<Geometries>)" + geometries + R"(</Geometries>
<DMXModes>)" + modes + R"(</DMXModes>
</FixtureType>
</GDTF>
)";
}

std::string Mode(const std::string& channels, const std::string& name = "Standard", const std::string& root = "Body") {
  return "<DMXMode Name=\"" + name + "\" Geometry=\"" + root + "\"><DMXChannels>\n" + channels +
         "</DMXChannels></DMXMode>\n";
}

// A channel with one logical channel of `attribute`; `functions` inside it.
std::string Channel(const std::string& offset, const std::string& attribute, const std::string& functions = "",
                    const std::string& extra = "", const std::string& geometry = "Body") {
  const std::string body = functions.empty()
                               ? "<ChannelFunction Attribute=\"" + attribute + "\" DMXFrom=\"0/1\" Name=\"" + attribute + "\"/>"
                               : functions;
  return "<DMXChannel Offset=\"" + offset + "\" Geometry=\"" + geometry + "\" " + extra + "><LogicalChannel Attribute=\"" +
         attribute + "\">" + body + "</LogicalChannel></DMXChannel>\n";
}

GdtfModeLayout Lay(const std::string& xml, std::size_t mode = 0) {
  GdtfModeLayout layout = LayOutGdtfMode(AsBytes(xml), mode);
  EXPECT_EQ(layout.Error, "");
  return layout;
}

std::string Error(const Bytes& bytes) { return LayOutGdtfMode(bytes, 0).Error; }

bool HasLine(const std::vector<std::string>& report, const std::string& part) {
  for (const std::string& line : report) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

const std::string kSimple = Gdtf(Mode(Channel("1", "Dimmer")));

TEST(GdtfArchiveTest, ReadsDescriptionFromStoredDeflateAndBzip2Members) {
  for (ZipMethod method : {ZipMethod::Store, ZipMethod::Deflate, ZipMethod::Bzip2}) {
    const Bytes archive = GdtfArchive(kSimple, method);
    ASSERT_FALSE(archive.empty());
    EXPECT_EQ(RecogniseImport(archive), ImportKind::GdtfArchive);
    const GdtfText text = GdtfDescriptionText(archive);
    EXPECT_EQ(text.Error, "");
    EXPECT_EQ(text.Xml, kSimple);
    const GdtfModeList list = ListGdtfModes(archive);
    ASSERT_EQ(list.Modes.size(), 1u);
    EXPECT_TRUE(list.Modes[0].Fits);
  }
}

TEST(GdtfArchiveTest, RefusesDamagedMissingEncryptedUnsupportedAndOversizedMembers) {
  const Bytes good = GdtfArchive(kSimple, ZipMethod::Store);
  // Cut short: the central directory is gone.
  EXPECT_NE(Error(Bytes(good.begin(), good.begin() + 40)).find("the archive is damaged"), std::string::npos);
  // A changed byte of the stored text: its CRC no longer matches.
  Bytes flipped = good;
  flipped[30 + 15 + 60] ^= 0x20;  // past the local header and the name "description.xml"
  EXPECT_NE(Error(flipped).find("the archive is damaged: description.xml"), std::string::npos);

  EXPECT_EQ(Error(test::WriteZip({{"model.3ds", "x"}})), "the archive holds no description.xml");
  const Bytes encrypted = test::WriteZip({{"description.xml", kSimple, ZipMethod::Deflate, true}});
  ASSERT_FALSE(encrypted.empty());
  EXPECT_EQ(Error(encrypted), "description.xml is encrypted in the archive; it cannot be read");

  // Method 97 (WavPack) in the local header (offset 8) and the central directory
  // entry (offset 10 of the record after the member).
  Bytes odd = good;
  const std::size_t central = odd.size() - 22 - (46 + 15) - (46 + 16);  // two entries, then the end record
  ASSERT_EQ(odd[central], 'P');
  ASSERT_EQ(odd[central + 1], 'K');
  odd[8] = 97;
  odd[central + 10] = 97;
  EXPECT_EQ(Error(odd), "description.xml is compressed by method 97, which cannot be read; stored, deflate and bzip2 members can");

  // 65 MB of blanks deflate to some 64 KB: refused by its stated size, unread.
  const Bytes bomb = test::WriteZip({{"description.xml", std::string(65u << 20, ' ')}});
  ASSERT_LT(bomb.size(), 1u << 20);
  EXPECT_EQ(Error(bomb), "description.xml inflates to 68157440 bytes; more than 64 MB is not read");
}

TEST(GdtfDescriptionTest, RecognisesKindsByContent) {
  EXPECT_EQ(RecogniseImport(AsBytes("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- made by hand -->\n<GDTF DataVersion=\"1.1\">")),
            ImportKind::GdtfDescription);
  EXPECT_EQ(RecogniseImport(AsBytes("<?xml version=\"1.0\"?><!DOCTYPE FixtureDefinition><FixtureDefinition xmlns=\"x\">")),
            ImportKind::QxfDefinition);
  EXPECT_EQ(RecogniseImport(AsBytes("PK\x05\x06")), ImportKind::GdtfArchive);
  EXPECT_EQ(RecogniseImport(AsBytes("<html>")), ImportKind::Unknown);
  EXPECT_EQ(RecogniseImport(AsBytes("")), ImportKind::Unknown);
}

TEST(GdtfDescriptionTest, NamesXmlErrorsByLineAndColumnAndRefusesOtherRoots) {
  EXPECT_EQ(Error(AsBytes("<GDTF>\n  <FixtureType Name=\"a>\n</GDTF>")).substr(0, 42), "the description is no well-formed XML: Err");
  EXPECT_NE(Error(AsBytes("<GDTF>\n  <FixtureType>\n</GDTF>")).find("at line 3, column 3"), std::string::npos);
  EXPECT_EQ(Error(AsBytes("<FixtureDefinition/>")), "the file is no GDTF description: its root element is <FixtureDefinition>");
  EXPECT_EQ(Error(AsBytes(" \n")), "the description is empty");
  EXPECT_EQ(Error(AsBytes("<GDTF/>")), "the GDTF description holds no FixtureType");
}

TEST(GdtfLayoutTest, ChannelsFollowAddressesWithFineBytesGapsAndLeftOutChannels) {
  const GdtfModeLayout layout = Lay(Gdtf(Mode(Channel("1,2", "Pan", "", "Default=\"32768/2\"") +
                                              Channel("5", "Dimmer", "", "Default=\"255/1\"") +
                                              Channel("3,4,6", "Zoom", "", "Default=\"8421631/3\"") +
                                              Channel("None", "Tilt") + Channel("1", "Color1", "", "DMXBreak=\"2\""))));
  ASSERT_EQ(layout.Channels.size(), 6u);
  const auto& c = layout.Channels;
  EXPECT_EQ(c[0].Attribute, "Pan");
  EXPECT_EQ(c[0].Pretty, "P");
  EXPECT_EQ(c[0].Byte, 0);
  EXPECT_EQ(c[0].Default, 128);
  EXPECT_EQ(c[1].Byte, 1);
  EXPECT_EQ(c[1].Coarse, 0);
  EXPECT_EQ(c[1].Default, 0);
  EXPECT_EQ(c[2].Attribute, "Zoom");
  EXPECT_EQ(c[2].Default, 0x80);
  EXPECT_EQ(c[3].Coarse, 2);
  EXPECT_EQ(c[3].Default, 0x80);
  EXPECT_EQ(c[4].Attribute, "Dimmer");
  EXPECT_EQ(c[4].Default, 255);
  EXPECT_EQ(c[5].Byte, 2);
  EXPECT_EQ(c[5].Coarse, 2);
  EXPECT_EQ(c[5].Default, 0xFF);
  EXPECT_EQ(c[5].Address, 6);
  EXPECT_EQ(layout.Report, (std::vector<std::string>{"Virtual channels (no DMX address) left out: Tilt",
                                                     "Channels on other DMX breaks left out: Color1 (break 2)"}));

  const GdtfModeLayout gap = Lay(Gdtf(Mode(Channel("3", "Dimmer") + Channel("5", "Pan"))));
  ASSERT_EQ(gap.Channels.size(), 3u);
  EXPECT_EQ(gap.FirstAddress, 3);
  EXPECT_FALSE(gap.Channels[1].Used);
  EXPECT_TRUE(gap.Channels[2].Used);
  EXPECT_TRUE(HasLine(gap.Report, "Address 4 is used by no DMX channel; it becomes an unnamed LTP channel"));
  EXPECT_TRUE(HasLine(gap.Report, "The first address the mode uses is 3"));
}

TEST(GdtfLayoutTest, StepsComeFromFunctionsSetsAndWheelSlotsInTheCoarseByte) {
  const std::string wheel = R"(<Wheel Name="Colours"><Slot Name="Open"/><Slot Name="Deep Red"/><Slot Name="Blue"/></Wheel>)";
  const std::string functions = R"(
<ChannelFunction Name="Spin" Attribute="Color1" DMXFrom="49152/2"/>
<ChannelFunction Name="Select" Attribute="Color1" DMXFrom="0/2" Wheel="Colours">
  <ChannelSet Name="" DMXFrom="0/2" WheelSlotIndex="1"/>
  <ChannelSet Name="Red!" DMXFrom="8192/2" WheelSlotIndex="2"/>
  <ChannelSet DMXFrom="4096/2" WheelSlotIndex="3"/>
  <ChannelSet DMXFrom="70000/2"/>
</ChannelFunction>
<ChannelFunction Attribute="Color1" DMXFrom="32768/2"/>)";
  const GdtfModeLayout layout = Lay(Gdtf(Mode(Channel("1,2", "Color1", functions)), R"(<Geometry Name="Body"/>)", wheel));
  const auto& steps = layout.Channels[0].Steps;
  ASSERT_EQ(steps.size(), 5u);
  const std::vector<std::tuple<int, int, std::string>> want = {
      {0, 15, "Open"}, {16, 31, "Blue"}, {32, 127, "Red!"}, {128, 191, "Color1 3"}, {192, 255, "Spin"}};
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(steps[i].From, std::get<0>(want[i])) << i;
    EXPECT_EQ(steps[i].To, std::get<1>(want[i])) << i;
    EXPECT_EQ(steps[i].Name, std::get<2>(want[i])) << i;
  }
  EXPECT_EQ(layout.Report, (std::vector<std::string>{
                               "Address 1 (Color1): functions or sets out of DMX order were sorted; 1 overlapping or "
                               "out-of-range function or set was dropped"}));
  EXPECT_EQ(layout.StepCount, 5);

  // Fine-grained sets meet in the coarse byte: the later starts after the earlier, or goes.
  const GdtfModeLayout fine = Lay(Gdtf(Mode(Channel("1,2", "Dimmer", R"(<ChannelFunction Attribute="Dimmer" DMXFrom="0/2">
  <ChannelSet Name="closed" DMXFrom="0/2"/><ChannelSet DMXFrom="1/2"/><ChannelSet Name="open" DMXFrom="65535/2"/>
</ChannelFunction>)"))));
  ASSERT_EQ(fine.Channels[0].Steps.size(), 2u);
  EXPECT_EQ(fine.Channels[0].Steps[1].From, 1);
  EXPECT_EQ(fine.Channels[0].Steps[1].To, 255);
  EXPECT_EQ(fine.Report, (std::vector<std::string>{"Address 1 (Dimmer): 1 overlapping step was set right; 1 "
                                                   "overlapping or out-of-range function or set was dropped"}));
}

TEST(GdtfLayoutTest, GeometryReferencesRepeatTheirChannelsAtTheirOffsets) {
  const std::string geometries = R"(
<Geometry Name="Cell"><Beam Name="Lens"/></Geometry>
<Geometry Name="Body">
  <GeometryReference Name="Cell 1" Geometry="Cell"><Break DMXBreak="1" DMXOffset="2"/><Break DMXBreak="2" DMXOffset="1"/></GeometryReference>
  <GeometryReference Name="Cell 2" Geometry="Cell"><Break DMXBreak="1" DMXOffset="4"/><Break DMXBreak="2" DMXOffset="2"/></GeometryReference>
  <GeometryReference Name="Cell 3" Geometry="Cell"><Break DMXBreak="1" DMXOffset="6"/><Break DMXBreak="1" DMXOffset="8"/></GeometryReference>
</Geometry>)";
  const GdtfModeLayout layout =
      Lay(Gdtf(Mode(Channel("1", "Dimmer") + Channel("1", "ColorAdd_R", "", "", "Lens") +
                    Channel("2", "ColorAdd_G", "", "", "Cell") + Channel("1", "Color1", "", "DMXBreak=\"Overwrite\"", "Cell")),
               geometries));
  ASSERT_EQ(layout.Channels.size(), 8u);
  const std::vector<std::tuple<std::string, int>> want = {
      {"Dimmer", 0}, {"ColorAdd_R", 1}, {"ColorAdd_G", 1}, {"ColorAdd_R", 2}, {"ColorAdd_G", 2},
      {"ColorAdd_R", 3}, {"ColorAdd_G", 3}, {"Color1", 3}};
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(layout.Channels[i].Attribute, std::get<0>(want[i])) << i;
    EXPECT_EQ(layout.Channels[i].Number, std::get<1>(want[i])) << i;
  }
  // The overwritten break takes the last break of each reference: 2 for the
  // first two (left out), 1 at offset 8 for the third.
  EXPECT_TRUE(HasLine(layout.Report, "Channels on other DMX breaks left out: Color1 (break 2), Color1 (break 2)"));
}

TEST(GdtfLayoutTest, RefusesBrokenReferencesValuesAndLoopsWithWhereTheyAre) {
  const std::string loop = R"(<Geometry Name="Body"><GeometryReference Name="R1" Geometry="Arm"/></Geometry>
<Geometry Name="Arm"><GeometryReference Name="R2" Geometry="Body"/></Geometry>)";
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("1", "Dimmer")), loop))),
            "the geometry references make a loop (Body -> Arm -> Body) at line 9, column 22");
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("1", "Dimmer", "", "", "Head"))))),
            "the DMX channel \"Head_Dimmer\" at line 10, column 1 names the geometry \"Head\", which does not exist");
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("1", "Dimmer")), R"(<Geometry Name="Body"><GeometryReference Name="R" Geometry="Nope"/></Geometry>)"))),
            "the geometry reference \"R\" at line 8, column 35 names the geometry \"Nope\", which does not exist");
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("1", "Color1", R"(<ChannelFunction Name="W" DMXFrom="0/1" Wheel="Gone"/>)"))))),
            "the channel function \"W\" at line 10, column 76 names the wheel \"Gone\", which does not exist");
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("1", "Color1", R"(<ChannelFunction DMXFrom="0/1" Wheel="W"><ChannelSet DMXFrom="0/1" WheelSlotIndex="3"/></ChannelFunction>)")),
                               R"(<Geometry Name="Body"/>)", R"(<Wheel Name="W"><Slot Name="Open"/></Wheel>)"))),
            "the channel set at line 10, column 117 names slot \"3\" of the wheel \"W\", which does not exist");
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("1", "Dimmer", R"(<ChannelFunction DMXFrom="ten/1"/>)"))))),
            "the DMXFrom \"ten/1\" of <ChannelFunction> at line 10, column 76 is no DMX value");
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("1,x", "Dimmer"))))),
            "the DMX channel \"Body_Dimmer\" at line 10, column 1 has the offset \"1,x\", which is no list of DMX addresses");
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("1", "Dimmer")), R"(<Geometry Name="Body"><GeometryReference Name="R" Geometry="Cell"><Break DMXOffset="0"/></GeometryReference></Geometry><Geometry Name="Cell"/>)"))),
            "the break of the geometry reference \"R\" at line 8, column 79 has no DMX break and offset that are numbers from 1");
  EXPECT_EQ(Error(AsBytes(Gdtf(Mode(Channel("2,2", "Dimmer"))))),
            "the DMX channel \"Body_Dimmer\" at line 10, column 1 has the offset \"2,2\", which names an address twice");
}

TEST(GdtfListTest, ListsFootprintStepsAndWhyAModeDoesNotFit) {
  const std::string pan = R"(<ChannelFunction Attribute="Pan" DMXFrom="0/1" PhysicalFrom="-270" PhysicalTo="270"/>)";
  const std::string tilt = R"(<ChannelFunction Attribute="Tilt" DMXFrom="0/1" PhysicalFrom="0" PhysicalTo="800"/>)";
  const Bytes bytes = AsBytes(Gdtf(Mode(Channel("1", "Pan", pan) + Channel("2", "Tilt", tilt)) +
                                   Mode(Channel("1", "Dimmer") + Channel("41", "Pan"), "Wide") +
                                   Mode(Channel("None", "Dimmer"), "Virtual"),
                                   R"(<Geometry Name="Body"/>)", "", R"(Name="Spot 575 Long" ShortName="  Spot  575 ")"));
  const GdtfModeList list = ListGdtfModes(bytes);
  EXPECT_EQ(list.Model, "Spot 575");
  ASSERT_EQ(list.Modes.size(), 3u);
  EXPECT_EQ(list.Modes[0].Name, "Standard");
  EXPECT_EQ(list.Modes[0].ChannelCount, 2);
  EXPECT_EQ(list.Modes[0].StepCount, 2);
  EXPECT_TRUE(list.Modes[0].Fits);
  EXPECT_EQ(list.Modes[1].ChannelCount, 41);
  EXPECT_EQ(list.Modes[1].Why, "41 addresses; a fixture holds 40 at most");
  EXPECT_EQ(list.Modes[2].Why, "the mode \"Virtual\" has no DMX channel on break 1");

  const GdtfModeLayout layout = Lay(std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(layout.PanDegrees, 540);
  EXPECT_EQ(layout.TiltDegrees, 800);  // the import core limits it
  EXPECT_EQ(LayOutGdtfMode(bytes, 3).Error, "there is no mode 4; the GDTF description has 3");
}

}  // namespace
}  // namespace brannoc
