// The GDTF reader: a mode of the description laid out by DMX address, its
// channels' bytes, defaults and steps (gdtf.h says what is read). Loading the
// description is gdtf_description.cpp's, placing the channels of repeated
// geometries gdtf_geometry.cpp's, and the meaning of the channels
// gdtf_import.cpp's.

#include "data/import/gdtf.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "data/import/gdtf_description.h"
#include "data/import/gdtf_geometry.h"
#include "data/import/text.h"

namespace brannoc {
namespace {

using namespace gdtf;
using namespace import_text;

constexpr int kMaxAddresses = 40;  // a fixture's channels

// ---------------------------------------------------------------------------
// A mode laid out

// A step in the channel's own resolution, before it becomes a coarse-byte step.
struct RawStep {
  std::uint64_t from = 0, to = 0;
  pugi::xml_node function;
  pugi::xml_node set;  // none: the whole function
};

class Layout {
 public:
  Layout(const Description& d, pugi::xml_node mode, bool stepNames, GdtfModeLayout& out)
      : d_(d), mode_(mode), stepNames_(stepNames), out_(out) {}

  void Run() {
    out_.ModeName = mode_.attribute("Name").value();
    out_.FixtureName = FixtureNameOf(d_.fixture);
    PlacedChannels placed = PlaceChannels(d_, mode_);
    if (!placed.error.empty()) {
      out_.Error = std::move(placed.error);
      return;
    }
    placed_ = std::move(placed.placed);
    virtuals_ = std::move(placed.virtuals);
    if (!Assign()) return;
    Degrees();
    ReportLeftOut();
  }

 private:
  bool Fail(std::string why) {
    out_.Error = std::move(why);
    return false;
  }

  bool Assign() {
    long first = 0, last = 0;
    std::vector<const Placed*> onBreak1;
    for (const Placed& p : placed_) {
      if (p.dmxBreak != 1) {
        otherBreaks_.push_back(AttributeOf(p.node) + " (break " + std::to_string(p.dmxBreak) + ")");
        continue;
      }
      onBreak1.push_back(&p);
      for (long a : p.addresses) {  // 1 to twice kMaxAddress: offsets and references are checked
        first = first == 0 ? a : std::min(first, a);
        last = std::max(last, a);
      }
    }
    if (first == 0) return Fail("the mode " + QuotedWhole(out_.ModeName) + " has no DMX channel on break 1");
    const long footprint = last - first + 1;
    out_.Footprint = static_cast<int>(std::min<long>(footprint, kMaxAddress));
    if (footprint > kMaxAddresses) {
      return Fail(std::to_string(footprint) + " addresses; a fixture holds " + std::to_string(kMaxAddresses) +
                  " at most");
    }
    out_.FirstAddress = static_cast<int>(first);
    out_.Channels.resize(static_cast<std::size_t>(footprint));
    std::vector<bool> used(out_.Channels.size(), false);
    for (std::size_t i = 0; i < out_.Channels.size(); ++i) out_.Channels[i].Address = static_cast<int>(first) + static_cast<int>(i);
    for (const Placed* p : onBreak1) {
      const bool clash = std::any_of(p->addresses.begin(), p->addresses.end(),
                                     [&](long a) { return used[static_cast<std::size_t>(a - first)]; });
      if (clash) {
        clashes_.push_back(AttributeOf(p->node) + " (address " + std::to_string(p->addresses.front()) + ")");
        continue;
      }
      const std::size_t coarse = static_cast<std::size_t>(p->addresses.front() - first);
      const int bytes = static_cast<int>(std::min<std::size_t>(p->addresses.size(), kMaxValueBytes));
      const std::uint64_t defaultValue = DefaultOf(p->node, bytes);
      for (std::size_t b = 0; b < p->addresses.size(); ++b) {
        const std::size_t at = static_cast<std::size_t>(p->addresses[b] - first);
        used[at] = true;
        GdtfChannel& c = out_.Channels[at];
        c.Used = true;
        c.Attribute = AttributeOf(p->node);
        if (const auto a = d_.attributes.find(c.Attribute); a != d_.attributes.end()) {
          c.Pretty = CollapseXmlSpace(a->second.attribute("Pretty").value());
        }
        c.Geometry = p->node.attribute("Geometry").value();
        c.Depth = d_.geometries.at(c.Geometry).depth;
        c.Number = p->number;
        c.Byte = static_cast<int>(b);
        c.Coarse = b == 0 ? -1 : static_cast<int>(coarse);
        const int shift = 8 * (bytes - 1 - std::min(static_cast<int>(b), bytes - 1));
        c.Default = static_cast<std::uint8_t>((defaultValue >> shift) & 0xFF);
      }
      if (!Steps(*p, out_.Channels[coarse], bytes)) return false;
    }
    std::vector<int> unused;
    for (std::size_t i = 0; i < used.size(); ++i) {
      if (!used[i]) unused.push_back(out_.Channels[i].Address);
    }
    if (!unused.empty()) {
      std::string list;
      for (int a : unused) list += (list.empty() ? "" : ", ") + std::to_string(a);
      out_.Report.push_back((unused.size() == 1 ? "Address " + list + " is" : "Addresses " + list + " are") +
                            " used by no DMX channel; " + (unused.size() == 1 ? "it becomes an" : "they become") +
                            " unnamed LTP channel" + (unused.size() == 1 ? "" : "s"));
    }
    if (first > 1) {
      out_.Report.push_back("The first address the mode uses is " + std::to_string(first) +
                            "; the fixture starts there");
    }
    return true;
  }

  // The channel's Default, else its initial function's, else its first
  // function's; in the channel's resolution.
  std::uint64_t DefaultOf(pugi::xml_node channel, int bytes) {
    pugi::xml_attribute attribute = channel.attribute("Default");
    if (!attribute) {
      pugi::xml_node function = channel.child("LogicalChannel").child("ChannelFunction");
      const std::string_view initial = channel.attribute("InitialFunction").value();
      if (!initial.empty()) {
        const std::string_view name = initial.substr(initial.rfind('.') + 1);
        for (pugi::xml_node logical : channel.children("LogicalChannel")) {
          for (pugi::xml_node f : logical.children("ChannelFunction")) {
            if (name == f.attribute("Name").value()) function = f;
          }
        }
      }
      attribute = function.attribute("Default");
    }
    if (!attribute) return 0;
    DmxValue value;
    if (ParseDmxValue(attribute.value(), value) != ValueFault::None) {
      out_.Report.push_back(ChannelLabel(d_, channel) + ": the default " + QuotedWhole(attribute.value()) +
                            " is no DMX value; the value is 0");
      return 0;
    }
    return InResolution(value, bytes);
  }

  bool ReadValue(pugi::xml_node node, int bytes, std::uint64_t& out, bool& outOfRange) {
    DmxValue value;
    const char* text = node.attribute("DMXFrom").as_string("0/1");
    switch (ParseDmxValue(text, value)) {
      case ValueFault::NoNumber:
        return Fail("the DMXFrom " + QuotedWhole(text) + " of <" + node.name() + "> at " + d_.Where(node) +
                    " is no DMX value");
      case ValueFault::OutOfRange:
        outOfRange = true;
        return true;
      case ValueFault::None: break;
    }
    outOfRange = false;
    out = InResolution(value, bytes);
    return true;
  }

  // The functions of every logical channel and their sets, in DMX order, made
  // steps in the coarse byte.
  bool Steps(const Placed& p, GdtfChannel& channel, int bytes) {
    if (const auto done = stepsDone_.find(p.node.internal_object()); done != stepsDone_.end()) {
      // A channel repeated by geometry references has the steps of its first place.
      channel.Steps = out_.Channels[done->second].Steps;
      out_.StepCount += static_cast<int>(channel.Steps.size());
      return true;
    }
    const std::uint64_t top = bytes >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * bytes)) - 1;
    struct Function {
      std::uint64_t from;
      pugi::xml_node node;
    };
    std::vector<Function> functions;
    int dropped = 0, setRight = 0;
    bool unordered = false;
    for (pugi::xml_node logical : p.node.children("LogicalChannel")) {
      for (pugi::xml_node f : logical.children("ChannelFunction")) {
        std::uint64_t from = 0;
        bool outOfRange = false;
        if (!ReadValue(f, bytes, from, outOfRange)) return false;
        if (outOfRange) {
          ++dropped;
          continue;
        }
        if (!functions.empty() && from < functions.back().from) unordered = true;
        functions.push_back({from, f});
      }
    }
    std::stable_sort(functions.begin(), functions.end(), [](const Function& a, const Function& b) { return a.from < b.from; });
    std::vector<RawStep> raw;
    for (std::size_t i = 0; i < functions.size(); ++i) {
      const std::uint64_t from = functions[i].from;
      const bool last = i + 1 == functions.size();
      if (!last && functions[i + 1].from == from) {
        ++dropped;  // a function that starts where the next does covers nothing
        continue;
      }
      const std::uint64_t to = last ? top : functions[i + 1].from - 1;
      const pugi::xml_node f = functions[i].node;
      if (!CheckWheel(f)) return false;
      std::vector<std::pair<std::uint64_t, pugi::xml_node>> sets;
      for (pugi::xml_node set : f.children("ChannelSet")) {
        std::uint64_t setFrom = 0;
        bool outOfRange = false;
        if (!ReadValue(set, bytes, setFrom, outOfRange)) return false;
        if (!CheckSlot(f, set)) return false;
        if (outOfRange || setFrom < from || setFrom > to) {
          ++dropped;
          continue;
        }
        if (!sets.empty() && setFrom < sets.back().first) unordered = true;
        sets.emplace_back(setFrom, set);
      }
      std::stable_sort(sets.begin(), sets.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
      if (sets.empty()) {
        raw.push_back({from, to, f, {}});
        continue;
      }
      for (std::size_t s = 0; s < sets.size(); ++s) {
        const std::uint64_t setTo = s + 1 < sets.size() ? sets[s + 1].first : to + 1;
        if (setTo == sets[s].first) {
          ++dropped;
          continue;
        }
        raw.push_back({sets[s].first, setTo - 1, f, sets[s].second});
      }
    }
    // In the coarse byte, steps of a fine-grained channel may overlap: a step
    // starts after the one before it, or goes.
    int lastTo = -1;
    for (const RawStep& r : raw) {
      int from = CoarseByte(r.from, bytes);
      const int to = CoarseByte(r.to, bytes);
      if (from <= lastTo) {
        from = lastTo + 1;
        if (from > to) {
          ++dropped;
          continue;
        }
        ++setRight;
      }
      GdtfStep step;
      step.From = from;
      step.To = to;
      if (stepNames_) step.Name = StepName(r);
      channel.Steps.push_back(std::move(step));
      lastTo = to;
    }
    stepsDone_[p.node.internal_object()] = static_cast<std::size_t>(&channel - out_.Channels.data());
    out_.StepCount += static_cast<int>(channel.Steps.size());
    if (unordered || dropped > 0 || setRight > 0) {
      std::string line = "Address " + std::to_string(channel.Address) + " (" + channel.Attribute + "):";
      if (unordered) line += " functions or sets out of DMX order were sorted;";
      if (setRight > 0) line += " " + std::to_string(setRight) + " overlapping step" + (setRight == 1 ? " was" : "s were") + " set right;";
      if (dropped > 0) line += " " + std::to_string(dropped) + " overlapping or out-of-range function" + (dropped == 1 ? " or set was" : "s or sets were") + " dropped;";
      line.pop_back();
      out_.Report.push_back(std::move(line));
    }
    return true;
  }

  bool CheckWheel(pugi::xml_node function) {
    const char* wheel = function.attribute("Wheel").value();
    if (*wheel == '\0' || d_.wheels.count(wheel)) return true;
    return Fail("the channel function " + QuotedWhole(function.attribute("Name").value()) + " at " + d_.Where(function) +
                " names the wheel " + QuotedWhole(wheel) + ", which does not exist");
  }

  bool CheckSlot(pugi::xml_node function, pugi::xml_node set) {
    const pugi::xml_attribute index = set.attribute("WheelSlotIndex");
    const char* wheel = function.attribute("Wheel").value();
    if (!index || *wheel == '\0') return true;
    const auto n = ParseLong(index.value());
    const auto it = d_.wheels.find(wheel);
    if (n && *n == 0) return true;  // no slot
    if (n && *n > 0 && it != d_.wheels.end() && static_cast<std::size_t>(*n) <= it->second.size()) return true;
    return Fail("the channel set at " + d_.Where(set) + " names slot " + QuotedWhole(index.value()) + " of the wheel " +
                QuotedWhole(wheel) + ", which does not exist");
  }

  std::string StepName(const RawStep& r) const {
    if (r.set) {
      std::string name = CollapseXmlSpace(r.set.attribute("Name").value());
      if (!name.empty()) return name;
      const auto n = ParseLong(r.set.attribute("WheelSlotIndex").value());
      const auto wheel = d_.wheels.find(r.function.attribute("Wheel").value());
      if (n && *n > 0 && wheel != d_.wheels.end() && static_cast<std::size_t>(*n) <= wheel->second.size()) {
        name = wheel->second[static_cast<std::size_t>(*n - 1)];
        if (!name.empty()) return name;
      }
    }
    std::string name = CollapseXmlSpace(r.function.attribute("Name").value());
    if (!name.empty()) return name;
    // A function without a name is called after its attribute and its place.
    int place = 1;
    for (pugi::xml_node f = r.function.previous_sibling("ChannelFunction"); f; f = f.previous_sibling("ChannelFunction")) ++place;
    return std::string(r.function.attribute("Attribute").as_string("NoFeature")) + " " + std::to_string(place);
  }

  void Degrees() {
    auto span = [&](const char* attribute) {
      for (pugi::xml_node channel : mode_.child("DMXChannels").children("DMXChannel")) {
        for (pugi::xml_node logical : channel.children("LogicalChannel")) {
          for (pugi::xml_node f : logical.children("ChannelFunction")) {
            if (std::strcmp(f.attribute("Attribute").value(), attribute) != 0) continue;
            const pugi::xml_attribute fromText = f.attribute("PhysicalFrom");
            const pugi::xml_attribute toText = f.attribute("PhysicalTo");
            if (!fromText && !toText) return 0;
            const double from = ParseDouble(fromText.as_string("0")).value_or(0);
            const double to = ParseDouble(toText.as_string("1")).value_or(0);
            // The core limits the degrees and reports what it resets.
            const double degrees = std::min(std::round(std::fabs(to - from)), 1e6);
            return static_cast<int>(degrees);
          }
        }
      }
      return 0;
    };
    out_.PanDegrees = span("Pan");
    out_.TiltDegrees = span("Tilt");
  }

  void ReportLeftOut() {
    auto line = [&](const char* lead, const std::vector<std::string>& items) {
      if (items.empty()) return;
      std::string text = lead;
      for (std::size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : ", ") + items[i];
      out_.Report.push_back(std::move(text));
    };
    line("Virtual channels (no DMX address) left out: ", virtuals_);
    line("Channels on other DMX breaks left out: ", otherBreaks_);
    line("Channels on addresses another channel already uses, left out: ", clashes_);
  }

  const Description& d_;
  pugi::xml_node mode_;
  bool stepNames_;
  GdtfModeLayout& out_;
  std::vector<Placed> placed_;
  std::vector<std::string> virtuals_, otherBreaks_, clashes_;
  std::unordered_map<const void*, std::size_t> stepsDone_;  // channel node -> its first coarse channel
};

}  // namespace

GdtfModeList ListGdtfModes(std::span<const std::uint8_t> bytes) {
  GdtfModeList list;
  const auto d = LoadDescription(bytes);
  if (!d->error.empty()) {
    list.Error = d->error;
    return list;
  }
  list.Model = FixtureNameOf(d->fixture);
  for (pugi::xml_node node : d->modes) {
    GdtfModeLayout layout;
    Layout(*d, node, false, layout).Run();
    GdtfMode mode;
    mode.Name = node.attribute("Name").value();
    mode.ChannelCount = layout.Footprint;
    mode.StepCount = layout.StepCount;
    mode.Why = layout.Error;
    mode.Fits = mode.Why.empty();
    list.Modes.push_back(std::move(mode));
  }
  return list;
}

GdtfModeLayout LayOutGdtfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex, bool stepNames) {
  GdtfModeLayout layout;
  const auto d = LoadDescription(bytes);
  if (!d->error.empty()) {
    layout.Error = d->error;
    return layout;
  }
  if (d->modes.empty()) {
    layout.Error = "the GDTF description has no DMX modes";
    return layout;
  }
  if (modeIndex >= d->modes.size()) {
    layout.Error = "there is no mode " + std::to_string(modeIndex + 1) + "; the GDTF description has " +
                   std::to_string(d->modes.size());
    return layout;
  }
  Layout(*d, d->modes[modeIndex], stepNames, layout).Run();
  if (!layout.Error.empty()) {
    layout.Channels.clear();
    layout.Report.clear();
  }
  return layout;
}

}  // namespace brannoc
