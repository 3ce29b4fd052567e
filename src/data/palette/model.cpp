#include "data/palette/model.h"

#include <vector>

namespace brannoc {
namespace {

bool IsMember(const PaletteData& palettes, std::size_t p, std::size_t ch) {
  return palettes.PaletteMember[p][ch] == 1;
}

}  // namespace

void ClearPalettes(PaletteData& palettes) {
  palettes.PaletteUsed.fill(0);
  palettes.PaletteName.fill(PaletteText::Blank());
  for (auto& names : palettes.PresetName) names.fill(PaletteText::Blank());
  for (auto& counts : palettes.PresetChannelCount) counts.fill(0);
  for (auto& members : palettes.PaletteMember) members.fill(0);
  for (auto& palette : palettes.PresetValue) {
    for (auto& values : palette) values.fill(0);
  }
}

void UpdatePaletteCounts(PaletteData& palettes, int channelBound) {
  for (auto& counts : palettes.PresetChannelCount) counts.fill(0);
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    palettes.PaletteUsed[p] = 0;
    if (palettes.PaletteName[p].IsBlank()) continue;
    std::uint8_t members = 0;
    for (int ch = 0; ch < channelBound && ch < kPaletteChannels; ++ch) {
      if (IsMember(palettes, p, static_cast<std::size_t>(ch))) ++members;
    }
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      if (palettes.PresetName[p][k].IsBlank()) continue;
      palettes.PaletteUsed[p] = 1;
      palettes.PresetChannelCount[p][k] = members;
    }
  }
}

void PackPalettes(PaletteData& palettes, int channelCount) {
  auto& block = palettes.PaletteBlock;
  block.fill(0);
  std::size_t d = 0;  // runs on across palettes
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    if (palettes.PaletteUsed[p] == 0) continue;
    std::vector<std::uint8_t> members;
    for (int ch = 0; ch < channelCount && ch < kPaletteChannels; ++ch) {
      if (IsMember(palettes, p, static_cast<std::size_t>(ch))) members.push_back(static_cast<std::uint8_t>(ch + 1));
    }
    const std::size_t n = members.size();
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      if (palettes.PresetChannelCount[p][k] == 0) continue;
      // A pair is written only while its value byte falls inside the block.
      for (std::size_t j = 0; j < n; ++j) {
        if (d + n >= kPaletteBlockSize) break;
        block[d] = members[j];
        block[d + n] = palettes.PresetValue[p][members[j] - 1u][k];
        ++d;
      }
      d += n;
      if (d > kPaletteBlockSize - 1) return;  // the block is full
    }
  }
}

std::size_t PaletteBlockBytes(const PaletteData& palettes, int channelCount) {
  std::size_t bytes = 0;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    if (palettes.PaletteName[p].IsBlank()) continue;
    std::size_t members = 0;
    for (int ch = 0; ch < channelCount && ch < kPaletteChannels; ++ch) {
      if (IsMember(palettes, p, static_cast<std::size_t>(ch))) ++members;
    }
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      if (!palettes.PresetName[p][k].IsBlank()) bytes += 2 * members;
    }
  }
  return bytes;
}

std::optional<std::string> UnpackPalettes(PaletteData& palettes) {
  const auto& block = palettes.PaletteBlock;
  auto channelAt = [&](std::size_t pos) -> std::optional<std::size_t> {
    const std::uint8_t c = block[pos];
    if (c == 0 || c > kPaletteChannels) return std::nullopt;
    return c - 1u;
  };
  auto damaged = [](std::size_t pos, std::uint8_t c) {
    return "the palette block names channel " + std::to_string(c) + " at byte " + std::to_string(pos);
  };

  std::size_t r = 0;  // runs on across palettes
  bool exhausted = false;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    palettes.PaletteMember[p].fill(0);
    for (auto& values : palettes.PresetValue[p]) values.fill(0);
    if (palettes.PaletteUsed[p] == 0 || exhausted) continue;

    for (std::size_t k = 0; k < kPresetCount; ++k) {
      if (palettes.PresetChannelCount[p][k] > kPaletteChannels) {
        return "palette " + std::to_string(p + 1) + " claims " +
               std::to_string(palettes.PresetChannelCount[p][k]) + " channels in a preset";
      }
    }
    // Membership from the first stored record, read under the same bound as the
    // values, so exactly the pairs the writer could store come back.
    std::size_t w0 = 0;
    for (std::size_t k = 0; k < kPresetCount && w0 == 0; ++k) w0 = palettes.PresetChannelCount[p][k];
    for (std::size_t j = 0; j < w0 && r + j + w0 <= kPaletteBlockSize - 1; ++j) {
      const auto ch = channelAt(r + j);
      if (!ch) return damaged(r + j, block[r + j]);
      palettes.PaletteMember[p][*ch] = 1;
    }
    for (std::size_t k = 0; k < kPresetCount && !exhausted; ++k) {
      const std::size_t w = palettes.PresetChannelCount[p][k];
      if (w == 0) continue;
      for (std::size_t j = 0; j < w; ++j) {
        if (r + w >= kPaletteBlockSize) break;
        const auto ch = channelAt(r);
        if (!ch) return damaged(r, block[r]);
        palettes.PresetValue[p][*ch][k] = block[r + w];
        ++r;
      }
      r += w;
      if (r > kPaletteBlockSize - 1) exhausted = true;
    }
  }
  return std::nullopt;
}

}  // namespace brannoc
