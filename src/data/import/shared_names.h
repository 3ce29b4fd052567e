#pragma once
// Inside the import core: what its table of shared names (shared_names.cpp)
// and the import of a mode (core.cpp) both use.

#include <cstddef>
#include <string>

namespace brannoc::import_core {

inline constexpr std::size_t kChannelNameWidth = 12;

// A name with a number: "Red 3", else "Fx Speed12", else the name cut so that
// " 3" fits.
std::string WithNumber(const std::string& name, int number);

}  // namespace brannoc::import_core
