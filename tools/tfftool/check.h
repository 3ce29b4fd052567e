#pragma once
// The lines `tfftool check` prints: one per problem the fixture checks find,
// in the order of the file; a warning's line starts with "warning: ".

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/names/name_set.h"
#include "data/checks/checks.h"
#include "data/fixture/model.h"
#include "data/led/model.h"

namespace brannoc::tfftool {

std::string ProblemLine(const FixtureProblem& problem);

// `image` is the file `fixture` was read from (the type letters and name codes
// are taken from it as the console sees them). With `names`, the channel names
// and name codes are looked up in that set too.
std::vector<std::string> CheckFixture(std::span<const std::uint8_t> image, const FixtureRecord& fixture,
                                      const ChannelNameSet* names = nullptr);

// `image` is the file `fixture` was read from.
std::vector<std::string> CheckLedFixture(std::span<const std::uint8_t> image,
                                         const LedFixtureRecord& fixture);

}  // namespace brannoc::tfftool
