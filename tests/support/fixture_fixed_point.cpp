#include "support/fixture_fixed_point.h"

#include <optional>
#include <utility>

#include "data/fixture/file.h"

namespace brannoc::test {
namespace {
namespace L = fixture_layout;

// The byte ranges a cut of the palettes decides: [first, last).
constexpr std::pair<std::size_t, std::size_t> kDecidedByTheCut[] = {
    {L::kPaletteUsed, L::kPaletteUsed + kPaletteCount},
    {L::kPresetChannelCount, L::kPresetChannelCount + kPaletteCount * kPresetCount},
    {L::kPaletteBlock, L::kPaletteBlock + kPaletteBlockSize},
};

bool DecidedByTheCut(std::size_t offset) {
  for (const auto& [first, last] : kDecidedByTheCut) {
    if (offset >= first && offset < last) return true;
  }
  return false;
}

// The first offset where the two saves differ (outside the cut's bytes when
// `skipCut`), described; empty when there is none.
std::string Difference(const Bytes& first, const Bytes& second, const char* what, bool skipCut) {
  if (first.size() != second.size()) {
    return std::string(what) + ": " + std::to_string(second.size()) + " bytes instead of " +
           std::to_string(first.size());
  }
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (first[i] == second[i] || (skipCut && DecidedByTheCut(i))) continue;
    return std::string(what) + " differs at offset " + std::to_string(i) + ": " + std::to_string(second[i]) +
           " instead of " + std::to_string(first[i]);
  }
  return {};
}

// Reads `image` and saves what it read; nothing when the reader refuses it.
std::optional<Bytes> ReadAndSave(std::span<const std::uint8_t> image, std::string& error) {
  FixtureReadResult read = ParseFixtureImage(image);
  if (!read.record) {
    error = read.error;
    return std::nullopt;
  }
  return BuildFixtureImage(*read.record);
}

}  // namespace

FixedPointCheck CheckFixtureFixedPoint(std::span<const std::uint8_t> image) {
  FixedPointCheck check;
  FixtureReadResult read = ParseFixtureImage(image);
  if (!read.record) return check;
  check.accepted = true;
  check.cut = PaletteBlockBytes(read.record->Palettes, read.record->ChannelCount) > kPaletteBlockSize;
  const Bytes first = BuildFixtureImage(*read.record);

  std::string error;
  const auto second = ReadAndSave(first, error);
  if (!second) {
    check.failure = "the reader refuses the first save: " + error;
    return check;
  }
  check.failure = Difference(first, *second, "the second save", check.cut);
  if (!check.failure.empty() || !check.cut) return check;

  const auto third = ReadAndSave(*second, error);
  if (!third) {
    check.failure = "the reader refuses the second save: " + error;
    return check;
  }
  check.failure = Difference(*second, *third, "the save after the cut", false);
  return check;
}

}  // namespace brannoc::test
