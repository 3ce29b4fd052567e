#include "data/core/number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace brannoc {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

constexpr double kLimit = 1e15;  // far beyond any field; keeps the cast defined

std::int64_t RoundHalfEven(double x) {
  if (std::isnan(x)) return 0;
  if (x > kLimit) x = kLimit;
  if (x < -kLimit) x = -kLimit;
  double r = std::round(x);  // halves away from zero
  if (std::fabs(x - std::trunc(x)) == 0.5) r = 2.0 * std::round(x / 2.0);
  return static_cast<std::int64_t>(r);
}

std::int64_t ReadRadix(std::string_view digits, int radix) {
  double value = 0;
  for (char c : digits) {
    const int d = DigitValue(c);
    if (d >= radix) break;
    value = value * radix + d;
  }
  return RoundHalfEven(value);
}

}  // namespace

std::int64_t ReadBoxNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  text.remove_prefix(i);

  if (text.size() >= 2 && text[0] == '&') {
    if (text[1] == 'H' || text[1] == 'h') return ReadRadix(text.substr(2), 16);
    if (text[1] == 'O' || text[1] == 'o') return ReadRadix(text.substr(2), 8);
    return 0;
  }

  // The longest prefix of the form [sign] digits [. digits] [e [sign] digits].
  std::size_t p = 0;
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
  const std::size_t mantissa = p;
  bool anyDigit = false;
  while (p < text.size() && IsDigit(text[p])) ++p, anyDigit = true;
  if (p < text.size() && text[p] == '.') {
    ++p;
    while (p < text.size() && IsDigit(text[p])) ++p, anyDigit = true;
  }
  if (!anyDigit) return 0;
  std::size_t end = p;
  if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
    std::size_t q = p + 1;
    if (q < text.size() && (text[q] == '+' || text[q] == '-')) ++q;
    if (q < text.size() && IsDigit(text[q])) {
      while (q < text.size() && IsDigit(text[q])) ++q;
      end = q;
    }
  }

  std::string number(text.substr(mantissa, end - mantissa));
  if (number.front() == '.') number.insert(number.begin(), '0');
  double value = 0;
  const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: infinity or zero, by the exponent.
    const auto e = number.find_first_of("eE");
    value = (e != std::string::npos && number[e + 1] == '-') ? 0.0 : kLimit;
  } else if (ec != std::errc()) {
    return 0;
  }
  (void)ptr;
  return RoundHalfEven(negative ? -value : value);
}

std::int64_t ApplyByteRule(std::int64_t value) { return value > 255 ? 0 : value; }

}  // namespace brannoc
