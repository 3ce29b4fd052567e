#pragma once
// Two fixtures compared field by field, as a person reads them: the header, each
// channel in use, its steps, and the palettes with their members and preset
// values. What a save derives (the function map, the palette counts and block,
// the channel numbers) and what no window shows (reserved bytes, records past
// the channel count) are left out, so two files that load alike compare alike.

#include <string>
#include <vector>

#include "data/fixture/model.h"
#include "data/led/model.h"

namespace brannoc {

struct FieldDifference {
  std::string Field;  // "channel 5 name", "palette \"Colour\" preset 4 \"Red\": channel 7 value"
  std::string Before;  // as shown: numbers plain, texts in double quotes, "none" for a field not there
  std::string After;

  bool operator==(const FieldDifference&) const = default;
};

// `channel 5 name: "Gobo" -> "Gobo1"`.
std::string DifferenceLine(const FieldDifference& difference);

// In the order of the file: header, channels, steps, palettes.
std::vector<FieldDifference> CompareFixtures(const FixtureRecord& a, const FixtureRecord& b);
std::vector<FieldDifference> CompareLedFixtures(const LedFixtureRecord& a, const LedFixtureRecord& b);

}  // namespace brannoc
