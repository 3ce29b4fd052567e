#pragma once
// tfftool palettes: the free palettes of a fixture file filled from its channels.

#include <optional>
#include <ostream>
#include <string>

namespace brannoc::tfftool {

// Fills the free palettes of the fixture file `in` and writes the fixture to
// `out` (to `in` itself without one) as "&Save Fixture" writes it; prints the
// palettes made and left out. Without `out`, a file that gains no palette is
// not written. 0: palettes made, none left out; 1: some left out or none made;
// 2: an error, and nothing written.
int RunPalettes(const std::string& in, const std::optional<std::string>& out, std::ostream& stdOut,
                std::ostream& err);

}  // namespace brannoc::tfftool
