#pragma once
// Varied records of the three kinds, from a fixed seed: each one a state the
// editor can hold when it saves. 16-bit pairs are whole (every high-byte channel
// in use points at a low-byte channel in use, every low-byte channel in use is
// pointed at), the four names with fixed console codes carry those codes, and
// the palettes fit the palette block. Everything else, the fields the save
// recomputes included, is left to chance.

#include <cstdint>
#include <memory>
#include <random>

#include "data/names/name_set.h"
#include "data/fixture/model.h"
#include "data/led/model.h"

namespace brannoc::test {

class RecordGenerator {
 public:
  explicit RecordGenerator(std::uint32_t seed) : random_(seed) {}

  std::unique_ptr<FixtureRecord> Fixture();
  LedFixtureRecord LedFixture();
  ChannelNameSet NameSet();

 private:
  int Between(int low, int high);
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Between(0, 255)); }
  template <std::size_t N>
  FixedText<N> Text();
  // Types and partners of `count` channels in use, with `pairs` whole 16-bit pairs.
  template <class Channel, std::size_t N>
  void Pair(std::array<Channel, N>& channels, int count, int maxPartner);

  std::mt19937 random_;
};

}  // namespace brannoc::test
