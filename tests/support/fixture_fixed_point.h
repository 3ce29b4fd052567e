#pragma once
// Reading a fixture file and saving it again is a fixed point. For every image
// the reader accepts: save what it read (first save), read that save back, and
// save again (second save); the second save must be the first, byte for byte.
//
// One exception: when the palettes as read do not fit the palette block
// (PaletteBlockBytes with the fixture's channel count is above
// kPaletteBlockSize), the first save has to cut them, and what was cut is gone
// after the reload. Then only the bytes the cut decides may differ: PaletteUsed,
// PresetChannelCount and the palette block. Everything else must be equal, and
// from the second save on the fixed point holds again: reading the second save
// and saving it gives the second save.
//
// In every case the reader must accept each save. Plain data side, for the unit
// tests and the fixture fuzz target alike.

#include <cstdint>
#include <span>
#include <string>

namespace brannoc::test {

struct FixedPointCheck {
  bool accepted = false;  // the reader took the image
  bool cut = false;       // the first save had to cut palettes
  std::string failure;    // what broke the property; empty when it holds
};

FixedPointCheck CheckFixtureFixedPoint(std::span<const std::uint8_t> image);

}  // namespace brannoc::test
