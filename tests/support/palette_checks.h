#pragma once
// Checks of palettes filled from a fixture's channels, shared by the corpus
// tests of both import kinds: wheel presets against the steps they came from,
// and palettes against what a reload gives back.

#include <cstddef>
#include <optional>
#include <string>

#include "data/fixture/model.h"

namespace brannoc::test {

// The one channel of a wheel palette that is no fine byte: the channel whose
// steps its presets came from. Nothing for a palette of mixers.
std::optional<std::size_t> WheelChannel(const FixtureRecord& fixture, std::size_t p);

// Every preset of a wheel palette lies inside a step that gives its name.
void ExpectPresetsInsideTheirSteps(const FixtureRecord& fixture, std::size_t p, std::size_t wheel,
                                   const std::string& where);

// What a reload gives back of the palettes, the block itself aside.
void ExpectSamePalettes(const PaletteData& read, const PaletteData& filled, const std::string& where);

}  // namespace brannoc::test
