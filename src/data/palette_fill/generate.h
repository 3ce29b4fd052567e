#pragma once
// Palettes filled from what the fixture's channels are: a colour wheel or colour
// mixing, a gobo wheel, the shutter, the prism, focus, zoom, iris, frost,
// pan/tilt and the dimmer. A channel's meaning comes from its shared name
// ("Red 2", "Pan Fine"); its steps give the presets of the wheels, the shutter
// and the prism.
//
// Filling writes only palettes that are free (no palette name and no preset
// name) and never touches a named palette or preset. A palette that would take
// the palette block past its 2048 bytes is left out, and so is one whose name a
// palette already carries. The cost is a few passes over at most 40 channels and
// their steps: well under a millisecond.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/fixture/model.h"

namespace brannoc {

struct GeneratedPreset {
  std::string Name;  // at most 6 characters
  std::array<std::uint8_t, kPaletteChannels> Values{};  // by channel index; members only count
};

struct GeneratedPalette {
  std::string Name;          // "Colour", "Gobo", "Beam", "Prism", "Focus", "Zoom", "Iris", "Frost", "Pos", "Intens"
  std::vector<int> Members;  // channel indexes 0..ChannelCount-1, ascending, fine channels included
  std::vector<GeneratedPreset> Presets;  // 1 to 10
};

// The preset name a wheel step gives: its name when it fits 6 characters, else
// without blanks, else without words that tell nothing ("IdxGobo1" gives
// "Gobo1"), else cut, keeping a number at its end.
std::string PresetNameOfStep(std::string_view stepName);

// The palettes the channels of `fixture` give, in the order above, whether or
// not they would fit.
std::vector<GeneratedPalette> PalettesFromChannels(const FixtureRecord& fixture);

struct PaletteFill {
  std::vector<std::string> Made;      // in the palettes they went into, in order
  std::vector<int> Slots;             // the palette (0..9) each of Made went into
  std::vector<std::string> BlockFull; // left out: the palette block would pass 2048 bytes
  std::vector<std::string> NoRoom;    // left out: no free palette was left
  std::vector<std::string> Named;     // left out: a palette of that name is already there

  // One line per kind of outcome, in the words the editor and tfftool show.
  std::vector<std::string> ReportLines() const;
  bool LeftAnythingOut() const { return !BlockFull.empty() || !NoRoom.empty() || !Named.empty(); }
};

// Whether palette `p` may be filled: no palette name and no preset name.
bool PaletteIsFree(const PaletteData& palettes, int p);
int FreePaletteCount(const PaletteData& palettes);

// Writes PalettesFromChannels(fixture) into the free palettes, lowest first, and
// recounts the palettes with the fixture's channel count when it made any.
PaletteFill FillPalettes(FixtureRecord& fixture);

}  // namespace brannoc
