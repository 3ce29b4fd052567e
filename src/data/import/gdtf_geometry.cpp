#include "data/import/gdtf_geometry.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "data/import/text.h"

namespace brannoc::gdtf {
namespace {

using import_text::QuotedWhole;
using import_text::TrimXmlSpace;

// One place where the layout of a top-level geometry repeats.
struct Reference {
  std::string name;
  pugi::xml_node node;
  std::vector<std::pair<long, long>> breaks;  // DMXBreak, DMXOffset
  int number = 0;                             // among the references to one geometry, from 1
};

// A DMX address "n", or "universe.address".
std::optional<long> ParseAddress(std::string_view text) {
  const std::size_t dot = text.find('.');
  if (dot == std::string_view::npos) return ParseLong(text);
  const auto universe = ParseLong(text.substr(0, dot));
  const auto address = ParseLong(text.substr(dot + 1));
  if (!universe || !address || *universe < 1 || *universe > 4096) return std::nullopt;
  return (*universe - 1) * 512 + *address;
}

class Placement {
 public:
  Placement(const Description& d, pugi::xml_node mode, PlacedChannels& out) : d_(d), mode_(mode), out_(out) {}

  // The references below the mode's geometry, followed into the geometries they
  // name (their offsets adding up), refusing a loop.
  bool FindReferences() {
    const std::string root = mode_.attribute("Geometry").value();
    const auto it = d_.geometries.find(root);
    if (it == d_.geometries.end()) {
      if (root.empty()) return true;  // no tree: no references
      return Fail("the mode " + QuotedWhole(mode_.attribute("Name").value()) + " names the geometry " + QuotedWhole(root) +
                  ", which does not exist");
    }
    std::vector<std::string> path{it->second.top};
    return Walk(it->second.node, {}, path);
  }

  // Each DMX channel of the mode where it lies, once per reference to its
  // geometry.
  bool Place() {
    for (pugi::xml_node channel : mode_.child("DMXChannels").children("DMXChannel")) {
      const std::string_view offsetText = TrimXmlSpace(channel.attribute("Offset").value());
      const std::string geometry = channel.attribute("Geometry").value();
      const auto g = d_.geometries.find(geometry);
      if (g == d_.geometries.end()) {
        return Fail(ChannelLabel(d_, channel) + " names the geometry " + QuotedWhole(geometry) + ", which does not exist");
      }
      if (offsetText.empty() || offsetText == "None") {
        out_.virtuals.push_back(AttributeOf(channel));
        continue;
      }
      std::vector<long> offsets;
      std::size_t start = 0;
      for (;;) {
        const std::size_t comma = offsetText.find(',', start);
        const auto value = ParseLong(offsetText.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (!value || *value < 1 || *value > kMaxAddress) {
          return Fail(ChannelLabel(d_, channel) + " has the offset " + QuotedWhole(offsetText) + ", which is no list of DMX addresses");
        }
        offsets.push_back(*value);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
      }
      for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (std::find(offsets.begin() + static_cast<std::ptrdiff_t>(i) + 1, offsets.end(), offsets[i]) != offsets.end()) {
          return Fail(ChannelLabel(d_, channel) + " has the offset " + QuotedWhole(offsetText) + ", which names an address twice");
        }
      }
      const std::string_view breakText = TrimXmlSpace(channel.attribute("DMXBreak").as_string("1"));
      const bool overwrite = breakText == "Overwrite";
      long dmxBreak = 1;
      if (!overwrite) {
        const auto value = ParseLong(breakText);
        if (!value) return Fail(ChannelLabel(d_, channel) + " has the DMX break " + QuotedWhole(breakText) + ", which is no number");
        dmxBreak = *value;
      }
      const auto refs = references_.find(g->second.top);
      if (refs == references_.end()) {
        Add(channel, 0, dmxBreak, offsets, 1);
        continue;
      }
      const bool numbered = refs->second.size() > 1;
      for (std::size_t r = 0; r < refs->second.size(); ++r) {
        const Reference& ref = refs->second[r];
        long b = dmxBreak;
        long offset = 1;
        if (overwrite && !ref.breaks.empty()) {
          b = ref.breaks.back().first;
          offset = ref.breaks.back().second;
        } else {
          const auto own = std::find_if(ref.breaks.begin(), ref.breaks.end(), [&](const auto& rb) { return rb.first == b; });
          if (own != ref.breaks.end()) offset = own->second;
        }
        Add(channel, numbered ? static_cast<int>(r + 1) : 0, b, offsets, offset);
      }
    }
    return true;
  }

 private:
  // Walks the tree below `tree`, following each reference into the geometry it
  // names. `outer` holds the breaks of the references around it, whose offsets
  // add to its own; `path` the top-level geometries followed so far, which a
  // loop would repeat.
  bool Walk(pugi::xml_node tree, const std::vector<std::pair<long, long>>& outer, std::vector<std::string>& path) {
    std::vector<pugi::xml_node> stack{tree};
    while (!stack.empty()) {
      const pugi::xml_node node = stack.back();
      stack.pop_back();
      if (std::strcmp(node.name(), "GeometryReference") != 0) {
        for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
          if (child.type() == pugi::node_element) stack.push_back(child);
        }
        continue;
      }
      const std::string target = node.attribute("Geometry").value();
      const auto it = d_.geometries.find(target);
      if (it == d_.geometries.end()) {
        return Fail("the geometry reference " + QuotedWhole(node.attribute("Name").value()) + " at " + d_.Where(node) +
                    " names the geometry " + QuotedWhole(target) + ", which does not exist");
      }
      if (std::find(path.begin(), path.end(), it->second.top) != path.end()) {
        std::string loop;
        for (const std::string& name : path) loop += name + " -> ";
        return Fail("the geometry references make a loop (" + loop + it->second.top + ") at " + d_.Where(node));
      }
      Reference ref;
      ref.name = node.attribute("Name").value();
      ref.node = node;
      for (pugi::xml_node b : node.children("Break")) {
        const auto dmxBreak = ParseLong(b.attribute("DMXBreak").as_string("1"));
        const auto offset = ParseAddress(b.attribute("DMXOffset").as_string("1"));
        long total = offset.value_or(0);
        for (const auto& [ob, oo] : outer) {
          if (dmxBreak && ob == *dmxBreak) total += oo - 1;
        }
        if (!dmxBreak || total < 1 || total > kMaxAddress) {
          return Fail("the break of the geometry reference " + QuotedWhole(ref.name) + " at " + d_.Where(b) +
                      " has no DMX break and offset that are numbers from 1");
        }
        ref.breaks.emplace_back(*dmxBreak, total);
      }
      if (++instances_ > kMaxGeometryInstances) {
        return Fail("the geometry references repeat the layout more than " + std::to_string(kMaxGeometryInstances) + " times");
      }
      auto& list = references_[it->second.top];
      list.push_back(ref);
      path.push_back(it->second.top);
      const bool ok = Walk(it->second.node, ref.breaks, path);
      path.pop_back();
      if (!ok) return false;
    }
    return true;
  }

  void Add(pugi::xml_node channel, int number, long dmxBreak, const std::vector<long>& offsets, long dmxOffset) {
    Placed placed{channel, number, dmxBreak, {}};
    for (long o : offsets) placed.addresses.push_back(o + dmxOffset - 1);
    out_.placed.push_back(std::move(placed));
  }

  bool Fail(std::string why) {
    out_.error = std::move(why);
    return false;
  }

  const Description& d_;
  pugi::xml_node mode_;
  PlacedChannels& out_;
  std::unordered_map<std::string, std::vector<Reference>> references_;  // by the geometry they repeat
  std::size_t instances_ = 0;
};

}  // namespace

PlacedChannels PlaceChannels(const Description& d, pugi::xml_node mode) {
  PlacedChannels out;
  Placement placement(d, mode, out);
  if (placement.FindReferences()) placement.Place();
  return out;
}

}  // namespace brannoc::gdtf
