#pragma once
// What must hold for every input a target reads. A broken property is a finding:
// the target says what broke and aborts, and libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace brannoc::fuzz {

inline void Require(bool holds, std::string_view what) {
  if (holds) return;
  std::fprintf(stderr, "Property broken: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

}  // namespace brannoc::fuzz
