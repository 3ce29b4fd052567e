// tfftool import: the fixture file it writes, the report and its exit status,
// the channel names it adds, and that an error writes nothing.

#include <gtest/gtest.h>

#include <sstream>

#include "data/names/name_set.h"
#include "data/core/file_io.h"
#include "data/fixture/file.h"
#include "data/import/led.h"
#include "data/import/qxf.h"
#include "support/temp_dir.h"
#include "tfftool/command.h"
#include "tools/tool_run.h"

namespace brannoc::tfftool {
namespace {
namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;


Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Two modes: "Basic" needs nothing changed; "Extended" has a name the built-in
// set lacks and a fine tilt without its coarse channel.
const std::string kSpot = R"(<?xml version="1.0" encoding="UTF-8"?>
<FixtureDefinition xmlns="http://www.qlcplus.org/FixtureDefinition">
 <Model>Spot</Model>
 <Channel Name="Pan" Preset="PositionPan"/>
 <Channel Name="Pan fine" Preset="PositionPanFine"/>
 <Channel Name="Tilt fine" Preset="PositionTiltFine"/>
 <Channel Name="Gobo"><Group Byte="0">Gobo</Group>
  <Capability Min="0" Max="127">Open</Capability>
  <Capability Min="128" Max="255">Gobo 1</Capability>
 </Channel>
 <Channel Name="Frost"><Group Byte="0">Beam</Group></Channel>
 <Mode Name="Basic"><Channel Number="0">Pan</Channel><Channel Number="1">Gobo</Channel></Mode>
 <Mode Name="Extended">
  <Channel Number="0">Pan</Channel><Channel Number="1">Pan fine</Channel><Channel Number="2">Frost</Channel>
  <Channel Number="3">Tilt fine</Channel>
 </Mode>
 <Physical><Focus Type="Head" PanMax="540" TiltMax="270"/></Physical>
</FixtureDefinition>
)";

class TfftoolImport : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteAll(qxf, Text(kSpot));
    ChannelNameSet set;
    RestoreDefaultNames(set);
    ASSERT_FALSE(SaveChannelNameSet(set, names));
  }
  TempDir dir;
  const fs::path qxf = dir / "Spot.qxf";
  const fs::path out = dir / "Spot.tff";
  const fs::path names = dir / "ChNameSet.fix";
};

TEST_F(TfftoolImport, WritesTheModeAsTheEditorSavesAFixtureAndReportsNothingWhenNothingChanged) {
  const ToolRun run = Tool({"import", qxf.string(), out.string(), "--mode", "Basic"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  ChannelNameSet set;
  RestoreDefaultNames(set);
  QxfImport imported = ImportQxfMode(Text(kSpot), 0, set);
  ASSERT_TRUE(imported.Record);
  EXPECT_EQ(ReadAll(out), BuildFixtureImage(*imported.Record));
  const Bytes file = ReadAll(out);
  ASSERT_EQ(file.size(), 6144u);
  EXPECT_EQ(std::string(file.begin() + 1, file.begin() + 12), "Spot       ");
  EXPECT_EQ(file[fixture_layout::kChannelCount], 2);
  EXPECT_EQ(file[fixture_layout::kStepCounts + 1], 2);
}

TEST_F(TfftoolImport, PrintsTheReportAndExits1WhenSomethingChanged) {
  const ToolRun run = Tool({"import", qxf.string(), out.string(), "--mode=extended"});  // letter case ignored
  EXPECT_EQ(run.status, kExitFindings) << run.err;
  EXPECT_EQ(run.out,
            "Not in the channel name set: \"Pan Fine\" (channel 2), \"Frost\" (channel 3), \"Tilt Fine\" (channel 4)\n"
            "Channel 4 \"Tilt fine\" is a fine channel without its coarse channel in this mode; it stays a plain "
            "channel\n");
  EXPECT_EQ(ReadAll(out).size(), 6144u);
}

TEST_F(TfftoolImport, PalettesFillsThePalettesFromTheChannelsOfTheImportedMode) {
  const ToolRun run = Tool({"import", qxf.string(), out.string(), "--mode", "Basic", "--palettes"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Palettes made: Gobo, Pos\n");
  const Bytes file = ReadAll(out);
  ASSERT_EQ(file.size(), 6144u);
  EXPECT_EQ(std::string(file.begin() + fixture_layout::kPaletteName, file.begin() + fixture_layout::kPaletteName + 12),
            "Gobo  Pos   ");
  EXPECT_EQ(std::string(file.begin() + fixture_layout::kPresetName, file.begin() + fixture_layout::kPresetName + 12),
            "Open  Gobo 1");
  // Gobo on channel 2 at the middles of its steps, then Pos on channel 1: Centre, Home.
  const Bytes block(file.begin() + fixture_layout::kPaletteBlock, file.begin() + fixture_layout::kPaletteBlock + 9);
  EXPECT_EQ(block, (Bytes{2, 63, 2, 191, 1, 128, 1, 0, 0}));
}

TEST_F(TfftoolImport, ListsTheModes) {
  const ToolRun run = Tool({"import", qxf.string(), "--list-modes"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "1 \"Basic\": 2 channels, 2 steps\n2 \"Extended\": 4 channels, 0 steps\n");
  EXPECT_FALSE(fs::exists(out));
  const ToolRun help = Tool({"import", "--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_EQ(help.out.rfind("Usage: tfftool import DEFINITION OUT", 0), 0u) << help.out;
}

TEST_F(TfftoolImport, AddsTheMissingNamesToTheSetAndGivesTheirCodes) {
  const Bytes before = ReadAll(names);
  const ToolRun run = Tool({"import", qxf.string(), out.string(), "--mode", "Extended", "--names", names.string(),
                        "--add-names"});
  EXPECT_EQ(run.status, kExitFindings) << run.err;
  EXPECT_NE(run.out.find("\"Frost\" is added to " + names.string() + " with code 63\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Not in the channel name set"), std::string::npos) << run.out;
  // Slots 59, 60, 61 in channel order, as the editor adds a typed name; the rest
  // of the file as it was.
  const Bytes after = ReadAll(names);
  ASSERT_EQ(after.size(), 3542u);
  const std::size_t at = 59 * 14;
  EXPECT_EQ(after[at], 59);
  EXPECT_EQ(after[at + 1], 62);
  EXPECT_EQ(std::string(after.begin() + at + 2, after.begin() + at + 14), "Pan Fine    ");
  EXPECT_EQ(std::string(after.begin() + 60 * 14 + 2, after.begin() + 61 * 14), "Frost       ");
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + at, before.begin()));
  EXPECT_TRUE(std::equal(after.begin() + 62 * 14, after.end(), before.begin() + 62 * 14));
  // The fixture carries the new codes.
  const Bytes file = ReadAll(out);
  const std::size_t frost = fixture_layout::kChannelRecords + 2 * fixture_layout::kChannelRecordSize;
  EXPECT_EQ(file[frost + fixture_layout::kRecordNameCode], 63);
}

TEST_F(TfftoolImport, ErrorsGiveOneLineAndStatus2AndWriteNothing) {
  const Bytes namesBefore = ReadAll(names);
  auto fails = [&](const std::vector<std::string>& args, const std::string& message) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, kExitFailure) << args[1];
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tfftool: " + message + "\n");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(ReadAll(names), namesBefore);
  };
  fails({"import", qxf.string(), out.string()},
        qxf.string() + " has 2 modes (\"Basic\", \"Extended\"); choose one with --mode, by its name or its number");
  fails({"import", qxf.string(), out.string(), "--mode", "Wide"},
        qxf.string() + " has no mode \"Wide\"; its modes: \"Basic\", \"Extended\"");
  fails({"import", qxf.string(), out.string(), "--mode", "Basic", "--add-names"},
        "--add-names needs --names, the set to add to");
  fails({"import", qxf.string()}, "import takes a DEFINITION file and the OUT file to write");
  fails({"import", qxf.string(), out.string(), "--list-modes"}, "import --list-modes takes the DEFINITION file only");

  const fs::path broken = dir / "Broken.qxf";
  test::WriteAll(broken, Text("<FixtureDefinition>\n <Model>x</Model>\n <Mode Name=\"M\">\n"));
  fails({"import", broken.string(), out.string()},
        broken.string() + ": not readable as XML: Start-end tags mismatch at line 3, column 17");

  const fs::path huge = dir / "Huge.qxf";
  test::WriteAll(huge, Bytes(5 * 1024 * 1024, ' '));
  fails({"import", huge.string(), out.string()},
        huge.string() + ": the file is 5242880 bytes long; a fixture definition of more than 4 MB is not read");
  fs::remove(huge);

  // A fixture that cannot be written leaves the name set as it was.
  const fs::path nowhere = dir / "missing" / "Spot.tff";
  const ToolRun run = Tool({"import", qxf.string(), nowhere.string(), "--mode", "Extended", "--names", names.string(),
                        "--add-names"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(fs::exists(nowhere));
  EXPECT_EQ(ReadAll(names), namesBefore);
  EXPECT_EQ(test::FileNames(dir.path()), (std::vector<std::string>{"Broken.qxf", "ChNameSet.fix", "Spot.qxf"}));
}

TEST_F(TfftoolImport, ModeTakesTheExactNameBlanksIncludedOrTheNumber) {
  std::string spot = kSpot;
  spot.replace(spot.find("Name=\"Basic\""), 12, "Name=\"CE  off\"");
  spot.replace(spot.find("Name=\"Extended\""), 15, "Name=\"Main \"");
  test::WriteAll(qxf, Text(spot));
  const ToolRun list = Tool({"import", qxf.string(), "--list-modes"});
  EXPECT_EQ(list.out, "1 \"CE  off\": 2 channels, 2 steps\n2 \"Main \": 4 channels, 0 steps\n");
  auto channels = [&](const std::vector<std::string>& args) {
    const ToolRun run = Tool(args);
    EXPECT_NE(run.status, kExitFailure) << run.err;
    return run.status == kExitFailure ? 0 : ReadAll(out)[fixture_layout::kChannelCount];
  };
  EXPECT_EQ(channels({"import", qxf.string(), out.string(), "--mode", "CE  off"}), 2);
  EXPECT_EQ(channels({"import", qxf.string(), out.string(), "--mode", "Main "}), 4);
  EXPECT_EQ(channels({"import", qxf.string(), out.string(), "--mode", "1"}), 2);
  EXPECT_EQ(channels({"import", qxf.string(), out.string(), "--mode=2"}), 4);
  const ToolRun third = Tool({"import", qxf.string(), out.string(), "--mode", "3"});
  EXPECT_EQ(third.err, "tfftool: " + qxf.string() + " has no mode \"3\"; its modes: \"CE  off\", \"Main \"\n");
}

TEST_F(TfftoolImport, AFixtureOfMoreStepsThanTheFileHoldsPassesCheck) {
  std::string caps;
  for (int i = 0; i < 150; ++i) caps += "<Capability Min=\"" + std::to_string(i) + "\" Max=\"" + std::to_string(i) + "\">x</Capability>";
  test::WriteAll(qxf, Text("<FixtureDefinition><Model>Big</Model><Channel Name=\"A\"><Group>Gobo</Group>" + caps +
                           "</Channel><Channel Name=\"B\"><Group>Prism</Group>" + caps +
                           "</Channel><Mode Name=\"M\"><Channel>A</Channel><Channel>B</Channel></Mode>"
                           "</FixtureDefinition>"));
  const ToolRun run = Tool({"import", qxf.string(), out.string()});
  EXPECT_EQ(run.status, kExitFindings) << run.err;
  EXPECT_EQ(ReadAll(out)[fixture_layout::kStepCounts + 1], 54);
  const ToolRun check = Tool({"check", out.string()});
  EXPECT_EQ(check.status, kExitOk) << check.out << check.err;
}

TEST_F(TfftoolImport, AsLedWritesTheLedFileWhereTheModeFitsAndAutoChooses) {
  const std::string par = R"(<FixtureDefinition><Model>Par</Model>
 <Channel Name="Red" Preset="IntensityRed"/><Channel Name="Green" Preset="IntensityGreen"/>
 <Channel Name="Blue" Preset="IntensityBlue"/><Channel Name="UV" Preset="IntensityUV"/>
 <Mode Name="RGB"><Channel>Red</Channel><Channel>Green</Channel><Channel>Blue</Channel></Mode>
 <Mode Name="RGBUV"><Channel>Red</Channel><Channel>Green</Channel><Channel>Blue</Channel><Channel>UV</Channel></Mode>
</FixtureDefinition>)";
  test::WriteAll(qxf, Text(par));
  const ToolRun led = Tool({"import", qxf.string(), out.string(), "--mode", "RGB", "--as", "led"});
  EXPECT_EQ(led.status, kExitOk) << led.err;
  ReaderChanges changes;
  std::string error;
  const auto source = ReadQxfMode(Text(par), 0, changes, error);
  ASSERT_TRUE(source) << error;
  LedImportResult expected = ImportAsLedFixture(*source);
  ASSERT_TRUE(expected.Record);
  EXPECT_EQ(ReadAll(out), BuildLedFixtureImage(*expected.Record));
  EXPECT_EQ(Tool({"check", out.string()}).status, kExitOk);

  // auto: an LED file where the mode fits, a fixture file where it does not.
  EXPECT_EQ(Tool({"import", qxf.string(), out.string(), "--mode", "RGB", "--as", "auto"}).status, kExitOk);
  EXPECT_EQ(ReadAll(out).size(), 512u);
  EXPECT_NE(Tool({"import", qxf.string(), out.string(), "--mode", "RGBUV", "--as=auto"}).status, kExitFailure);
  EXPECT_EQ(ReadAll(out).size(), 6144u);
  const ToolRun refused = Tool({"import", qxf.string(), out.string(), "--mode", "RGBUV", "--as", "led"});
  EXPECT_EQ(refused.status, kExitFailure);
  EXPECT_EQ(refused.err, "tfftool: " + qxf.string() +
                             ": mode \"RGBUV\" does not fit an LED fixture: channel 4, \"UV\", has no LED name\n");
  EXPECT_EQ(Tool({"import", qxf.string(), out.string(), "--as", "par"}).err,
            "tfftool: --as takes led, fixture or auto, not \"par\"\n");
}

TEST_F(TfftoolImport, RefusesToWriteOverTheDefinitionAndNamesAtMostTenModes) {
  const Bytes before = ReadAll(qxf);
  const ToolRun self = Tool({"import", qxf.string(), (dir / "." / "Spot.qxf").string(), "--mode", "1"});
  EXPECT_EQ(self.status, kExitFailure);
  EXPECT_EQ(self.err, "tfftool: " + (dir / "." / "Spot.qxf").string() +
                          " is the definition being imported; write the fixture to another file\n");
  EXPECT_EQ(ReadAll(qxf), before);

  std::string many = kSpot;
  std::string modes;
  for (int m = 1; m <= 12; ++m) modes += " <Mode Name=\"M" + std::to_string(m) + "\"><Channel>Pan</Channel></Mode>\n";
  many.insert(many.find(" <Physical>"), modes);
  test::WriteAll(qxf, Text(many));
  const ToolRun run = Tool({"import", qxf.string(), out.string()});
  EXPECT_EQ(run.err, "tfftool: " + qxf.string() +
                         " has 14 modes (\"Basic\", \"Extended\", \"M1\", \"M2\", \"M3\", \"M4\", \"M5\", \"M6\", \"M7\", "
                         "\"M8\" and 4 more); choose one with --mode, by its name or its number\n");
}

// A fault that lasts: the name set is written, then the fixture and the name
// set's restore both fail. The message says what each file was left as.
TEST_F(TfftoolImport, AFailedRestoreOfTheNameSetIsReportedWithWhatEachFileHolds) {
  const Bytes before = ReadAll(names);
  ToolRun run;
  {
    ScopedWriteFailure everyWriteFailsAfterTheNameSet(3542);
    run = Tool({"import", qxf.string(), out.string(), "--mode", "Extended", "--names", names.string(), "--add-names"});
  }
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tfftool: Cannot write " + out.string() + ": Input/output error; " + out.string() +
                         " is not written. The channel name set could not be put back (Cannot write " +
                         names.string() + ": Input/output error): " + names.string() +
                         " keeps the 3 names added to it (\"Pan Fine\", \"Frost\", \"Tilt Fine\")\n");
  EXPECT_FALSE(fs::exists(out));
  // The set is the one with the names added: slots 59 to 61, the rest as before.
  const Bytes after = ReadAll(names);
  ASSERT_EQ(after.size(), 3542u);
  EXPECT_EQ(std::string(after.begin() + 61 * 14 + 2, after.begin() + 62 * 14), "Tilt Fine   ");
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + 59 * 14, before.begin()));
  EXPECT_TRUE(std::equal(after.begin() + 62 * 14, after.end(), before.begin() + 62 * 14));
  EXPECT_EQ(test::FileNames(dir.path()), (std::vector<std::string>{"ChNameSet.fix", "Spot.qxf"}));

  // An old fixture file is said to be left as it was, and is.
  test::WriteAll(names, before);
  test::WriteAll(out, Bytes(6144, 7));
  {
    ScopedWriteFailure everyWriteFailsAfterTheNameSet(3542);
    run = Tool({"import", qxf.string(), out.string(), "--mode", "Extended", "--names", names.string(), "--add-names"});
  }
  EXPECT_NE(run.err.find("; " + out.string() + " is left as it was. The channel name set could not be put back"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(ReadAll(out), Bytes(6144, 7));
}

}  // namespace
}  // namespace brannoc::tfftool
