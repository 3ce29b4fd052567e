#pragma once
// A text field of fixed width N as the files hold it: N bytes of the code page,
// no length, no terminator. Assigning keeps the first N characters and pads a
// shorter text with spaces; a field never assigned holds N NUL bytes.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/core/codepage.h"

namespace brannoc {

template <std::size_t N>
class FixedText {
 public:
  FixedText() = default;

  // A text given in UTF-8 (what the windows and the tools hand over).
  static FixedText FromUtf8(std::string_view utf8) {
    FixedText t;
    t.Assign(utf8);
    return t;
  }
  static FixedText Blank() { return FromUtf8(""); }

  void Assign(std::string_view utf8) { AssignCodePage(Utf8ToCp1252(utf8)); }

  // A text already in the code page, one byte per character.
  void AssignCodePage(std::string_view bytes) {
    const std::size_t kept = std::min(bytes.size(), N);
    std::copy_n(bytes.begin(), kept, bytes_.begin());
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(kept), bytes_.end(), ' ');
  }

  // The raw bytes as a file holds them.
  void SetBytes(const std::uint8_t* from) { std::copy_n(from, N, bytes_.begin()); }
  const std::array<std::uint8_t, N>& Bytes() const { return bytes_; }
  std::string_view CodePage() const {
    return {reinterpret_cast<const char*>(bytes_.data()), N};
  }

  // All N characters, padding and NULs included.
  std::string Utf8() const { return Cp1252ToUtf8(CodePage()); }

  // What a text box shows of the field: NUL characters show as nothing.
  std::string BoxText() const {
    std::string kept;
    for (char c : CodePage()) {
      if (c != '\0') kept.push_back(c);
    }
    return Cp1252ToUtf8(kept);
  }

  // What a box shows of a name: as BoxText, without the padding at its end, so
  // that the box has room for what is typed after the name. The field itself
  // keeps its width; a box writes back only on the user's edit.
  std::string BoxTextTrimmed() const {
    std::string kept = BoxText();
    while (!kept.empty() && kept.back() == ' ') kept.pop_back();
    return kept;
  }

  // The text without the spaces at its end (only the space character counts).
  std::string TrimmedUtf8() const {
    std::string_view v = CodePage();
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    return Cp1252ToUtf8(v);
  }

  // Whether the field is blank: N spaces, as assigning an empty text leaves it.
  // This is the one meaning of "no name" everywhere: a palette or preset is
  // stored by it, so the checks, the comparison and "Fill Palettes" judge by it
  // too. A field never assigned (NUL bytes) is not blank: the file stores what
  // it names.
  bool IsBlank() const {
    return std::all_of(bytes_.begin(), bytes_.end(), [](std::uint8_t b) { return b == ' '; });
  }

  bool operator==(const FixedText&) const = default;

  static constexpr std::size_t kWidth = N;

 private:
  std::array<std::uint8_t, N> bytes_{};
};

}  // namespace brannoc
