#pragma once
// Small zip archives written in memory, for the GDTF tests and the fuzz seeds:
// a .gdtf is a zip archive with description.xml at its root.

#include <cstdint>
#include <string>
#include <vector>

namespace brannoc::test {

enum class ZipMethod { Store, Deflate, Bzip2 };

struct ZipMember {
  std::string Name;
  std::string Data;
  ZipMethod Method = ZipMethod::Deflate;
  bool Encrypted = false;  // AES-256 with a password the reader does not know
};

// The archive's bytes; empty when libzip could not write it.
std::vector<std::uint8_t> WriteZip(const std::vector<ZipMember>& members);

// A .gdtf archive holding only description.xml.
std::vector<std::uint8_t> GdtfArchive(const std::string& description, ZipMethod method = ZipMethod::Deflate);

// A plain description.xml: one geometry, and each mode's DMX channels with
// their offsets ("1", "1,2") and attributes, a logical channel each.
struct GdtfChannelSpec {
  std::string Offset;
  std::string Attribute;
};
struct GdtfModeSpec {
  std::string Name;
  std::vector<GdtfChannelSpec> Channels;
};
std::string GdtfDescription(const std::string& maker, const std::string& model, const std::vector<GdtfModeSpec>& modes);

}  // namespace brannoc::test
