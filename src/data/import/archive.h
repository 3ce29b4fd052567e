#pragma once
// A GDTF archive (.gdtf): a zip file with "description.xml" at its root, beside
// the 3D models and wheel images, which are not read. libzip opens the archive
// from the bytes in memory. Only description.xml is inflated, and only when its
// stated size is at most kMaxGdtfMemberBytes, never past it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace brannoc {

// description.xml itself rarely passes one megabyte.
inline constexpr std::size_t kMaxGdtfMemberBytes = 64 * 1024 * 1024;

// Whether the bytes start as a zip archive does: with a member's header, or
// with the end of an archive that holds none.
bool IsZip(std::span<const std::uint8_t> bytes);

// The text of description.xml: from the archive, or the bytes themselves when
// they are no archive. Error says why there is none.
struct GdtfText {
  std::string Xml;
  std::string Error;
};
GdtfText GdtfDescriptionText(std::span<const std::uint8_t> bytes);

}  // namespace brannoc
