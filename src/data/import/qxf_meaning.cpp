#include "data/import/qxf_meaning.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/import/text.h"

namespace brannoc {
namespace {

using namespace import_text;

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

}  // namespace

Meaning MeaningOfQxfChannel(std::string_view preset, std::string_view group, std::string_view name) {
  if (preset.empty()) return MeaningOfGroup(group, name);
  for (const auto& [start, meaning] : kPresetMeanings) {
    if (!preset.starts_with(start)) continue;
    // A dimmer preset on the fixture's master ("Master Dimmer" as IntensityDimmer).
    if (meaning == Meaning::Dimmer && HasWord(Words(LowerAscii(name)), {"master"})) return Meaning::MasterDimmer;
    return meaning;
  }
  return MeaningOfGroup(group, name);
}

int QxfInstanceOf(std::string_view name) {
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

}  // namespace brannoc
