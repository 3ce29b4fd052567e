#include "data/import/qxf.h"

#include <pugixml.hpp>

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>

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
// What a channel means: its Preset when it has one, else its <Group> read
// together with its name.

// By the start of the Preset ("PositionPanFine" is a fine PositionPan); the
// first row that matches counts.
constexpr std::pair<std::string_view, Meaning> kPresetMeanings[] = {
    {"PositionPan", Meaning::Pan},
    {"PositionTilt", Meaning::Tilt},
    {"PositionXAxis", Meaning::Pan},
    {"PositionYAxis", Meaning::Tilt},
    {"IntensityMasterDimmer", Meaning::MasterDimmer},
    {"IntensityDimmer", Meaning::Dimmer},
    {"IntensityRed", Meaning::Red},
    {"IntensityGreen", Meaning::Green},
    {"IntensityBlue", Meaning::Blue},
    {"IntensityCyan", Meaning::Cyan},
    {"IntensityMagenta", Meaning::Magenta},
    {"IntensityYellow", Meaning::Yellow},
    {"IntensityAmber", Meaning::Amber},
    {"IntensityWhite", Meaning::White},
    {"IntensityUV", Meaning::UV},
    {"IntensityIndigo", Meaning::Indigo},
    {"IntensityLime", Meaning::Lime},
    {"IntensityHue", Meaning::Hue},
    {"IntensitySaturation", Meaning::Saturation},
    {"IntensityLightness", Meaning::Dimmer},  // the L of HSL and the V of HSV scale the light
    {"IntensityValue", Meaning::Dimmer},
    {"SpeedPanTilt", Meaning::PanTiltSpeed},
    {"SpeedPan", Meaning::PanTiltSpeed},
    {"SpeedTilt", Meaning::PanTiltSpeed},
    {"ColorMacro", Meaning::ColourMacro},
    {"ColorWheel", Meaning::ColourWheel},
    {"ColorRGBMixer", Meaning::ColourMacro},
    {"ColorCTOMixer", Meaning::CTO},
    {"ColorCTCMixer", Meaning::CTC},
    {"ColorCTBMixer", Meaning::CTC},
    {"GoboWheel", Meaning::GoboWheel},
    {"GoboIndex", Meaning::GoboRotation},
    {"ShutterStrobe", Meaning::Strobe},
    {"ShutterIris", Meaning::Iris},
    {"BeamFocus", Meaning::Focus},
    {"BeamZoom", Meaning::Zoom},
    {"PrismRotation", Meaning::PrismRotation},
    {"NoFunction", Meaning::Nothing},
};

bool SaysRotation(const std::vector<std::string>& w) {
  return HasWord(w, {"rotation", "rotate", "rot", "index", "indexing", "indexed", "spin", "spinning", "rotoation",
                     "ratation", "position", "angle", "pos"});
}

bool SaysStrobe(const std::string& lower, const std::vector<std::string>& w) {
  return Contains(lower, "strob") || HasWord(w, {"flash", "flashing"});
}

// A colour the name says, for a channel of the Intensity or Colour group.
std::optional<Meaning> ColourOf(const std::vector<std::string>& w) {
  if (HasWord(w, {"red", "r"})) return Meaning::Red;
  if (HasWord(w, {"green", "g"})) return Meaning::Green;
  if (HasWord(w, {"blue", "b"})) return Meaning::Blue;
  if (HasWord(w, {"warm"}) && HasWord(w, {"white", "w"})) return Meaning::WarmWhite;
  if (HasWord(w, {"cold", "cool"}) && HasWord(w, {"white", "w"})) return Meaning::ColdWhite;
  if (HasWord(w, {"ww"})) return Meaning::WarmWhite;
  if (HasWord(w, {"cw"})) return Meaning::ColdWhite;
  if (HasWord(w, {"white", "w"})) return Meaning::White;
  if (HasWord(w, {"amber", "a"})) return Meaning::Amber;
  if (HasWord(w, {"uv", "ultraviolet"})) return Meaning::UV;
  if (HasWord(w, {"lime"})) return Meaning::Lime;
  if (HasWord(w, {"indigo"})) return Meaning::Indigo;
  if (HasWord(w, {"cyan", "c"})) return Meaning::Cyan;
  if (HasWord(w, {"magenta", "m"})) return Meaning::Magenta;
  if (HasWord(w, {"yellow", "y"})) return Meaning::Yellow;
  if (HasWord(w, {"cto"})) return Meaning::CTO;
  if (HasWord(w, {"ctc", "ctb", "temperature", "tint", "ct"})) return Meaning::CTC;
  if (HasWord(w, {"hue"})) return Meaning::Hue;
  if (HasWord(w, {"saturation", "sat"})) return Meaning::Saturation;
  return std::nullopt;
}

// A framing blade: insertion of its A or B side, or its angle; the whole
// system's rotation.
std::optional<Meaning> BladeOf(const std::string& lower, const std::vector<std::string>& w) {
  const bool blade = HasWord(w, {"blade", "blades", "framing", "barndoor", "frame", "shaper"}) ||
                     (HasWord(w, {"shutter"}) && std::any_of(w.begin(), w.end(), [](const std::string& x) {
                        return x.size() == 2 && x[0] >= '1' && x[0] <= '9' && (x[1] == 'a' || x[1] == 'b');
                      }));
  if (!blade) return std::nullopt;
  const bool numbered = std::any_of(w.begin(), w.end(), [](const std::string& x) { return x[0] >= '1' && x[0] <= '9'; });
  // A numbered blade's "position" is how far it is in, not its angle
  // ("Framing blade 1, position" beside "Framing blade 1, angle").
  std::vector<std::string> turning = w;
  if (numbered) std::erase_if(turning, [](const std::string& x) { return x == "position" || x == "pos"; });
  if (SaysRotation(turning) || HasWord(w, {"swivelling", "swivel"})) {
    return numbered && !Contains(lower, "system") ? Meaning::BladeRotation : Meaning::ShaperRotation;
  }
  if (!numbered) return Meaning::BeamShaper;
  // "Blade 2B", "Shutter 2b", "Blade 2-2": the second side of blade 2.
  const bool sideB = std::any_of(w.begin(), w.end(), [](const std::string& x) {
    return x == "b" || (x.size() == 2 && x[0] >= '1' && x[0] <= '9' && x[1] == 'b');
  }) || (lower.size() > 3 && std::any_of(lower.begin(), lower.end() - 2, [&](const char& c) {
           const std::size_t at = static_cast<std::size_t>(&c - lower.data());
           return c >= '1' && c <= '9' && lower[at + 1] == '-' && lower[at + 2] == '2';
         }));
  return sideB ? Meaning::BladeB : Meaning::BladeA;
}

Meaning MeaningOfGroup(std::string_view group, std::string_view name) {
  const std::string lower = LowerAscii(name);
  const std::vector<std::string> w = Words(lower);
  const bool macro = HasWord(w, {"macro", "macros"});
  const bool speed = HasWord(w, {"speed", "time", "duration"});
  if (group == "Pan" || group == "Tilt") {
    // QLC+ files the position here whatever its name ("Rotation", "X axis");
    // only macros, speeds and endless turning are something else.
    if (macro) return Meaning::Macro;
    if (speed) return Meaning::PanTiltSpeed;
    if (HasWord(w, {"continuous", "endless", "infinite", "roll", "rolling"})) {
      return group == "Pan" ? Meaning::PanRotation : Meaning::TiltRotation;
    }
    return group == "Pan" ? Meaning::Pan : Meaning::Tilt;
  }
  if (group == "Intensity") {
    if (HasWord(w, {"curve", "curves", "mode"})) return Meaning::DimmerCurve;
    if (speed) return Meaning::DimmerSpeed;
    if (HasWord(w, {"master"})) return Meaning::MasterDimmer;
    if (HasWord(w, {"dimmer", "intensity", "brightness", "dim"})) return Meaning::Dimmer;
    if (const auto colour = ColourOf(w)) return *colour;
    if (HasWord(w, {"shutter"})) return Meaning::Shutter;
    if (SaysStrobe(lower, w)) return Meaning::Strobe;
    if (HasWord(w, {"fan"})) return Meaning::Fan;
    if (macro || HasWord(w, {"program", "programs", "auto", "automation", "chase"})) return Meaning::Macro;
    if (HasWord(w, {"fog", "haze", "pump", "smoke", "sound", "sensitivity", "lamp"})) return Meaning::Control;
    return Meaning::Dimmer;
  }
  if (group == "Colour") {
    if (HasWord(w, {"macro", "macros", "preset", "presets", "program", "programs", "effect", "effects", "chase"})) {
      return Meaning::ColourMacro;
    }
    if (speed) return Meaning::Speed;
    if (HasWord(w, {"wheel"})) {
      return HasWord(w, {"rotation", "scroll", "scrolling", "spin", "rotate"}) ? Meaning::ColourWheelRotation
                                                                             : Meaning::ColourWheel;
    }
    if (HasWord(w, {"cto"})) return Meaning::CTO;
    if (HasWord(w, {"ctc", "ctb", "temperature", "ct", "tint", "balance"})) return Meaning::CTC;
    if (const auto colour = ColourOf(w)) return *colour;
    return Meaning::ColourWheel;
  }
  if (group == "Gobo") {
    if (HasWord(w, {"animation"})) return Meaning::AnimationWheel;
    if (HasWord(w, {"shake", "change", "selection", "select"})) return Meaning::GoboWheel;
    if (SaysRotation(w) || (speed && !macro)) {
      return HasWord(w, {"wheel"}) && !HasWord(w, {"index", "indexing"}) ? Meaning::GoboWheelRotation
                                                                        : Meaning::GoboRotation;
    }
    return Meaning::GoboWheel;
  }
  if (group == "Prism") {
    if (HasWord(w, {"frost"})) return Meaning::Frost;
    return SaysRotation(w) || speed ? Meaning::PrismRotation : Meaning::Prism;
  }
  if (group == "Shutter") {
    if (const auto blade = BladeOf(lower, w)) return *blade;
    if (HasWord(w, {"iris"})) return Meaning::Iris;
    if (HasWord(w, {"shutter"})) return Meaning::Shutter;
    if (SaysStrobe(lower, w)) return Meaning::Strobe;
    if (HasWord(w, {"dimmer"})) return Meaning::Dimmer;
    return Meaning::Shutter;
  }
  if (group == "Beam") {
    if (HasWord(w, {"focus"})) return Meaning::Focus;
    if (HasWord(w, {"zoom", "zooming"})) return Meaning::Zoom;
    if (HasWord(w, {"iris"})) return Meaning::Iris;
    if (HasWord(w, {"frost"})) return Meaning::Frost;
    if (const auto blade = BladeOf(lower, w)) return *blade;
    return Meaning::BeamShaper;
  }
  if (group == "Speed") {
    if (Contains(lower, "pan/tilt") || Contains(lower, "p/t") || Contains(lower, "pan - tilt") ||
        Contains(lower, "pan / tilt") || HasWord(w, {"pan", "tilt", "movement", "move", "scan"})) {
      return macro ? Meaning::EffectSpeed : Meaning::PanTiltSpeed;
    }
    if (HasWord(w, {"dimmer", "dim"})) return Meaning::DimmerSpeed;
    if (HasWord(w, {"gobo"}) && SaysRotation(w)) return Meaning::GoboRotation;
    if (HasWord(w, {"prism"}) && SaysRotation(w)) return Meaning::PrismRotation;
    if (HasWord(w, {"fan"})) return Meaning::Fan;
    if (SaysStrobe(lower, w)) return Meaning::Strobe;
    if (macro || HasWord(w, {"effect", "effects", "program", "programs", "auto", "chase", "show", "shape", "pattern",
                              "fx"})) {
      return Meaning::EffectSpeed;
    }
    return Meaning::Speed;
  }
  if (group == "Effect") {
    if (HasWord(w, {"frost"})) return Meaning::Frost;
    if (HasWord(w, {"zoom", "zooming"})) return Meaning::Zoom;
    if (HasWord(w, {"animation"})) return Meaning::AnimationWheel;
    if (HasWord(w, {"gobo"}) && SaysRotation(w)) return Meaning::GoboRotation;
    if (HasWord(w, {"prism"})) return SaysRotation(w) ? Meaning::PrismRotation : Meaning::Prism;
    if (HasWord(w, {"dimmer"}) && HasWord(w, {"curve", "curves", "mode"})) return Meaning::DimmerCurve;
    if (HasWord(w, {"color", "colour"}) && macro) return Meaning::ColourMacro;
    if (speed) return Meaning::EffectSpeed;
    if (SaysStrobe(lower, w)) return Meaning::Strobe;
    if (macro || HasWord(w, {"program", "programs", "auto", "show", "shows", "sound", "chase", "programme"})) {
      return Meaning::Macro;
    }
    return Meaning::Effect;
  }
  if (group == "Maintenance") {
    if (HasWord(w, {"fan"})) return Meaning::Fan;
    if (HasWord(w, {"dimmer", "dimming"}) && HasWord(w, {"curve", "curves", "mode", "modes"})) {
      return Meaning::DimmerCurve;
    }
    return Meaning::Control;
  }
  if (group == "Nothing") return Meaning::Nothing;
  return Meaning::Unknown;
}

// The number of the cell, head or part a channel's name gives ("Led 1 Red",
// "Ch2 Dimmer", "Blade 3A"); 0 when it gives none. A number that measures
// something ("16-bit", "8-facet", "3200K", "4 ch") is none.
int InstanceOf(std::string_view name) {
  const std::string lower = LowerAscii(name);
  for (std::size_t i = 0; i < lower.size();) {
    if (lower[i] < '0' || lower[i] > '9') {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < lower.size() && lower[j] >= '0' && lower[j] <= '9') ++j;
    const std::string digits = lower.substr(i, j - i);
    std::size_t k = j;
    if (k < lower.size() && (lower[k] == ' ' || lower[k] == '-')) ++k;
    std::size_t e = k;
    while (e < lower.size() && lower[e] >= 'a' && lower[e] <= 'z') ++e;
    const std::string after = lower.substr(k, e - k);
    const bool measure = IsOneOf(after, {"bit", "bits", "ch", "chan", "channel", "channels", "facet", "facets", "k",
                                         "deg", "degree", "degrees", "hz", "x", "ms", "s", "sec", "mode", "w", "st",
                                         "nd", "rd", "th", "d", "pin"}) ||
                         (j < lower.size() && (lower[j] == '%' || lower[j] == '/'));
    if (!measure && digits.size() <= 2 && digits != "0" && digits != "00") return std::stoi(digits);
    i = j;
  }
  return 0;
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

Meaning MeaningOfChannel(const std::string& preset, const std::string& group, const std::string& name) {
  if (preset.empty()) return MeaningOfGroup(group, name);
  for (const auto& [start, meaning] : kPresetMeanings) {
    if (!std::string_view(preset).starts_with(start)) continue;
    // A dimmer preset on the fixture's master ("Master Dimmer" as IntensityDimmer).
    if (meaning == Meaning::Dimmer && HasWord(Words(LowerAscii(name)), {"master"})) return Meaning::MasterDimmer;
    return meaning;
  }
  return MeaningOfGroup(group, name);
}

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
    channel.meaning = MeaningOfChannel(preset, Collapse(TextOf(group)), channel.name);
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
    channel.Instance = InstanceOf(def_.name);
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
