// The .qxf import on any bytes: the mode list, then the import of each mode (the
// first kMaxModes), with the built-in channel names as the vocabulary. Nothing
// may crash or hang; and for each mode:
//  - it imports exactly when the list says it fits, with the channel and step
//    counts the list gives;
//  - the record is what saving and reopening it gives (steps past the file's
//    204 aside), and reading and saving that file is a fixed point;
//  - each name the vocabulary lacks is listed once, in at most 12 characters.
// Besides, the shortening of a capability's text gives at most 8 characters,
// whatever the text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <numeric>
#include <span>
#include <string>
#include <string_view>

#include "data/names/name_set.h"
#include "data/core/codepage.h"
#include "data/fixture/file.h"
#include "data/import/qxf.h"
#include "require.h"
#include "support/fixture_fixed_point.h"

using namespace brannoc;

namespace {

constexpr std::size_t kMaxModes = 8;
constexpr std::size_t kMaxStepText = 256;
constexpr std::size_t kChannelNameChars = 12;
constexpr std::size_t kStepNameChars = 8;

const ChannelNameSet& Vocabulary() {
  static const ChannelNameSet names = [] {
    ChannelNameSet set;
    RestoreDefaultNames(set);
    return set;
  }();
  return names;
}

// The steps past the 204 the file holds, and those past each channel's count,
// are set to the same value in both records: what is left to compare is what the
// file carries.
void KeepWhatTheFileHolds(FixtureRecord& a, FixtureRecord& b) {
  int before = 0;
  for (std::size_t c = 0; c < static_cast<std::size_t>(kMaxChannels); ++c) {
    const int count = a.StepCounts[c];
    const int stored = std::clamp(MAX_FILE_STEPS - before, 0, count);
    before += count;
    for (std::size_t s = static_cast<std::size_t>(stored); s < a.Steps[c].size(); ++s) {
      a.Steps[c][s] = ChannelStep{};
      b.Steps[c][s] = ChannelStep{};
    }
  }
}

void CheckMode(std::span<const std::uint8_t> bytes, std::size_t index, const QxfMode& mode) {
  const QxfImport imported = ImportQxfMode(bytes, index, Vocabulary());
  fuzz::Require(static_cast<bool>(imported.Record) == mode.Fits,
                "a mode imports exactly when the list says it fits: " + mode.Why + imported.Error);
  if (!imported.Record) return;
  const FixtureRecord& record = *imported.Record;
  fuzz::Require(record.ChannelCount == mode.ChannelCount, "the list gives the imported channel count");
  const int steps = std::accumulate(record.StepCounts.begin(), record.StepCounts.end(), 0);
  fuzz::Require(steps == std::min(mode.StepCount, MAX_FILE_STEPS),
                "the list gives the imported step count, of which the file holds 204");

  auto saved = std::make_unique<FixtureRecord>(record);
  const Bytes image = BuildFixtureImage(*saved);
  FixtureReadResult reopened = ParseFixtureImage(image);
  fuzz::Require(static_cast<bool>(reopened.record), "the saved import opens again: " + reopened.error);
  auto expected = std::make_unique<FixtureRecord>(record);
  KeepWhatTheFileHolds(*expected, *reopened.record);
  fuzz::Require(*reopened.record == *expected, "the import is what saving and reopening it gives");
  const test::FixedPointCheck fixedPoint = test::CheckFixtureFixedPoint(image);
  fuzz::Require(fixedPoint.failure.empty(), fixedPoint.failure);

  for (std::size_t i = 0; i < imported.MissingNames.size(); ++i) {
    const std::string& name = imported.MissingNames[i];
    fuzz::Require(Utf8ToCp1252(name).size() <= kChannelNameChars, "a missing name has at most 12 characters");
    fuzz::Require(std::count(imported.MissingNames.begin(), imported.MissingNames.end(), name) == 1,
                  "a missing name is listed once");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  const std::string_view text(reinterpret_cast<const char*>(data), std::min(size, kMaxStepText));
  fuzz::Require(Utf8ToCp1252(ShortStepName(text)).size() <= kStepNameChars, "a short step name has at most 8 characters");

  const QxfModeList list = ListQxfModes(bytes);
  if (!list.Error.empty()) {
    fuzz::Require(list.Modes.empty(), "a definition that cannot be read lists no modes");
    fuzz::Require(!ImportQxfMode(bytes, 0, Vocabulary()).Record, "a definition that cannot be read imports nothing");
    return 0;
  }
  for (std::size_t i = 0; i < std::min(list.Modes.size(), kMaxModes); ++i) CheckMode(bytes, i, list.Modes[i]);
  fuzz::Require(!ImportQxfMode(bytes, list.Modes.size(), Vocabulary()).Record, "no mode past the last imports");
  return 0;
}
