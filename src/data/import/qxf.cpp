#include "data/import/qxf.h"

#include <pugixml.hpp>

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "data/import/qxf_meaning.h"
#include "data/import/text.h"

namespace brannoc {
namespace {

using namespace import_text;

constexpr int kMaxSteps = 255;  // what a channel can hold; the rest is not counted as steps

// A whole number in an attribute: blanks around it allowed, nothing else.
std::optional<long> ParseNumber(const char* text) { return ParseWhole(Trim(text), 10); }

std::optional<std::uint8_t> ParseByte(const char* text) {
  const auto value = ParseNumber(text);
  if (!value || *value < 0 || *value > 255) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

// An element's text: all of its text and CDATA children, whatever comments or
// processing instructions split them.
std::string TextOf(pugi::xml_node node) {
  std::string text;
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
  }
  return text;
}

// ---------------------------------------------------------------------------
// The document

struct ChannelDef {
  pugi::xml_node node;
  std::string name;       // collapsed, UTF-8
  Meaning meaning = Meaning::Unknown;
  bool fine = false;      // a Preset ending in "Fine", or <Group Byte="1">
};

struct Definition {
  pugi::xml_document doc;
  pugi::xml_node root;
  std::vector<ChannelDef> channels;
  std::unordered_map<std::string, std::size_t> byName;  // the first of a name counts
  std::vector<pugi::xml_node> modes;
  std::string error;
};

bool IsNamed(pugi::xml_node node, std::string_view name) { return std::string_view(node.name()) == name; }

std::unique_ptr<Definition> LoadDefinition(std::span<const std::uint8_t> bytes) {
  auto def = std::make_unique<Definition>();
  if (auto tooLarge = QxfTooLarge(bytes.size())) {
    def->error = std::move(*tooLarge);
    return def;
  }
  const pugi::xml_parse_result parsed =
      def->doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    def->error = "not readable as XML: " + std::string(parsed.description()) + " at " + Locator(AsText(bytes)).Where(parsed.offset);
    return def;
  }
  // One document has one outermost element; a second one (two files run
  // together) makes the file something else.
  int elements = 0;
  for (pugi::xml_node node : def->doc.children()) {
    if (node.type() != pugi::node_element) continue;
    if (++elements == 2) {
      def->error = "not one XML document: a second outermost element <" + std::string(node.name()).substr(0, 60) +
                   "> begins at " + Locator(AsText(bytes)).Where(node.offset_debug() - 1);
      return def;
    }
  }
  def->root = def->doc.document_element();
  if (!IsNamed(def->root, "FixtureDefinition")) {
    def->error = "not a QLC+ fixture definition: its outermost element is <" + std::string(def->root.name()).substr(0, 60) +
                 ">, not <FixtureDefinition>";
    return def;
  }
  for (pugi::xml_node node : def->root.children("Channel")) {
    ChannelDef channel;
    channel.node = node;
    channel.name = Collapse(node.attribute("Name").value());
    const std::string preset = node.attribute("Preset").value();
    const pugi::xml_node group = node.child("Group");
    channel.meaning = MeaningOfQxfChannel(preset, Collapse(TextOf(group)), channel.name);
    channel.fine = std::string_view(preset).ends_with("Fine") || ParseNumber(group.attribute("Byte").value()) == 1;
    def->byName.emplace(channel.name, def->channels.size());
    def->channels.push_back(std::move(channel));
  }
  for (pugi::xml_node mode : def->root.children("Mode")) def->modes.push_back(mode);
  return def;
}

struct Capabilities {
  std::vector<SourceStep> steps;  // every usable one
  int unusable = 0;               // without a DMX range in 0..255
};

Capabilities ReadCapabilities(const ChannelDef& channel, bool withTexts) {
  Capabilities caps;
  for (pugi::xml_node node : channel.node.children("Capability")) {
    const auto min = ParseByte(node.attribute("Min").value());
    const auto max = ParseByte(node.attribute("Max").value());
    if (!min || !max) {
      ++caps.unusable;
      continue;
    }
    caps.steps.push_back({*min, *max, withTexts ? TextOf(node) : std::string()});
  }
  return caps;
}

// The mode's channels, each looked up among the definitions; the first one the
// file does not define makes `missing` point at it.
struct ModeChannels {
  std::vector<const ChannelDef*> defs;
  std::vector<pugi::xml_node> nodes;
  pugi::xml_node missing;
};

ModeChannels ChannelsOf(const Definition& def, pugi::xml_node mode) {
  ModeChannels result;
  for (pugi::xml_node node : mode.children("Channel")) {
    const auto it = def.byName.find(Collapse(TextOf(node)));
    if (it == def.byName.end()) {
      if (!result.missing) result.missing = node;
      result.defs.push_back(nullptr);
    } else {
      result.defs.push_back(&def.channels[it->second]);
    }
    result.nodes.push_back(node);
  }
  return result;
}

std::string MissingChannelText(Locator& locator, pugi::xml_node channel) {
  return "the channel " + Quoted(Collapse(TextOf(channel))) + " is not defined in the file (" +
         locator.WhereElement(channel.offset_debug()) + ")";
}

// Why a mode cannot be imported, in a few words; empty when it can.
std::string RefusalOf(Locator& locator, const ModeChannels& channels) {
  const std::size_t count = channels.defs.size();
  if (count == 0) return "no channels";
  if (count > static_cast<std::size_t>(kMaxChannels)) {
    return std::to_string(count) + " channels; a fixture holds 40 at most";
  }
  if (channels.missing) return MissingChannelText(locator, channels.missing);
  return {};
}

// ---------------------------------------------------------------------------
// From a mode to the neutral source the import core takes

std::string Label(std::size_t index, const ChannelDef& channel) {
  return "Channel " + std::to_string(index + 1) + " " + Quoted(channel.name);
}

SourceMode ReadMode(const Definition& def, pugi::xml_node mode, const ModeChannels& modeChannels,
                    ReaderChanges& changes) {
  SourceMode source;
  source.Model = Collapse(TextOf(def.root.child("Model")));
  source.ModeName = mode.attribute("Name").value();
  // ActsOn gives the Number of another channel of the mode.
  std::unordered_map<long, std::size_t> byNumber;
  for (std::size_t i = 0; i < modeChannels.nodes.size(); ++i) {
    const auto number = ParseNumber(modeChannels.nodes[i].attribute("Number").value());
    byNumber.emplace(number.value_or(static_cast<long>(i)), i);
  }
  for (std::size_t i = 0; i < modeChannels.defs.size(); ++i) {
    const ChannelDef& def_ = *modeChannels.defs[i];
    SourceChannel channel;
    channel.Name = def_.name;
    channel.Meaning = def_.meaning;
    channel.Instance = QxfInstanceOf(def_.name);
    channel.Fine = def_.fine;
    const pugi::xml_attribute actsOn = modeChannels.nodes[i].attribute("ActsOn");
    if (const auto number = ParseNumber(actsOn.value()); actsOn && number) {
      if (const auto it = byNumber.find(*number); it != byNumber.end() && it->second != i) {
        channel.ActsOn = static_cast<int>(it->second);
      }
    }
    if (const pugi::xml_attribute value = def_.node.attribute("Default")) {
      if (const auto byte = ParseByte(value.value())) {
        channel.Default = *byte;
      } else {
        ++changes.ValuesReset;
        source.ReaderReport.push_back(Label(i, def_) + ": the default value " + Quoted(value.value()) +
                                      " is no DMX value from 0 to 255; the value is 0");
      }
    }
    Capabilities caps = ReadCapabilities(def_, true);
    channel.Steps = std::move(caps.steps);
    if (caps.unusable > 0) {
      changes.CapabilitiesDropped += caps.unusable;
      source.ReaderReport.push_back(Label(i, def_) + ": " + std::to_string(caps.unusable) +
                                    (caps.unusable == 1 ? " capability has" : " capabilities have") +
                                    " no DMX range from 0 to 255 and " + (caps.unusable == 1 ? "is" : "are") +
                                    " left out");
    }
    source.Channels.push_back(std::move(channel));
  }

  const pugi::xml_node modeFocus = mode.child("Physical").child("Focus");
  const pugi::xml_node fixtureFocus = def.root.child("Physical").child("Focus");
  auto degree = [&](const char* attribute, const char* what) {
    pugi::xml_attribute value = modeFocus.attribute(attribute);
    if (!value) value = fixtureFocus.attribute(attribute);
    if (!value) return 0;
    const auto number = ParseNumber(value.value());
    // A number out of range is the core's to report; a text that is none, ours.
    if (number && *number >= -1000000 && *number <= 1000000) return static_cast<int>(*number);
    ++changes.ValuesReset;
    source.ReaderReport.push_back(std::string("The maximum ") + what + " of " + Quoted(value.value()) +
                                  " degrees is not one from 0 to 720; it is 0");
    return 0;
  };
  source.PanDegrees = degree("PanMax", "pan");
  source.TiltDegrees = degree("TiltMax", "tilt");
  return source;
}

}  // namespace

std::optional<std::string> QxfTooLarge(std::uintmax_t size) {
  if (size <= kMaxQxfBytes) return std::nullopt;
  return "the file is " + std::to_string(size) + " bytes long; a fixture definition of more than " +
         std::to_string(kMaxQxfBytes / (1024 * 1024)) + " MB is not read";
}

QxfModeList ListQxfModes(std::span<const std::uint8_t> bytes) {
  QxfModeList list;
  const auto def = LoadDefinition(bytes);
  if (!def->error.empty()) {
    list.Error = def->error;
    return list;
  }
  list.Model = Collapse(TextOf(def->root.child("Model")));
  Locator locator(AsText(bytes));
  // The steps of each channel definition, counted once however many modes list it.
  std::vector<std::optional<int>> stepsOf(def->channels.size());
  for (pugi::xml_node node : def->modes) {
    const ModeChannels channels = ChannelsOf(*def, node);
    QxfMode mode;
    mode.Name = node.attribute("Name").value();
    mode.ChannelCount = static_cast<int>(channels.defs.size());
    for (const ChannelDef* channel : channels.defs) {
      if (!channel) continue;
      std::optional<int>& steps = stepsOf[static_cast<std::size_t>(channel - def->channels.data())];
      if (!steps) steps = std::min(kMaxSteps, static_cast<int>(ReadCapabilities(*channel, false).steps.size()));
      mode.StepCount += *steps;
    }
    mode.Why = RefusalOf(locator, channels);
    mode.Fits = mode.Why.empty();
    list.Modes.push_back(std::move(mode));
  }
  return list;
}

std::optional<SourceMode> ReadQxfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex,
                                      ReaderChanges& changes, std::string& error) {
  const auto def = LoadDefinition(bytes);
  if (!def->error.empty()) {
    error = def->error;
    return std::nullopt;
  }
  if (def->modes.empty()) {
    error = "the fixture definition has no modes";
    return std::nullopt;
  }
  if (modeIndex >= def->modes.size()) {
    error = "there is no mode " + std::to_string(modeIndex + 1) + "; the fixture definition has " +
            std::to_string(def->modes.size());
    return std::nullopt;
  }
  const pugi::xml_node mode = def->modes[modeIndex];
  const ModeChannels channels = ChannelsOf(*def, mode);
  Locator locator(AsText(bytes));
  if (const std::string why = RefusalOf(locator, channels); !why.empty()) {
    error = "mode " + Quoted(mode.attribute("Name").value()) + " cannot be imported: " + why;
    return std::nullopt;
  }
  return ReadMode(*def, mode, channels, changes);
}

QxfImport ImportQxfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex, const ChannelNameSet& names) {
  ReaderChanges changes;
  std::string error;
  const auto source = ReadQxfMode(bytes, modeIndex, changes, error);
  if (!source) {
    QxfImport result;
    result.Error = std::move(error);
    return result;
  }
  return ImportSourceMode(*source, names, changes);
}

}  // namespace brannoc
