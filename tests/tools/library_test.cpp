// tfftool convert and tfftool search over small libraries written by the test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "data/fixture/file.h"
#include "support/temp_dir.h"
#include "tfftool/command.h"
#include "tools/tool_run.h"
#include "tfftool/library.h"

namespace brannoc::tfftool {
namespace {
namespace fs = std::filesystem;
namespace L = fixture_layout;
using test::ReadAll;
using test::TempDir;


// Modes "Small" (2 channels, nothing to change), "Big" (3 channels, a name the
// built-in set lacks) and "Huge" (41 channels).
std::string Qxf(const std::string& maker, const std::string& model) {
  std::string huge;
  for (int i = 0; i < 41; ++i) huge += "<Channel Number=\"" + std::to_string(i) + "\">Pan</Channel>";
  return "<?xml version=\"1.0\"?>\n<FixtureDefinition xmlns=\"http://www.qlcplus.org/FixtureDefinition\">\n"
         " <Manufacturer>" + maker + "</Manufacturer><Model>" + model + "</Model>\n"
         " <Channel Name=\"Pan\" Preset=\"PositionPan\"/><Channel Name=\"Tilt\" Preset=\"PositionTilt\"/>\n"
         " <Channel Name=\"Frost\"><Group Byte=\"0\">Beam</Group></Channel>\n"
         " <Mode Name=\"Small\"><Channel Number=\"0\">Pan</Channel><Channel Number=\"1\">Tilt</Channel></Mode>\n"
         " <Mode Name=\"Big\"><Channel Number=\"0\">Pan</Channel><Channel Number=\"1\">Tilt</Channel>"
         "<Channel Number=\"2\">Frost</Channel></Mode>\n"
         " <Mode Name=\"Huge\">" + huge + "</Mode>\n</FixtureDefinition>\n";
}

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  test::WriteAll(path, Bytes(text.begin(), text.end()));
}

std::string Lines(const fs::path& path) {
  const Bytes bytes = ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(ConvertedFileNames, AreSafeShortAndUnique) {
  std::vector<std::string> taken;
  EXPECT_EQ(ConvertedFileName("Martin", "MAC Viper: 2/3 \"Wash\"", "Mode <1>", taken),
            "Martin-MAC-Viper-2-3-Wash-Mode-1.tff");
  EXPECT_EQ(ConvertedFileName("Éclairage", " .Spot ", "", taken), "Eclairage-Spot.tff");
  EXPECT_EQ(ConvertedFileName("ECLAIRAGE", "spot", "", taken), "ECLAIRAGE-spot-2.tff");
  EXPECT_EQ(ConvertedFileName("", "", "", taken), "Fixture.tff");
  EXPECT_EQ(ConvertedFileName("", "con", "", taken), "con_.tff");
  const std::string long1 = ConvertedFileName(std::string(50, 'a'), std::string(50, 'b'), "x", taken);
  const std::string long2 = ConvertedFileName(std::string(50, 'a'), std::string(50, 'b'), "y", taken);
  EXPECT_EQ(long1, std::string(50, 'a') + "-" + std::string(9, 'b') + ".tff");
  EXPECT_EQ(long2, std::string(50, 'a') + "-" + std::string(7, 'b') + "-2.tff");
  EXPECT_EQ(long2.size(), 64U);
}

TEST(TfftoolConvert, WritesEachDefinitionGoesOnPastDamageAndSeparatesClashingNames) {
  TempDir dir;
  Write(dir / "lib/Robe/Pointe.qxf", Qxf("Robe", "Pointe"));
  Write(dir / "lib/Robe/Copy/Pointe.qxf", Qxf("Robe", "Pointe"));  // the same names: a clash
  Write(dir / "lib/Bad/Broken.qxf", "<FixtureDefinition><Model>");
  const fs::path out = dir / "out";
  const ToolRun run = Tool({"convert", (dir / "lib").string(), out.string()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.out.find("damaged " + (dir / "lib/Bad/Broken.qxf").string() + ": not readable as XML"),
            std::string::npos) << run.out;
  EXPECT_NE(run.out.find("converted                        2\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("damaged                          1\n"), std::string::npos) << run.out;

  // The largest mode that fits: "Big", 3 channels, named after the model.
  const Bytes first = ReadAll(out / "Robe-Pointe-Big.tff");
  ASSERT_EQ(first.size(), L::kFileSize);
  EXPECT_EQ(std::string(first.begin() + L::kFixtureName, first.begin() + L::kFixtureName + 11), "Pointe     ");
  EXPECT_EQ(first[L::kChannelCount], 3);
  EXPECT_EQ(ReadAll(out / "Robe-Pointe-Big-2.tff"), first);
  const std::string index = Lines(out / "index.tsv");
  EXPECT_EQ(index.rfind("source\tmode\tfile\tchannels\tsteps\tchanges\n", 0), 0U);
  EXPECT_NE(index.find((dir / "lib/Robe/Copy/Pointe.qxf").string() + "\tBig\tRobe-Pointe-Big.tff\t3\t0\t"),
            std::string::npos) << index;
  EXPECT_NE(index.find("\tRobe-Pointe-Big-2.tff\t3\t0\t"), std::string::npos);
}

TEST(TfftoolConvert, NeverReplacesAFileWithoutForce) {
  TempDir dir;
  Write(dir / "Pointe.qxf", Qxf("Robe", "Pointe"));
  const fs::path target = dir / "out/Robe-Pointe-Small.tff";
  Write(target, "mine");
  const ToolRun kept = Tool({"convert", (dir / "Pointe.qxf").string(), (dir / "out").string(), "--mode", "small"});
  EXPECT_EQ(kept.status, 2);
  EXPECT_EQ(Lines(target), "mine");
  EXPECT_FALSE(fs::exists(dir / "out/index.tsv"));
  const ToolRun forced =
      Tool({"convert", (dir / "Pointe.qxf").string(), (dir / "out").string(), "--mode", "Small", "--force"});
  EXPECT_EQ(forced.status, 0) << forced.out;
  EXPECT_EQ(ReadAll(target).size(), L::kFileSize);
}

TEST(TfftoolConvert, ModeAllWritesEveryFittingModeAndNoneThatDoesNot) {
  TempDir dir;
  Write(dir / "Pointe.qxf", Qxf("Robe", "Pointe"));
  const ToolRun all = Tool({"convert", (dir / "Pointe.qxf").string(), (dir / "out").string(), "--mode=all"});
  EXPECT_EQ(all.status, 1);  // "Big" has a name the built-in set lacks
  EXPECT_TRUE(fs::exists(dir / "out/Robe-Pointe-Small.tff"));
  EXPECT_TRUE(fs::exists(dir / "out/Robe-Pointe-Big.tff"));
  EXPECT_FALSE(fs::exists(dir / "out/Robe-Pointe-Huge.tff"));
  const ToolRun huge = Tool({"convert", (dir / "Pointe.qxf").string(), (dir / "out2").string(), "--mode", "Huge"});
  EXPECT_EQ(huge.status, 2);
  EXPECT_NE(huge.out.find("cannot be imported: 41 channels"), std::string::npos) << huge.out;

  // --palettes writes what import --palettes writes, byte for byte.
  Tool({"convert", (dir / "Pointe.qxf").string(), (dir / "out3").string(), "--mode", "Big", "--palettes"});
  Tool({"import", (dir / "Pointe.qxf").string(), (dir / "big.tff").string(), "--mode", "Big", "--palettes"});
  EXPECT_EQ(test::ReadAll(dir / "out3/Robe-Pointe-Big.tff"), test::ReadAll(dir / "big.tff"));
  EXPECT_NE(test::ReadAll(dir / "out3/Robe-Pointe-Big.tff"), test::ReadAll(dir / "out/Robe-Pointe-Big.tff"));
}

// --as auto writes an LED file where the chosen mode fits the LED form, and
// the same bytes as import --as led; --as led refuses the mode that does not fit.
TEST(TfftoolConvert, AsAutoWritesLedFilesWhereTheModeFitsAndAsLedRefusesTheRest) {
  TempDir dir;
  Write(dir / "lib/Robe/Pointe.qxf", Qxf("Robe", "Pointe"));
  Write(dir / "lib/Acme/Par.qxf", R"(<FixtureDefinition><Manufacturer>Acme</Manufacturer><Model>Par</Model>
 <Channel Name="Red" Preset="IntensityRed"/><Channel Name="Green" Preset="IntensityGreen"/>
 <Channel Name="Blue" Preset="IntensityBlue"/>
 <Mode Name="RGB"><Channel>Red</Channel><Channel>Green</Channel><Channel>Blue</Channel></Mode>
</FixtureDefinition>)");
  const ToolRun autoRun = Tool({"convert", (dir / "lib").string(), (dir / "auto").string(), "--as", "auto"});
  EXPECT_EQ(autoRun.status, 1) << autoRun.out << autoRun.err;  // "Big" lacks a name
  EXPECT_NE(autoRun.out.find("-> Acme-Par-RGB.tff (LED)"), std::string::npos) << autoRun.out;
  EXPECT_NE(autoRun.out.find("  as LED fixtures                1\n"), std::string::npos) << autoRun.out;
  Tool({"import", (dir / "lib/Acme/Par.qxf").string(), (dir / "par.tff").string(), "--as", "led"});
  EXPECT_EQ(ReadAll(dir / "auto/Acme-Par-RGB.tff").size(), 512U);
  EXPECT_EQ(ReadAll(dir / "auto/Acme-Par-RGB.tff"), ReadAll(dir / "par.tff"));
  EXPECT_EQ(ReadAll(dir / "auto/Robe-Pointe-Big.tff").size(), L::kFileSize);
  EXPECT_NE(Lines(dir / "auto/index.tsv").find("\tRGB\tAcme-Par-RGB.tff\t3\t0\t"), std::string::npos);

  const ToolRun led = Tool({"convert", (dir / "lib").string(), (dir / "led").string(), "--as=led"});
  EXPECT_EQ(led.status, 1);
  EXPECT_NE(led.out.find("refused " + (dir / "lib/Robe/Pointe.qxf").string() + " \"Big\": mode \"Big\" does not fit"),
            std::string::npos) << led.out;
  EXPECT_TRUE(fs::exists(dir / "led/Acme-Par-RGB.tff"));
  EXPECT_FALSE(fs::exists(dir / "led/Robe-Pointe-Big.tff"));
  EXPECT_EQ(Tool({"convert", (dir / "lib").string(), (dir / "x").string(), "--as", "par"}).status, 2);
}

TEST(TfftoolSearch, PrintsMakerModelModesAndPathAndKeepsTheCache) {
  TempDir dir;
  Write(dir / "lib/Robe/Pointe.qxf", Qxf("Robe", "Pointe"));
  Write(dir / "lib/Martin/Viper.qxf", Qxf("Martin", "MAC Viper Performance"));
  ASSERT_EQ(setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1), 0);
  const ToolRun run = Tool({"search", "perf", "VIPER", "--folder", (dir / "lib").string()});
  unsetenv("XDG_CACHE_HOME");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Martin MAC Viper Performance\n"
                     "  modes: \"Small\" 2, \"Big\" 3, \"Huge\" 41 (cannot be imported: 41 channels; a fixture holds 40 at most)\n"
                     "  " + (dir / "lib/Martin/Viper.qxf").string() + "\n");
  EXPECT_TRUE(fs::exists(dir / "cache/brannoc512/library.cache"));
  EXPECT_EQ(Tool({"search", "nothing", "--folder", (dir / "lib").string()}).status, 1);
}

}  // namespace
}  // namespace brannoc::tfftool
