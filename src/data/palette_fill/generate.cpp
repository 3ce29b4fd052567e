#include "data/palette_fill/generate.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <span>
#include <string_view>

#include "data/core/codepage.h"
#include "data/import/core.h"

namespace brannoc {
namespace {

// ---------------------------------------------------------------------------
// What a channel is, from its name.

enum class Role {
  Pan, Tilt, Dimmer, ColourWheel, GoboWheel, Shutter, Strobe, Prism, Focus, Zoom, Iris, Frost,
  Red, Green, Blue, White, Amber, UV, Lime, Cyan, Magenta, Yellow,
};

struct ChannelRole {
  Role What;
  int Instance = 0;  // "Red 2" -> 2; 0 for a bare name
  bool Fine = false;
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// What a channel does, read from its shared name through the import's table
// (letter case ignored, "Red 2" numbered, "Pan Fine" a fine channel). The
// meanings no palette reads give nothing.
std::optional<ChannelRole> RoleOfName(std::string_view name) {
  const auto meaning = MeaningOfSharedName(name);
  if (!meaning) return std::nullopt;
  auto role = [&](Role what) { return ChannelRole{what, meaning->Instance, meaning->Fine}; };
  switch (meaning->Meaning) {
    case Meaning::Pan: return role(Role::Pan);
    case Meaning::Tilt: return role(Role::Tilt);
    case Meaning::MasterDimmer:
    case Meaning::Dimmer: return role(Role::Dimmer);
    case Meaning::ColourWheel: return role(Role::ColourWheel);
    case Meaning::GoboWheel: return role(Role::GoboWheel);
    case Meaning::Shutter: return role(Role::Shutter);
    case Meaning::Strobe: return role(Role::Strobe);
    case Meaning::Prism: return role(Role::Prism);
    case Meaning::Focus: return role(Role::Focus);
    case Meaning::Zoom: return role(Role::Zoom);
    case Meaning::Iris: return role(Role::Iris);
    case Meaning::Frost: return role(Role::Frost);
    case Meaning::Red: return role(Role::Red);
    case Meaning::Green: return role(Role::Green);
    case Meaning::Blue: return role(Role::Blue);
    case Meaning::White: return role(Role::White);
    case Meaning::Amber: return role(Role::Amber);
    case Meaning::UV: return role(Role::UV);
    case Meaning::Lime: return role(Role::Lime);
    case Meaning::Cyan: return role(Role::Cyan);
    case Meaning::Magenta: return role(Role::Magenta);
    case Meaning::Yellow: return role(Role::Yellow);
    default: return std::nullopt;
  }
}

// ---------------------------------------------------------------------------
// What a step's name says. Step names are at most 8 characters, often shortened
// ("LghtBlue", "Gobo3Shk"), so a name is read as words split at blanks, signs,
// digits and a small letter followed by a capital.

std::vector<std::string> Words(std::string_view name) {
  std::vector<std::string> words;
  std::string word;
  auto flush = [&] {
    if (!word.empty()) words.push_back(Lower(word));
    word.clear();
  };
  char previous = 0;
  for (char c : name) {
    const bool letter = std::isalpha(static_cast<unsigned char>(c)) != 0;
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) {
      flush();
    } else if (!word.empty() && (digit != (previous >= '0' && previous <= '9') ||
                                 (std::isupper(static_cast<unsigned char>(c)) &&
                                  std::islower(static_cast<unsigned char>(previous))))) {
      flush();
      word.push_back(c);
    } else {
      word.push_back(c);
    }
    previous = c;
  }
  flush();
  return words;
}

bool Has(std::span<const std::string_view> list, const std::string& word) {
  return std::find(list.begin(), list.end(), word) != list.end();
}
bool AnyOf(const std::vector<std::string>& words, std::span<const std::string_view> list) {
  return std::any_of(words.begin(), words.end(), [&](const std::string& w) { return Has(list, w); });
}
bool AnyOf(const std::vector<std::string>& words, std::initializer_list<std::string_view> list) {
  return AnyOf(words, std::span<const std::string_view>(list.begin(), list.size()));
}

// Words that make a step something other than one colour or one gobo standing
// still: effects, rotation, splits, speeds, strobing, nothing at all.
constexpr std::string_view kMotionWords[] = {
    "split", "half", "hlf", "rot", "rotat", "rotation", "rotate", "rnbw", "rainbow", "scroll", "scrl", "spin",
    "cw", "ccw", "fx", "effect", "eff", "slow", "fast", "s", "f", "sf", "fs", "rand", "random", "rnd", "shake",
    "shk", "shak", "spd", "speed", "strb", "strobe", "stb", "flow", "bounce", "no", "none", "nothing", "func",
    "function", "reserved", "rsrvd", "snd", "sound", "auto", "macro", "mode", "to", "and", "cont", "continuous",
    "fst", "slw", "sl", "aud", "audio", "chs", "chase"};

// Colour words as step names carry them, shortened forms included. "open" and
// "white" both mean the open slot, so they count as one colour.
constexpr std::string_view kOpenWords[] = {"open", "white", "wht", "opn"};
constexpr std::string_view kColourWords[] = {
    "red", "rd", "green", "grn", "gren", "blue", "blu", "bl", "yellow", "yel", "ylw", "yllw", "yelow", "cyan",
    "cyn", "magenta", "mag", "mgnt", "mgt", "magnta", "orange", "org", "orng", "ornge", "pink", "pnk", "purple",
    "prpl", "purpl", "violet", "vio", "vlt", "lavender", "lav", "lvndr", "lavendr", "amber", "amb", "uv", "lime",
    "turquoise", "turquois", "trqs", "turq", "trq", "rose", "salmon", "brown", "gold", "indigo", "teal", "aqua",
    "mint", "lilac", "coral", "cto", "ctb", "ctc", "congo", "fuchsia", "peach", "blk", "black"};

// Whether a step names one colour or the open slot.
bool NamesOneColour(std::string_view name) {
  if (name.find('/') != std::string_view::npos || name.find('+') != std::string_view::npos ||
      name.find('&') != std::string_view::npos || name.find('>') != std::string_view::npos) {
    return false;
  }
  const std::vector<std::string> words = Words(name);
  if (words.empty() || AnyOf(words, kMotionWords)) return false;
  int colours = 0;
  bool open = false;
  for (const std::string& w : words) {
    if (Has(kOpenWords, w)) open = true;
    if (Has(kColourWords, w)) ++colours;
  }
  return colours + (open ? 1 : 0) == 1;
}

// Words a step name may carry that say nothing of which colour or gobo it is.
constexpr std::string_view kFillerWords[] = {"idx", "index", "indexed", "static", "stat", "fixed", "fix", "pos"};

// Whether a step selects one gobo (or the open slot) standing still.
bool SelectsOneGobo(std::string_view name) {
  if (name.find('/') != std::string_view::npos || name.find('+') != std::string_view::npos ||
      name.find('&') != std::string_view::npos || name.find('>') != std::string_view::npos) {
    return false;
  }
  // "Gobo 1-4" names several.
  for (std::size_t i = 1; i + 1 < name.size(); ++i) {
    if (name[i] == '-') return false;
  }
  const std::vector<std::string> words = Words(name);
  // A wheel mode ("Indexed", "Fwd whl", "Scan") names no gobo.
  const bool onlyFiller = std::all_of(words.begin(), words.end(), [](const std::string& w) { return Has(kFillerWords, w); });
  return !words.empty() && !onlyFiller && !AnyOf(words, kMotionWords) &&
         !AnyOf(words, {"closed", "close", "blackout", "fwd", "forward", "rev", "reverse", "scan", "whl", "wheel"});
}


}  // namespace

std::string PresetNameOfStep(std::string_view stepName) {
  const std::size_t width = PaletteText::kWidth;
  std::string name(stepName);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(name.begin());
  if (Utf8ToCp1252(name).size() <= width) return name;
  std::string joined;
  for (char c : name) {
    if (c != ' ') joined.push_back(c);
  }
  if (Utf8ToCp1252(joined).size() <= width) return joined;
  // Without the words that tell nothing ("IdxGobo1" is Gobo1).
  std::string kept;
  std::string word;
  char previous = 0;
  auto flush = [&] {
    if (!word.empty() && !Has(kFillerWords, Lower(word))) kept += word;
    word.clear();
  };
  for (char c : joined) {
    const bool digit = c >= '0' && c <= '9';
    const bool wasDigit = previous >= '0' && previous <= '9';
    if (!word.empty() && (digit != wasDigit || (std::isupper(static_cast<unsigned char>(c)) &&
                                                std::islower(static_cast<unsigned char>(previous))))) {
      flush();
    }
    word.push_back(c);
    previous = c;
  }
  flush();
  if (kept.empty()) kept = joined;
  std::string cp = Utf8ToCp1252(kept);
  if (cp.size() <= width) return Cp1252ToUtf8(cp);
  // Cut, keeping a number at the end ("Lavender 12" is Lave12).
  std::size_t digits = 0;
  while (digits < cp.size() && digits < width - 1 && cp[cp.size() - 1 - digits] >= '0' &&
         cp[cp.size() - 1 - digits] <= '9') {
    ++digits;
  }
  return Cp1252ToUtf8(cp.substr(0, width - digits) + cp.substr(cp.size() - digits));
}

namespace {

// ---------------------------------------------------------------------------
// The fixture as the palettes see it.

struct Channel {
  int Index = 0;
  ChannelRole Is;
};

class FixtureView {
 public:
  explicit FixtureView(const FixtureRecord& fixture) : fixture_(fixture) {
    count_ = std::clamp<int>(fixture.ChannelCount, 0, kPaletteChannels);
    fine_.fill(-1);
    std::array<bool, kPaletteChannels> low{};
    for (int i = 0; i < count_; ++i) {
      const ChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(i)];
      const bool high = channel.Type == InstantLTP16H || channel.Type == FadeableLTP16H;
      if (high && PairsWith(i + 1, channel.Partner, count_)) {
        fine_[static_cast<std::size_t>(i)] = channel.Partner - 1;
        low[static_cast<std::size_t>(channel.Partner - 1)] = true;
      }
    }
    for (int i = 0; i < count_; ++i) {
      if (low[static_cast<std::size_t>(i)]) continue;  // the fine byte of another channel
      const auto role = RoleOfName(fixture.Channels[static_cast<std::size_t>(i)].Name.BoxText());
      if (role && !role->Fine) channels_.push_back({i, *role});
    }
  }

  std::vector<int> All(Role role) const {
    std::vector<int> found;
    for (const Channel& c : channels_) {
      if (c.Is.What == role) found.push_back(c.Index);
    }
    return found;
  }

  // The channel of bare name, else the lowest numbered one.
  std::optional<int> First(Role role) const {
    std::optional<int> first;
    for (const Channel& c : channels_) {
      if (c.Is.What != role) continue;
      if (c.Is.Instance == 0) return c.Index;
      if (!first) first = c.Index;
    }
    return first;
  }

  bool HasBare(Role role) const {
    return std::any_of(channels_.begin(), channels_.end(),
                       [&](const Channel& c) { return c.Is.What == role && c.Is.Instance == 0; });
  }

  int Fine(int channel) const { return fine_[static_cast<std::size_t>(channel)]; }
  std::uint8_t Default(int channel) const { return fixture_.Channels[static_cast<std::size_t>(channel)].Value; }

  struct Step {
    std::string Name;  // without padding
    int From = 0;
    int To = 0;
    int Middle() const { return (From + To) / 2; }
  };
  std::vector<Step> Steps(int channel) const {
    std::vector<Step> steps;
    const auto c = static_cast<std::size_t>(channel);
    for (int s = 0; s < fixture_.StepCounts[c]; ++s) {
      const ChannelStep& step = fixture_.Steps[c][static_cast<std::size_t>(s)];
      std::string name = step.StepName.BoxText();
      while (!name.empty() && name.back() == ' ') name.pop_back();
      const int from = std::min(step.FromDmx, step.ToDmx);
      const int to = std::max(step.FromDmx, step.ToDmx);
      steps.push_back({name, from, to});
    }
    return steps;
  }

 private:
  const FixtureRecord& fixture_;
  int count_ = 0;
  std::array<int, kPaletteChannels> fine_{};
  std::vector<Channel> channels_;
};

// A palette being put together: members with their fine channels, and presets
// in which every fine channel reads 0 unless set.
class Builder {
 public:
  Builder(const FixtureView& view, std::string name) : view_(view) { palette_.Name = std::move(name); }

  void AddMember(int channel) {
    Insert(channel);
    if (view_.Fine(channel) >= 0) Insert(view_.Fine(channel));
  }
  void AddMembers(const std::vector<int>& channels) {
    for (int c : channels) AddMember(c);
  }

  // A new preset, unless ten are there or one of that (cut) name is.
  GeneratedPreset* AddPreset(const std::string& name) {
    const std::string cut = PaletteText::FromUtf8(name).TrimmedUtf8();
    if (cut.empty() || palette_.Presets.size() >= kPresetCount) return nullptr;
    for (const GeneratedPreset& preset : palette_.Presets) {
      if (Lower(preset.Name) == Lower(cut)) return nullptr;
    }
    palette_.Presets.push_back({cut, {}});
    return &palette_.Presets.back();
  }

  // A preset with `value` on every given channel (their fine channels at 0).
  void AddLevel(const std::string& name, const std::vector<int>& channels, int value) {
    if (GeneratedPreset* preset = AddPreset(name)) {
      for (int c : channels) preset->Values[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(value);
    }
  }

  bool Empty() const { return palette_.Presets.empty() || palette_.Members.empty(); }
  GeneratedPalette Take() { return std::move(palette_); }

 private:
  void Insert(int channel) {
    auto& members = palette_.Members;
    const auto at = std::lower_bound(members.begin(), members.end(), channel);
    if (at == members.end() || *at != channel) members.insert(at, channel);
  }

  const FixtureView& view_;
  GeneratedPalette palette_;
};

void Keep(std::vector<GeneratedPalette>& out, Builder& builder) {
  if (!builder.Empty()) out.push_back(builder.Take());
}

// One preset per step that `qualifies`, at the middle of its range, named by it.
// The number of presets that are more than the open slot.
int WheelPresets(const FixtureView& view, Builder& builder, int channel, bool (*qualifies)(std::string_view)) {
  bool any = false;
  int beyondOpen = 0;
  for (const auto& step : view.Steps(channel)) {
    if (!qualifies(step.Name)) continue;
    if (GeneratedPreset* preset = builder.AddPreset(PresetNameOfStep(step.Name))) {
      preset->Values[static_cast<std::size_t>(channel)] = static_cast<std::uint8_t>(step.Middle());
      any = true;
      if (!AnyOf(Words(step.Name), kOpenWords)) ++beyondOpen;
    }
  }
  if (any) builder.AddMember(channel);
  return any ? beyondOpen : -1;
}

// The colours of a mixer, written once. Additive levels; a subtractive mixer
// takes 255 less the red, green and blue (red is magenta and yellow).
struct MixRow {
  const char* Name;
  std::uint8_t Red, Green, Blue, White, Amber, UV, Lime;
};
constexpr MixRow kMixTable[] = {
    //        R    G    B    W    A   UV  Lime
    {"White", 255, 255, 255, 255, 0, 0, 0},  // with a white channel, the white alone
    {"Red", 255, 0, 0, 0, 0, 0, 0},
    {"Orange", 255, 96, 0, 0, 255, 0, 0},
    {"Yellow", 255, 255, 0, 0, 0, 0, 0},
    {"Green", 0, 255, 0, 0, 0, 0, 0},
    {"Cyan", 0, 255, 255, 0, 0, 0, 0},
    {"Blue", 0, 0, 255, 0, 0, 0, 0},
    {"Purple", 128, 0, 255, 0, 0, 255, 0},
    {"Pink", 255, 64, 160, 0, 0, 0, 0},
    {"Warm", 255, 160, 64, 128, 255, 0, 0},
};

bool MixPresets(const FixtureView& view, Builder& builder) {
  const auto red = view.All(Role::Red), green = view.All(Role::Green), blue = view.All(Role::Blue);
  const auto cyan = view.All(Role::Cyan), magenta = view.All(Role::Magenta), yellow = view.All(Role::Yellow);
  const bool additive = !red.empty() && !green.empty() && !blue.empty();
  const bool subtractive = !cyan.empty() && !magenta.empty() && !yellow.empty();
  if (!additive && !subtractive) return false;

  const auto white = view.All(Role::White), amber = view.All(Role::Amber), uv = view.All(Role::UV),
             lime = view.All(Role::Lime);
  for (const auto* group : {&red, &green, &blue, &cyan, &magenta, &yellow, &white, &amber, &uv, &lime}) {
    const bool subtractiveGroup = group == &cyan || group == &magenta || group == &yellow;
    if (additive != subtractiveGroup) builder.AddMembers(*group);
  }
  for (const MixRow& row : kMixTable) {
    GeneratedPreset* preset = builder.AddPreset(row.Name);
    if (!preset) continue;
    auto set = [&](const std::vector<int>& channels, std::uint8_t value) {
      for (int c : channels) preset->Values[static_cast<std::size_t>(c)] = value;
    };
    const bool whiteAlone = additive && !white.empty() && std::string_view(row.Name) == "White";
    if (additive) {
      set(red, whiteAlone ? 0 : row.Red);
      set(green, whiteAlone ? 0 : row.Green);
      set(blue, whiteAlone ? 0 : row.Blue);
      set(white, row.White);
      set(amber, row.Amber);
      set(uv, row.UV);
      set(lime, row.Lime);
    } else {
      set(cyan, static_cast<std::uint8_t>(255 - row.Red));
      set(magenta, static_cast<std::uint8_t>(255 - row.Green));
      set(yellow, static_cast<std::uint8_t>(255 - row.Blue));
    }
  }
  return true;
}

void ColourPalette(const FixtureView& view, std::vector<GeneratedPalette>& out) {
  // A wheel that names colours wins over mixing; one whose steps name only the
  // open slot ("Slot 1" says no colour) gives way to mixing where there is one.
  std::optional<GeneratedPalette> openOnly;
  for (int wheel : view.All(Role::ColourWheel)) {
    Builder builder(view, "Colour");
    const int colours = WheelPresets(view, builder, wheel, NamesOneColour);
    if (colours > 0) return Keep(out, builder);
    if (colours == 0 && !openOnly) openOnly = builder.Take();
  }
  Builder builder(view, "Colour");
  if (MixPresets(view, builder)) return Keep(out, builder);
  if (openOnly) out.push_back(std::move(*openOnly));
}

void GoboPalette(const FixtureView& view, std::vector<GeneratedPalette>& out) {
  for (int wheel : view.All(Role::GoboWheel)) {
    Builder builder(view, "Gobo");
    if (WheelPresets(view, builder, wheel, SelectsOneGobo) >= 0) return Keep(out, builder);
  }
}

void BeamPalette(const FixtureView& view, std::vector<GeneratedPalette>& out) {
  std::vector<int> channels = view.All(Role::Shutter);
  for (int c : view.All(Role::Strobe)) channels.push_back(c);
  for (int channel : channels) {
    std::optional<int> open, closed, pulse, strobeOff;
    std::optional<std::pair<int, int>> strobe;  // the widest strobe step
    for (const auto& step : view.Steps(channel)) {
      const auto words = Words(step.Name);
      const bool strobing = AnyOf(words, {"strobe", "strb", "stb", "strob", "str"});
      const bool pulsing = AnyOf(words, {"pulse", "puls", "pls"});
      const bool off = AnyOf(words, {"no", "off", "none", "stop"});
      const bool random = AnyOf(words, {"random", "rand", "rnd", "ramp", "rmp", "burst", "lightning", "lghtng",
                                        "lght", "sync", "snd", "sound", "audio", "aud"});
      if (pulsing && !off && !random && !pulse) pulse = step.Middle();
      if (strobing && off && !strobeOff) strobeOff = step.Middle();  // a strobe channel's open light
      if (strobing && !pulsing && !random && !off &&
          (!strobe || step.To - step.From > strobe->second - strobe->first)) {
        strobe = std::pair(step.From, step.To);
      }
      if (!strobing && !pulsing && AnyOf(words, {"open", "opn", "on"}) && !open) open = step.Middle();
      if (!strobing && !pulsing && AnyOf(words, {"closed", "close", "blackout", "blckout", "blkout", "shut"}) &&
          !closed) {
        closed = step.Middle();
      }
    }
    if (!open) open = strobeOff;
    Builder builder(view, "Beam");
    builder.AddMember(channel);
    if (open) builder.AddLevel("Open", {channel}, *open);
    if (closed) builder.AddLevel("Closed", {channel}, *closed);
    if (strobe) {
      const auto [from, to] = *strobe;
      builder.AddLevel("Strb S", {channel}, from + (to - from) / 4);
      builder.AddLevel("Strb F", {channel}, from + (to - from) * 3 / 4);
    }
    if (pulse) builder.AddLevel("Pulse", {channel}, *pulse);
    if (!builder.Empty()) return Keep(out, builder);
  }
}

void PrismPalette(const FixtureView& view, std::vector<GeneratedPalette>& out) {
  const auto prism = view.First(Role::Prism);
  if (!prism) return;
  const int channel = *prism;
  const auto steps = view.Steps(channel);
  auto isOut = [](const std::string& name) {
    const auto words = Words(name);
    return AnyOf(words, {"out", "open", "off", "no", "none", "diseng", "disengage", "disengaged"}) &&
           !AnyOf(words, {"in"});
  };
  Builder builder(view, "Prism");
  builder.AddMember(channel);
  // "Out" at the middle of the step that takes the prism out, else at 0 when no
  // step claims 0.
  const auto out0 = std::find_if(steps.begin(), steps.end(), [&](const auto& s) { return isOut(s.Name); });
  const bool zeroClaimed = std::any_of(steps.begin(), steps.end(), [](const auto& s) { return s.From == 0; });
  if (out0 != steps.end()) {
    builder.AddLevel("Out", {channel}, out0->Middle());
  } else if (!zeroClaimed) {
    builder.AddLevel("Out", {channel}, 0);
  }
  for (const auto& step : steps) {
    if (!isOut(step.Name)) builder.AddLevel(PresetNameOfStep(step.Name), {channel}, step.Middle());
  }
  Keep(out, builder);
}

void RangePalette(const FixtureView& view, Role role, const char* name, std::vector<GeneratedPalette>& out) {
  const auto channels = view.All(role);
  if (channels.empty()) return;
  Builder builder(view, name);
  builder.AddMembers(channels);
  if (role == Role::Iris) {
    // The open iris where a step says where it is, else at 0.
    int open = 0;
    for (const auto& step : view.Steps(channels.front())) {
      if (AnyOf(Words(step.Name), {"open", "opn"})) {
        open = step.Middle();
        break;
      }
    }
    builder.AddLevel("Open", channels, open);
  }
  builder.AddLevel("Min", channels, 0);
  builder.AddLevel("Mid", channels, 128);
  builder.AddLevel("Max", channels, 255);
  Keep(out, builder);
}

void PositionPalette(const FixtureView& view, std::vector<GeneratedPalette>& out) {
  std::vector<int> channels = view.All(Role::Pan);
  for (int c : view.All(Role::Tilt)) channels.push_back(c);
  if (channels.empty()) return;
  Builder builder(view, "Pos");
  builder.AddMembers(channels);
  // Coarse 128, fine 0: a 16-bit pair sits at 32768, the middle of its range.
  builder.AddLevel("Centre", channels, 128);
  if (GeneratedPreset* home = builder.AddPreset("Home")) {
    for (int c : channels) {
      home->Values[static_cast<std::size_t>(c)] = view.Default(c);
      if (view.Fine(c) >= 0) home->Values[static_cast<std::size_t>(view.Fine(c))] = view.Default(view.Fine(c));
    }
  }
  Keep(out, builder);
}

void IntensityPalette(const FixtureView& view, std::vector<GeneratedPalette>& out) {
  // The master dimmer: the one of bare name, else every numbered one (a dimmer
  // pack); without any, the additive mixers.
  std::vector<int> channels;
  if (view.HasBare(Role::Dimmer)) {
    channels.push_back(*view.First(Role::Dimmer));
  } else {
    channels = view.All(Role::Dimmer);
  }
  if (channels.empty() && !view.All(Role::Red).empty() && !view.All(Role::Green).empty() &&
      !view.All(Role::Blue).empty()) {
    for (Role role : {Role::Red, Role::Green, Role::Blue, Role::White, Role::Amber, Role::UV, Role::Lime}) {
      for (int c : view.All(role)) channels.push_back(c);
    }
  }
  if (channels.empty()) return;
  Builder builder(view, "Intens");
  builder.AddMembers(channels);
  builder.AddLevel("Full", channels, 255);
  builder.AddLevel("75%", channels, 191);
  builder.AddLevel("50%", channels, 128);
  builder.AddLevel("25%", channels, 64);
  builder.AddLevel("Off", channels, 0);
  Keep(out, builder);
}

bool SameName(const PaletteText& named, const std::string& name) {
  return Lower(named.TrimmedUtf8()) == Lower(PaletteText::FromUtf8(name).TrimmedUtf8());
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

std::vector<GeneratedPalette> PalettesFromChannels(const FixtureRecord& fixture) {
  const FixtureView view(fixture);
  std::vector<GeneratedPalette> out;
  ColourPalette(view, out);
  GoboPalette(view, out);
  BeamPalette(view, out);
  PrismPalette(view, out);
  RangePalette(view, Role::Focus, "Focus", out);
  RangePalette(view, Role::Zoom, "Zoom", out);
  RangePalette(view, Role::Iris, "Iris", out);
  RangePalette(view, Role::Frost, "Frost", out);
  PositionPalette(view, out);
  IntensityPalette(view, out);
  return out;
}

bool PaletteIsFree(const PaletteData& palettes, int p) {
  if (p < 0 || p >= kPaletteCount) return false;
  const auto at = static_cast<std::size_t>(p);
  return palettes.PaletteName[at].IsBlank() &&
         std::all_of(palettes.PresetName[at].begin(), palettes.PresetName[at].end(),
                     [](const PaletteText& name) { return name.IsBlank(); });
}

int FreePaletteCount(const PaletteData& palettes) {
  int free = 0;
  for (int p = 0; p < kPaletteCount; ++p) free += PaletteIsFree(palettes, p) ? 1 : 0;
  return free;
}

PaletteFill FillPalettes(FixtureRecord& fixture) {
  PaletteFill fill;
  PaletteData& palettes = fixture.Palettes;
  const int channels = std::clamp<int>(fixture.ChannelCount, 0, kPaletteChannels);
  std::size_t bytes = PaletteBlockBytes(palettes, channels);
  for (GeneratedPalette& made : PalettesFromChannels(fixture)) {
    const bool named = std::any_of(palettes.PaletteName.begin(), palettes.PaletteName.end(),
                                   [&](const PaletteText& name) { return SameName(name, made.Name); });
    if (named) {
      fill.Named.push_back(made.Name);
      continue;
    }
    int slot = 0;
    while (slot < kPaletteCount && !PaletteIsFree(palettes, slot)) ++slot;
    if (slot == kPaletteCount) {
      fill.NoRoom.push_back(made.Name);
      continue;
    }
    const std::size_t cost = 2 * made.Members.size() * made.Presets.size();
    if (bytes + cost > kPaletteBlockSize) {
      fill.BlockFull.push_back(made.Name);
      continue;
    }
    bytes += cost;

    const auto p = static_cast<std::size_t>(slot);
    palettes.PaletteName[p] = PaletteText::FromUtf8(made.Name);
    palettes.PaletteMember[p].fill(0);
    for (auto& values : palettes.PresetValue[p]) values.fill(0);
    for (int member : made.Members) palettes.PaletteMember[p][static_cast<std::size_t>(member)] = 1;
    for (std::size_t k = 0; k < made.Presets.size(); ++k) {
      palettes.PresetName[p][k] = PaletteText::FromUtf8(made.Presets[k].Name);
      for (int member : made.Members) {
        const auto ch = static_cast<std::size_t>(member);
        palettes.PresetValue[p][ch][k] = made.Presets[k].Values[ch];
      }
    }
    fill.Made.push_back(made.Name);
    fill.Slots.push_back(slot);
  }
  if (!fill.Made.empty()) UpdatePaletteCounts(palettes, channels);
  return fill;
}

std::vector<std::string> PaletteFill::ReportLines() const {
  std::vector<std::string> lines;
  if (!Made.empty()) lines.push_back("Palettes made: " + Listed(Made));
  if (!BlockFull.empty()) {
    lines.push_back("Palettes left out, the palette block would pass " + std::to_string(kPaletteBlockSize) +
                    " bytes: " + Listed(BlockFull));
  }
  if (!NoRoom.empty()) lines.push_back("Palettes left out, no palette without a name is left: " + Listed(NoRoom));
  if (!Named.empty()) lines.push_back("Palettes left out, a palette of that name is there: " + Listed(Named));
  return lines;
}

}  // namespace brannoc
