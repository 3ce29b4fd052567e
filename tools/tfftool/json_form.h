#pragma once
// The JSON form of the three files tfftool reads and writes: a fixture (6144-byte
// .tff), an LED fixture (512-byte .tff) and a channel name set (ChNameSet.fix).
//
// Texts are UTF-8 strings of the field's full stored width (padding kept, NUL as
// \u0000); on input a shorter text is padded and a longer one cut, as assigning
// a fixed-width text does. Numbers are plain integers. Every field is optional on
// input: a missing one keeps the value of a freshly started record.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "data/names/name_set.h"
#include "data/fixture/model.h"
#include "data/led/model.h"

namespace brannoc::tfftool {

using Json = nlohmann::ordered_json;

// A JSON value that does not describe a record; what() names the field
// ("channels[3].partner: 41 is out of range 0..40").
class JsonFormError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Json FixtureToJson(const FixtureRecord& fixture);
Json LedFixtureToJson(const LedFixtureRecord& fixture);
Json NameSetToJson(const ChannelNameSet& set);

// The records a JSON value describes; they throw JsonFormError. The fields a save
// derives (a fixture's function_map, step_counts, palette used flags and preset
// channel counts; an LED fixture's function_map) are checked but not taken: the
// writers recompute them.
//
// A fixture starts as the editor starts one: ResetFixture of 8 channels, named
// "New Fixture". An LED fixture starts all zero with 8 channels, named
// "New Fixture". A name set starts as the built-in names.
std::unique_ptr<FixtureRecord> FixtureFromJson(const Json& json);
LedFixtureRecord LedFixtureFromJson(const Json& json);
ChannelNameSet NameSetFromJson(const Json& json);

// The fresh records the conversions above start from.
std::unique_ptr<FixtureRecord> NewFixture();
LedFixtureRecord NewLedFixture();

// The text dump prints: objects and lists one member per line, except that a
// list of plain values, and an object whose members are all plain values or such
// lists, take one line.
std::string FormatJson(const Json& json);

struct JsonParse {
  Json value;
  std::string error;  // "line 3, column 14: syntax error ..." when the text is malformed
};
// The text must be exactly one JSON value: anything after it (a NUL byte
// included), a key given twice in one object, a number too large for a double or
// nesting deeper than 64 levels is malformed, with the line and column of where
// it is.
JsonParse ParseJsonText(std::string_view text);

}  // namespace brannoc::tfftool
