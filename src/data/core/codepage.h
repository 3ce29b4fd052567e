#pragma once
// Windows-1252, the single-byte code page of every text the console's files hold.
// The mapping is lossless for all 256 bytes: the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brannoc {

char32_t Cp1252ToUnicode(std::uint8_t byte);
std::optional<std::uint8_t> UnicodeToCp1252(char32_t ch);

// Bytes of the code page to UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to bytes of the code page, one byte per character; a character the code
// page lacks, and every byte of a malformed sequence, becomes '?'.
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace brannoc
