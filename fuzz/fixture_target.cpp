// The fixture reader on any bytes. For an image it accepts:
//  - reading and saving is a fixed point (CheckFixtureFixedPoint);
//  - saving the record a save leaves behind writes the same bytes again;
//  - tfftool's check takes the image and the record.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "data/fixture/file.h"
#include "require.h"
#include "support/fixture_fixed_point.h"
#include "tfftool/check.h"

using namespace brannoc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  FixtureReadResult read = ParseFixtureImage(image);
  if (!read.record) return 0;
  FixtureRecord& fixture = *read.record;

  const test::FixedPointCheck fixedPoint = test::CheckFixtureFixedPoint(image);
  fuzz::Require(fixedPoint.accepted, "the reader takes the same image a second time");
  fuzz::Require(fixedPoint.failure.empty(), fixedPoint.failure);

  tfftool::CheckFixture(image.first(std::min(image.size(), fixture_layout::kFileSize)), fixture);

  const Bytes save = BuildFixtureImage(fixture);
  fuzz::Require(BuildFixtureImage(fixture) == save, "a second save of the same record writes the same bytes");
  return 0;
}
