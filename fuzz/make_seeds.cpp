// Writes the seed inputs of the fuzz targets, made by the program's own writers:
//   OUT/fixture/*.tff   fixture files as "&Save Fixture" writes them
//   OUT/led/*.tff       LED fixture files as the LED editor's "Save" writes them
//   OUT/names/*.fix     channel name sets as the name editor's "Save" writes them
//   OUT/json/*.json     tfftool's JSON form: dumps of those records and short documents
// The records are the fresh ones the editors start with, a few that reach the
// edges of the layout, and varied ones from a fixed seed.
//
// Usage: brannoc_fuzz_seeds OUT

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "channel_names/name_set.h"
#include "fixture/file.h"
#include "led_fixture/model.h"
#include "tfftool/json_form.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: %s OUT\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  std::error_code ec;
  for (const char* kind : {"fixture", "led", "names", "json"}) {
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
  return ok ? 0 : 1;
}
