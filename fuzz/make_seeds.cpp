// Writes the seed inputs of the fuzz targets, made by the program's own writers:
//   OUT/fixture/*.tff   fixture files as "&Save Fixture" writes them
//   OUT/led/*.tff       LED fixture files as the LED editor's "Save" writes them
//   OUT/names/*.fix     channel name sets as the name editor's "Save" writes them
//   OUT/json/*.json     tfftool's JSON form: dumps of those records and short documents
//   OUT/qxf/*.qxf       small QLC+ fixture definitions for the import
//   OUT/gdtf/*          small GDTF descriptions, bare and as .gdtf archives
//                       (stored, deflate and bzip2 members)
//   OUT/library/*       fixture library caches without their check sum
// The records are the fresh ones the editors start with, a few that reach the
// edges of the layout, and varied ones from a fixed seed. (scripts/fuzz.sh adds
// a few definitions from QLC+'s own library to the .qxf seeds when it is there.)
//
// Usage: brannoc_fuzz_seeds OUT

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/names/name_set.h"
#include "data/fixture/file.h"
#include "data/led/model.h"
#include "data/library/index.h"
#include "tfftool/json_form.h"
#include "support/zip_writer.h"
#include "tools/generate.h"

namespace fs = std::filesystem;
using namespace brannoc;

namespace {

constexpr int kVaried = 12;

bool Write(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "Cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

bool Write(const fs::path& path, const Bytes& bytes) {
  return Write(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string Numbered(std::string_view stem, int n, std::string_view extension) {
  char number[8];
  std::snprintf(number, sizeof number, "%02d", n);
  return std::string(stem) + "-" + number + std::string(extension);
}

// Forty channels, all of them in all ten palettes with every preset named: far
// more than the palette block holds, so the save cuts.
std::unique_ptr<FixtureRecord> CrowdedFixture() {
  auto fixture = tfftool::NewFixture();
  ResetFixture(*fixture, kMaxChannels);
  PaletteData& palettes = fixture->Palettes;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    palettes.PaletteName[p] = PaletteText::FromUtf8("Pal" + std::to_string(p));
    palettes.PaletteMember[p].fill(1);
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      palettes.PresetName[p][k] = PaletteText::FromUtf8("Pre" + std::to_string(k));
      for (std::size_t ch = 0; ch < kPaletteChannels; ++ch) {
        palettes.PresetValue[p][ch][k] = static_cast<std::uint8_t>(p * 40 + ch + k);
      }
    }
  }
  return fixture;
}

// 16-bit pairs in both orders, a high-byte channel pointing at itself and past
// the count, and more steps than the file holds.
std::unique_ptr<FixtureRecord> PairsAndStepsFixture() {
  auto fixture = tfftool::NewFixture();
  ResetFixture(*fixture, 12);
  fixture->FixtureName = FixedText<11>::FromUtf8("Spot 575");
  fixture->MaxPanDegree = 540;
  fixture->MaxTiltDegree = 270;
  auto& ch = fixture->Channels;
  ch[0] = {6, InstantLTP16H, 1, 2, {}, FixedText<12>::FromUtf8("Pan"), 0};
  ch[1] = {6, InstantLTP16L, 2, 0, {}, FixedText<12>::FromUtf8("Pan fine"), 0};
  ch[2] = {7, FadeableLTP16L, 3, 0, {}, FixedText<12>::FromUtf8("Tilt fine"), 0};
  ch[3] = {7, FadeableLTP16H, 4, 3, {}, FixedText<12>::FromUtf8("Tilt"), 0};
  ch[4] = {3, FadeableLTP16H, 5, 5, {}, FixedText<12>::FromUtf8("Dimmer"), 255};
  ch[5] = {9, InstantLTP16H, 6, 30, {}, FixedText<12>::FromUtf8("Colour"), 0};
  ch[6] = {12, HTP, 7, 0, {}, FixedText<12>::FromUtf8("Gobo"), 0};
  fixture->StepCounts[6] = 150;
  fixture->StepCounts[7] = 100;
  for (std::size_t s = 0; s < 150; ++s) {
    fixture->Steps[6][s] = {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s + 1), FixedText<8>::FromUtf8("Open")};
    if (s < 100) fixture->Steps[7][s] = {0, 255, FixedText<8>::FromUtf8("Strobe")};
  }
  PaletteData& palettes = fixture->Palettes;
  palettes.PaletteName[0] = PaletteText::FromUtf8("Pos");
  palettes.PaletteMember[0][2] = 1;
  palettes.PaletteMember[0][4] = 1;
  palettes.PresetName[0][2] = PaletteText::FromUtf8("Home");
  palettes.PresetValue[0][2][2] = 30;
  palettes.PresetValue[0][4][2] = 40;
  return fixture;
}

bool WriteFixtures(const fs::path& folder, test::RecordGenerator& generate) {
  auto save = [&](const std::string& name, FixtureRecord& fixture) {
    return Write(folder / name, BuildFixtureImage(fixture));
  };
  bool ok = save("new.tff", *tfftool::NewFixture());
  ok = save("crowded.tff", *CrowdedFixture()) && ok;
  ok = save("pairs-and-steps.tff", *PairsAndStepsFixture()) && ok;
  for (int i = 0; i < kVaried; ++i) ok = save(Numbered("varied", i, ".tff"), *generate.Fixture()) && ok;
  return ok;
}

bool WriteLedFixtures(const fs::path& folder, test::RecordGenerator& generate) {
  auto save = [&](const std::string& name, LedFixtureRecord fixture) {
    RebuildLedFunctionMap(fixture);
    return Write(folder / name, BuildLedFixtureImage(fixture));
  };
  bool ok = save("new.tff", tfftool::NewLedFixture());
  for (int i = 0; i < kVaried; ++i) ok = save(Numbered("varied", i, ".tff"), generate.LedFixture()) && ok;
  return ok;
}

bool WriteNameSets(const fs::path& folder, test::RecordGenerator& generate) {
  ChannelNameSet builtIn;
  RestoreDefaultNames(builtIn);
  const Bytes bytes = SerializeChannelNameSet(builtIn);
  bool ok = Write(folder / "built-in.fix", bytes);
  // As short as the fixture editor still reads.
  ok = Write(folder / "short.fix", Bytes(bytes.begin(), bytes.begin() + kFixtureEditorMinimum)) && ok;
  for (int i = 0; i < kVaried / 2; ++i) {
    ok = Write(folder / Numbered("varied", i, ".fix"), SerializeChannelNameSet(generate.NameSet())) && ok;
  }
  return ok;
}

// Whole dumps of a few records, and short documents that lean on the defaults.
bool WriteJson(const fs::path& folder, test::RecordGenerator& generate) {
  auto dump = [&](const std::string& name, const tfftool::Json& json) {
    return Write(folder / name, tfftool::FormatJson(json) + "\n");
  };
  ChannelNameSet builtIn;
  RestoreDefaultNames(builtIn);
  bool ok = dump("fixture-new.json", tfftool::FixtureToJson(*tfftool::NewFixture()));
  ok = dump("fixture-pairs.json", tfftool::FixtureToJson(*PairsAndStepsFixture())) && ok;
  // One part of a varied fixture each: every field is optional.
  const tfftool::Json varied = tfftool::FixtureToJson(*generate.Fixture());
  for (const char* part : {"channels", "steps", "palettes"}) {
    tfftool::Json json = {{"kind", "fixture"}, {"channel_count", varied["channel_count"]}, {part, varied[part]}};
    ok = dump(std::string("fixture-") + part + ".json", json) && ok;
  }
  ok = dump("led-new.json", tfftool::LedFixtureToJson(tfftool::NewLedFixture())) && ok;
  ok = dump("led-varied.json", tfftool::LedFixtureToJson(generate.LedFixture())) && ok;
  ok = dump("names-built-in.json", tfftool::NameSetToJson(builtIn)) && ok;

  constexpr std::pair<const char*, std::string_view> kShort[] = {
      {"short-fixture.json", R"({"kind": "fixture"})"},
      {"short-fixture-header.json",
       R"({"kind": "fixture", "name": "Spot", "channel_count": 2, "max_pan_degree": 540, "max_tilt_degree": -5})"},
      {"short-led.json", R"({"kind": "led", "name": "Bar", "channel_count": 1})"},
      {"short-names.json", R"({"kind": "names"})"},
      {"malformed.json", R"({"kind": "fixture", "channel_count": 1e400, "kind": "led"} x)"},
  };
  for (const auto& [name, text] : kShort) ok = Write(folder / name, std::string(text) + "\n") && ok;
  return ok;
}

// ---- QLC+ fixture definitions

std::string Definition(const std::string& model, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE FixtureDefinition>\n"
         "<FixtureDefinition xmlns=\"http://www.qlcplus.org/FixtureDefinition\">\n"
         " <Manufacturer>Seed</Manufacturer>\n <Model>" +
         model + "</Model>\n <Type>Moving Head</Type>\n" + body + "</FixtureDefinition>\n";
}

std::string QxfChannel(const std::string& name, const std::string& attributes, const std::string& inside) {
  return " <Channel Name=\"" + name + "\"" + attributes + ">" + inside + "</Channel>\n";
}

std::string Capability(int min, int max, const std::string& text) {
  return "<Capability Min=\"" + std::to_string(min) + "\" Max=\"" + std::to_string(max) + "\">" + text +
         "</Capability>";
}

std::string QxfMode(const std::string& name, const std::vector<std::string>& channels, const std::string& extra = "") {
  std::string mode = " <Mode Name=\"" + name + "\">\n";
  for (std::size_t i = 0; i < channels.size(); ++i) {
    mode += "  <Channel Number=\"" + std::to_string(i) + "\">" + channels[i] + "</Channel>\n";
  }
  return mode + extra + " </Mode>\n";
}

// A moving head: 16-bit pan and tilt by preset and by group, wheels with long
// capability texts, a default out of range, physical data in the fixture and in
// a mode, and modes with a channel left undefined and with fine channels alone.
std::string SpotDefinition() {
  std::string colours;
  const char* names[] = {"White", "Red", "Deep blue (Lee 119)", "Congo blue \xE2\x86\x92 UV", "Rainbow slow to fast"};
  for (int i = 0; i < 5; ++i) colours += Capability(i * 20, i * 20 + 19, names[i]);
  const std::string body =
      QxfChannel("Pan", " Preset=\"PositionPan\"", "") + QxfChannel("Pan fine", " Preset=\"PositionPanFine\"", "") +
      QxfChannel("Tilt", "", "<Group Byte=\"0\">Tilt</Group>") +
      QxfChannel("Tilt fine", "", "<Group Byte=\"1\">Tilt</Group>") +
      QxfChannel("Master dimmer", " Default=\"255\"", "<Group Byte=\"0\">Intensity</Group>" + Capability(0, 255, "0-100%")) +
      QxfChannel("Colour wheel", "", "<Group Byte=\"0\">Colour</Group>" + colours) +
      QxfChannel("Gobo wheel", "", "<Group Byte=\"0\">Gobo</Group>" + Capability(0, 9, "Open") +
                                       Capability(10, 19, "Gobo 1 shake slow to fast") + Capability(20, 300, "Out of range")) +
      QxfChannel("Gobo rotation", "", "<Group Byte=\"0\">Gobo</Group>") +
      QxfChannel("Shutter / Strobe", "", "<Group Byte=\"0\">Shutter</Group>" + Capability(0, 7, "Closed") +
                                             Capability(8, 255, "Strobe slow to fast")) +
      QxfChannel("Zoom", " Default=\"300\"", "<Group Byte=\"0\">Beam</Group>") +
      QxfChannel("Pan/Tilt speed", "", "<Group Byte=\"0\">Speed</Group>") +
      " <Physical><Focus Type=\"Head\" PanMax=\"540\" TiltMax=\"270\"/></Physical>\n" +
      QxfMode("Extended", {"Pan", "Pan fine", "Tilt", "Tilt fine", "Master dimmer", "Colour wheel", "Gobo wheel",
                           "Gobo rotation", "Shutter / Strobe", "Zoom", "Pan/Tilt speed"}) +
      QxfMode("Basic", {"Pan", "Tilt", "Master dimmer", "Colour wheel", "Shutter / Strobe"},
              "  <Physical><Focus PanMax=\"630\" TiltMax=\"900\"/></Physical>\n") +
      QxfMode("Fine alone", {"Tilt fine", "Pan fine", "Master dimmer"}) +
      QxfMode("Undefined", {"Pan", "Frost"});
  return Definition("Seed Spot 575 &amp; friends", body);
}

// An LED bar of 14 RGB cells: one mode of 42 channels, more than a fixture holds,
// and one of 3.
std::string BarDefinition() {
  std::string body;
  std::vector<std::string> all;
  for (int cell = 1; cell <= 14; ++cell) {
    for (const char* colour : {"Red", "Green", "Blue"}) {
      const std::string name = std::string(colour) + " " + std::to_string(cell);
      body += QxfChannel(name, std::string(" Preset=\"Intensity") + colour + "\"", "");
      all.push_back(name);
    }
  }
  body += QxfMode("42 channels", all) + QxfMode("3 channels", {"Red 1", "Green 1", "Blue 1"});
  return Definition("Seed Bar", body);
}

// A dimmer whose texts use what XML allows: CDATA, character references, a comment.
std::string DimmerDefinition() {
  const std::string body =
      QxfChannel("Intensit\xC3\xA9", "",
                 "<Group Byte=\"0\">Intensity</Group><!-- one capability --><Capability Min=\"0\" Max=\"255\">"
                 "<![CDATA[Fade <in> & out]]></Capability>") +
      QxfMode("1 channel", {"Intensit&#xE9;"});
  return Definition("Seed Dimmer", body);
}

bool WriteQxf(const fs::path& folder) {
  bool ok = Write(folder / "spot.qxf", SpotDefinition());
  ok = Write(folder / "bar.qxf", BarDefinition()) && ok;
  ok = Write(folder / "dimmer.qxf", DimmerDefinition()) && ok;
  return ok;
}

// ---- GDTF descriptions

std::string GdtfChannel(const std::string& offset, const std::string& geometry, const std::string& attribute,
                        const std::string& functions, const std::string& extra = "") {
  return "<DMXChannel Offset=\"" + offset + "\" Geometry=\"" + geometry + "\"" + extra + "><LogicalChannel Attribute=\"" +
         attribute + "\">" + functions + "</LogicalChannel></DMXChannel>\n";
}

std::string GdtfFunction(const std::string& attribute, const std::string& from, const std::string& inside = "",
                         const std::string& extra = "") {
  return "<ChannelFunction Name=\"" + attribute + "\" Attribute=\"" + attribute + "\" DMXFrom=\"" + from + "\"" + extra +
         ">" + inside + "</ChannelFunction>";
}

// A spot with a 16-bit pan and tilt, a colour wheel with named slots, channel
// sets, a 24-bit zoom, a virtual channel and a second break; and a bar whose
// cells repeat through geometry references.
std::string GdtfDescription() {
  const std::string sets = "<ChannelSet Name=\"Open\" DMXFrom=\"0/1\" WheelSlotIndex=\"1\"/>"
                           "<ChannelSet DMXFrom=\"20/1\" WheelSlotIndex=\"2\"/><ChannelSet DMXFrom=\"40/1\"/>";
  const std::string spot =
      GdtfChannel("1,2", "Yoke", "Pan", GdtfFunction("Pan", "0/2", "", " PhysicalFrom=\"-270\" PhysicalTo=\"270\""),
                  " Default=\"32768/2\"") +
      GdtfChannel("3,4", "Head", "Tilt", GdtfFunction("Tilt", "0/2", "", " PhysicalFrom=\"-135\" PhysicalTo=\"135\"")) +
      GdtfChannel("5", "Head", "Dimmer", GdtfFunction("Dimmer", "0/1"), " Default=\"255/1\"") +
      GdtfChannel("6", "Head", "Color1",
                  GdtfFunction("Color1", "0/1", sets, " Wheel=\"Colours\"") + GdtfFunction("Color1WheelSpin", "128/1")) +
      GdtfChannel("7,8,9", "Head", "Zoom", GdtfFunction("Zoom", "0/3")) +
      GdtfChannel("None", "Head", "ColorRGB_Red", GdtfFunction("ColorRGB_Red", "0/1")) +
      GdtfChannel("1", "Head", "Shutter1", GdtfFunction("Shutter1", "0/1"), " DMXBreak=\"2\"");
  const std::string bar = GdtfChannel("1", "Body", "Dimmer", GdtfFunction("Dimmer", "0/1")) +
                          GdtfChannel("1", "Cell", "ColorAdd_R", GdtfFunction("ColorAdd_R", "0/1")) +
                          GdtfChannel("2", "Cell", "ColorAdd_G", GdtfFunction("ColorAdd_G", "0/1"));
  std::string references;
  for (int cell = 1; cell <= 3; ++cell) {
    references += "<GeometryReference Name=\"Cell" + std::to_string(cell) + "\" Geometry=\"Cell\"><Break DMXBreak=\"1\" DMXOffset=\"" +
                  std::to_string(2 * cell) + "\"/></GeometryReference>";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GDTF DataVersion=\"1.1\">\n"
         "<FixtureType Name=\"Seed Spot\" ShortName=\"Seed\" Manufacturer=\"Seed\">\n"
         "<AttributeDefinitions><Attributes><Attribute Name=\"Pan\" Pretty=\"P\"/><Attribute Name=\"Dimmer\" Pretty=\"Dim\"/>"
         "</Attributes></AttributeDefinitions>\n"
         "<Wheels><Wheel Name=\"Colours\"><Slot Name=\"Open\"/><Slot Name=\"Red\"/></Wheel></Wheels>\n"
         "<Geometries><Geometry Name=\"Base\"><Axis Name=\"Yoke\"><Axis Name=\"Head\"/></Axis></Geometry>"
         "<Geometry Name=\"Cell\"/><Geometry Name=\"Body\">" + references + "</Geometry></Geometries>\n"
         "<DMXModes>\n<DMXMode Name=\"Standard\" Geometry=\"Base\"><DMXChannels>\n" + spot +
         "</DMXChannels></DMXMode>\n<DMXMode Name=\"Cells\" Geometry=\"Body\"><DMXChannels>\n" + bar +
         "</DMXChannels></DMXMode>\n</DMXModes>\n</FixtureType>\n</GDTF>\n";
}

bool WriteGdtf(const fs::path& folder) {
  const std::string description = GdtfDescription();
  bool ok = Write(folder / "description.xml", description);
  ok = Write(folder / "stored.gdtf", test::GdtfArchive(description, test::ZipMethod::Store)) && ok;
  ok = Write(folder / "deflate.gdtf", test::GdtfArchive(description, test::ZipMethod::Deflate)) && ok;
  ok = Write(folder / "bzip2.gdtf", test::GdtfArchive(description, test::ZipMethod::Bzip2)) && ok;
  return ok;
}

}  // namespace

// An empty index, and one with a damaged file, modes that fit and do not,
// and folders with files, subfolders and links.
bool WriteLibraryCaches(const fs::path& folder) {
  LibraryIndex index;
  bool ok = true;
  auto write = [&](const char* name) {
    const Bytes sealed = SerializeLibraryCache(index);
    ok = Write(folder / name, Bytes(sealed.begin(), sealed.end() - 8)) && ok;
  };
  write("empty.cache");
  index.Entries.push_back({"/lib/Robe/Robe-Pointe.qxf", 5120, 1765000000000000000, "Robe", "Pointe",
                           {{"Standard", 24, true, ""}, {"Pixel", 60, false, "60 channels; a fixture holds 40 at most"}},
                           ""});
  index.Entries.push_back({"/lib/Broken.gdtf", 12, 7, "", "Broken", {}, "not a zip archive"});
  index.Folders.push_back({"/lib", 1765000000000000000, {"Broken.gdtf"}, {"Robe"}, {"Linked"}});
  index.Folders.push_back({"/lib/Robe", 1765000000000000001, {"Robe-Pointe.qxf"}, {}, {}});
  write("library.cache");
  return ok;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: %s OUT\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  std::error_code ec;
  for (const char* kind : {"fixture", "led", "names", "json", "qxf", "gdtf", "library"}) {
    fs::create_directories(out / kind, ec);
    if (ec) {
      std::fprintf(stderr, "Cannot create %s: %s\n", (out / kind).c_str(), ec.message().c_str());
      return 1;
    }
  }
  test::RecordGenerator generate(20250101);
  bool ok = WriteFixtures(out / "fixture", generate);
  ok = WriteLedFixtures(out / "led", generate) && ok;
  ok = WriteNameSets(out / "names", generate) && ok;
  ok = WriteJson(out / "json", generate) && ok;
  ok = WriteQxf(out / "qxf") && ok;
  ok = WriteGdtf(out / "gdtf") && ok;
  ok = WriteLibraryCaches(out / "library") && ok;
  return ok ? 0 : 1;
}
