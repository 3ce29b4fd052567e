// A GDTF mode through the import core: the layout by DMX address becomes the
// core's neutral SourceMode, each channel's attribute giving its meaning.

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "data/import/core.h"
#include "data/import/gdtf.h"

namespace brannoc {
namespace {

// An attribute with each run of digits written "(n)", as the list of standard
// attributes writes its wildcards ("Gobo2Pos" -> "Gobo(n)Pos"), and the first
// of those numbers.
std::string Wildcard(std::string_view attribute, int& number) {
  std::string out;
  number = 0;
  bool first = true;
  for (std::size_t i = 0; i < attribute.size();) {
    if (attribute[i] >= '0' && attribute[i] <= '9') {
      int n = 0;
      while (i < attribute.size() && attribute[i] >= '0' && attribute[i] <= '9') {
        n = std::min(n * 10 + (attribute[i] - '0'), 9999);
        ++i;
      }
      if (first) number = n;
      first = false;
      out += "(n)";
      continue;
    }
    out.push_back(attribute[i++]);
  }
  return out;
}

// The standard attributes (gdtf_attributes_with_description.json) and the
// meaning each gives a channel. Wildcards as the list writes them.
const std::unordered_map<std::string_view, Meaning>& AttributeMeanings() {
  static const std::unordered_map<std::string_view, Meaning> table = {
      {"Pan", Meaning::Pan},
      {"Tilt", Meaning::Tilt},
      {"PanRotate", Meaning::PanRotation},
      {"TiltRotate", Meaning::TiltRotation},
      {"PositionEffect", Meaning::Effect},
      {"PositionEffectRate", Meaning::EffectSpeed},
      {"PositionEffectFade", Meaning::EffectSpeed},
      {"PositionMSpeed", Meaning::PanTiltSpeed},
      {"PositionMTime", Meaning::PanTiltSpeed},
      // Dimmer: the master dimmer or a part's, decided by where it sits.
      {"DimmerMode", Meaning::DimmerCurve},
      {"DimmerCurve", Meaning::DimmerCurve},
      {"ColorAdd_R", Meaning::Red},
      {"ColorAdd_G", Meaning::Green},
      {"ColorAdd_B", Meaning::Blue},
      {"ColorAdd_W", Meaning::White},
      {"ColorAdd_WW", Meaning::WarmWhite},
      {"ColorAdd_CW", Meaning::ColdWhite},
      {"ColorAdd_A", Meaning::Amber},
      {"ColorAdd_RY", Meaning::Amber},  // red-yellow: the amber emitter
      {"ColorAdd_GY", Meaning::Lime},   // green-yellow: the lime emitter
      {"ColorAdd_UV", Meaning::UV},
      {"ColorAdd_BM", Meaning::Indigo},  // blue-magenta
      {"ColorAdd_C", Meaning::Cyan},
      {"ColorAdd_M", Meaning::Magenta},
      {"ColorAdd_Y", Meaning::Yellow},
      // The names GDTF 1.0 used for the same emitters.
      {"ColorRGB_Red", Meaning::Red},
      {"ColorRGB_Green", Meaning::Green},
      {"ColorRGB_Blue", Meaning::Blue},
      {"ColorRGB_Cyan", Meaning::Cyan},
      {"ColorRGB_Magenta", Meaning::Magenta},
      {"ColorRGB_Yellow", Meaning::Yellow},
      {"ColorRGB_Quality", Meaning::Unknown},
      {"ColorSub_C", Meaning::Cyan},
      {"ColorSub_M", Meaning::Magenta},
      {"ColorSub_Y", Meaning::Yellow},
      {"CTO", Meaning::CTO},
      {"CTC", Meaning::CTC},
      {"CTB", Meaning::CTC},
      {"HSB_Hue", Meaning::Hue},
      {"HSB_Saturation", Meaning::Saturation},
      {"Color(n)", Meaning::ColourWheel},
      {"Color(n)WheelIndex", Meaning::ColourWheel},
      {"Color(n)WheelSpin", Meaning::ColourWheelRotation},
      {"Color(n)WheelRandom", Meaning::ColourWheelRotation},
      {"Color(n)WheelAudio", Meaning::ColourWheelRotation},
      {"ColorMacro(n)", Meaning::ColourMacro},
      {"ColorMacro(n)Rate", Meaning::EffectSpeed},
      {"ColorEffects(n)", Meaning::Effect},
      {"ColorMixMode", Meaning::Control},
      {"ColorModelMode", Meaning::Control},
      {"ColorSettingsReset", Meaning::Control},
      {"Gobo(n)", Meaning::GoboWheel},
      {"Gobo(n)SelectSpin", Meaning::GoboWheel},
      {"Gobo(n)SelectShake", Meaning::GoboWheel},
      {"Gobo(n)SelectEffects", Meaning::GoboWheel},
      {"Gobo(n)WheelIndex", Meaning::GoboWheelRotation},
      {"Gobo(n)WheelSpin", Meaning::GoboWheelRotation},
      {"Gobo(n)WheelShake", Meaning::GoboWheelRotation},
      {"Gobo(n)WheelRandom", Meaning::GoboWheelRotation},
      {"Gobo(n)WheelAudio", Meaning::GoboWheelRotation},
      {"Gobo(n)Pos", Meaning::GoboRotation},
      {"Gobo(n)PosRotate", Meaning::GoboRotation},
      {"Gobo(n)PosShake", Meaning::GoboRotation},
      {"AnimationWheel(n)", Meaning::AnimationWheel},
      {"AnimationWheel(n)Audio", Meaning::AnimationWheel},
      {"AnimationWheel(n)Macro", Meaning::AnimationWheel},
      {"AnimationWheel(n)Random", Meaning::AnimationWheel},
      {"AnimationWheel(n)SelectEffects", Meaning::AnimationWheel},
      {"AnimationWheel(n)SelectShake", Meaning::AnimationWheel},
      {"AnimationWheel(n)SelectSpin", Meaning::AnimationWheel},
      {"AnimationWheel(n)Pos", Meaning::AnimationWheel},
      {"AnimationWheel(n)PosRotate", Meaning::AnimationWheel},
      {"AnimationWheel(n)PosShake", Meaning::AnimationWheel},
      {"AnimationSystem(n)", Meaning::AnimationWheel},
      {"AnimationSystem(n)Ramp", Meaning::AnimationWheel},
      {"AnimationSystem(n)Shake", Meaning::AnimationWheel},
      {"AnimationSystem(n)Audio", Meaning::AnimationWheel},
      {"AnimationSystem(n)Random", Meaning::AnimationWheel},
      {"AnimationSystem(n)Pos", Meaning::AnimationWheel},
      {"AnimationSystem(n)PosRotate", Meaning::AnimationWheel},
      {"AnimationSystem(n)PosShake", Meaning::AnimationWheel},
      {"AnimationSystem(n)PosRandom", Meaning::AnimationWheel},
      {"AnimationSystem(n)PosAudio", Meaning::AnimationWheel},
      {"AnimationSystem(n)Macro", Meaning::AnimationWheel},
      {"Prism(n)", Meaning::Prism},
      {"Prism(n)SelectSpin", Meaning::Prism},
      {"Prism(n)Macro", Meaning::Prism},
      {"Prism(n)Pos", Meaning::PrismRotation},
      {"Prism(n)PosRotate", Meaning::PrismRotation},
      {"Effects(n)", Meaning::Effect},
      {"Effects(n)Rate", Meaning::EffectSpeed},
      {"Effects(n)Fade", Meaning::EffectSpeed},
      {"Effects(n)Adjust(n)", Meaning::Effect},
      {"Effects(n)Pos", Meaning::Effect},
      {"Effects(n)PosRotate", Meaning::Effect},
      {"EffectsSync", Meaning::Effect},
      {"BeamShaper", Meaning::BeamShaper},
      {"BeamShaperMacro", Meaning::BeamShaper},
      {"BeamShaperPos", Meaning::BeamShaper},
      {"BeamShaperPosRotate", Meaning::BeamShaper},
      {"Zoom", Meaning::Zoom},
      {"ZoomModeSpot", Meaning::Zoom},
      {"ZoomModeBeam", Meaning::Zoom},
      {"DigitalZoom", Meaning::Zoom},
      {"Focus(n)", Meaning::Focus},
      {"Focus(n)Adjust", Meaning::Focus},
      {"Focus(n)Distance", Meaning::Focus},
      {"Control(n)", Meaning::Control},
      {"Iris", Meaning::Iris},
      {"IrisStrobe", Meaning::Iris},
      {"IrisStrobeRandom", Meaning::Iris},
      {"IrisPulseClose", Meaning::Iris},
      {"IrisPulseOpen", Meaning::Iris},
      {"IrisRandomPulseClose", Meaning::Iris},
      {"IrisRandomPulseOpen", Meaning::Iris},
      {"Frost(n)", Meaning::Frost},
      {"Frost(n)PulseOpen", Meaning::Frost},
      {"Frost(n)PulseClose", Meaning::Frost},
      {"Frost(n)Ramp", Meaning::Frost},
      {"Shutter(n)", Meaning::Shutter},
      {"StrobeDuration", Meaning::Strobe},
      {"StrobeRate", Meaning::Strobe},
      {"StrobeFrequency", Meaning::Strobe},
      {"StrobeModeShutter", Meaning::Shutter},
      {"StrobeModeStrobe", Meaning::Strobe},
      {"Blade(n)A", Meaning::BladeA},
      {"Blade(n)B", Meaning::BladeB},
      {"Blade(n)Rot", Meaning::BladeRotation},
      {"BladeSoft(n)A", Meaning::BladeA},
      {"BladeSoft(n)B", Meaning::BladeB},
      {"ShaperRot", Meaning::ShaperRotation},
      {"ShaperMacros", Meaning::BeamShaper},
      {"ShaperMacrosSpeed", Meaning::BeamShaper},
      {"GlobalMSpeed", Meaning::Speed},
      {"Function", Meaning::Control},
      {"FixtureGlobalReset", Meaning::Control},
      {"FixtureCalibrationReset", Meaning::Control},
      {"DisplayIntensity", Meaning::Control},
      {"DMXInput", Meaning::Control},
      {"LampControl", Meaning::Control},
      {"LampPowerMode", Meaning::Control},
      {"Fans", Meaning::Fan},
      {"NoFeature", Meaning::Nothing},
      {"Dummy", Meaning::Nothing},
  };
  return table;
}

// Families the table does not list one by one, by the start of the wildcard
// form; the first that matches counts.
constexpr std::pair<std::string_view, Meaning> kAttributeFamilies[] = {
    {"Shutter(n)Strobe", Meaning::Strobe},
    {"Shutter(n)", Meaning::Shutter},
    {"Dimmer", Meaning::DimmerCurve},      // DimmerModeXY and the like; Dimmer itself is settled before
    {"Fan", Meaning::Fan},                 // FanMode, Fan(n)...
    {"Reset", Meaning::Control},
    {"Color(n)Wheel", Meaning::ColourWheelRotation},
    {"ColorMacro(n)", Meaning::ColourMacro},
    {"Gobo(n)Wheel", Meaning::GoboWheelRotation},
    {"Gobo(n)Pos", Meaning::GoboRotation},
    {"Gobo(n)", Meaning::GoboWheel},
    {"Prism(n)Pos", Meaning::PrismRotation},
    {"Prism(n)", Meaning::Prism},
    {"Effects(n)", Meaning::Effect},
    {"Frost(n)", Meaning::Frost},
    {"Iris", Meaning::Iris},
    {"Focus(n)", Meaning::Focus},
    {"Control(n)", Meaning::Control},
};

// The meaning of an attribute. Dimmer is not settled here (see MasterDimmers).
Meaning MeaningOfAttribute(std::string_view attribute, int& number) {
  const std::string wild = Wildcard(attribute, number);
  const auto& table = AttributeMeanings();
  if (const auto it = table.find(wild); it != table.end()) return it->second;
  for (const auto& [start, meaning] : kAttributeFamilies) {
    if (std::string_view(wild).starts_with(start)) return meaning;
  }
  // Movement speeds and times of any feature: "ColorMixMSpeed", "GoboMTime".
  if (wild.ends_with("MSpeed") || wild.ends_with("MTime")) return Meaning::Speed;
  return Meaning::Unknown;
}

// The master dimmer is the Dimmer of the whole fixture: not repeated by a
// geometry reference, and the only one, or the one nearest the top of the
// geometry tree. The others dim a part.
void MasterDimmers(const GdtfModeLayout& layout, SourceMode& mode) {
  int best = -1;
  bool tie = false;
  for (std::size_t i = 0; i < layout.Channels.size(); ++i) {
    const GdtfChannel& c = layout.Channels[i];
    if (c.Attribute != "Dimmer" || c.Byte != 0 || c.Number != 0) continue;
    if (best < 0 || c.Depth < layout.Channels[static_cast<std::size_t>(best)].Depth) {
      best = static_cast<int>(i);
      tie = false;
    } else if (c.Depth == layout.Channels[static_cast<std::size_t>(best)].Depth) {
      tie = true;
    }
  }
  for (std::size_t i = 0; i < layout.Channels.size(); ++i) {
    const GdtfChannel& c = layout.Channels[i];
    if (c.Attribute != "Dimmer") continue;
    const std::size_t coarse = c.Byte == 0 ? i : static_cast<std::size_t>(c.Coarse);
    mode.Channels[i].Meaning = static_cast<int>(coarse) == best && !tie ? Meaning::MasterDimmer : Meaning::Dimmer;
  }
}

// A channel's own name: its attribute's short form where the definitions give
// one, else the attribute.
std::string OwnName(const GdtfChannel& c) { return c.Pretty.empty() ? c.Attribute : c.Pretty; }

SourceMode ToSourceMode(const GdtfModeLayout& layout) {
  SourceMode mode;
  mode.Model = layout.FixtureName;
  mode.ModeName = layout.ModeName;
  mode.PanDegrees = layout.PanDegrees;
  mode.TiltDegrees = layout.TiltDegrees;
  mode.ReaderReport = layout.Report;
  mode.Channels.resize(layout.Channels.size());
  for (std::size_t i = 0; i < layout.Channels.size(); ++i) {
    const GdtfChannel& c = layout.Channels[i];
    SourceChannel& out = mode.Channels[i];
    out.Default = c.Default;
    if (!c.Used) continue;  // an address no channel uses: unnamed, of no meaning
    int number = 0;
    out.Meaning = MeaningOfAttribute(c.Attribute, number);
    const bool blade = out.Meaning == Meaning::BladeA || out.Meaning == Meaning::BladeB ||
                       out.Meaning == Meaning::BladeRotation;
    out.Instance = blade ? number : c.Number;
    out.Name = OwnName(c);
    if (c.Byte == 1) {
      out.Fine = true;
      out.Coarse = c.Coarse;
      out.Name += " Fine";
    } else if (c.Byte >= 2) {
      out.ExtraByte = true;
      out.Meaning = Meaning::Unknown;  // a plain channel of its own name
      out.Name += c.Byte == 2 ? " Ultra" : " Byte " + std::to_string(c.Byte + 1);
    }
    for (const GdtfStep& step : c.Steps) {
      out.Steps.push_back({static_cast<std::uint8_t>(step.From), static_cast<std::uint8_t>(step.To), step.Name});
    }
  }
  MasterDimmers(layout, mode);
  // A third byte is named after its channel as the core will name it.
  for (std::size_t i = 0; i < layout.Channels.size(); ++i) {
    const GdtfChannel& c = layout.Channels[i];
    if (c.Byte < 2) continue;
    const SourceChannel& coarse = mode.Channels[static_cast<std::size_t>(c.Coarse)];
    const std::string shared = SharedName(coarse.Meaning, coarse.Instance, false);
    if (!shared.empty()) mode.Channels[i].Name = shared + (c.Byte == 2 ? " Ultra" : " Byte " + std::to_string(c.Byte + 1));
  }
  return mode;
}

}  // namespace

Meaning MeaningOfGdtfAttribute(std::string_view attribute) {
  if (attribute == "Dimmer") return Meaning::Dimmer;
  int number = 0;
  return MeaningOfAttribute(attribute, number);
}

std::optional<SourceMode> ReadGdtfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex, std::string& error) {
  const GdtfModeLayout layout = LayOutGdtfMode(bytes, modeIndex);
  if (!layout.Error.empty()) {
    error = layout.ModeName.empty() ? layout.Error
                                    : "mode \"" + layout.ModeName + "\" cannot be imported: " + layout.Error;
    return std::nullopt;
  }
  return ToSourceMode(layout);
}

ImportResult ImportGdtfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex, const ChannelNameSet& names) {
  std::string error;
  const std::optional<SourceMode> mode = ReadGdtfMode(bytes, modeIndex, error);
  if (!mode) {
    ImportResult result;
    result.Error = std::move(error);
    return result;
  }
  return ImportSourceMode(*mode, names);
}

}  // namespace brannoc
