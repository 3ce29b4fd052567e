// The GDTF reader on any bytes, bare descriptions and archives alike: the mode
// list, then the layout of each mode (the first kMaxModes). Nothing may crash,
// hang or grow past the member cap; and for each mode:
//  - it lays out exactly when the list says it fits, with the footprint and the
//    step count the list gives;
//  - every channel lies at its address, a fine or third byte after its coarse
//    channel, and the steps of a channel run in DMX order without overlapping;
//  - pan and tilt degrees are spans, never negative;
//  - it imports through the core with the built-in names, the record holding
//    one channel per address, and its saved file reads back as a fixed point.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "data/names/name_set.h"
#include "data/fixture/file.h"
#include "data/import/archive.h"
#include "data/import/gdtf.h"
#include "require.h"
#include "support/fixture_fixed_point.h"

using namespace brannoc;

namespace {

constexpr std::size_t kMaxModes = 8;

const ChannelNameSet& Vocabulary() {
  static const ChannelNameSet names = [] {
    ChannelNameSet set;
    RestoreDefaultNames(set);
    return set;
  }();
  return names;
}

void CheckMode(std::span<const std::uint8_t> bytes, std::size_t index, const GdtfMode& mode) {
  const GdtfModeLayout layout = LayOutGdtfMode(bytes, index);
  fuzz::Require(layout.Error.empty() == mode.Fits, "a mode lays out exactly when the list says it fits: " + mode.Why +
                                                       layout.Error);
  if (!mode.Fits) return;
  fuzz::Require(static_cast<int>(layout.Channels.size()) == mode.ChannelCount, "the list gives the footprint");
  fuzz::Require(layout.Channels.size() >= 1 && layout.Channels.size() <= 40, "a fitting mode has 1 to 40 addresses");
  fuzz::Require(layout.StepCount == mode.StepCount, "the list gives the step count");
  int steps = 0;
  for (std::size_t i = 0; i < layout.Channels.size(); ++i) {
    const GdtfChannel& c = layout.Channels[i];
    fuzz::Require(c.Address == layout.FirstAddress + static_cast<int>(i), "channels follow their addresses");
    fuzz::Require((c.Byte == 0) == (c.Coarse < 0), "only a byte after the first has a coarse channel");
    if (c.Coarse >= 0) {
      fuzz::Require(layout.Channels[static_cast<std::size_t>(c.Coarse)].Byte == 0, "a fine byte points at a coarse byte");
      fuzz::Require(c.Steps.empty(), "steps lie on the coarse byte only");
    }
    int last = -1;
    for (const GdtfStep& step : c.Steps) {
      fuzz::Require(step.From > last && step.From <= step.To && step.To <= 255, "steps run in DMX order, apart");
      last = step.To;
    }
    steps += static_cast<int>(c.Steps.size());
  }
  fuzz::Require(steps == layout.StepCount, "the step count is the steps laid out");
  fuzz::Require(layout.PanDegrees >= 0 && layout.TiltDegrees >= 0, "degrees are spans, not negative");

  const ImportResult imported = ImportGdtfMode(bytes, index, Vocabulary());
  fuzz::Require(static_cast<bool>(imported.Record), "a mode that lays out imports: " + imported.Error);
  fuzz::Require(imported.Record->ChannelCount == mode.ChannelCount, "the record has a channel per address");
  FixtureRecord saved = *imported.Record;
  const test::FixedPointCheck fixedPoint = test::CheckFixtureFixedPoint(BuildFixtureImage(saved));
  fuzz::Require(fixedPoint.failure.empty(), fixedPoint.failure);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const GdtfText text = GdtfDescriptionText(bytes);
  fuzz::Require(text.Xml.size() <= kMaxGdtfMemberBytes, "nothing is inflated past the cap");
  const GdtfModeList list = ListGdtfModes(bytes);
  if (!list.Error.empty()) {
    fuzz::Require(list.Modes.empty(), "a description that cannot be read lists no modes");
    fuzz::Require(!LayOutGdtfMode(bytes, 0).Error.empty(), "a description that cannot be read lays out nothing");
    return 0;
  }
  for (std::size_t i = 0; i < std::min(list.Modes.size(), kMaxModes); ++i) CheckMode(bytes, i, list.Modes[i]);
  fuzz::Require(!LayOutGdtfMode(bytes, list.Modes.size()).Error.empty(), "no mode past the last lays out");
  return 0;
}
