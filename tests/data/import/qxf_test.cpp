#include "data/import/qxf.h"

#include <gtest/gtest.h>

#include <string>

#include "data/fixture/file.h"

namespace brannoc {
namespace {
namespace L = fixture_layout;

// A fixture definition around `body` (channels, modes, physical data).
Bytes Qxf(const std::string& body, const std::string& model = "Spot 250") {
  const std::string text = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE FixtureDefinition>
<FixtureDefinition xmlns="http://www.qlcplus.org/FixtureDefinition">
 <Creator><Name>Q Light Controller Plus</Name><Version>4.12.3</Version><Author>Test</Author></Creator>
 <Manufacturer>Test</Manufacturer>
 <Model>)" + model + R"(</Model>
 <Type>Moving Head</Type>
)" + body + "</FixtureDefinition>\n";
  return Bytes(text.begin(), text.end());
}

// A mode listing the named channels in order.
std::string Mode(const std::string& name, std::initializer_list<std::string> channels) {
  std::string mode = " <Mode Name=\"" + name + "\">\n";
  int n = 0;
  for (const std::string& channel : channels) {
    mode += "  <Channel Number=\"" + std::to_string(n++) + "\">" + channel + "</Channel>\n";
  }
  return mode + " </Mode>\n";
}

std::string Preset(const std::string& name, const std::string& preset) {
  return " <Channel Name=\"" + name + "\" Preset=\"" + preset + "\"/>\n";
}

std::string Grouped(const std::string& name, const std::string& group, int byte = 0, const std::string& caps = "") {
  return " <Channel Name=\"" + name + "\">\n  <Group Byte=\"" + std::to_string(byte) + "\">" + group + "</Group>\n" +
         caps + " </Channel>\n";
}

std::string Cap(int min, int max, const std::string& text) {
  return "  <Capability Min=\"" + std::to_string(min) + "\" Max=\"" + std::to_string(max) + "\">" + text +
         "</Capability>\n";
}

ChannelNameSet BuiltIn() {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  return set;
}

QxfImport Import(const Bytes& qxf, std::size_t mode = 0, const ChannelNameSet& names = BuiltIn()) {
  QxfImport result = ImportQxfMode(qxf, mode, names);
  EXPECT_TRUE(result.Record) << result.Error;
  return result;
}

const ChannelRecord& Channel(const QxfImport& result, int number) {
  return result.Record->Channels[static_cast<std::size_t>(number - 1)];
}

std::string NameOf(const QxfImport& result, int number) { return Channel(result, number).Name.TrimmedUtf8(); }

bool Reports(const QxfImport& result, const std::string& part) {
  for (const std::string& line : result.Report) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

std::string AllLines(const QxfImport& result) {
  std::string all;
  for (const std::string& line : result.Report) all += line + "\n";
  return all;
}

TEST(QxfModes, ListsEachModeWithItsCountsAndWhetherItFits) {
  std::string channels = Preset("Pan", "PositionPan") + Preset("Tilt", "PositionTilt") +
                         Grouped("Gobo", "Gobo", 0, Cap(0, 9, "Open") + Cap(10, 19, "Gobo 1") + Cap(20, 29, "Gobo 2"));
  std::string big = " <Mode Name=\"Pixel\">\n";
  for (int i = 0; i < 41; ++i) big += "  <Channel Number=\"" + std::to_string(i) + "\">Gobo</Channel>\n";
  big += " </Mode>\n";
  const QxfModeList list = ListQxfModes(Qxf(channels + Mode("Basic", {"Pan", "Tilt", "Gobo"}) + big +
                                            Mode("Broken", {"Pan", "Zoom"}) + " <Mode Name=\"Empty\"/>\n"));
  ASSERT_TRUE(list.Error.empty()) << list.Error;
  EXPECT_EQ(list.Model, "Spot 250");
  ASSERT_EQ(list.Modes.size(), 4u);
  EXPECT_EQ(list.Modes[0].Name, "Basic");
  EXPECT_EQ(list.Modes[0].ChannelCount, 3);
  EXPECT_EQ(list.Modes[0].StepCount, 3);
  EXPECT_TRUE(list.Modes[0].Fits);
  EXPECT_EQ(list.Modes[1].ChannelCount, 41);
  EXPECT_EQ(list.Modes[1].StepCount, 123);
  EXPECT_FALSE(list.Modes[1].Fits);
  EXPECT_EQ(list.Modes[1].Why, "41 channels; a fixture holds 40 at most");
  EXPECT_FALSE(list.Modes[2].Fits);
  EXPECT_EQ(list.Modes[2].Why, "the channel \"Zoom\" is not defined in the file (line 66, column 3)");
  EXPECT_FALSE(list.Modes[3].Fits);
  EXPECT_EQ(list.Modes[3].Why, "no channels");
}

TEST(QxfImport, AModeOfMoreThan40ChannelsIsRefusedWithNoFixture) {
  std::string mode = " <Mode Name=\"Pixel 41\">\n";
  for (int i = 0; i < 41; ++i) mode += "  <Channel>Red</Channel>\n";
  mode += " </Mode>\n";
  const QxfImport result = ImportQxfMode(Qxf(Preset("Red", "IntensityRed") + mode), 0, BuiltIn());
  EXPECT_FALSE(result.Record);
  EXPECT_EQ(result.Error, "mode \"Pixel 41\" cannot be imported: 41 channels; a fixture holds 40 at most");
}

TEST(QxfImport, NameCountAndStartingValuesOfTheFixture) {
  const QxfImport result = Import(
      Qxf(Preset("Dimmer", "IntensityMasterDimmer") + Preset("Pan", "PositionPan") + Mode("Std", {"Pan", "Dimmer"}) +
              Mode("Dim", {"Dimmer"}),
          "A.LEDA  Wash\n K10"),
      0);
  const FixtureRecord& fixture = *result.Record;
  // Whitespace collapsed, then shortened so that the model's number stays.
  EXPECT_EQ(fixture.FixtureName.CodePage(), "ALEDAWshK10");
  EXPECT_TRUE(result.Changes.FixtureNameCut);
  EXPECT_TRUE(Reports(result, "The fixture name \"A.LEDA Wash K10\" is shortened to \"ALEDAWshK10\""));
  EXPECT_EQ(fixture.ChannelCount, 2);
  EXPECT_EQ(Channel(result, 1).Number, 1);
  EXPECT_EQ(Channel(result, 2).Number, 2);
  // Channels past the count and the palettes are those of a new fixture.
  EXPECT_EQ(fixture.Channels[2], ChannelRecord{});
  FixtureRecord fresh;
  ResetFixture(fresh, 2);
  EXPECT_EQ(fixture.Palettes, fresh.Palettes);
  EXPECT_EQ(fixture.StepCounts, fresh.StepCounts);
  EXPECT_EQ(fixture.Steps, fresh.Steps);

  // The second mode.
  const QxfImport second = Import(Qxf(Preset("Dimmer", "IntensityMasterDimmer") + Preset("Pan", "PositionPan") +
                                      Mode("Std", {"Pan", "Dimmer"}) + Mode("Dim", {"Dimmer"})),
                                  1);
  EXPECT_EQ(second.Record->ChannelCount, 1);
  EXPECT_EQ(NameOf(second, 1), "Dimmer");
  EXPECT_TRUE(second.Report.empty()) << AllLines(second);
}

TEST(QxfImport, MeaningsTakeTheirSharedNamesAndCodes) {
  const std::string channels =
      Preset("Pan 1", "PositionPan") + Grouped("Rotation", "Tilt") + Preset("Master", "IntensityMasterDimmer") +
      Grouped("Colour Wheel 1", "Colour") + Grouped("Colour Wheel 2", "Colour") + Grouped("Static Gobos", "Gobo") +
      Grouped("Rotating Gobos", "Gobo") + Grouped("Gobo Rotation", "Gobo") + Grouped("Prism Insertion", "Prism") +
      Grouped("Prism Rotation", "Prism") + Grouped("Shutter", "Shutter") +
      Preset("Strobe Effect", "ShutterStrobeSlowFast") + Preset("Focus Adj", "BeamFocusNearFar") +
      Preset("Zoom Adj", "BeamZoomSmallBig") + Preset("Iris Adj", "ShutterIrisMinToMax") +
      Preset("Movement Speed", "SpeedPanTiltFastSlow") + Preset("R", "IntensityRed") + Preset("B", "IntensityBlue") +
      Preset("C", "IntensityCyan") + Preset("M", "IntensityMagenta") + Preset("Y", "IntensityYellow") +
      Preset("G", "IntensityGreen");
  const QxfImport result = Import(Qxf(
      channels + Mode("All", {"Pan 1", "Rotation", "Master", "Colour Wheel 1", "Colour Wheel 2", "Static Gobos",
                              "Rotating Gobos", "Gobo Rotation", "Prism Insertion", "Prism Rotation", "Shutter",
                              "Strobe Effect", "Focus Adj", "Zoom Adj", "Iris Adj", "Movement Speed", "R", "B", "C",
                              "M", "Y", "G"})));
  // A tilt channel called "Rotation" is the tilt: QLC+ files it under Tilt.
  const std::pair<const char*, int> expected[] = {
      {"Pan", 6},       {"Tilt", 7},      {"Dimmer", 3},   {"Colour 1", 0}, {"Colour 2", 0}, {"Gobo 1", 0},
      {"Gobo 2", 0},    {"GoboRot", 14},  {"Prism", 26},   {"Prsm Rot", 27}, {"Shutter", 4},  {"Strobe", 41},
      {"Focus", 10},    {"Zoom", 11},     {"Iris", 5},     {"P/T Speed", 16}, {"Red", 22},     {"Blue", 23},
      {"Cyan", 21},     {"Magenta", 20},  {"Yellow", 19},  {"Green", 0},
  };
  for (int n = 1; n <= 22; ++n) {
    EXPECT_EQ(NameOf(result, n), expected[n - 1].first) << "channel " << n;
    EXPECT_EQ(Channel(result, n).NameCode, expected[n - 1].second) << "channel " << n;
  }
  EXPECT_EQ(result.MissingNames, (std::vector<std::string>{"Colour 1", "Colour 2", "Gobo 1", "Gobo 2", "Green"}));
  EXPECT_EQ(result.Report, (std::vector<std::string>{"Not in the channel name set: \"Colour 1\" (channel 4), "
                                                     "\"Colour 2\" (channel 5), \"Gobo 1\" (channel 6), \"Gobo 2\" "
                                                     "(channel 7), \"Green\" (channel 22)"}));
}

TEST(QxfImport, RepeatedMeaningsAreNumberedAndNoTwoChannelsShareAName) {
  ChannelNameSet names = BuiltIn();
  AddChannelName(names, "RED 2");  // slot 59, code 62: a name the set holds, letter case ignored
  const std::string channels = Preset("Led 2 Red", "IntensityRed") + Preset("Led 1 Red", "IntensityRed") +
                               Preset("Led 1 Green", "IntensityGreen") + Preset("Red 13", "IntensityRed") +
                               Preset("Red 14", "IntensityRed") + Grouped("Reserved for future use", "") +
                               Grouped("Reserved for future use ", "") + Grouped("x", "");
  const Bytes qxf = Qxf(channels + Mode("Cells", {"Led 2 Red", "Led 1 Red", "Led 1 Green"}) +
                        Mode("Half", {"Red 13", "Red 14", "Reserved for future use", "Reserved for future use ", "x"}));
  // The definition's numbers, whatever the order; a single green stays bare.
  const QxfImport cells = Import(qxf, 0, names);
  EXPECT_EQ(Channel(cells, 1).Name.CodePage(), "RED 2       ");
  EXPECT_EQ(Channel(cells, 1).NameCode, 62);
  EXPECT_EQ(NameOf(cells, 2), "Red 1");
  EXPECT_EQ(NameOf(cells, 3), "Green");
  // Numbers that do not count from 1 give way to places; channels of no known
  // meaning keep their own names, shortened and told apart.
  const QxfImport half = Import(qxf, 1, names);
  EXPECT_EQ(NameOf(half, 1), "Red 1");
  EXPECT_EQ(Channel(half, 2).Name.CodePage(), "RED 2       ");
  EXPECT_EQ(NameOf(half, 3), "RsrForFtrUse");
  EXPECT_EQ(NameOf(half, 4), "RsrForFtrU 2");
  EXPECT_EQ(NameOf(half, 5), "x");
  EXPECT_EQ(half.Changes.ChannelNamesCut, 2);
  EXPECT_TRUE(Reports(half, "Channel names shortened to 12 characters: channel 3 \"Reserved for future use\" to "
                            "\"RsrForFtrUse\"; channel 4"));
}

// A numbered blade's position is how far it is in, its angle how it turns;
// each takes its blade's number ("Blade 2A", "Blade 2Rot").
TEST(QxfImport, FramingBladesTakeTheirNumberAndTellPositionFromAngle) {
  const std::string channels = Grouped("Framing blade 1, position", "Beam") + Grouped("Framing blade 1, angle", "Beam") +
                               Grouped("Framing blade 2, position", "Beam") + Grouped("Framing blade 2, angle", "Beam") +
                               Grouped("Framing Blade System Rotation", "Beam");
  const QxfImport blades = Import(Qxf(channels + Mode("Blades", {"Framing blade 1, position", "Framing blade 1, angle",
                                                                 "Framing blade 2, position", "Framing blade 2, angle",
                                                                 "Framing Blade System Rotation"})));
  EXPECT_EQ(NameOf(blades, 1), "Blade 1A");
  EXPECT_EQ(NameOf(blades, 2), "Blade 1Rot");
  EXPECT_EQ(NameOf(blades, 3), "Blade 2A");
  EXPECT_EQ(NameOf(blades, 4), "Blade 2Rot");
  EXPECT_EQ(MeaningOfSharedName(NameOf(blades, 5))->Meaning, Meaning::ShaperRotation);
}

TEST(QxfImport, DimmerNamesTheMasterDimmerAndTheColoursBesideItAreLtp) {
  const std::string channels = Preset("Dimmer 1", "IntensityDimmer") + Preset("Dimmer 2", "IntensityDimmer") +
                               Preset("Master Dimmer", "IntensityDimmer") + Preset("Red", "IntensityRed") +
                               Preset("White", "IntensityWhite") + Grouped("Brightness", "Intensity");
  const Bytes qxf = Qxf(channels + Mode("Master", {"Dimmer 1", "Dimmer 2", "Master Dimmer", "Red"}) +
                        Mode("Parts", {"Dimmer 1", "Dimmer 2", "Red"}) + Mode("One", {"Brightness", "White"}));
  const QxfImport master = Import(qxf, 0);
  EXPECT_EQ(NameOf(master, 1), "Dimmer 1");
  EXPECT_EQ(NameOf(master, 2), "Dimmer 2");
  EXPECT_EQ(NameOf(master, 3), "Dimmer");
  EXPECT_EQ(master.Record->FunctionMap[3], 3);  // the Dimmer code points at the master
  EXPECT_EQ(Channel(master, 1).Type, HTP);
  EXPECT_EQ(Channel(master, 3).Type, HTP);
  EXPECT_EQ(Channel(master, 4).Type, LTP);  // red beside a master dimmer
  // Without a master, no channel takes "Dimmer" and the colours are intensities.
  const QxfImport parts = Import(qxf, 1);
  EXPECT_EQ(NameOf(parts, 1), "Dimmer 1");
  EXPECT_EQ(NameOf(parts, 2), "Dimmer 2");
  EXPECT_EQ(parts.Record->FunctionMap[3], 0);
  EXPECT_EQ(Channel(parts, 3).Type, HTP);
  // The only dimmer is the master, whatever it is called.
  const QxfImport one = Import(qxf, 2);
  EXPECT_EQ(NameOf(one, 1), "Dimmer");
  EXPECT_EQ(Channel(one, 2).Type, LTP);
}

TEST(QxfImport, TypesFollowTheRuleTable) {
  const QxfImport result = Import(Qxf(
      Preset("Dim", "IntensityDimmer") + Preset("White", "IntensityWhite") + Preset("Cyan", "IntensityCyan") +
      Preset("Hue", "IntensityHue") + Grouped("CTO", "Intensity") + Grouped("Colour", "Colour") +
      Grouped("Gobo", "Gobo") + Grouped("Gobo Rotation", "Gobo") + Grouped("Prism", "Prism") +
      Grouped("Strobe", "Shutter") + Grouped("Programs", "Effect") + Grouped("Reset", "Maintenance") +
      Preset("Pan", "PositionPan") + Grouped("Frost", "Beam") + Grouped("Speed", "Speed") +
      Mode("M", {"Dim", "White", "Cyan", "Hue", "CTO", "Colour", "Gobo", "Gobo Rotation", "Prism", "Strobe", "Programs",
                 "Reset", "Pan", "Frost", "Speed"}) +
      Mode("No master", {"White", "Cyan"})));
  const std::uint8_t expected[] = {HTP,        LTP,        LTP,        LTP, LTP, InstantLTP, InstantLTP, LTP,
                                   InstantLTP, InstantLTP, InstantLTP, InstantLTP, LTP, LTP, LTP};
  for (int n = 1; n <= 15; ++n) {
    EXPECT_EQ(Channel(result, n).Type, expected[n - 1]) << "channel " << n << " " << NameOf(result, n);
    EXPECT_EQ(Channel(result, n).Partner, 0) << "channel " << n;
  }
  EXPECT_EQ(NameOf(result, 5), "CTO");  // a tint in QLC+'s intensity group is no intensity
  const QxfImport noMaster = Import(Qxf(Preset("White", "IntensityWhite") + Preset("Cyan", "IntensityCyan") +
                                        Mode("M", {"White", "Cyan"})));
  EXPECT_EQ(Channel(noMaster, 1).Type, HTP);
  EXPECT_EQ(Channel(noMaster, 2).Type, LTP);
}

TEST(QxfImport, FineChannelsPairByTheirMeaningAndNumber) {
  // Intensity keeps HTP on its coarse byte; the fine byte is plain and named.
  // A wheel makes an instant pair, a position a fadeable one.
  const QxfImport kinds = Import(Qxf(
      Preset("Dimmer", "IntensityMasterDimmer") + Preset("Dimmer fine", "IntensityMasterDimmerFine") +
      Grouped("Color Wheel", "Colour") + Preset("Color Wheel fine", "ColorWheelFine") + Preset("Pan", "PositionPan") +
      Preset("Pan fine", "PositionPanFine") +
      Mode("M", {"Dimmer", "Dimmer fine", "Color Wheel", "Color Wheel fine", "Pan", "Pan fine"})));
  const std::pair<const char*, int> kindsExpected[] = {{"Dimmer", HTP},        {"Dim Fine", LTP},
                                                       {"Colour", InstantLTP16H}, {"Col Fine", InstantLTP16L},
                                                       {"Pan", FadeableLTP16H}, {"Pan Fine", FadeableLTP16L}};
  for (int n = 1; n <= 6; ++n) {
    EXPECT_EQ(NameOf(kinds, n), kindsExpected[n - 1].first) << "channel " << n;
    EXPECT_EQ(Channel(kinds, n).Type, kindsExpected[n - 1].second) << "channel " << n;
  }
  EXPECT_EQ(Channel(kinds, 1).Partner, 0);
  EXPECT_EQ(Channel(kinds, 3).Partner, 4);
  EXPECT_EQ(kinds.Changes.FinesPlain, 1);
  EXPECT_TRUE(Reports(kinds, "Channel 2: the fine byte of an HTP intensity stays a plain LTP channel; its coarse "
                             "channel keeps HTP"));

  // ActsOn first; else the nearest channel before of the same meaning and
  // number; never one of another meaning, and never one after.
  const QxfImport chosen = Import(Qxf(
      Preset("Pan", "PositionPan") + Preset("Pan fine", "PositionPanFine") + Grouped("CTC", "Colour") +
      Grouped("Color Scene", "Colour") + Grouped("CTC fine", "Colour", 1) + Grouped("Gobo 1 rotation", "Gobo") +
      Grouped("Gobo 2 rotation", "Gobo") + Grouped("Fixed gobo change", "Gobo") +
      Grouped("Gobo 1 rotation fine", "Gobo", 1) + Preset("Tilt fine", "PositionTiltFine") +
      Preset("Tilt", "PositionTilt") + R"( <Mode Name="M">
  <Channel Number="0">Pan</Channel>
  <Channel Number="1">Pan</Channel>
  <Channel Number="2" ActsOn="0">Pan fine</Channel>
  <Channel Number="3">CTC</Channel>
  <Channel Number="4">Color Scene</Channel>
  <Channel Number="5">CTC fine</Channel>
  <Channel Number="6">Gobo 1 rotation</Channel>
  <Channel Number="7">Gobo 2 rotation</Channel>
  <Channel Number="8">Fixed gobo change</Channel>
  <Channel Number="9">Gobo 1 rotation fine</Channel>
  <Channel Number="10">Tilt fine</Channel>
  <Channel Number="11">Tilt</Channel>
 </Mode>
)"));
  EXPECT_EQ(Channel(chosen, 1).Partner, 3);  // by ActsOn, not the nearer second pan
  EXPECT_EQ(Channel(chosen, 2).Partner, 0);
  EXPECT_EQ(Channel(chosen, 4).Partner, 6);  // the CTC, past the colour scene
  EXPECT_EQ(Channel(chosen, 5).Partner, 0);
  EXPECT_EQ(Channel(chosen, 7).Partner, 10);  // gobo 1's rotation, past gobo 2's and the wheel
  EXPECT_EQ(NameOf(chosen, 7), "GoboRot 1");
  EXPECT_EQ(NameOf(chosen, 10), "GoboRotFin 1");
  EXPECT_EQ(Channel(chosen, 11).Type, LTP);  // no tilt before it
  EXPECT_EQ(Channel(chosen, 12).Partner, 0);
  EXPECT_EQ(chosen.Changes.FinesUnpaired, 1);
  EXPECT_TRUE(Reports(chosen, "Channel 11 \"Tilt fine\" is a fine channel without its coarse channel in this mode; "
                              "it stays a plain channel"));
}

TEST(QxfImport, ACoarseChannelTheReaderNamesIsTaken) {
  // As a reader that knows its bytes (GDTF) gives them: the core does not search.
  SourceMode mode;
  mode.Model = "Spot";
  mode.Channels.resize(3);
  mode.Channels[0].Meaning = Meaning::Zoom;
  mode.Channels[1].Meaning = Meaning::Zoom;
  mode.Channels[2].Meaning = Meaning::Zoom;
  mode.Channels[2].Fine = true;
  mode.Channels[2].Coarse = 0;
  const ImportResult result = ImportSourceMode(mode, BuiltIn());
  ASSERT_TRUE(result.Record);
  EXPECT_EQ(result.Record->Channels[0].Partner, 3);
  EXPECT_EQ(result.Record->Channels[0].Name.TrimmedUtf8(), "Zoom 1");
  EXPECT_EQ(result.Record->Channels[2].Name.TrimmedUtf8(), "Zoom Fine 1");
}

TEST(SharedNames, EveryNameOfTheTableReadsBackAsItsMeaning) {
  for (int m = static_cast<int>(Meaning::Nothing); m <= static_cast<int>(Meaning::Fan); ++m) {
    const auto meaning = static_cast<Meaning>(m);
    for (int instance = 0; instance <= 40; ++instance) {
      for (const bool fine : {false, true}) {
        if (meaning == Meaning::Dimmer && instance == 0) continue;  // the bare "Dimmer" is the master's
        if (meaning == Meaning::MasterDimmer && instance > 0) continue;
        const std::string name = SharedName(meaning, instance, fine);
        ASSERT_LE(name.size(), 12u) << name;
        const auto read = MeaningOfSharedName(name);
        ASSERT_TRUE(read) << name;
        EXPECT_EQ(read->Meaning, meaning) << name;
        EXPECT_EQ(read->Instance, instance) << name;
        EXPECT_EQ(read->Fine, fine) << name;
      }
    }
  }
  EXPECT_EQ(MeaningOfSharedName("red 3 ")->Instance, 3);
  EXPECT_EQ(MeaningOfSharedName("Colour1")->Meaning, Meaning::ColourWheel);
  EXPECT_FALSE(MeaningOfSharedName("Lamp"));
  EXPECT_FALSE(MeaningOfSharedName(""));
}

TEST(QxfImport, ValueIsTheDefaultOrZero) {
  const QxfImport result = Import(Qxf(
      R"( <Channel Name="Zoom" Default="128"><Group Byte="0">Beam</Group></Channel>
 <Channel Name="Focus" Default="300"><Group Byte="0">Beam</Group></Channel>
 <Channel Name="Iris" Default="half"><Group Byte="0">Beam</Group></Channel>
)" + Grouped("Frost", "Beam") + Mode("M", {"Zoom", "Focus", "Iris", "Frost"})));
  EXPECT_EQ(Channel(result, 1).Value, 128);
  EXPECT_EQ(Channel(result, 2).Value, 0);
  EXPECT_EQ(Channel(result, 3).Value, 0);
  EXPECT_EQ(Channel(result, 4).Value, 0);
  EXPECT_EQ(result.Changes.ValuesReset, 2);
  EXPECT_TRUE(Reports(result, "Channel 2 \"Focus\": the default value \"300\" is no DMX value from 0 to 255; the value is 0"));
}

TEST(QxfImport, CapabilitiesBecomeStepsInOrder) {
  const QxfImport result = Import(Qxf(
      Grouped("Shutter", "Shutter", 0,
              Cap(0, 9, "Closed") + Cap(10, 19, "  Shutter\n   open ") + Cap(20, 127, "Strobe slow to fast") +
                  "  <Capability Min=\"128\" Max=\"300\">Broken</Capability>\n  <Capability Max=\"5\">No min</Capability>\n" +
                  Cap(128, 255, "Gobo 3")) +
      Mode("M", {"Shutter"})));
  const FixtureRecord& fixture = *result.Record;
  ASSERT_EQ(fixture.StepCounts[0], 4);
  const std::pair<std::string, std::pair<int, int>> expected[] = {
      {"Closed  ", {0, 9}}, {"Open    ", {10, 19}}, {"Strb s-f", {20, 127}}, {"Gobo 3  ", {128, 255}}};
  for (std::size_t s = 0; s < 4; ++s) {
    EXPECT_EQ(fixture.Steps[0][s].StepName.CodePage(), expected[s].first);
    EXPECT_EQ(fixture.Steps[0][s].FromDmx, expected[s].second.first);
    EXPECT_EQ(fixture.Steps[0][s].ToDmx, expected[s].second.second);
  }
  EXPECT_EQ(fixture.Steps[0][4], ChannelStep::Blank());
  EXPECT_EQ(result.Changes.StepNamesShortened, 2);
  EXPECT_EQ(result.Changes.CapabilitiesDropped, 2);
  EXPECT_TRUE(Reports(result, "Channel 1 \"Shutter\": 2 capabilities have no DMX range from 0 to 255 and are left out"));
  EXPECT_TRUE(Reports(result, "Step names shortened to 8 characters: channel 1 (2 of 4)"));
}

TEST(QxfImport, StepNamesTellDifferentSettingsApart) {
  const QxfImport result = Import(Qxf(
      Grouped("Control", "Maintenance", 0,
              Cap(0, 9, "Blackout on pan/tilt movement on") + Cap(10, 19, "Blackout on pan/tilt movement off") +
                  Cap(20, 29, "Rotation (fast to slow)") + Cap(30, 39, "Rotation (slow to fast)") +
                  Cap(40, 49, "Open") + Cap(50, 59, "Open") + Cap(60, 69, "Gobo shake (A)") +
                  Cap(70, 79, "Gobo shake [A]") + Cap(80, 89, "Gobo shake, A")) +
      Mode("M", {"Control"})));
  const FixtureRecord& fixture = *result.Record;
  auto name = [&](std::size_t s) { return std::string(fixture.Steps[0][s].StepName.TrimmedUtf8()); };
  EXPECT_EQ(name(0), "BOPT on");
  EXPECT_EQ(name(1), "BOPT off");
  EXPECT_EQ(name(2), "Rot f-s");
  EXPECT_EQ(name(3), "Rot s-f");
  // The same text keeps one name.
  EXPECT_EQ(name(4), "Open");
  EXPECT_EQ(name(5), "Open");
  // Nothing tells these apart but signs: they are numbered.
  EXPECT_EQ(name(6), "Gobo Shk");
  EXPECT_NE(name(7), name(6));
  EXPECT_NE(name(8), name(6));
  EXPECT_NE(name(8), name(7));
  EXPECT_EQ(result.Changes.StepNamesCollided, 6);
  EXPECT_TRUE(Reports(result, "Step names that shortening would have made equal, told apart: channel 1 (6)"));
}

TEST(QxfImport, AStepFromAHigherToALowerValueIsTurnedRoundAndReported) {
  const QxfImport result =
      Import(Qxf(Grouped("Gobo", "Gobo", 0, Cap(0, 9, "Open") + Cap(200, 10, "Gobo 1") + Cap(255, 201, "Gobo 2")) +
                 Mode("M", {"Gobo"})));
  EXPECT_EQ(result.Record->Steps[0][1].FromDmx, 10);
  EXPECT_EQ(result.Record->Steps[0][1].ToDmx, 200);
  EXPECT_EQ(result.Record->Steps[0][2].FromDmx, 201);
  EXPECT_EQ(result.Record->Steps[0][2].ToDmx, 255);
  EXPECT_EQ(result.Changes.StepRangesSwapped, 2);
  EXPECT_EQ(result.Report,
            (std::vector<std::string>{"Steps given from a higher to a lower value, turned round: channel 1 (2)"}));
}

TEST(QxfImport, AnElementsTextIsAllItsTextWhateverSplitsIt) {
  const Bytes qxf = Qxf(Preset("Pan", "PositionPan") + Preset("Pan fine", "PositionPanFine") +
                            Grouped("Gobo", "Gobo", 0,
                                    "  <Capability Min=\"0\" Max=\"9\"><![CDATA[Op]]>e<?pi x?>n</Capability>\n") +
                            " <Mode Name=\"M\"><Channel Number=\"0\">Pan</Channel><Channel Number=\"1\">"
                            "Pan<!-- x --> fine</Channel><Channel Number=\"2\">Gobo</Channel></Mode>\n",
                        "Spot<!-- c --> 1");
  EXPECT_EQ(ListQxfModes(qxf).Model, "Spot 1");
  const QxfImport result = Import(qxf);
  EXPECT_EQ(result.Record->FixtureName.TrimmedUtf8(), "Spot 1");
  // The mode's second channel is "Pan fine", not "Pan": the pair stays.
  EXPECT_EQ(NameOf(result, 2), "Pan Fine");
  EXPECT_EQ(Channel(result, 1).Partner, 2);
  EXPECT_EQ(result.Record->Steps[2][0].StepName.TrimmedUtf8(), "Open");
}

TEST(QxfImport, XmlOfTwoDocumentsIsRefusedAndLongNamesAreCutInMessages) {
  const Bytes one = Qxf(Preset("Pan", "PositionPan") + Mode("M", {"Pan"}));
  Bytes two = one;
  const std::string second = "<FixtureDefinition><Model>B</Model></FixtureDefinition>\n";
  two.insert(two.end(), second.begin(), second.end());
  EXPECT_EQ(ImportQxfMode(two, 0, BuiltIn()).Error,
            "not one XML document: a second outermost element <FixtureDefinition> begins at line 13, column 1");
  EXPECT_EQ(ListQxfModes(two).Error, ImportQxfMode(two, 0, BuiltIn()).Error);

  const std::string longName(1'000'000, 'x');
  const QxfImport result = Import(Qxf(Preset("Pan", "PositionPan") + Mode("M", {"Pan"}), longName));
  ASSERT_EQ(result.Report.size(), 1u);
  EXPECT_EQ(result.Report[0], "The fixture name \"" + std::string(60, 'x') + "...\" is shortened to \"xxxxxxxxxxx\"");
}

TEST(QxfImport, AChannelKeepsItsFirst255CapabilitiesAndTheFileItsFirst204Steps) {
  std::string caps;
  for (int i = 0; i < 256; ++i) caps += Cap(i, i, "Macro " + std::to_string(i));
  const QxfImport result = Import(Qxf(Grouped("Macros", "Effect", 0, caps) + Mode("M", {"Macros"})));
  EXPECT_EQ(result.Record->StepCounts[0], 204);
  EXPECT_EQ(result.Record->Steps[0][203].StepName.CodePage(), "Mac 203 ");
  EXPECT_EQ(result.Record->Steps[0][203].FromDmx, 203);
  EXPECT_EQ(result.Record->Steps[0][204], ChannelStep::Blank());
  EXPECT_EQ(result.Report, (std::vector<std::string>{
                               "More than 255 capabilities, the first 255 kept as steps: channel 1 (256)",
                               "Step names shortened to 8 characters: channel 1 (104 of 204)",
                               "Past the 204 steps the file holds, left out: steps 205 to 255 of channel 1"}));
  EXPECT_EQ(ListQxfModes(Qxf(Grouped("Macros", "Effect", 0, caps) + Mode("M", {"Macros"}))).Modes[0].StepCount, 255);
}

TEST(QxfImport, StepsPastTheFilesLimitAreLeftOutCountsIncluded) {
  std::string caps150, caps60, caps10;
  for (int i = 0; i < 150; ++i) caps150 += Cap(i, i, "A");
  for (int i = 0; i < 60; ++i) caps60 += Cap(i, i, "B");
  for (int i = 0; i < 10; ++i) caps10 += Cap(i, i, "C");
  const QxfImport result = Import(Qxf(Grouped("Colour", "Colour", 0, caps150) + Grouped("Gobo", "Gobo", 0, caps60) +
                                      Grouped("Prism", "Prism", 0, caps10) + Mode("M", {"Colour", "Gobo", "Prism"})));
  EXPECT_EQ(result.Record->StepCounts[1], 54);
  EXPECT_EQ(result.Record->Steps[1][53].StepName.CodePage(), "B       ");
  EXPECT_EQ(result.Record->Steps[1][54], ChannelStep::Blank());
  EXPECT_EQ(result.Record->StepCounts[2], 0);
  EXPECT_EQ(result.Changes.StepsPastFile, 16);
  EXPECT_EQ(result.Report, (std::vector<std::string>{"Past the 204 steps the file holds, left out: steps 55 to 60 "
                                                     "of channel 2, all 10 steps of channel 3"}));
  // What the import gives is what the file holds.
  FixtureRecord saved = *result.Record;
  const FixtureReadResult reread = ParseFixtureImage(BuildFixtureImage(saved));
  ASSERT_TRUE(reread.record) << reread.error;
  EXPECT_EQ(*reread.record, *result.Record);
}

TEST(QxfImport, DegreesComeFromTheModeElseTheFixtureAndAbove720Become0) {
  const std::string physical = R"( <Physical>
  <Bulb Type="LED" Lumens="0" ColourTemperature="0"/>
  <Focus Type="Head" PanMax="540" TiltMax="270"/>
 </Physical>
)";
  const std::string channels = Preset("Pan", "PositionPan");
  const QxfImport fromFixture = Import(Qxf(channels + physical + Mode("M", {"Pan"})));
  EXPECT_EQ(fromFixture.Record->MaxPanDegree, 540);
  EXPECT_EQ(fromFixture.Record->MaxTiltDegree, 270);
  EXPECT_TRUE(fromFixture.Report.empty()) << AllLines(fromFixture);

  const QxfImport fromMode = Import(Qxf(channels + physical + R"( <Mode Name="Wide">
  <Channel Number="0">Pan</Channel>
  <Physical><Focus Type="Head" PanMax="630" TiltMax="999"/></Physical>
 </Mode>
)"));
  EXPECT_EQ(fromMode.Record->MaxPanDegree, 630);
  EXPECT_EQ(fromMode.Record->MaxTiltDegree, 0);
  EXPECT_TRUE(Reports(fromMode, "The maximum tilt of \"999\" degrees is not one from 0 to 720; it is 0"));

  const QxfImport none = Import(Qxf(channels + Mode("M", {"Pan"})));
  EXPECT_EQ(none.Record->MaxPanDegree, 0);
  EXPECT_EQ(none.Record->MaxTiltDegree, 0);
}

TEST(QxfImport, TheSavedFileHoldsTheImportAndReadsBackAsIs) {
  const QxfImport result = Import(Qxf(
      Preset("Pan", "PositionPan") + Preset("Pan fine", "PositionPanFine") +
      R"( <Channel Name="Colour" Default="7"><Group Byte="0">Colour</Group>)" + Cap(0, 10, "White") +
      Cap(11, 20, "Congo blue (indigo)") + " </Channel>\n" +
      R"( <Physical><Focus Type="Head" PanMax="540" TiltMax="270"/></Physical>)" + "\n" +
      Mode("M", {"Pan", "Pan fine", "Colour"})));
  FixtureRecord saved = *result.Record;
  const Bytes image = BuildFixtureImage(saved);
  EXPECT_EQ(std::string(image.begin() + L::kFixtureName, image.begin() + L::kFixtureName + 11), "Spot 250   ");
  EXPECT_EQ(image[L::kChannelCount], 3);
  EXPECT_EQ(image[L::kFunctionMap + 6], 1);    // Pan's code 6 -> channel 1
  EXPECT_EQ(image[L::kFunctionMap + 9], 3);    // Colour's code 9 -> channel 3
  EXPECT_EQ(image[L::kFunctionMap + 256], 2);  // 540 = 2 * 256 + 28
  EXPECT_EQ(image[L::kFunctionMap + 257], 28);
  EXPECT_EQ(image[L::kFunctionMap + 259], 14);  // 270
  auto record = [&](int channel, std::size_t field) {
    return image[L::kChannelRecords + static_cast<std::size_t>(channel - 1) * L::kChannelRecordSize + field];
  };
  EXPECT_EQ(record(1, L::kRecordType), 's');
  EXPECT_EQ(record(1, L::kRecordPartner), 2);
  EXPECT_EQ(record(2, L::kRecordType), 'A');
  EXPECT_EQ(record(3, L::kRecordType), 'I');
  EXPECT_EQ(record(3, L::kRecordNameCode), 9);
  EXPECT_EQ(record(3, L::kRecordValue), 7);
  EXPECT_EQ(std::string(image.begin() + L::kChannelRecords + 2 * L::kChannelRecordSize + L::kRecordName,
                        image.begin() + L::kChannelRecords + 2 * L::kChannelRecordSize + L::kRecordName + 12),
            "Colour      ");
  EXPECT_EQ(image[L::kStepCounts + 2], 2);
  EXPECT_EQ(image[L::kStepRecords + 10], 11);  // the second step record: 11, 20, "CongBlue"
  EXPECT_EQ(image[L::kStepRecords + 11], 20);
  EXPECT_EQ(std::string(image.begin() + L::kStepRecords + 12, image.begin() + L::kStepRecords + 20), "CongBlue");

  // The record is already what a reopened file gives.
  EXPECT_EQ(saved, *result.Record);
  const FixtureReadResult reread = ParseFixtureImage(image);
  ASSERT_TRUE(reread.record) << reread.error;
  EXPECT_EQ(*reread.record, *result.Record);
}

TEST(QxfImport, BadInputGivesOneMessageAndNoFixture) {
  const Bytes good = Qxf(Preset("Pan", "PositionPan") + Mode("M", {"Pan"}));
  auto error = [](const Bytes& bytes, std::size_t mode = 0) {
    const QxfImport result = ImportQxfMode(bytes, mode, BuiltIn());
    EXPECT_FALSE(result.Record);
    EXPECT_TRUE(result.Report.empty());
    return result.Error;
  };
  const std::string notXml = "<?xml version=\"1.0\"?>\n<FixtureDefinition>\n <Model>X</Model>\n <Channel Name=\"a\">\n";
  EXPECT_EQ(error(Bytes(notXml.begin(), notXml.end())),
            "not readable as XML: Start-end tags mismatch at line 4, column 20");
  const std::string other = "<?xml version=\"1.0\"?>\n<InputProfile><Name>x</Name></InputProfile>\n";
  EXPECT_EQ(error(Bytes(other.begin(), other.end())),
            "not a QLC+ fixture definition: its outermost element is <InputProfile>, not <FixtureDefinition>");
  EXPECT_EQ(error(Bytes{}), "not readable as XML: No document element found at line 1, column 1");
  EXPECT_EQ(error(good, 1), "there is no mode 2; the fixture definition has 1");
  EXPECT_EQ(error(Qxf(Preset("Pan", "PositionPan"))), "the fixture definition has no modes");
  EXPECT_EQ(error(Qxf(Preset("Pan", "PositionPan") + Mode("M", {"Pan", "Tilt"}))),
            "mode \"M\" cannot be imported: the channel \"Tilt\" is not defined in the file (line 11, column 3)");
  Bytes huge = good;
  huge.resize(kMaxQxfBytes + 1, ' ');
  EXPECT_EQ(error(huge), "the file is 4194305 bytes long; a fixture definition of more than 4 MB is not read");
  EXPECT_FALSE(ListQxfModes(huge).Error.empty());
  EXPECT_TRUE(ListQxfModes(huge).Modes.empty());
}

TEST(QxfImport, EveryCutOfADefinitionEndsInAMessageOrAFixture) {
  const Bytes whole = Qxf(Preset("Pan", "PositionPan") + Preset("Pan fine", "PositionPanFine") +
                          Grouped("Gobo", "Gobo", 0, Cap(0, 10, "Open") + Cap(11, 255, "Gobo 1")) +
                          R"( <Physical><Focus PanMax="540" TiltMax="270"/></Physical>)" +
                          Mode("M", {"Pan", "Pan fine", "Gobo"}));
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    const std::span<const std::uint8_t> part(whole.data(), size);
    const QxfImport result = ImportQxfMode(part, 0, BuiltIn());
    ASSERT_NE(!result.Record, result.Error.empty()) << size;
    ListQxfModes(part);
  }
}

TEST(QxfStepName, ShortTextsStayAndLongOnesAreMadeReadable) {
  const std::pair<const char*, const char*> cases[] = {
      {"Open", "Open"},
      {"  Gobo\n 3 ", "Gobo 3"},
      {"Strobe slow to fast", "Strb s-f"},
      {"Slow to fast strobe (1 to 25 flash/sec)", "s-f Strb"},
      {"Shutter open", "Open"},
      {"No function", "No func"},
      {"Clockwise speed 1 (slowest)", "CW Spd 1"},
      {"Gobo 4 shake slow", "Gob4ShSl"},
      {"1 - 20 Hz", "1-20Hz"},
      {"Rotation \xE2\x86\x92 fast", "Rot>Fast"},
      {"White 3200\xC2\xB0K", "Wh3200\xC2\xB0K"},
      {"", ""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ShortStepName(text), expected) << text;
}

}  // namespace
}  // namespace brannoc
