#pragma once
// What a technician wants to know about a file before the console loads it: one
// line of text per problem, in the order of the file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "channel_names/name_set.h"
#include "fixture/model.h"
#include "led_fixture/model.h"

namespace brannoc::tfftool {

// `image` is the file `fixture` was read from (the type letters and name codes
// are taken from it as the console sees them). With `names`, every name code of
// a channel in use that no named entry of the set carries is reported too.
std::vector<std::string> CheckFixture(std::span<const std::uint8_t> image, const FixtureRecord& fixture,
                                      const ChannelNameSet* names = nullptr);

// `image` is the file `fixture` was read from.
std::vector<std::string> CheckLedFixture(std::span<const std::uint8_t> image,
                                         const LedFixtureRecord& fixture);

}  // namespace brannoc::tfftool
