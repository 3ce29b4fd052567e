// tfftool import of GDTF files: told apart from a .qxf by content, whatever
// the file is called; the file written is the import the editor takes.

#include <gtest/gtest.h>

#include <sstream>

#include "data/names/name_set.h"
#include "data/fixture/file.h"
#include "data/import/gdtf.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"
#include "tfftool/command.h"
#include "tools/tool_run.h"

namespace brannoc::tfftool {
namespace {
namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;


// Two modes: a dimmer with RGB, and a wide one past 40 addresses.
const std::string kPar = R"(<?xml version="1.0" encoding="UTF-8"?>
<GDTF DataVersion="1.1">
<FixtureType Name="Par 64 RGB" ShortName="Par RGB" Manufacturer="Test">
<AttributeDefinitions><Attributes/></AttributeDefinitions>
<Geometries><Geometry Name="Body"/></Geometries>
<DMXModes>
<DMXMode Name="4 ch" Geometry="Body"><DMXChannels>
<DMXChannel Offset="1" Geometry="Body" Default="255/1"><LogicalChannel Attribute="Dimmer"><ChannelFunction DMXFrom="0/1" Name="Dim"/></LogicalChannel></DMXChannel>
<DMXChannel Offset="2" Geometry="Body"><LogicalChannel Attribute="ColorAdd_R"><ChannelFunction DMXFrom="0/1" Name="R"/></LogicalChannel></DMXChannel>
<DMXChannel Offset="3" Geometry="Body"><LogicalChannel Attribute="ColorAdd_G"><ChannelFunction DMXFrom="0/1" Name="G"/></LogicalChannel></DMXChannel>
<DMXChannel Offset="4" Geometry="Body"><LogicalChannel Attribute="ColorAdd_B"><ChannelFunction DMXFrom="0/1" Name="B"/></LogicalChannel></DMXChannel>
</DMXChannels></DMXMode>
<DMXMode Name="Wide" Geometry="Body"><DMXChannels>
<DMXChannel Offset="1" Geometry="Body"><LogicalChannel Attribute="Dimmer"/></DMXChannel>
<DMXChannel Offset="45" Geometry="Body"><LogicalChannel Attribute="Zoom"/></DMXChannel>
</DMXChannels></DMXMode>
</DMXModes>
</FixtureType>
</GDTF>
)";

TEST(TfftoolImportGdtf, TakesArchivesAndDescriptionsByContentAndWritesTheImport) {
  TempDir dir;
  const fs::path archive = dir / "par.bin";
  const fs::path bare = dir / "notes.txt";
  const fs::path out = dir / "Par.tff";
  test::WriteAll(archive, test::GdtfArchive(kPar, test::ZipMethod::Bzip2));
  test::WriteAll(bare, Bytes(kPar.begin(), kPar.end()));

  const ToolRun list = Tool({"import", archive.string(), "--list-modes"});
  EXPECT_EQ(list.status, kExitOk) << list.err;
  EXPECT_EQ(list.out, "1 \"4 ch\": 4 channels, 4 steps\n"
                      "2 \"Wide\": 45 channels, 0 steps; cannot be imported: 45 addresses; a fixture holds 40 at most\n");

  ChannelNameSet names;
  RestoreDefaultNames(names);
  FixtureRecord expected = *ImportGdtfMode(Bytes(kPar.begin(), kPar.end()), 0, names).Record;
  const Bytes image = BuildFixtureImage(expected);
  for (const fs::path& input : {archive, bare}) {
    fs::remove(out);
    const ToolRun run = Tool({"import", input.string(), out.string(), "--mode", "4 ch"});
    EXPECT_NE(run.status, kExitFailure) << run.err;
    EXPECT_EQ(ReadAll(out), image) << input;
  }
  namespace L = fixture_layout;
  EXPECT_EQ(std::string(image.begin() + L::kFixtureName, image.begin() + L::kFixtureName + 11), "Par RGB    ");
  EXPECT_EQ(image[L::kChannelCount], 4);
  EXPECT_EQ(image[L::kChannelRecords + L::kRecordValue], 255);  // the dimmer's default

  // Dimmer and RGB fit the console's LED form.
  const fs::path led = dir / "Par.lfx";
  const ToolRun asLed = Tool({"import", archive.string(), led.string(), "--mode", "1", "--as", "auto"});
  EXPECT_NE(asLed.status, kExitFailure) << asLed.err;
  EXPECT_EQ(ReadAll(led).size(), 512u);

  const ToolRun wide = Tool({"import", archive.string(), out.string(), "--mode", "Wide"});
  EXPECT_EQ(wide.status, kExitFailure);
  EXPECT_EQ(wide.err, "tfftool: " + archive.string() +
                          ": mode \"Wide\" cannot be imported: 45 addresses; a fixture holds 40 at most\n");
}

TEST(TfftoolImportGdtf, RefusesADamagedArchiveAndWritesNothing) {
  TempDir dir;
  const fs::path archive = dir / "Par.gdtf";
  const fs::path out = dir / "Par.tff";
  Bytes bytes = test::GdtfArchive(kPar);
  bytes.resize(bytes.size() / 2);
  test::WriteAll(archive, bytes);
  const ToolRun run = Tool({"import", archive.string(), out.string()});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.err.rfind("tfftool: " + archive.string() + ": the archive is damaged: ", 0), 0u) << run.err;
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace brannoc::tfftool
