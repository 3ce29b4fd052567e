#include "data/checks/checks.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "data/fixture/file.h"

namespace brannoc {
namespace {
namespace L = fixture_layout;

constexpr int kMaxDegree = 720;

// A channel's type as the checks of the 16-bit pairs see it.
enum class Kind : std::uint8_t { Unknown, Plain, HighInstant, HighFade, LowInstant, LowFade, LowEither };

struct PairChannel {
  Kind kind = Kind::Plain;
  std::uint8_t byte = 0;  // the letter or value it was judged by
  std::uint8_t partner = 0;
};

bool IsHigh(Kind kind) { return kind == Kind::HighInstant || kind == Kind::HighFade; }
bool IsLow(Kind kind) { return kind == Kind::LowInstant || kind == Kind::LowFade || kind == Kind::LowEither; }
bool LowMatches(Kind high, Kind low) {
  if (low == Kind::LowEither) return true;
  return (high == Kind::HighInstant && low == Kind::LowInstant) || (high == Kind::HighFade && low == Kind::LowFade);
}

// A letter of a file: both files share "L", "H", "I", "S", "s" and differ in
// the one letter of the two low-byte types.
Kind KindOfLetter(std::uint8_t letter, std::uint8_t lowLetter) {
  if (letter == lowLetter) return Kind::LowEither;
  switch (letter) {
    case 'L':
    case 'H':
    case 'I': return Kind::Plain;
    case 'S': return Kind::HighInstant;
    case 's': return Kind::HighFade;
    default: return Kind::Unknown;
  }
}

// A type in memory; any other value is a letter a reader kept as it was.
Kind KindOfType(std::uint8_t type) {
  switch (type) {
    case LTP:
    case HTP:
    case InstantLTP: return Kind::Plain;
    case InstantLTP16H: return Kind::HighInstant;
    case FadeableLTP16H: return Kind::HighFade;
    case InstantLTP16L: return Kind::LowInstant;
    case FadeableLTP16L: return Kind::LowFade;
    default: return Kind::Unknown;
  }
}

std::string ChannelText(std::size_t index) { return "channel " + std::to_string(index + 1); }

std::string Quoted(std::string_view utf8) { return "\"" + std::string(utf8) + "\""; }

std::string LetterText(std::uint8_t byte) {
  const std::string code = "(byte " + std::to_string(byte) + ")";
  if (byte > ' ' && byte < 0x7F) return "'" + std::string(1, static_cast<char>(byte)) + "' " + code;
  return code;
}

std::uint8_t ByteAt(std::span<const std::uint8_t> image, std::size_t offset) {
  return offset < image.size() ? image[offset] : 0;
}

// A name as a person compares names: without its padding and NULs, letter case ignored.
template <std::size_t N>
std::string NameKey(const FixedText<N>& text) {
  std::string key;
  for (const std::uint8_t byte : text.Bytes()) {
    if (byte != 0) key.push_back(static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte));
  }
  while (!key.empty() && key.back() == ' ') key.pop_back();
  return key;
}

template <std::size_t N>
bool IsNamed(const FixedText<N>& text) {
  return !text.IsBlank();
}

class Checker {
 public:
  explicit Checker(std::vector<FixtureProblem>& problems) : problems_(problems) {}

  void Header(ProblemLevel level, ProblemField field, std::string text) {
    Add({level, ProblemPlace::Header, field, -1, -1, -1, -1, std::move(text)});
  }
  void Channel(ProblemLevel level, ProblemField field, std::size_t c, const std::string& text) {
    Add({level, ProblemPlace::Channel, field, Int(c), -1, -1, -1, ChannelText(c) + ": " + text});
  }
  void Step(ProblemLevel level, std::size_t c, std::size_t s, const std::string& text) {
    Add({level, ProblemPlace::Step, ProblemField::None, Int(c), Int(s), -1, -1,
         ChannelText(c) + " step " + std::to_string(s + 1) + ": " + text});
  }
  void Palette(ProblemLevel level, std::size_t p, const std::string& who, const std::string& text) {
    Add({level, ProblemPlace::Palette, ProblemField::None, -1, -1, Int(p), -1, who + ": " + text});
  }
  void Preset(ProblemLevel level, std::size_t p, std::size_t k, const std::string& who, const std::string& text) {
    Add({level, ProblemPlace::Preset, ProblemField::None, -1, -1, Int(p), Int(k), who + ": " + text});
  }
  void Add(FixtureProblem problem) { problems_.push_back(std::move(problem)); }
  static int Int(std::size_t n) { return static_cast<int>(n); }

 private:
  std::vector<FixtureProblem>& problems_;
};

// The 16-bit pairs of the channels in use, as the decoding after a read will
// treat them.
void CheckPairs(const std::vector<PairChannel>& channels, Checker& check) {
  const std::size_t count = channels.size();
  for (std::size_t i = 0; i < count; ++i) {
    const PairChannel& channel = channels[i];
    if (channel.kind == Kind::Unknown) {
      check.Channel(ProblemLevel::Error, ProblemField::ChannelType, i, "unknown type letter " + LetterText(channel.byte));
    } else if (IsHigh(channel.kind)) {
      const std::size_t partner = channel.partner;
      if (partner == 0) {
        check.Channel(ProblemLevel::Error, ProblemField::Partner, i, "a 16-bit high-byte channel without a partner (Ch16bit 0)");
      } else if (partner > count) {
        check.Channel(ProblemLevel::Error, ProblemField::Partner, i,
                      "its 16-bit partner " + std::to_string(partner) + " is beyond the " + std::to_string(count) +
                          " channels");
      } else if (partner == i + 1 || !IsLow(channels[partner - 1].kind)) {
        check.Channel(ProblemLevel::Error, ProblemField::Partner, i,
                      "its 16-bit partner, " + ChannelText(partner - 1) + ", is not a low-byte channel");
      } else if (!LowMatches(channel.kind, channels[partner - 1].kind)) {
        check.Channel(ProblemLevel::Error, ProblemField::Partner, i,
                      "its 16-bit partner, " + ChannelText(partner - 1) + ", is a low byte of the other kind");
      }
    } else if (IsLow(channel.kind)) {
      const bool pointed = std::any_of(channels.begin(), channels.end(), [&](const PairChannel& other) {
        return IsHigh(other.kind) && other.partner == i + 1;
      });
      if (!pointed) {
        check.Channel(ProblemLevel::Error, ProblemField::ChannelType, i,
                      "a 16-bit low-byte channel that no high-byte channel points at (it loads as LTP)");
      }
    }
  }
}

void CheckHeader(const FixtureRecord& fixture, std::size_t count, bool asStored, Checker& check) {
  if (!IsNamed(fixture.FixtureName)) check.Header(ProblemLevel::Warning, ProblemField::FixtureName, "the fixture has no name");
  struct Degree {
    const char* label;
    const char* channel;
    ProblemField field;
    std::size_t high;  // its pair in the function map
    std::int16_t value;
  };
  const Degree degrees[] = {{"max pan degree", "pan", ProblemField::MaxPan, 256, fixture.MaxPanDegree},
                            {"max tilt degree", "tilt", ProblemField::MaxTilt, 258, fixture.MaxTiltDegree}};
  for (const Degree& degree : degrees) {
    // A file's pair may hold more than a reader takes back (a high byte of 128 or more).
    const int value =
        asStored ? fixture.FunctionMap[degree.high] * 256 + fixture.FunctionMap[degree.high + 1] : degree.value;
    if (value > kMaxDegree) {
      check.Header(ProblemLevel::Error, degree.field,
                   std::string(degree.label) + " " + std::to_string(value) + " is above " + std::to_string(kMaxDegree));
    }
  }
  for (const Degree& degree : degrees) {
    if (degree.value != 0) continue;
    for (std::size_t c = 0; c < count; ++c) {
      if (NameKey(fixture.Channels[c].Name) == degree.channel) {
        check.Header(ProblemLevel::Warning, degree.field,
                     std::string(degree.label) + " is 0 while " + ChannelText(c) + " is named " +
                         Quoted(fixture.Channels[c].Name.TrimmedUtf8()));
        break;
      }
    }
  }
}

void CheckNames(const FixtureRecord& fixture, std::size_t count, const ChannelNameSet* names,
                std::span<const std::uint8_t> image, Checker& check) {
  std::vector<UsableName> usable;
  if (names) usable = UsableNames(*names);
  for (std::size_t c = 0; c < count; ++c) {
    const ChannelRecord& channel = fixture.Channels[c];
    const std::string key = NameKey(channel.Name);
    const std::string shown = Quoted(channel.Name.TrimmedUtf8());
    if (key.empty()) {
      check.Channel(ProblemLevel::Warning, ProblemField::ChannelName, c, "the channel has no name");
    } else {
      for (std::size_t d = 0; d < c; ++d) {
        if (NameKey(fixture.Channels[d].Name) == key) {
          check.Channel(ProblemLevel::Warning, ProblemField::ChannelName, c, "its name " + shown + " is the name of " + ChannelText(d) + " too");
          break;
        }
      }
    }
    const std::uint8_t code =
        image.empty() ? channel.NameCode : ByteAt(image, L::kChannelRecords + c * L::kChannelRecordSize + L::kRecordNameCode);
    if (!key.empty() && names) {
      const bool held = std::any_of(usable.begin(), usable.end(),
                                    [&](const UsableName& name) { return NameKey(name.Name) == key; });
      if (!held) check.Channel(ProblemLevel::Warning, ProblemField::ChannelName, c, "its name " + shown + " is not in the channel name set");
    }
    if (code == 0) {
      if (!key.empty()) {
        check.Channel(ProblemLevel::Warning, ProblemField::ChannelName, c, "its name " + shown + " has no name code, so the console does not know it");
      }
    } else if (names) {
      const bool carried =
          std::any_of(usable.begin(), usable.end(), [&](const UsableName& name) { return name.Code == code; });
      if (!carried) {
        check.Add({ProblemLevel::Error, ProblemPlace::Channel, ProblemField::ChannelName, Checker::Int(c), -1, -1, -1,
                   ChannelText(c) + " (" + shown + "): name code " + std::to_string(code) +
                       " is carried by no entry of the channel name set"});
      }
    }
  }
}

void CheckSteps(const FixtureRecord& fixture, std::size_t count, Checker& check) {
  for (std::size_t c = 0; c < count; ++c) {
    const auto& steps = fixture.Steps[c];
    const std::size_t n = fixture.StepCounts[c];
    if (n == 1 && steps[0].FromDmx == 0 && steps[0].ToDmx == 255) {
      check.Step(ProblemLevel::Warning, c, 0, "the one step covers 0 to 255, so it tells nothing");
    }
    for (std::size_t s = 0; s < n; ++s) {
      const ChannelStep& step = steps[s];
      if (step.FromDmx > step.ToDmx) {
        check.Step(ProblemLevel::Error, c, s,
                   "from " + std::to_string(step.FromDmx) + " is above to " + std::to_string(step.ToDmx));
        continue;
      }
      if (s == 0 || steps[s - 1].FromDmx > steps[s - 1].ToDmx) continue;
      const ChannelStep& before = steps[s - 1];
      if (step.FromDmx < before.FromDmx) {
        check.Step(ProblemLevel::Warning, c, s,
                   "starts at " + std::to_string(step.FromDmx) + ", before step " + std::to_string(s) +
                       " (out of order)");
      } else if (step.FromDmx <= before.ToDmx) {
        check.Step(ProblemLevel::Warning, c, s,
                   "overlaps step " + std::to_string(s) + " (" + std::to_string(step.FromDmx) + " is within " +
                       std::to_string(before.FromDmx) + ".." + std::to_string(before.ToDmx) + ")");
      }
    }
  }
  // The step area holds the steps of channel 1, then channel 2, ... up to 204 in all.
  std::size_t before = 0;
  for (std::size_t c = 0; c < kMaxChannels; ++c) {
    const std::size_t n = fixture.StepCounts[c];
    const std::size_t room = before < MAX_FILE_STEPS ? MAX_FILE_STEPS - before : 0;
    const std::size_t held = std::min(n, room);
    before += n;
    if (held < n) {
      check.Add({ProblemLevel::Error, ProblemPlace::Step, ProblemField::None, Checker::Int(c), Checker::Int(held), -1,
                 -1,
                 ChannelText(c) + ": " + std::to_string(n - held) + " of its " + std::to_string(n) +
                     " steps do not fit in the file (it holds " + std::to_string(MAX_FILE_STEPS) + " steps in all)"});
    }
  }
}

// A name as it follows what it names: a blank, the name as a box shows it, in
// quotes; nothing for a blank name or one that shows as nothing (NUL bytes).
std::string NameAfter(const PaletteText& name) {
  const std::string shown = name.BoxTextTrimmed();
  return IsNamed(name) && !shown.empty() ? " " + Quoted(shown) : std::string();
}

std::string PaletteWho(const PaletteData& palettes, std::size_t p) {
  std::string who = "palette " + std::to_string(p + 1);
  who += NameAfter(palettes.PaletteName[p]);
  return who;
}

// Walks the palette block as the reader will: each stored preset takes its
// channel numbers and then its values, and a pair counts only when its value
// falls inside the block.
void CheckPaletteBlock(const PaletteData& palettes, Checker& check) {
  std::size_t at = 0;
  bool full = false;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    if (palettes.PaletteUsed[p] == 0) continue;
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      const std::size_t width = palettes.PresetChannelCount[p][k];
      if (width == 0) continue;
      std::string who = PaletteWho(palettes, p) + ", preset " + std::to_string(k + 1);
      who += NameAfter(palettes.PresetName[p][k]);
      const std::size_t kept =
          full || at + width >= kPaletteBlockSize ? 0 : std::min(width, kPaletteBlockSize - at - width);
      if (kept == 0) {
        check.Preset(ProblemLevel::Error, p, k, who, "left out, the palette block is full");
      } else if (kept < width) {
        check.Preset(ProblemLevel::Error, p, k, who,
                     "only " + std::to_string(kept) + " of its " + std::to_string(width) +
                         " channel values fit in the palette block");
      }
      if (full) continue;
      at += kept + width;
      full = at > kPaletteBlockSize - 1;
    }
  }
}

void CheckPalettes(const FixtureRecord& fixture, std::size_t count, bool asStored, Checker& check) {
  const PaletteData& palettes = fixture.Palettes;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    if (!IsNamed(palettes.PaletteName[p])) continue;
    const std::string who = PaletteWho(palettes, p);
    const auto& members = palettes.PaletteMember[p];
    const bool presets = std::any_of(palettes.PresetName[p].begin(), palettes.PresetName[p].end(),
                                     [](const PaletteText& name) { return IsNamed(name); });
    if (!presets) check.Palette(ProblemLevel::Warning, p, who, "no preset is named");
    if (std::none_of(members.begin(), members.begin() + static_cast<std::ptrdiff_t>(count),
                     [](std::uint8_t m) { return m == 1; })) {
      check.Palette(ProblemLevel::Warning, p, who, "no channel is a member");
    }
    for (std::size_t ch = count; ch < kPaletteChannels; ++ch) {
      if (members[ch] == 1) {
        check.Palette(ProblemLevel::Warning, p, who,
                      ChannelText(ch) + " is a member but beyond the " + std::to_string(count) +
                          " channels, so it is not stored");
      }
    }
  }
  if (asStored) {
    CheckPaletteBlock(palettes, check);
  } else {
    // The counts as the next save will make them.
    PaletteData counted;
    counted.PaletteName = palettes.PaletteName;
    counted.PresetName = palettes.PresetName;
    counted.PaletteMember = palettes.PaletteMember;
    UpdatePaletteCounts(counted, static_cast<int>(count));
    CheckPaletteBlock(counted, check);
  }
}

}  // namespace

std::vector<FixtureProblem> CheckFixture(const FixtureRecord& fixture, const ChannelNameSet* names,
                                         std::span<const std::uint8_t> image) {
  std::vector<FixtureProblem> problems;
  Checker check(problems);
  const std::size_t count = std::min<std::size_t>(fixture.ChannelCount, kMaxChannels);
  CheckHeader(fixture, count, !image.empty(), check);
  std::vector<PairChannel> channels;
  for (std::size_t c = 0; c < count; ++c) {
    PairChannel channel;
    channel.byte = image.empty() ? fixture.Channels[c].Type
                                 : ByteAt(image, L::kChannelRecords + c * L::kChannelRecordSize + L::kRecordType);
    channel.kind = image.empty() ? KindOfType(channel.byte) : KindOfLetter(channel.byte, 'A');
    channel.partner = fixture.Channels[c].Partner;
    channels.push_back(channel);
  }
  CheckPairs(channels, check);
  CheckNames(fixture, count, names, image, check);
  CheckSteps(fixture, count, check);
  CheckPalettes(fixture, count, !image.empty(), check);
  return problems;
}

std::vector<FixtureProblem> CheckLedFixture(const LedFixtureRecord& fixture, std::span<const std::uint8_t> image) {
  std::vector<FixtureProblem> problems;
  Checker check(problems);
  std::vector<PairChannel> channels;
  for (std::size_t c = 0; c < fixture.ChannelCount && c < kLedMaxChannels; ++c) {
    PairChannel channel;
    channel.byte =
        image.empty() ? fixture.Channels[c].Type : ByteAt(image, kLedChannelRecordsOffset + c * kLedChannelRecordSize + kLedRecType);
    channel.kind = image.empty() ? KindOfType(channel.byte) : KindOfLetter(channel.byte, 'O');
    channel.partner = fixture.Channels[c].Partner;
    channels.push_back(channel);
  }
  CheckPairs(channels, check);
  return problems;
}

std::size_t CountProblems(const std::vector<FixtureProblem>& problems, ProblemLevel level) {
  return static_cast<std::size_t>(
      std::count_if(problems.begin(), problems.end(), [&](const FixtureProblem& p) { return p.Level == level; }));
}

}  // namespace brannoc
