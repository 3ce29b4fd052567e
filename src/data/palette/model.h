#pragma once
// The ten palettes of the fixture: named selections of its channels, each with
// ten named presets of DMX values, and their packing into the 2048-byte block of
// the fixture file.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "data/core/fixed_text.h"

namespace brannoc {

inline constexpr int kPaletteCount = 10;
inline constexpr int kPresetCount = 10;
inline constexpr int kPaletteChannels = 40;
inline constexpr std::size_t kPaletteBlockSize = 2048;

using PaletteText = FixedText<6>;

struct PaletteData {
  std::array<std::uint8_t, kPaletteCount> PaletteUsed{};
  std::array<PaletteText, kPaletteCount> PaletteName{};
  std::array<std::array<PaletteText, kPresetCount>, kPaletteCount> PresetName{};
  std::array<std::array<std::uint8_t, kPresetCount>, kPaletteCount> PresetChannelCount{};
  // [palette][channel]: 1 = the channel belongs to the palette.
  std::array<std::array<std::uint8_t, kPaletteChannels>, kPaletteCount> PaletteMember{};
  // [palette][channel][preset]
  std::array<std::array<std::array<std::uint8_t, kPresetCount>, kPaletteChannels>, kPaletteCount>
      PresetValue{};
  std::array<std::uint8_t, kPaletteBlockSize> PaletteBlock{};

  bool operator==(const PaletteData&) const = default;
};

// Names six spaces; flags, counts, members and values 0.
void ClearPalettes(PaletteData& palettes);

// PaletteUsed and PresetChannelCount from the names and the members of channels
// 0..channelBound-1.
void UpdatePaletteCounts(PaletteData& palettes, int channelBound);

// Fills PaletteBlock from the palettes, listing members of channels
// 0..channelCount-1.
void PackPalettes(PaletteData& palettes, int channelCount);

// The bytes PackPalettes would write for the palettes as named and ticked, with
// the counts recounted for channels 0..channelCount-1 (as a save recounts them):
// 2 x members for each named preset of a named palette. Above kPaletteBlockSize,
// what lies beyond the block is not stored.
std::size_t PaletteBlockBytes(const PaletteData& palettes, int channelCount);

// Rebuilds PaletteMember and PresetValue from PaletteBlock and the flags and counts
// just read. On a damaged block the palettes are left half-built and the reason is
// returned; the caller throws the copy away.
std::optional<std::string> UnpackPalettes(PaletteData& palettes);

}  // namespace brannoc
