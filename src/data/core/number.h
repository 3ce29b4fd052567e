#pragma once
// How the program reads a number from a text box.

#include <cstdint>
#include <string_view>

namespace brannoc {

// Leading blanks are skipped and the longest leading part that reads as a number
// is taken: digits with an optional sign, decimal point and exponent, or "&H" /
// "&O" followed by hexadecimal or octal digits. An empty or non-numeric text is 0.
// The result is taken to the nearest whole number, halves to the even neighbour.
std::int64_t ReadBoxNumber(std::string_view text);

// The rule of the byte fields: a number above 255 becomes 0. Negative numbers are
// left to the caller, which refuses them.
std::int64_t ApplyByteRule(std::int64_t value);

}  // namespace brannoc
