#pragma once
// What is wrong with a fixture before the console loads it: one list of
// problems, each with how bad it is, what it points at and one sentence. The
// fixture editor's "Check" list and `tfftool check` both show this list.
//
// An error is something the console would misread (a pair it cannot form,
// steps or presets the file cannot hold); a warning is something that is
// probably not what was meant (an unnamed channel, overlapping steps).
//
// The checks read the record only and allocate little: a full fixture of 40
// channels, 204 steps and ten full palettes takes a few microseconds.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/names/name_set.h"
#include "data/fixture/model.h"
#include "data/led/model.h"

namespace brannoc {

enum class ProblemLevel : std::uint8_t { Error, Warning };

// What a problem points at; the numbers that go with it are 0-based.
enum class ProblemPlace : std::uint8_t { Header, Channel, Step, Palette, Preset };
// The field of the header or of a channel a problem is about.
enum class ProblemField : std::uint8_t { None, FixtureName, MaxPan, MaxTilt, ChannelName, ChannelType, Partner };

struct FixtureProblem {
  ProblemLevel Level = ProblemLevel::Error;
  ProblemPlace Place = ProblemPlace::Header;
  ProblemField Field = ProblemField::None;
  int Channel = -1;  // Channel, Step
  int Step = -1;     // Step
  int Palette = -1;  // Palette, Preset
  int Preset = -1;   // Preset
  // One sentence that names what it points at: "channel 3: ...".
  std::string Text;

  bool operator==(const FixtureProblem&) const = default;
};

// The problems of `fixture`, header first, then channels, steps and palettes.
//
// `names`: also each name that no entry of the set holds, and each name code
// no named entry carries. `image`: the file the fixture was read from; the type
// letters, name codes and palette counts are then taken as the file holds them
// (a reader settles some of them), otherwise as a save would write them.
std::vector<FixtureProblem> CheckFixture(const FixtureRecord& fixture, const ChannelNameSet* names = nullptr,
                                         std::span<const std::uint8_t> image = {});

// The 16-bit pairs of an LED fixture; `image` as above.
std::vector<FixtureProblem> CheckLedFixture(const LedFixtureRecord& fixture,
                                            std::span<const std::uint8_t> image = {});

std::size_t CountProblems(const std::vector<FixtureProblem>& problems, ProblemLevel level);

}  // namespace brannoc
