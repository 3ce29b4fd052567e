#include "data/import/gdtf_description.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

#include "data/import/archive.h"
#include "data/import/text.h"

namespace brannoc::gdtf {
namespace {

using namespace import_text;

void IndexGeometries(Description& d) {
  for (pugi::xml_node top : d.fixture.child("Geometries").children()) {
    if (top.type() != pugi::node_element) continue;
    const std::string topName = top.attribute("Name").value();
    // Depth first without recursion: a deep tree cannot exhaust the stack.
    std::vector<std::pair<pugi::xml_node, int>> stack{{top, 0}};
    while (!stack.empty()) {
      const auto [node, depth] = stack.back();
      stack.pop_back();
      d.geometries.emplace(node.attribute("Name").value(), GeometryInfo{node, topName, depth});
      for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_element && std::strcmp(child.name(), "Break") != 0) stack.emplace_back(child, depth + 1);
      }
    }
  }
}

}  // namespace

std::optional<long> ParseLong(std::string_view v) { return ParseWhole(TrimXmlSpace(v), 18); }

std::optional<double> ParseDouble(std::string_view v) {
  v = TrimXmlSpace(v);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (v.empty() || error != std::errc() || end != v.data() + v.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

ValueFault ParseDmxValue(std::string_view text, DmxValue& out) {
  text = TrimXmlSpace(text);
  const std::size_t slash = text.find('/');
  std::string_view number = text.substr(0, slash);
  out = DmxValue{};
  if (slash != std::string_view::npos) {
    std::string_view bytes = TrimXmlSpace(text.substr(slash + 1));
    if (!bytes.empty() && bytes.back() == 's') {
      out.shift = true;
      bytes.remove_suffix(1);
    }
    const auto n = ParseLong(bytes);
    if (!n) return ValueFault::NoNumber;
    if (*n < 1 || *n > kMaxValueBytes) return ValueFault::OutOfRange;
    out.bytes = static_cast<int>(*n);
  }
  const auto v = ParseLong(number);
  if (!v) return ValueFault::NoNumber;
  if (*v < 0 || static_cast<std::uint64_t>(*v) > (std::uint64_t{1} << (8 * out.bytes)) - 1) return ValueFault::OutOfRange;
  out.value = static_cast<std::uint64_t>(*v);
  return ValueFault::None;
}

std::uint64_t InResolution(const DmxValue& v, int bytes) {
  if (v.bytes == bytes) return v.value;
  if (v.bytes > bytes) return v.value >> (8 * (v.bytes - bytes));
  std::uint64_t out = v.value;
  for (int i = v.bytes; i < bytes; ++i) out = (out << 8) | (v.shift ? 0 : (v.value & 0xFF));
  return out;
}

int CoarseByte(std::uint64_t value, int bytes) { return static_cast<int>((value >> (8 * (bytes - 1))) & 0xFF); }

std::string Description::Where(pugi::xml_node node) const { return Locator(text).WhereElement(node.offset_debug()); }

std::string FixtureNameOf(pugi::xml_node fixture) {
  std::string name = CollapseXmlSpace(fixture.attribute("ShortName").value());
  return name.empty() ? CollapseXmlSpace(fixture.attribute("Name").value()) : name;
}

std::unique_ptr<Description> LoadDescription(std::span<const std::uint8_t> bytes) {
  auto d = std::make_unique<Description>();
  if (IsZip(bytes)) {
    GdtfText text = GdtfDescriptionText(bytes);
    if (!text.Error.empty()) {
      d->error = std::move(text.Error);
      return d;
    }
    d->inflated = std::move(text.Xml);
    d->text = d->inflated;
  } else {
    d->text = AsText(bytes);
  }
  if (TrimXmlSpace(d->text).empty()) {
    d->error = "the description is empty";
    return d;
  }
  const pugi::xml_parse_result parsed =
      d->xml.load_buffer(d->text.data(), d->text.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    d->error = std::string("the description is no well-formed XML: ") + parsed.description() + " at " +
               Locator(d->text).Where(parsed.offset);
    return d;
  }
  const pugi::xml_node root = d->xml.document_element();
  if (std::strcmp(root.name(), "GDTF") != 0) {
    d->error = "the file is no GDTF description: its root element is <" + std::string(root.name()) + ">";
    return d;
  }
  d->fixture = root.child("FixtureType");
  if (!d->fixture) {
    d->error = "the GDTF description holds no FixtureType";
    return d;
  }
  for (pugi::xml_node mode : d->fixture.child("DMXModes").children("DMXMode")) d->modes.push_back(mode);
  for (pugi::xml_node a : d->fixture.child("AttributeDefinitions").child("Attributes").children("Attribute")) {
    d->attributes.emplace(a.attribute("Name").value(), a);
  }
  for (pugi::xml_node wheel : d->fixture.child("Wheels").children("Wheel")) {
    std::vector<std::string> slots;
    for (pugi::xml_node slot : wheel.children("Slot")) slots.push_back(CollapseXmlSpace(slot.attribute("Name").value()));
    d->wheels.emplace(wheel.attribute("Name").value(), std::move(slots));
  }
  IndexGeometries(*d);
  return d;
}

std::string ChannelLabel(const Description& d, pugi::xml_node channel) {
  return "the DMX channel " + QuotedWhole(std::string(channel.attribute("Geometry").value()) + "_" + AttributeOf(channel)) +
         " at " + d.Where(channel);
}

std::string AttributeOf(pugi::xml_node channel) { return channel.child("LogicalChannel").attribute("Attribute").value(); }

}  // namespace brannoc::gdtf
