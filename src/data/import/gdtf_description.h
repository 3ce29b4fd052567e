#pragma once
// The GDTF reader's own view of a description.xml (see gdtf.h for what it
// reads): the document parsed once, its fixture type, modes, attributes, wheels
// and geometries indexed by name; and the reading of the values it writes:
// whole numbers, decimals and DMX values "value/bytes". The layout of a mode
// (gdtf.cpp) and the geometry references (gdtf_geometry.h) work on it.

#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brannoc::gdtf {

inline constexpr long kMaxAddress = 1 << 20;  // far past any universe; a larger one is a fault
inline constexpr int kMaxValueBytes = 4;      // DMX values of up to 32 bits

// A whole number in an attribute, XML whitespace around it allowed.
std::optional<long> ParseLong(std::string_view v);
// A finite decimal number in an attribute, XML whitespace around it allowed.
std::optional<double> ParseDouble(std::string_view v);

// A DMX value "value/bytes" ("255/1", "32768/2"; "255/1s" shifts instead of
// mirroring when it is widened). A bare number counts as one byte.
struct DmxValue {
  std::uint64_t value = 0;
  int bytes = 1;
  bool shift = false;
};

enum class ValueFault { None, NoNumber, OutOfRange };

ValueFault ParseDmxValue(std::string_view text, DmxValue& out);

// A value in the resolution of a channel of `bytes` bytes.
std::uint64_t InResolution(const DmxValue& v, int bytes);

// The first byte of a value of `bytes` bytes.
int CoarseByte(std::uint64_t value, int bytes);

struct GeometryInfo {
  pugi::xml_node node;
  std::string top;  // the top-level geometry it lies in
  int depth = 0;    // 0 for a top-level geometry
};

struct Description {
  std::string inflated;   // description.xml from an archive
  std::string_view text;  // description.xml: `inflated`, or the caller's bytes
  pugi::xml_document xml;
  pugi::xml_node fixture;
  std::vector<pugi::xml_node> modes;
  std::unordered_map<std::string, pugi::xml_node> attributes;
  std::unordered_map<std::string, std::vector<std::string>> wheels;  // slot names
  std::unordered_map<std::string, GeometryInfo> geometries;
  std::string error;

  // Where an element starts: its "<".
  std::string Where(pugi::xml_node node) const;
};

// The description read from `bytes` (an archive or description.xml itself),
// which must outlive it. `error` says why there is none.
std::unique_ptr<Description> LoadDescription(std::span<const std::uint8_t> bytes);

// ShortName, else Name, whitespace collapsed.
std::string FixtureNameOf(pugi::xml_node fixture);

// A DMX channel in messages: its geometry and attribute, and where it starts.
std::string ChannelLabel(const Description& d, pugi::xml_node channel);

// The attribute of the channel's first logical channel.
std::string AttributeOf(pugi::xml_node channel);

}  // namespace brannoc::gdtf
