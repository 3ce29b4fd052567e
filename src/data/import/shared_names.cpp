// The import core's tables, written once: a meaning's shared name, its fine
// channel's name, its type class and its LED name; and a shared name read back
// to its meaning (core.h declares what they give).

#include <string_view>
#include <utility>
#include <vector>

#include "data/import/core.h"
#include "data/import/shared_names.h"
#include "data/import/text.h"

namespace brannoc {
namespace import_core {

std::string WithNumber(const std::string& name, int number) {
  const std::string digits = std::to_string(number);
  if (name.size() + 1 + digits.size() <= kChannelNameWidth) return name + " " + digits;
  if (name.size() + digits.size() <= kChannelNameWidth) return name + digits;
  std::string base = name.substr(0, kChannelNameWidth - 1 - digits.size());
  while (!base.empty() && base.back() == ' ') base.pop_back();
  return base + " " + digits;
}

}  // namespace import_core

namespace {

using namespace import_core;
using namespace import_text;

// ---------------------------------------------------------------------------
// The table: a meaning's shared name, its fine channel's name, and its type.
// A repeated meaning adds its number: "Red 3", "Red Fine 3". Where a built-in
// name says the same thing, the table uses it ("GoboRot", "Prsm Rot", "Macros"),
// so that the name costs no new slot.
constexpr MeaningRow kTable[] = {
    {Meaning::Unknown, nullptr, nullptr, TypeClass::Fadeable},
    {Meaning::Nothing, "Reserved", "Res Fine", TypeClass::Fadeable},
    {Meaning::Pan, "Pan", "Pan Fine", TypeClass::Fadeable},
    {Meaning::Tilt, "Tilt", "Tilt Fine", TypeClass::Fadeable},
    {Meaning::PanTiltSpeed, "P/T Speed", "PTSpdFine", TypeClass::Fadeable},
    {Meaning::PanRotation, "Pan Rot", "PanRotFine", TypeClass::Fadeable},
    {Meaning::TiltRotation, "Tilt Rot", "TltRotFine", TypeClass::Fadeable},
    // The master dimmer takes the name whose code the console dims a fixture by.
    {Meaning::MasterDimmer, "Dimmer", "Dim Fine", TypeClass::Intensity},
    {Meaning::Dimmer, "Dimmer", "Dim Fine", TypeClass::Intensity},
    // A curve or mode setting, not a level.
    {Meaning::DimmerCurve, "Dim Curve", "DimCrvFine", TypeClass::Instant},
    {Meaning::DimmerSpeed, "DimSpeed", "DimSpdFine", TypeClass::Fadeable},
    // Light of its own colour: an intensity where no master dimmer scales it.
    {Meaning::Red, "Red", "Red Fine", TypeClass::ColourMix},
    {Meaning::Green, "Green", "Green Fine", TypeClass::ColourMix},
    {Meaning::Blue, "Blue", "Blue Fine", TypeClass::ColourMix},
    {Meaning::White, "White", "WhiteFine", TypeClass::ColourMix},
    {Meaning::WarmWhite, "Warm White", "WW Fine", TypeClass::ColourMix},
    {Meaning::ColdWhite, "Cold White", "CW Fine", TypeClass::ColourMix},
    {Meaning::Amber, "Amber", "AmberFine", TypeClass::ColourMix},
    {Meaning::UV, "UV", "UV Fine", TypeClass::ColourMix},
    {Meaning::Lime, "Lime", "Lime Fine", TypeClass::ColourMix},
    {Meaning::Indigo, "Indigo", "IndigoFine", TypeClass::ColourMix},
    // Filters and tints take light away or shift it: never an intensity.
    {Meaning::Cyan, "Cyan", "Cyan Fine", TypeClass::Fadeable},
    {Meaning::Magenta, "Magenta", "Mag Fine", TypeClass::Fadeable},
    {Meaning::Yellow, "Yellow", "Yel Fine", TypeClass::Fadeable},
    {Meaning::CTO, "CTO", "CTO Fine", TypeClass::Fadeable},
    {Meaning::CTC, "CTC", "CTC Fine", TypeClass::Fadeable},
    {Meaning::Hue, "Hue", "Hue Fine", TypeClass::Fadeable},
    {Meaning::Saturation, "Sat", "Sat Fine", TypeClass::Fadeable},
    // Selections jump from slot to slot: a fade through them shows every slot.
    {Meaning::ColourWheel, "Colour", "Col Fine", TypeClass::Instant},
    {Meaning::ColourWheelRotation, "ClrRotat", "ClrRotFine", TypeClass::Fadeable},
    {Meaning::ColourMacro, "Col Macro", "ColMacFine", TypeClass::Instant},
    {Meaning::GoboWheel, "Gobo", "Gobo Fine", TypeClass::Instant},
    {Meaning::GoboRotation, "GoboRot", "GoboRotFin", TypeClass::Fadeable},
    {Meaning::GoboWheelRotation, "GoboSpin", "GbSpinFine", TypeClass::Fadeable},
    {Meaning::AnimationWheel, "Animation", "Anim Fine", TypeClass::Instant},
    {Meaning::Prism, "Prism", "PrismFine", TypeClass::Instant},
    {Meaning::PrismRotation, "Prsm Rot", "PrsmRotFin", TypeClass::Fadeable},
    {Meaning::Shutter, "Shutter", "Shut Fine", TypeClass::Instant},
    {Meaning::Strobe, "Strobe", "Strb Fine", TypeClass::Instant},
    {Meaning::Focus, "Focus", "Focus Fine", TypeClass::Fadeable},
    {Meaning::Zoom, "Zoom", "Zoom Fine", TypeClass::Fadeable},
    {Meaning::Iris, "Iris", "Iris Fine", TypeClass::Fadeable},
    {Meaning::Frost, "Frost", "FrostFine", TypeClass::Fadeable},
    // The blade's number goes inside the name ("Blade 2A"); see SharedName.
    {Meaning::BladeA, "Blade A", "BladeA Fn", TypeClass::Fadeable},
    {Meaning::BladeB, "Blade B", "BladeB Fn", TypeClass::Fadeable},
    {Meaning::BladeRotation, "Blade Rot", "BladeRotFn", TypeClass::Fadeable},
    {Meaning::ShaperRotation, "Frame Rot", "FrmRotFine", TypeClass::Fadeable},
    {Meaning::BeamShaper, "BeamShap", "BmShpFine", TypeClass::Fadeable},
    {Meaning::Speed, "Speed", "Spd Fine", TypeClass::Fadeable},
    {Meaning::Effect, "Effect", "Fx Fine", TypeClass::Instant},
    {Meaning::EffectSpeed, "Fx Speed", "FxSpdFine", TypeClass::Fadeable},
    {Meaning::Macro, "Macros", "Mac Fine", TypeClass::Instant},
    {Meaning::Control, "Control", "Ctrl Fine", TypeClass::Instant},
    {Meaning::Fan, "FanSpd", "Fan Fine", TypeClass::Instant},
};

// Built-in names that say a meaning in words of their own.
struct Alias {
  const char* Name;
  brannoc::Meaning Meaning;
  int Instance;
};
constexpr Alias kAliases[] = {
    {"Colour1", Meaning::ColourWheel, 2}, {"Gobo1", Meaning::GoboWheel, 2},
    {"Rot Gobo", Meaning::GoboRotation, 0}, {"Rotation", Meaning::GoboRotation, 0},
    {"Special", Meaning::Control, 0}, {"Function", Meaning::Control, 0},
    {"Effect", Meaning::Effect, 0}, {"Fx", Meaning::Effect, 0},
};

// The LED form's names (kLedNames, 1-based): the colours the console mixes,
// the master dimmer, strobe, effects, macros, speeds, zoom and reset.
constexpr std::pair<Meaning, int> kLedNames[] = {
    {Meaning::Red, 1},           {Meaning::Green, 2},      {Meaning::Blue, 3},       {Meaning::Amber, 4},
    {Meaning::White, 5},         {Meaning::ColdWhite, 5},  {Meaning::WarmWhite, 6},  {Meaning::Strobe, 7},
    {Meaning::Shutter, 7},       {Meaning::MasterDimmer, 8}, {Meaning::Effect, 9},   {Meaning::Macro, 10},
    {Meaning::ColourMacro, 10},
    // On an LED fixture a colour "wheel" is a row of preset colours: a macro.
    {Meaning::ColourWheel, 10},  {Meaning::Speed, 12},     {Meaning::EffectSpeed, 12}, {Meaning::DimmerSpeed, 12},
    {Meaning::Zoom, 13},
    // Control channels hold the reset, with the lamp and the modes beside it.
    {Meaning::Control, 14},
};

}  // namespace

const MeaningRow& RowOf(Meaning meaning) {
  for (const MeaningRow& row : kTable) {
    if (row.Meaning == meaning) return row;
  }
  return kTable[0];
}

int LedNameOf(Meaning meaning) {
  for (const auto& [m, index] : kLedNames) {
    if (m == meaning) return index;
  }
  return 0;
}

ChannelType TypeOf(Meaning meaning, bool modeHasMasterDimmer) {
  switch (RowOf(meaning).Type) {
    case TypeClass::Intensity: return HTP;
    case TypeClass::ColourMix: return modeHasMasterDimmer ? LTP : HTP;
    case TypeClass::Fadeable: return LTP;
    case TypeClass::Instant: return InstantLTP;
  }
  return LTP;
}

std::string SharedName(Meaning meaning, int instance, bool fine) {
  const MeaningRow& row = RowOf(meaning);
  if (!row.Name) return {};
  const bool blade = meaning == Meaning::BladeA || meaning == Meaning::BladeB || meaning == Meaning::BladeRotation;
  if (blade && instance > 0) {
    // "Blade 2A", "Blade 2B", "Blade 2Rot"; a fine byte adds " Fn" ("F" to the angle).
    const std::string n = std::to_string(instance);
    if (meaning == Meaning::BladeRotation) return "Blade " + n + (fine ? "RotF" : "Rot");
    return "Blade " + n + (meaning == Meaning::BladeA ? "A" : "B") + (fine ? " Fn" : "");
  }
  const std::string base = fine ? row.FineName : row.Name;
  return instance > 0 ? WithNumber(base, instance) : base;
}

std::optional<NameMeaning> MeaningOfSharedName(std::string_view name) {
  std::string text = Collapse(name);
  const std::string key = LowerAscii(text);
  if (key.empty()) return std::nullopt;
  auto equal = [](std::string_view a, const char* b) { return b && LowerAscii(a) == LowerAscii(b); };
  for (const Alias& alias : kAliases) {
    if (equal(key, alias.Name)) return NameMeaning{alias.Meaning, alias.Instance, false};
  }
  // "Blade 2A", "Blade 2Rot Fn".
  if (key.starts_with("blade ") && key.size() > 6 && key[6] >= '1' && key[6] <= '9') {
    std::size_t end = 6;
    while (end < key.size() && end < 8 && key[end] >= '0' && key[end] <= '9') ++end;
    const int n = std::stoi(key.substr(6, end - 6));
    const std::string_view rest = std::string_view(key).substr(end);
    for (const Meaning m : {Meaning::BladeA, Meaning::BladeB, Meaning::BladeRotation}) {
      if (rest == LowerAscii(SharedName(m, 1, false).substr(7))) return NameMeaning{m, n, false};
      if (rest == LowerAscii(SharedName(m, 1, true).substr(7))) return NameMeaning{m, n, true};
    }
  }
  // The number at the end, after a blank or not.
  std::size_t digits = key.size();
  while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
  std::vector<std::pair<std::string, int>> readings = {{key, 0}};
  if (digits < key.size() && digits > 0 && key.size() - digits <= 2 && key[digits] != '0') {
    std::string base = key.substr(0, digits);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    readings.push_back({base, std::stoi(key.substr(digits))});
  }
  for (const auto& [base, instance] : readings) {
    for (const MeaningRow& row : kTable) {
      if (!row.Name) continue;
      // The bare "Dimmer" is the master's; a numbered one a part's.
      if (row.Meaning == Meaning::MasterDimmer && instance > 0) continue;
      if (row.Meaning == Meaning::Dimmer && instance == 0) continue;
      if (equal(base, row.Name)) return NameMeaning{row.Meaning, instance, false};
      if (equal(base, row.FineName)) return NameMeaning{row.Meaning, instance, true};
    }
    // A name cut to make room for its number ("Warm Whit 10").
    if (instance > 0) {
      for (const MeaningRow& row : kTable) {
        if (!row.Name || row.Meaning == Meaning::MasterDimmer) continue;
        for (const char* full : {row.Name, row.FineName}) {
          if (WithNumber(full, instance) == text || LowerAscii(WithNumber(full, instance)) == key) {
            return NameMeaning{row.Meaning, instance, full == row.FineName};
          }
        }
      }
    }
  }
  return std::nullopt;
}

}  // namespace brannoc
