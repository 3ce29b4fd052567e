// tfftool diff: exit statuses, the lines and the JSON it prints, and a fixture
// compared with the definition it was imported from.

#include <gtest/gtest.h>

#include <sstream>

#include "data/fixture/file.h"
#include "data/led/model.h"
#include "support/temp_dir.h"
#include "tfftool/command.h"
#include "tools/tool_run.h"
#include "tfftool/json_form.h"

namespace brannoc::tfftool {
namespace {
namespace fs = std::filesystem;
using test::TempDir;


const std::string kSpot = R"(<?xml version="1.0" encoding="UTF-8"?>
<FixtureDefinition xmlns="http://www.qlcplus.org/FixtureDefinition">
 <Model>Spot</Model>
 <Channel Name="Pan" Preset="PositionPan"/>
 <Channel Name="Gobo"><Group Byte="0">Gobo</Group>
  <Capability Min="0" Max="127">Open</Capability>
  <Capability Min="128" Max="255">Gobo 1</Capability>
 </Channel>
 <Mode Name="Basic"><Channel Number="0">Pan</Channel><Channel Number="1">Gobo</Channel></Mode>
 <Mode Name="Other"><Channel Number="0">Gobo</Channel></Mode>
 <Physical><Focus Type="Head" PanMax="540" TiltMax="270"/></Physical>
</FixtureDefinition>
)";

class TfftoolDiff : public ::testing::Test {
 protected:
  void SetUp() override {
    auto fixture = NewFixture();
    ASSERT_FALSE(SaveFixtureFile(*fixture, a));
    fixture->Channels[4].Name = FixedText<12>::FromUtf8("Gobo1");
    fixture->MaxPanDegree = 540;
    ASSERT_FALSE(SaveFixtureFile(*fixture, b));
  }
  TempDir dir;
  const fs::path a = dir / "A.tff";
  const fs::path b = dir / "B.tff";
};

TEST_F(TfftoolDiff, AFileAgainstItselfIsTheSame) {
  const ToolRun run = Tool({"diff", a.string(), a.string()});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(TfftoolDiff, PrintsEachDifferenceAsALineOrAsJson) {
  const ToolRun run = Tool({"diff", a.string(), b.string()});
  EXPECT_EQ(run.status, kExitFindings) << run.err;
  EXPECT_EQ(run.out, "max pan degree: 0 -> 540\nchannel 5 name: \"\" -> \"Gobo1\"\n");
  const ToolRun json = Tool({"diff", a.string(), b.string(), "--json"});
  EXPECT_EQ(json.status, kExitFindings);
  const Json parsed = Json::parse(json.out);
  EXPECT_EQ(parsed["same"], false);
  ASSERT_EQ(parsed["differences"].size(), 2u);
  EXPECT_EQ(parsed["differences"][1], (Json{{"field", "channel 5 name"}, {"a", "\"\""}, {"b", "\"Gobo1\""}}));
}

TEST_F(TfftoolDiff, AFixtureAndAnLedFixtureOrAMissingFileAreAnError) {
  LedFixtureRecord led = NewLedFixture();
  const fs::path ledFile = dir / "Led.tff";
  ASSERT_FALSE(WriteLedFixtureFile(led, ledFile));
  EXPECT_EQ(Tool({"diff", ledFile.string(), ledFile.string()}).status, kExitOk);
  const ToolRun mixed = Tool({"diff", a.string(), ledFile.string()});
  EXPECT_EQ(mixed.status, kExitFailure);
  EXPECT_EQ(mixed.err, "tfftool: diff compares two fixtures or two LED fixtures, not a fixture file and a led file\n");
  EXPECT_EQ(Tool({"diff", a.string(), (dir / "none.tff").string()}).status, kExitFailure);
}

TEST_F(TfftoolDiff, AnImportIsTheSameAsItsDefinitionAndOtherModesDiffer) {
  const fs::path qxf = dir / "Spot.qxf";
  test::WriteAll(qxf, Bytes(kSpot.begin(), kSpot.end()));
  const fs::path spot = dir / "Spot.tff";
  ASSERT_EQ(Tool({"import", qxf.string(), spot.string(), "--mode", "Basic"}).status, kExitOk);
  const ToolRun same = Tool({"diff", spot.string(), qxf.string(), "--mode", "Basic"});
  EXPECT_EQ(same.status, kExitOk) << same.out << same.err;
  const ToolRun other = Tool({"diff", spot.string(), qxf.string(), "--mode", "Other"});
  EXPECT_EQ(other.status, kExitFindings);
  EXPECT_EQ(other.out.substr(0, other.out.find('\n')), "channel count: 2 -> 1");
  EXPECT_EQ(Tool({"diff", spot.string(), qxf.string()}).status, kExitFailure);  // two modes, none chosen

  // Imported with its palettes, as the editor imports by default: the same only
  // against the definition's import with its palettes.
  ASSERT_EQ(Tool({"import", qxf.string(), spot.string(), "--mode", "Basic", "--palettes"}).status, kExitOk);
  const ToolRun bare = Tool({"diff", spot.string(), qxf.string(), "--mode", "Basic"});
  EXPECT_EQ(bare.status, kExitFindings);
  EXPECT_EQ(bare.out.substr(0, 8), "palette ") << bare.out;
  const ToolRun filled = Tool({"diff", spot.string(), qxf.string(), "--mode", "Basic", "--palettes"});
  EXPECT_EQ(filled.status, kExitOk) << filled.out << filled.err;
  EXPECT_EQ(Tool({"diff", spot.string(), spot.string(), "--palettes"}).err,
            "tfftool: --mode, --names and --palettes go with a fixture definition (.qxf, .gdtf or description.xml)\n");
}

}  // namespace
}  // namespace brannoc::tfftool
