// "&Import Fixture..." with a GDTF file: the same road as a .qxf (mode list,
// report, fixture shown), the file's kind told by its content.

#include <gtest/gtest.h>

#include "data/names/name_set.h"
#include "windows/fixture_editor/editor_window.h"
#include "data/import/gdtf.h"
#include "data/palette_fill/generate.h"
#include "support/gui.h"
#include "support/zip_writer.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"

namespace brannoc {
namespace {
using test::ProgramUnderTest;
using test::Row;
using ui::Answer;

// A wash whose 16-bit pan and colour wheel fit, and a pixel mode that does not.
const std::string kWash = R"(<?xml version="1.0" encoding="UTF-8"?>
<GDTF DataVersion="1.1">
<FixtureType Name="Wash 300" ShortName="" Manufacturer="Test">
<AttributeDefinitions><Attributes/></AttributeDefinitions>
<Wheels><Wheel Name="C"><Slot Name="White"/><Slot Name="Deep Red"/></Wheel></Wheels>
<Geometries><Geometry Name="Body"/></Geometries>
<DMXModes>
<DMXMode Name="Pixel" Geometry="Body"><DMXChannels>
<DMXChannel Offset="1" Geometry="Body"><LogicalChannel Attribute="Dimmer"/></DMXChannel>
<DMXChannel Offset="60" Geometry="Body"><LogicalChannel Attribute="Zoom"/></DMXChannel>
</DMXChannels></DMXMode>
<DMXMode Name="Standard" Geometry="Body"><DMXChannels>
<DMXChannel Offset="1,2" Geometry="Body"><LogicalChannel Attribute="Pan">
 <ChannelFunction Attribute="Pan" DMXFrom="0/2" PhysicalFrom="-270" PhysicalTo="270"/></LogicalChannel></DMXChannel>
<DMXChannel Offset="3" Geometry="Body"><LogicalChannel Attribute="Color1">
 <ChannelFunction Attribute="Color1" DMXFrom="0/1" Wheel="C"><ChannelSet DMXFrom="0/1" WheelSlotIndex="1"/><ChannelSet DMXFrom="128/1" WheelSlotIndex="2"/></ChannelFunction>
</LogicalChannel></DMXChannel>
</DMXChannels></DMXMode>
</DMXModes>
</FixtureType>
</GDTF>
)";

TEST(ImportGdtfFixture, APickedModeOfAnArchiveIsShownAsTheImportGivesIt) {
  ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  test::WriteAll(program.dir / "wash.gdtf", test::GdtfArchive(kWash));
  program.dialogs.answers = {Answer::Ok, Answer::Ok, Answer::No, Answer::No};
  program.dialogs.files = {program.File("wash.gdtf")};
  program.dialogs.picks = {1};
  w->ImportFixture->trigger();

  ASSERT_EQ(program.dialogs.lists.size(), 1u);
  const test::Listed& list = program.dialogs.lists[0];
  EXPECT_EQ(list.prompt, "Modes of Wash 300:");
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].text, "Pixel: 60 channels, 0 steps");
  EXPECT_EQ(list.entries[0].whyNot, "60 addresses; a fixture holds 40 at most");
  EXPECT_EQ(list.entries[1].text, "Standard: 3 channels, 3 steps");
  EXPECT_EQ(list.entries[1].whyNot, "");

  // The box names each channel as the description does.
  ASSERT_EQ(program.dialogs.tables.size(), 1u);
  ASSERT_EQ(program.dialogs.tables[0].rows.size(), 3u);
  EXPECT_EQ(program.dialogs.tables[0].rows[0].mid(0, 3), QStringList({"1", "Pan", "Pan"}));
  EXPECT_EQ(program.dialogs.tables[0].rows[2].mid(0, 3), QStringList({"3", "Color1", "Colour"}));

  ChannelNameSet names;
  RestoreDefaultNames(names);
  const ImportResult expected = ImportGdtfMode(Bytes(kWash.begin(), kWash.end()), 1, names);
  ASSERT_TRUE(expected.Record);
  FillPalettes(*expected.Record);  // the report's box to fill them is left ticked
  EXPECT_TRUE(*program.app.Fixture == *expected.Record);
  EXPECT_EQ(w->Text1->Text(), "Wash 300");
  EXPECT_EQ(w->Text4->Text(), "540");
  ASSERT_EQ(w->MSFlexGrid1->Rows(), 4);
  EXPECT_EQ(Row(w->MSFlexGrid1, 1)[2], "Fadeable LTP 16bitH");
  EXPECT_EQ(Row(w->MSFlexGrid1, 2)[2], "Fadeable LTP 16bitL");
  w->Combo9->SetListIndex(2);
  EXPECT_EQ(Row(w->MSFlexGrid2, 2), QStringList({"Step 2", "Deep Red", "128", "255"}));
}

TEST(ImportGdtfFixture, AnArchiveWithoutDescriptionSaysSoAndChangesNothing) {
  ProgramUnderTest program;
  Pelorin* w = program.FixtureEditor();
  const FixtureRecord before = *program.app.Fixture;
  test::WriteAll(program.dir / "wash.gdtf", test::WriteZip({{"models/body.3ds", "3ds"}}));
  program.dialogs.answers = {Answer::Ok, Answer::Ok};
  program.dialogs.files = {program.File("wash.gdtf")};
  w->ImportFixture_Click();
  ASSERT_EQ(program.dialogs.asked.size(), 2u);
  EXPECT_EQ(program.dialogs.asked[1].text,
            program.File("wash.gdtf") + " could not be imported." + QChar(13) + "the archive holds no description.xml");
  EXPECT_EQ(program.dialogs.asked[1].icon, ui::Icon::Warning);
  EXPECT_TRUE(*program.app.Fixture == before);
}

}  // namespace
}  // namespace brannoc
