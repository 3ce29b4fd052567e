#include "tfftool/json_form.h"

#include <gtest/gtest.h>

#include <string>

#include "data/fixture/file.h"
#include "support/temp_dir.h"
#include "tfftool/files.h"

namespace brannoc::tfftool {
namespace {
namespace L = fixture_layout;
using test::TempDir;
using namespace std::string_literals;

Bytes BuildFile(const Json& json, const TempDir& dir) {
  JsonRecord record = RecordFromJson(json);
  const auto error = WriteRecordFile(record, dir / "out");
  EXPECT_FALSE(error) << error->message;
  return test::ReadAll(dir / "out");
}

std::string Text(const Bytes& bytes, std::size_t offset, std::size_t size) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

std::size_t ChannelAt(std::size_t c, std::size_t field) {
  return L::kChannelRecords + c * L::kChannelRecordSize + field;
}

Json NewFixtureJson() { return FixtureToJson(*NewFixture()); }

TEST(TfftoolJson, AFixtureWithoutFieldsIsTheNewFixtureTheEditorStarts) {
  TempDir dir;
  const Bytes file = BuildFile(Json::parse(R"({"kind": "fixture"})"), dir);
  auto fresh = NewFixture();
  EXPECT_EQ(file, BuildFixtureImage(*fresh));
  ASSERT_EQ(file.size(), 6144u);
  EXPECT_EQ(Text(file, 1, 11), "New Fixture");
  EXPECT_EQ(file[12], 8);
  EXPECT_EQ(file[13], 8);  // eight channels without a name code: the last lands in entry 0
  EXPECT_EQ(file[ChannelAt(0, L::kRecordType)], 'L');
  EXPECT_EQ(file[ChannelAt(7, L::kRecordNumber)], 8);
  EXPECT_EQ(Text(file, ChannelAt(0, L::kRecordName), 12), std::string(12, ' '));
  // Channel 9 is as a fresh record holds it: zero, a name of NUL bytes.
  EXPECT_EQ(Text(file, ChannelAt(8, 0), 19), std::string(19, '\0'));
}

TEST(TfftoolJson, FixtureFieldsLandAtTheirOffsets) {
  Json json = NewFixtureJson();
  json["name"] = "Spot";
  json["max_pan_degree"] = 540;
  json["max_tilt_degree"] = -5;
  json["function_map"][6] = 200;  // derived: checked, then rebuilt by the save
  json["channels"][0]["name"] = "Pan";
  json["channels"][0]["name_code"] = 6;
  json["channels"][2]["type"] = InstantLTP16H;
  json["channels"][2]["partner"] = 4;
  json["channels"][2]["reserved"] = {7, 9};
  json["channels"][3]["type"] = FadeableLTP16L;  // the high channel decides: "A"
  json["channels"][4]["value"] = 255;
  json["steps"][0] = {{{"from", 0}, {"to", 9}, {"name", "Open"}}, {{"from", 10}, {"to", 255}, {"name", "Closed"}}};
  json["step_counts"][0] = 2;
  Json& palette = json["palettes"][0];
  palette["name"] = "Colour";
  palette["members"] = {3, 5};
  palette["presets"][0]["name"] = "Red";
  palette["presets"][0]["values"][2] = 10;
  palette["presets"][0]["values"][4] = 20;
  palette["presets"][2]["name"] = "Blue";
  palette["presets"][2]["values"][2] = 30;
  palette["presets"][2]["values"][4] = 40;

  TempDir dir;
  const Bytes file = BuildFile(json, dir);
  ASSERT_EQ(file.size(), 6144u);
  EXPECT_EQ(Text(file, 1, 11), "Spot       ");
  EXPECT_EQ(file[13 + 256], 2);
  EXPECT_EQ(file[13 + 257], 28);
  EXPECT_EQ(file[13 + 258], 0);
  EXPECT_EQ(file[13 + 259], 251);
  EXPECT_EQ(file[13 + 6], 1);  // the function map is rebuilt: code 6 is channel 1
  EXPECT_EQ(file[ChannelAt(2, L::kRecordType)], 'S');
  EXPECT_EQ(file[ChannelAt(2, L::kRecordPartner)], 4);
  EXPECT_EQ(file[ChannelAt(2, L::kRecordReserved)], 7);
  EXPECT_EQ(file[ChannelAt(2, L::kRecordReserved + 1)], 9);
  EXPECT_EQ(file[ChannelAt(3, L::kRecordType)], 'A');
  EXPECT_EQ(file[ChannelAt(4, L::kRecordValue)], 255);
  EXPECT_EQ(file[L::kStepCounts], 2);
  EXPECT_EQ(file[L::kStepRecords + 1], 9);
  EXPECT_EQ(Text(file, L::kStepRecords + 2, 8), "Open    ");
  EXPECT_EQ(file[L::kStepRecords + 10], 10);
  EXPECT_EQ(file[L::kStepRecords + 11], 255);
  EXPECT_EQ(Text(file, L::kStepRecords + 20 + 2, 8), "        ");  // a padding record
  // Used flag and counts recomputed, the presets packed: 3, 5, 10, 20 and 3, 5, 30, 40.
  EXPECT_EQ(file[L::kPaletteUsed], 1);
  EXPECT_EQ(Text(file, L::kPaletteName, 6), "Colour");
  EXPECT_EQ(Text(file, L::kPresetName, 6), "Red   ");
  EXPECT_EQ(file[L::kPresetChannelCount], 2);
  EXPECT_EQ(file[L::kPresetChannelCount + 1], 0);
  EXPECT_EQ(file[L::kPresetChannelCount + 2], 2);
  const Bytes block(file.begin() + L::kPaletteBlock, file.begin() + L::kPaletteBlock + 9);
  EXPECT_EQ(block, (Bytes{3, 5, 10, 20, 3, 5, 30, 40, 0}));
}

TEST(TfftoolJson, TextsArePaddedOrCutAsAssignmentDoesInTheCodePage) {
  Json json = NewFixtureJson();
  json["name"] = "A very long fixture name";
  json["channels"][0]["name"] = "Rot\u00e9\u20ac";  // é and € are one byte each
  json["channels"][1]["name"] = "\u65e5\u672c";     // not in the code page
  json["channels"][2]["name"] = std::string("\0x", 2);
  TempDir dir;
  const Bytes file = BuildFile(json, dir);
  EXPECT_EQ(Text(file, 1, 11), "A very long");
  EXPECT_EQ(Text(file, ChannelAt(0, L::kRecordName), 12), "Rot\xE9\x80       ");
  EXPECT_EQ(Text(file, ChannelAt(1, L::kRecordName), 12), "??          ");
  EXPECT_EQ(Text(file, ChannelAt(2, L::kRecordName), 12), std::string("\0x          ", 12));
}

TEST(TfftoolJson, DumpGivesTextsAtFullWidthAndTypesAsDecoded) {
  auto fixture = NewFixture();
  fixture->FixtureName = FixedText<11>();  // never assigned: NUL bytes
  fixture->Channels[0].Name.AssignCodePage("Rot\xE9");
  fixture->Channels[1].Type = InstantLTP16H;
  fixture->Channels[1].Partner = 3;
  fixture->Channels[2].Type = FadeableLTP16L;
  Bytes image = BuildFixtureImage(*fixture);
  image[ChannelAt(3, L::kRecordType)] = 'X';
  const auto read = ParseFixtureImage(image);
  ASSERT_TRUE(read.record) << read.error;

  const Json json = FixtureToJson(*read.record);
  EXPECT_EQ(json["channels"][0]["name"], "Rot\u00e9        ");
  EXPECT_EQ(json["channels"][1]["type"], InstantLTP16H);
  EXPECT_EQ(json["channels"][2]["type"], InstantLTP16L);  // "A" takes the high channel's flavour
  EXPECT_EQ(json["channels"][3]["type"], 'X');            // an unknown letter stays its byte
  const std::string text = FormatJson(json);
  std::string nuls;
  for (int i = 0; i < 11; ++i) nuls += "\\u0000";
  EXPECT_NE(text.find("\"name\": \"" + nuls + "\""), std::string::npos);
  EXPECT_EQ(json["steps"].size(), 40u);
  EXPECT_EQ(json["palettes"][9]["presets"][9]["values"].size(), 40u);
}

TEST(TfftoolJson, AnLedFixtureIsBuiltWithItsMapAndLetters) {
  Json json = LedFixtureToJson(NewLedFixture());
  json["name"] = "Par";
  json["channel_count"] = 3;
  json["channels"][0] = {{"name_index", 1}, {"type", InstantLTP16H}, {"partner", 2}, {"name", "Red"}};
  json["channels"][1]["type"] = InstantLTP16L;
  json["channels"][2]["name_index"] = 12;
  json["channels"][2]["function_letter"] = 'Q';  // no letter of its own for "Speed": kept
  TempDir dir;
  const Bytes file = BuildFile(json, dir);
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(Text(file, 1, 11), "Par        ");
  EXPECT_EQ(file[12], 3);
  EXPECT_EQ(Text(file, 13, 10), std::string("\x02\x01\0\0\0\0\0\0\0\0", 10));
  const std::size_t first = kLedChannelRecordsOffset;
  EXPECT_EQ(Text(file, first, 5), "\x01S\0\x02G"s);
  EXPECT_EQ(Text(file, first + 5, 12), "Red         ");
  EXPECT_EQ(file[first + 17 + kLedRecType], 'O');
  EXPECT_EQ(file[first + 34 + kLedRecFunctionLetter], 'Q');
  EXPECT_EQ(Text(file, first + 3 * 17, 17), std::string(5, '\0') + std::string(12, ' '));
  EXPECT_EQ(file[511], 0x20);
}

TEST(TfftoolJson, ANameSetWithoutEntriesIsTheBuiltInSetAndBlankAddedSlotsAreCleared) {
  Json json = Json::parse(R"({"kind": "names"})");
  TempDir dir;
  Bytes file = BuildFile(json, dir);
  ASSERT_EQ(file.size(), 3542u);
  EXPECT_EQ(Text(file, 0, 14), "\0\x06Pan         "s);
  EXPECT_EQ(Text(file, 40 * 14, 14), "\x28\x2B" "DimSpeed    ");

  ChannelNameSet builtIn;
  RestoreDefaultNames(builtIn);
  json = NameSetToJson(builtIn);
  json["entries"][70] = {{"slot", 70}, {"code", 73}, {"name", ""}};
  json["entries"][20] = {{"slot", 20}, {"code", 23}, {"name", ""}};
  file = BuildFile(json, dir);
  EXPECT_EQ(Text(file, 70 * 14, 14), "\0\0            "s);
  EXPECT_EQ(Text(file, 20 * 14, 14), "\x14\x17            ");
}

// Written by hand: the channels and steps of the fixture's count, nothing more.
TEST(TfftoolJson, AFixtureFromScratchListsOnlyItsOwnChannels) {
  const Json json = Json::parse(R"({"kind": "fixture", "name": "Par", "channel_count": 2,
    "channels": [{"name": "Dimmer", "name_code": 3, "type": 1}, {"name": "Strobe", "name_code": 41}],
    "steps": [[], [{"from": 0, "to": 9, "name": "Open"}, {"from": 10, "to": 255, "name": "Strobe"}]]})");
  TempDir dir;
  const Bytes file = BuildFile(json, dir);
  ASSERT_EQ(file.size(), 6144u);
  EXPECT_EQ(Text(file, L::kFixtureName, 11), "Par        ");
  EXPECT_EQ(file[L::kChannelCount], 2);
  EXPECT_EQ(Text(file, ChannelAt(0, L::kRecordName), 12), "Dimmer      ");
  EXPECT_EQ(file[ChannelAt(0, L::kRecordType)], 'H');
  EXPECT_EQ(file[ChannelAt(1, L::kRecordNameCode)], 41);
  EXPECT_EQ(Text(file, L::kStepCounts, 3), "\0\x02\0"s);
  EXPECT_EQ(Text(file, L::kStepRecords, 10), "\0\x09Open    "s);
  // The channels not listed are a new fixture's: 3 to 8 numbered, 9 on zero.
  auto two = NewFixture();
  two->ChannelCount = 2;
  const Bytes fresh = BuildFixtureImage(*two);
  for (std::size_t c = 2; c < 40; ++c) {
    EXPECT_EQ(Text(file, ChannelAt(c, 0), 19), Text(fresh, ChannelAt(c, 0), 19)) << "channel " << c + 1;
  }
  EXPECT_EQ(file[ChannelAt(7, L::kRecordNumber)], 8);

  // The same for an LED fixture.
  const Bytes led = BuildFile(Json::parse(R"({"kind": "led", "channel_count": 1, "channels": [{"name_index": 1}]})"), dir);
  ASSERT_EQ(led.size(), 512u);
  EXPECT_EQ(led[kLedChannelRecordsOffset], 1);
}

struct BadJson {
  const char* what;
  void (*change)(Json&);
  const char* message;
};

TEST(TfftoolJson, BadValuesAreRefusedNamingTheField) {
  const BadJson cases[] = {
      {"count 41", [](Json& j) { j["channel_count"] = 41; }, "channel_count: 41 is out of range 1..40"},
      {"count 0", [](Json& j) { j["channel_count"] = 0; }, "channel_count: 0 is out of range 1..40"},
      {"name number", [](Json& j) { j["name"] = 5; }, "name: expected a text, found 5"},
      {"float", [](Json& j) { j["header_reserved"] = 1.5; }, "header_reserved: expected a whole number, found 1.5"},
      {"string", [](Json& j) { j["header_reserved"] = "7"; }, "header_reserved: expected a whole number, found a text"},
      {"byte", [](Json& j) { j["header_reserved"] = 256; }, "header_reserved: 256 is out of range 0..255"},
      {"degree", [](Json& j) { j["max_pan_degree"] = 32768; }, "max_pan_degree: 32768 is out of range -32768..32767"},
      {"map", [](Json& j) { j["function_map"][259] = -1; }, "function_map[259]: -1 is out of range 0..255"},
      {"channels", [](Json& j) { j["channels"] = Json::array({{}, {}, {}, {}, {}, {}, {}}); },
       "channels: expected a list of 8 to 40 entries, found 7"},
      {"steps", [](Json& j) { j["channel_count"] = 3; j["steps"] = Json::array({{}, {}}); },
       "steps: expected a list of 3 to 40 entries, found 2"},
      {"partner", [](Json& j) { j["channels"][3]["partner"] = 41; }, "channels[3].partner: 41 is out of range 0..40"},
      {"reserved", [](Json& j) { j["channels"][0]["reserved"] = {0}; },
       "channels[0].reserved: expected a list of 2 entries, found 1"},
      {"unknown", [](Json& j) { j["chanel_count"] = 8; }, "chanel_count: unknown field"},
      {"nested unknown", [](Json& j) { j["channels"][5]["colour"] = 1; }, "channels[5].colour: unknown field"},
      {"300 steps", [](Json& j) { j["steps"][2] = Json::array(); for (int i = 0; i < 300; ++i) j["steps"][2].push_back(Json::object()); },
       "steps[2]: expected a list of at most 255 entries, found 300"},
      {"step", [](Json& j) { j["steps"][1] = {{{"to", 300}}}; }, "steps[1][0].to: 300 is out of range 0..255"},
      {"counts", [](Json& j) { j["step_counts"][4] = 1; }, "step_counts[4]: 1 disagrees with the 0 steps listed in steps[4]"},
      {"member 0", [](Json& j) { j["palettes"][1]["members"] = {0}; }, "palettes[1].members[0]: 0 is out of range 1..40"},
      {"member twice", [](Json& j) { j["palettes"][1]["members"] = {3, 3}; },
       "palettes[1].members[1]: channel 3 is listed twice"},
      {"presets", [](Json& j) { j["palettes"][2]["presets"].erase(9); },
       "palettes[2].presets: expected a list of 10 entries, found 9"},
      {"values", [](Json& j) { j["palettes"][2]["presets"][4]["values"].push_back(0); },
       "palettes[2].presets[4].values: expected a list of 40 entries, found 41"},
      {"used", [](Json& j) { j["palettes"][0]["used"] = true; }, "palettes[0].used: expected a whole number, found true"},
      {"kind", [](Json& j) { j["kind"] = "spot"; }, "kind: expected \"fixture\", \"led\" or \"names\", found \"spot\""},
      {"no kind", [](Json& j) { j.erase("kind"); }, "kind: missing; give \"fixture\", \"led\" or \"names\""},
      {"not an object", [](Json& j) { j = Json::array(); }, "expected an object with a \"kind\""},
  };
  for (const BadJson& bad : cases) {
    Json json = NewFixtureJson();
    bad.change(json);
    try {
      RecordFromJson(json);
      ADD_FAILURE() << bad.what << ": accepted";
    } catch (const JsonFormError& e) {
      EXPECT_EQ(std::string(e.what()), bad.message) << bad.what;
    }
  }
}

// Read from text, a number that is not negative is held unsigned: the lower bound
// of each range that does not start at 0 must hold for it as well.
TEST(TfftoolJson, LowerBoundsHoldForNumbersReadFromText) {
  const auto palettes = [](const std::string& members) {
    std::string list = R"(, "palettes": [{"members": )" + members + "}";
    for (int p = 1; p < 10; ++p) list += ", {}";
    return list + "]";
  };
  struct Bound {
    std::string lowest;  // the members that set the field to its lowest value
    std::string below;   // and one below it
    const char* refused;
  };
  const Bound bounds[] = {
      {R"("kind": "fixture", "channel_count": 1)", R"("kind": "fixture", "channel_count": 0)",
       "channel_count: 0 is out of range 1..40"},
      {R"("kind": "fixture", "max_pan_degree": -32768)", R"("kind": "fixture", "max_pan_degree": -32769)",
       "max_pan_degree: -32769 is out of range -32768..32767"},
      {R"("kind": "fixture", "max_tilt_degree": -32768)", R"("kind": "fixture", "max_tilt_degree": -32769)",
       "max_tilt_degree: -32769 is out of range -32768..32767"},
      {R"("kind": "fixture")" + palettes("[1]"), R"("kind": "fixture")" + palettes("[0]"),
       "palettes[0].members[0]: 0 is out of range 1..40"},
      {R"("kind": "led", "channel_count": 1)", R"("kind": "led", "channel_count": 0)",
       "channel_count: 0 is out of range 1..10"},
  };
  for (const Bound& bound : bounds) {
    const JsonParse lowest = ParseJsonText("{" + bound.lowest + "}");
    ASSERT_EQ(lowest.error, "") << bound.lowest;
    EXPECT_NO_THROW(RecordFromJson(lowest.value)) << bound.lowest;
    const JsonParse below = ParseJsonText("{" + bound.below + "}");
    ASSERT_EQ(below.error, "") << bound.below;
    try {
      RecordFromJson(below.value);
      ADD_FAILURE() << bound.below << ": accepted";
    } catch (const JsonFormError& e) {
      EXPECT_EQ(std::string(e.what()), bound.refused);
    }
  }
}

TEST(TfftoolJson, LedAndNameSetRangesAreTheirOwn) {
  const std::pair<Json, const char*> cases[] = {
      {{{"kind", "led"}, {"channel_count", 11}}, "channel_count: 11 is out of range 1..10"},
      {[] { Json j = LedFixtureToJson(NewLedFixture()); j["channels"][1]["partner"] = 11; return j; }(),
       "channels[1].partner: 11 is out of range 0..10"},
      {[] { Json j = LedFixtureToJson(NewLedFixture()); j["channels"][1]["type"] = 7; return j; }(),
       "channels[1].type: 7 is out of range 0..6"},
      {[] { Json j = LedFixtureToJson(NewLedFixture()); j["channels"][9]["name_index"] = 15; return j; }(),
       "channels[9].name_index: 15 is out of range 0..14"},
      {{{"kind", "names"}, {"entries", Json::array()}}, "entries: expected a list of 253 entries, found 0"},
      {[] { ChannelNameSet set; Json j = NameSetToJson(set); j["entries"][252]["code"] = 256; return j; }(),
       "entries[252].code: 256 is out of range 0..255"},
  };
  for (const auto& [json, message] : cases) {
    try {
      RecordFromJson(json);
      ADD_FAILURE() << message << ": accepted";
    } catch (const JsonFormError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  }
}

TEST(TfftoolJson, MalformedTextIsReportedWithLineAndColumn) {
  EXPECT_EQ(ParseJsonText("{\n  \"kind\": x\n}").error.substr(0, 24), "line 2, column 11: synta");
  // Columns count characters: "é" is two bytes but one column.
  EXPECT_EQ(ParseJsonText("{\"\u00e9\": x}").error.substr(0, 17), "line 1, column 7:");
  EXPECT_EQ(ParseJsonText("").error.substr(0, 17), "line 1, column 1:");
  EXPECT_EQ(ParseJsonText("[1, 2").error.substr(0, 17), "line 1, column 6:");
  EXPECT_EQ(ParseJsonText("{} x").error.substr(0, 17), "line 1, column 4:");
  EXPECT_TRUE(ParseJsonText("{\"a\": \"\\u0000\"}").error.empty());
}

TEST(TfftoolJson, TheWholeTextIsOneValueWithEveryKeyOnce) {
  // A NUL byte ends the text for the library; here it is an error, wherever it is.
  EXPECT_EQ(ParseJsonText("{\"kind\": \"fixture\"}\0{\"kind\": \"led\"}"s).error,
            "line 1, column 20: unexpected NUL byte; a JSON text holds none");
  EXPECT_EQ(ParseJsonText("{\"kind\": \"fixture\"}\n\0"s).error.substr(0, 17), "line 2, column 1:");
  EXPECT_EQ(ParseJsonText("{\"kind\": \"fix\0ture\"}"s).error.substr(0, 18), "line 1, column 14:");

  EXPECT_EQ(ParseJsonText(R"({"kind": "fixture", "kind": "led"})").error,
            "line 1, column 21: kind: duplicate key; each key is given once in its object");
  EXPECT_EQ(ParseJsonText("{\"channels\": [{}, {\"name_code\": 1,\n  \"name_code\": 2}]}").error,
            "line 2, column 3: channels[1].name_code: duplicate key; each key is given once in its object");
  EXPECT_EQ(ParseJsonText(R"({"a\"b": 1, "a\"b": 2})").error.substr(0, 24), "line 1, column 13: a\"b: ");
  // The same key in different objects is no duplicate, and order is kept.
  const JsonParse apart = ParseJsonText(R"({"b": {"a": 1, "b": 2}, "a": [{"a": 1}, {"a": 2}]})");
  ASSERT_EQ(apart.error, "");
  EXPECT_EQ(apart.value.dump(), R"({"b":{"a":1,"b":2},"a":[{"a":1},{"a":2}]})");

  // A number too large for any field is reported where it starts, not thrown.
  EXPECT_EQ(ParseJsonText("{\"max_pan_degree\":\n  -1e400}").error, "line 2, column 3: the number -1e400 is too large");
  EXPECT_EQ(ParseJsonText("[1e400]").error, "line 1, column 2: the number 1e400 is too large");

  // No record nests deeper than a few levels; a deep document is refused early.
  EXPECT_EQ(ParseJsonText(std::string(64, '[') + std::string(64, ']')).error, "");
  EXPECT_EQ(ParseJsonText(std::string(65, '[') + std::string(65, ']')).error,
            "line 1, column 65: lists and objects nest deeper than 64 levels");
}

TEST(TfftoolJson, FormatKeepsPlainListsAndFlatObjectsOnOneLine) {
  const Json json = Json::parse(R"({"a": [1, 2], "b": [{"c": 1, "d": [0, 0]}, []], "e": "x"})");
  EXPECT_EQ(FormatJson(json),
            "{\n"
            "  \"a\": [1, 2],\n"
            "  \"b\": [\n"
            "    {\"c\": 1, \"d\": [0, 0]},\n"
            "    []\n"
            "  ],\n"
            "  \"e\": \"x\"\n"
            "}");
}

}  // namespace
}  // namespace brannoc::tfftool
