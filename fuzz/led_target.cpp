// The LED fixture reader on any bytes. For an image it accepts:
//  - a save of what it read (the map rebuilt, as the editor and tfftool save)
//    is read again, and saving that gives the same bytes;
//  - saving the record a save leaves behind writes the same bytes again;
//  - tfftool's check takes the image and the record.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "data/led/model.h"
#include "require.h"
#include "tfftool/check.h"

using namespace brannoc;

namespace {

// What a save writes, with the record left as the save leaves it.
Bytes Save(LedFixtureRecord& fixture) {
  RebuildLedFunctionMap(fixture);
  Bytes image = BuildLedFixtureImage(fixture);
  RederiveLedTypes(fixture);
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  LedReadResult read = ParseLedFixtureImage(image);
  if (!read.record) return 0;
  LedFixtureRecord fixture = *read.record;

  tfftool::CheckLedFixture(image.first(std::min(image.size(), LED_FILE_SIZE)), fixture);

  const Bytes save = Save(fixture);
  fuzz::Require(save.size() == LED_FILE_SIZE, "a save writes 512 bytes");
  fuzz::Require(Save(fixture) == save, "a second save of the same record writes the same bytes");

  LedReadResult reread = ParseLedFixtureImage(save);
  fuzz::Require(reread.record.has_value(), "the reader takes the save: " + reread.error);
  fuzz::Require(Save(*reread.record) == save, "the save of a reload of the save is the save");
  return 0;
}
