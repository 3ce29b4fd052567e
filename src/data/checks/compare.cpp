#include "data/checks/compare.h"

#include <algorithm>

namespace brannoc {
namespace {

constexpr const char* kNone = "none";

template <std::size_t N>
std::string Shown(const FixedText<N>& text) {
  return "\"" + text.BoxTextTrimmed() + "\"";
}

std::string TypeShown(std::uint8_t type) {
  const auto name = ChannelTypeName(type);
  return name.empty() ? "letter " + std::to_string(type) : std::string(name);
}

class Differences {
 public:
  void Add(const std::string& field, const std::string& before, const std::string& after) {
    if (before != after) list_.push_back({field, before, after});
  }
  void Add(const std::string& field, int before, int after) {
    if (before != after) list_.push_back({field, std::to_string(before), std::to_string(after)});
  }
  std::vector<FieldDifference> Take() { return std::move(list_); }

 private:
  std::vector<FieldDifference> list_;
};

std::string ChannelField(std::size_t c) { return "channel " + std::to_string(c + 1); }

void CompareChannel(const FixtureRecord& a, const FixtureRecord& b, std::size_t c, Differences& out) {
  const ChannelRecord& x = a.Channels[c];
  const ChannelRecord& y = b.Channels[c];
  const std::string who = ChannelField(c);
  out.Add(who + " name", Shown(x.Name), Shown(y.Name));
  out.Add(who + " code", x.NameCode, y.NameCode);
  out.Add(who + " type", TypeShown(x.Type), TypeShown(y.Type));
  out.Add(who + " partner", x.Partner, y.Partner);
  out.Add(who + " value", x.Value, y.Value);
}

std::string StepShown(const ChannelStep& step) {
  return std::to_string(step.FromDmx) + ".." + std::to_string(step.ToDmx) + " " + Shown(step.StepName);
}

void CompareSteps(const FixtureRecord& a, const FixtureRecord& b, std::size_t c, Differences& out) {
  const std::size_t na = a.StepCounts[c];
  const std::size_t nb = b.StepCounts[c];
  const std::string who = ChannelField(c);
  out.Add(who + " steps", static_cast<int>(na), static_cast<int>(nb));
  for (std::size_t s = 0; s < std::max(na, nb); ++s) {
    const std::string step = who + " step " + std::to_string(s + 1);
    if (s >= na || s >= nb) {
      out.Add(step, s < na ? StepShown(a.Steps[c][s]) : kNone, s < nb ? StepShown(b.Steps[c][s]) : kNone);
      continue;
    }
    const ChannelStep& x = a.Steps[c][s];
    const ChannelStep& y = b.Steps[c][s];
    out.Add(step + " from", x.FromDmx, y.FromDmx);
    out.Add(step + " to", x.ToDmx, y.ToDmx);
    out.Add(step + " name", Shown(x.StepName), Shown(y.StepName));
  }
}

std::string PaletteWho(const PaletteData& a, const PaletteData& b, std::size_t p) {
  const PaletteText& name = a.PaletteName[p].IsBlank() ? b.PaletteName[p] : a.PaletteName[p];
  const std::string text = name.BoxTextTrimmed();
  return text.empty() ? "palette " + std::to_string(p + 1) : "palette \"" + text + "\"";
}

void ComparePalette(const FixtureRecord& a, const FixtureRecord& b, std::size_t p, Differences& out) {
  const PaletteData& x = a.Palettes;
  const PaletteData& y = b.Palettes;
  out.Add("palette " + std::to_string(p + 1) + " name", Shown(x.PaletteName[p]), Shown(y.PaletteName[p]));
  const std::string who = PaletteWho(x, y, p);
  const std::size_t channels = std::max<std::size_t>(a.ChannelCount, b.ChannelCount);
  const auto member = [p](const PaletteData& d, const FixtureRecord& f, std::size_t ch) {
    return ch < f.ChannelCount && d.PaletteMember[p][ch] == 1;
  };
  for (std::size_t ch = 0; ch < channels && ch < kPaletteChannels; ++ch) {
    const bool mx = member(x, a, ch);
    const bool my = member(y, b, ch);
    out.Add(who + " " + ChannelField(ch) + " member", mx ? "yes" : "no", my ? "yes" : "no");
  }
  for (std::size_t k = 0; k < kPresetCount; ++k) {
    const std::string preset = who + " preset " + std::to_string(k + 1);
    out.Add(preset + " name", Shown(x.PresetName[p][k]), Shown(y.PresetName[p][k]));
    if (x.PresetName[p][k].IsBlank() && y.PresetName[p][k].IsBlank()) continue;
    const PaletteText& name = x.PresetName[p][k].IsBlank() ? y.PresetName[p][k] : x.PresetName[p][k];
    const std::string named = preset + (name.BoxTextTrimmed().empty() ? "" : " " + Shown(name)) + ": ";
    for (std::size_t ch = 0; ch < channels && ch < kPaletteChannels; ++ch) {
      // A value counts only where the channel is a member on both sides.
      if (!member(x, a, ch) || !member(y, b, ch)) continue;
      out.Add(named + ChannelField(ch) + " value", x.PresetValue[p][ch][k], y.PresetValue[p][ch][k]);
    }
  }
}

}  // namespace

std::string DifferenceLine(const FieldDifference& difference) {
  // A field already named after a colon ("preset 4 \"Red\": channel 7 value") takes no second one.
  const bool named = difference.Field.find(": ") != std::string::npos;
  return difference.Field + (named ? " " : ": ") + difference.Before + " -> " + difference.After;
}

std::vector<FieldDifference> CompareFixtures(const FixtureRecord& a, const FixtureRecord& b) {
  Differences out;
  out.Add("fixture name", Shown(a.FixtureName), Shown(b.FixtureName));
  out.Add("channel count", a.ChannelCount, b.ChannelCount);
  out.Add("max pan degree", a.MaxPanDegree, b.MaxPanDegree);
  out.Add("max tilt degree", a.MaxTiltDegree, b.MaxTiltDegree);
  const std::size_t na = std::min<std::size_t>(a.ChannelCount, kMaxChannels);
  const std::size_t nb = std::min<std::size_t>(b.ChannelCount, kMaxChannels);
  for (std::size_t c = 0; c < std::max(na, nb); ++c) {
    if (c < na && c < nb) {
      CompareChannel(a, b, c, out);
    } else {
      out.Add(ChannelField(c), c < na ? Shown(a.Channels[c].Name) : kNone, c < nb ? Shown(b.Channels[c].Name) : kNone);
    }
  }
  for (std::size_t c = 0; c < std::max(na, nb); ++c) {
    if (c < na && c < nb) {
      CompareSteps(a, b, c, out);
    } else {
      // A channel only one side has counts its steps from nothing.
      const int n = c < na ? a.StepCounts[c] : b.StepCounts[c];
      out.Add(ChannelField(c) + " steps", c < na ? n : 0, c < nb ? n : 0);
    }
  }
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    if (a.Palettes.PaletteName[p].IsBlank() && b.Palettes.PaletteName[p].IsBlank()) continue;
    ComparePalette(a, b, p, out);
  }
  return out.Take();
}

std::vector<FieldDifference> CompareLedFixtures(const LedFixtureRecord& a, const LedFixtureRecord& b) {
  Differences out;
  out.Add("fixture name", Shown(a.FixtureName), Shown(b.FixtureName));
  out.Add("channel count", a.ChannelCount, b.ChannelCount);
  const std::size_t na = std::min<std::size_t>(a.ChannelCount, kLedMaxChannels);
  const std::size_t nb = std::min<std::size_t>(b.ChannelCount, kLedMaxChannels);
  for (std::size_t c = 0; c < std::max(na, nb); ++c) {
    const std::string who = ChannelField(c);
    if (c >= na || c >= nb) {
      out.Add(who, c < na ? Shown(a.Channels[c].Name) : kNone, c < nb ? Shown(b.Channels[c].Name) : kNone);
      continue;
    }
    const LedChannelRecord& x = a.Channels[c];
    const LedChannelRecord& y = b.Channels[c];
    out.Add(who + " name", Shown(x.Name), Shown(y.Name));
    out.Add(who + " type", TypeShown(x.Type), TypeShown(y.Type));
    out.Add(who + " partner", x.Partner, y.Partner);
  }
  return out.Take();
}

}  // namespace brannoc
