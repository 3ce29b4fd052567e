#include "data/import/core.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <unordered_map>

#include "data/core/codepage.h"
#include "data/fixture/file.h"
#include "data/import/text.h"

namespace brannoc {
namespace {

using namespace import_text;

constexpr int kMaxDegree = 720;
constexpr int kMaxSteps = 255;  // StepCounts is a byte
constexpr std::size_t kFixtureNameWidth = 11;
constexpr std::size_t kChannelNameWidth = 12;
constexpr std::size_t kStepNameWidth = 8;

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

bool IsDimmer(Meaning m) { return m == Meaning::MasterDimmer || m == Meaning::Dimmer; }

// The meanings a coarse and a fine channel may share: a master dimmer and a
// part's dimmer are one family until the master is chosen.
Meaning Family(Meaning m) { return IsDimmer(m) ? Meaning::Dimmer : m; }

// ---------------------------------------------------------------------------
// Names as the name chooser compares them: padded or cut to 12 characters,
// letter case ignored.

std::uint8_t UpperCp1252(std::uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<std::uint8_t>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

std::string NameKey(std::string_view cp1252) {
  FixedText<kChannelNameWidth> text;
  text.AssignCodePage(cp1252);
  std::string key(text.CodePage());
  for (char& c : key) c = static_cast<char>(UpperCp1252(static_cast<std::uint8_t>(c)));
  return key;
}

// A name with a number: "Red 3", else "Fx Speed12", else the name cut so that
// " 3" fits.
std::string WithNumber(const std::string& name, int number) {
  const std::string digits = std::to_string(number);
  if (name.size() + 1 + digits.size() <= kChannelNameWidth) return name + " " + digits;
  if (name.size() + digits.size() <= kChannelNameWidth) return name + digits;
  std::string base = name.substr(0, kChannelNameWidth - 1 - digits.size());
  while (!base.empty() && base.back() == ' ') base.pop_back();
  return base + " " + digits;
}

// A name reduced to what a coarse channel and its fine channel share:
// "Pan 1 fine (LSB)" and "Pan 1 [coarse]" both give "pan 1"; plural endings go.
std::string PairKey(std::string_view name) {
  std::string lower = LowerAscii(name);
  for (const std::string_view bits : {"16-bit", "16 bit"}) lower = ReplaceAll(lower, bits, "16bit");
  std::string key;
  for (const std::string& word : Words(lower)) {
    if (IsOneOf(word, {"fine", "coarse", "lsb", "msb", "16bit", "least", "most", "significant", "byte", "bit"})) continue;
    if (!key.empty()) key.push_back(' ');
    key += word.size() > 3 && word.back() == 's' ? word.substr(0, word.size() - 1) : word;
  }
  return key;
}

// ---------------------------------------------------------------------------
// Step names that tell settings apart

// The name of every distinct text of one channel; two texts never share one.
class StepNamer {
 public:
  // `texts`: the code-page texts of a channel's steps, in order.
  explicit StepNamer(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
      if (names_.count(text)) continue;
      names_[text] = ShortCodePage(text, kStepNameWidth);
      order_.push_back(text);
    }
    for (int round = 0; round < 3 && Settle(round); ++round) {
    }
    // Whatever still clashes is numbered, in text order, until nothing does.
    for (auto clash = FirstClash(); clash; clash = FirstClash()) {
      const std::string& text = clash->first;
      collided_.insert(clash->second);
      for (int n = 1;; ++n) {
        const std::string candidate = Numbered(names_[text], n);
        if (!Taken(candidate, text)) {
          names_[text] = candidate;
          break;
        }
      }
      collided_.insert(text);
    }
  }

  const std::string& NameOf(const std::string& text) const { return names_.at(text); }
  bool Collided(const std::string& text) const { return collided_.count(text) > 0; }

 private:
  static std::string Numbered(const std::string& name, int n) {
    const std::string digits = std::to_string(n);
    std::string base = name.substr(0, kStepNameWidth - std::min(kStepNameWidth, digits.size() + 1));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    return base.empty() ? digits : base + " " + digits;
  }

  bool Taken(const std::string& name, const std::string& byOtherThan) const {
    for (const auto& [text, given] : names_) {
      if (text != byOtherThan && given == name) return true;
    }
    return false;
  }

  // The first text (after the first of its name) whose name another text has,
  // and that other text.
  std::optional<std::pair<std::string, std::string>> FirstClash() const {
    std::map<std::string, std::string> owner;
    for (const std::string& text : order_) {
      const auto [it, fresh] = owner.emplace(names_.at(text), text);
      if (!fresh) return std::make_pair(text, it->second);
    }
    return std::nullopt;
  }

  // One way of telling clashing texts apart, tried on every group of texts that
  // share a name; true when clashes are left.
  bool Settle(int round) {
    std::map<std::string, std::vector<std::string>> byName;
    for (const std::string& text : order_) byName[names_[text]].push_back(text);
    bool left = false;
    for (const auto& [name, texts] : byName) {
      if (texts.size() < 2) continue;
      std::vector<std::string> tried;
      for (const std::string& text : texts) tried.push_back(round == 0 ? ShortCodePage(text, kStepNameWidth, Brackets::Keep)
                                                                       : Distinguished(text, texts, round));
      std::set<std::string> distinct(tried.begin(), tried.end());
      if (distinct.size() == texts.size()) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
          names_[texts[i]] = tried[i];
          collided_.insert(texts[i]);
        }
      } else {
        left = true;
      }
    }
    return left;
  }

  // The words of a text as it reads, letter case kept: runs of letters and
  // digits after the usual abbreviations, brackets opened.
  static std::vector<std::string> CasedWords(const std::string& text) {
    const std::string shorter = ShortCodePage(text, 1000, Brackets::Keep);
    std::vector<std::string> words;
    std::string word;
    for (char c : shorter + " ") {
      if (IsWordByte(static_cast<unsigned char>(c))) {
        word.push_back(c);
      } else if (!word.empty()) {
        words.push_back(std::move(word));
        word.clear();
      }
    }
    return words;
  }

  // The words of `text` that tell it from the other texts of its group (on/off,
  // numbers, directions) kept whole at the end; the words every text shares
  // before them, as initials when room is short ("BOPT on", "BOPT off"). A
  // word tells when another text has it fewer times. Round 1 keeps two telling
  // words, round 2 all of them.
  static std::string Distinguished(const std::string& text, const std::vector<std::string>& group, int round) {
    std::vector<std::vector<std::string>> others;
    for (const std::string& other : group) {
      if (other == text) continue;
      std::vector<std::string> lower;
      for (const std::string& w : CasedWords(other)) lower.push_back(LowerAscii(w));
      others.push_back(std::move(lower));
    }
    std::vector<std::string> telling, shared;
    std::map<std::string, long> seen;
    for (const std::string& word : CasedWords(text)) {
      const std::string lower = LowerAscii(word);
      const long k = ++seen[lower];
      const bool tells = std::any_of(others.begin(), others.end(), [&](const std::vector<std::string>& w) {
        return std::count(w.begin(), w.end(), lower) < k;
      });
      if (tells && (round == 2 || telling.size() < 2)) {
        telling.push_back(word);
      } else {
        shared.push_back(word);
      }
    }
    if (telling.empty()) return ShortCodePage(text, kStepNameWidth);
    std::string tail;
    for (const std::string& w : telling) tail += (tail.empty() ? "" : " ") + w;
    tail = ShortCodePage(tail, kStepNameWidth - 2);
    // The front leaves room for a tail of three letters at least ("off",
    // "s-f"), so that "on" and "off" names start alike.
    const std::size_t room = kStepNameWidth - std::min(kStepNameWidth, std::max<std::size_t>(tail.size(), 3) + 1);
    if (shared.empty() || room == 0) return tail;
    std::string front;
    if (shared.size() == 1) {
      front = ShortCodePage(shared.front(), room);
    } else {
      for (const std::string& w : shared) {
        const bool number = std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; });
        front += number ? w : std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(w[0]))));
      }
      front = front.substr(0, room);
    }
    return front + " " + tail;
  }

  std::map<std::string, std::string> names_;  // text -> name
  std::vector<std::string> order_;            // distinct texts, first seen first
  std::set<std::string> collided_;
};

// ---------------------------------------------------------------------------
// The import of one mode

struct Channel {
  const SourceChannel* source = nullptr;
  Meaning meaning = Meaning::Unknown;  // after the master dimmer is chosen
  int instance = 0;                    // the number its name takes; 0 for none
  int coarse = -1;                     // for a fine channel: its coarse channel
  int fineChannel = -1;                // for a coarse channel: its fine channel
  std::string key;                     // PairKey of its own name
};

class ModeImport {
 public:
  ModeImport(const SourceMode& mode, const ChannelNameSet& names, ImportResult& result)
      : mode_(mode), names_(UsableNames(names)), result_(result) {
    for (const UsableName& entry : names_) nameKeys_.push_back(NameKey(entry.Name.CodePage()));
    for (const SourceChannel& source : mode.Channels) {
      Channel channel;
      channel.source = &source;
      channel.meaning = source.Meaning;
      channel.key = PairKey(source.Name);
      channels_.push_back(std::move(channel));
    }
  }

  void Run() {
    auto record = std::make_unique<FixtureRecord>();
    FixtureRecord& fixture = *record;
    ResetFixture(fixture, static_cast<int>(channels_.size()));

    FixtureName(fixture);
    Pair();
    ChooseMasterDimmer();
    Number();
    Name(fixture);
    Type(fixture);
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      fixture.Channels[i].Value = channels_[i].source->Default;
      Steps(fixture, i);
    }
    Degrees(fixture);
    WriteReport();
    // As a reopened file has them: four names carry fixed codes, and the map is
    // built from the channels.
    ApplyFixedNameCodes(fixture);
    RebuildFunctionMap(fixture);
    result_.Record = std::move(record);
  }

 private:
  bool IsFine(std::size_t i) const { return channels_[i].source->Fine || channels_[i].source->ExtraByte; }

  std::string Label(std::size_t i) const {
    return "Channel " + std::to_string(i + 1) + " " + Quoted(channels_[i].source->Name);
  }

  void FixtureName(FixtureRecord& fixture) {
    const std::string model = Collapse(mode_.Model);
    const std::string shortName = ShortFixtureName(model);
    fixture.FixtureName.Assign(shortName);
    if (shortName != model) {
      result_.Changes.FixtureNameCut = true;
      report_.fixtureName = "The fixture name " + Quoted(model) + " is shortened to " + Quoted(shortName);
    }
  }

  // A fine channel pairs with the coarse channel the reader names; else with the
  // one its ActsOn names; else with the nearest channel before it of the same
  // meaning and number (of the same own name, where the meaning is unknown).
  void Pair() {
    auto free = [&](std::size_t f, int c) {
      return c >= 0 && static_cast<std::size_t>(c) < channels_.size() && static_cast<std::size_t>(c) != f &&
             !IsFine(static_cast<std::size_t>(c)) && channels_[static_cast<std::size_t>(c)].fineChannel < 0;
    };
    auto agrees = [&](const Channel& fine, const Channel& coarse) {
      if (Family(fine.meaning) != Family(coarse.meaning)) return false;
      if (fine.meaning == Meaning::Unknown) return !fine.key.empty() && fine.key == coarse.key;
      return fine.source->Instance == 0 || fine.source->Instance == coarse.source->Instance;
    };
    std::vector<std::string> unpaired;
    for (std::size_t f = 0; f < channels_.size(); ++f) {
      Channel& fine = channels_[f];
      if (!fine.source->Fine || fine.source->ExtraByte) continue;
      int coarse = -1;
      if (free(f, fine.source->Coarse)) {
        coarse = fine.source->Coarse;
      } else if (free(f, fine.source->ActsOn) &&
                 Family(channels_[static_cast<std::size_t>(fine.source->ActsOn)].meaning) == Family(fine.meaning)) {
        coarse = fine.source->ActsOn;
      } else {
        for (std::size_t c = f; c-- > 0;) {
          if (free(f, static_cast<int>(c)) && agrees(fine, channels_[c])) {
            coarse = static_cast<int>(c);
            break;
          }
        }
      }
      if (coarse < 0) {
        ++result_.Changes.FinesUnpaired;
        report_.channels.push_back(Label(f) +
                                   " is a fine channel without its coarse channel in this mode; it stays a plain channel");
        continue;
      }
      fine.coarse = coarse;
      channels_[static_cast<std::size_t>(coarse)].fineChannel = static_cast<int>(f);
    }
  }

  // The master dimmer: the first channel the reader calls one; else the only
  // dimmer; else the only dimmer without a part's number beside numbered ones.
  // Every other dimmer dims a part.
  void ChooseMasterDimmer() {
    std::vector<std::size_t> masters, dimmers;
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      if (IsFine(i)) continue;
      if (channels_[i].meaning == Meaning::MasterDimmer) masters.push_back(i);
      if (IsDimmer(channels_[i].meaning)) dimmers.push_back(i);
    }
    std::optional<std::size_t> master;
    if (!masters.empty()) {
      master = masters.front();
    } else if (dimmers.size() == 1) {
      master = dimmers.front();
    } else {
      std::vector<std::size_t> bare;
      for (std::size_t i : dimmers) {
        if (channels_[i].source->Instance == 0) bare.push_back(i);
      }
      if (bare.size() == 1) master = bare.front();
    }
    for (std::size_t i : dimmers) channels_[i].meaning = i == master ? Meaning::MasterDimmer : Meaning::Dimmer;
    hasMaster_ = master.has_value();
    // A fine channel follows its coarse channel.
    for (Channel& channel : channels_) {
      if (channel.coarse >= 0) channel.meaning = channels_[static_cast<std::size_t>(channel.coarse)].meaning;
    }
  }

  // A meaning that one channel has goes bare; repeated, each channel takes the
  // number the definition gives it when those numbers tell them apart, else its
  // place among them. A part's dimmer is always numbered: the bare name is the
  // master's.
  void Number() {
    std::map<Meaning, std::vector<std::size_t>> byMeaning;
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      if (IsFine(i) || channels_[i].meaning == Meaning::Unknown || channels_[i].meaning == Meaning::MasterDimmer) continue;
      byMeaning[channels_[i].meaning].push_back(i);
    }
    for (const auto& [meaning, list] : byMeaning) {
      const bool blade = meaning == Meaning::BladeA || meaning == Meaning::BladeB || meaning == Meaning::BladeRotation;
      if (list.size() == 1 && meaning != Meaning::Dimmer && !blade) continue;
      // The definition's numbers count when they number these channels 1 to n;
      // else (a part of a larger fixture's cells, numbers repeated) their places
      // do, so that a name set holds every number a mode can need.
      std::set<int> given;
      for (std::size_t i : list) given.insert(channels_[i].source->Instance);
      const bool fromDefinition = given.size() == list.size() && *given.begin() == 1 &&
                                  *given.rbegin() == static_cast<int>(list.size());
      for (std::size_t k = 0; k < list.size(); ++k) {
        Channel& channel = channels_[list[k]];
        channel.instance = fromDefinition ? channel.source->Instance : static_cast<int>(k) + 1;
        if (blade && list.size() == 1 && !fromDefinition) channel.instance = 0;
      }
    }
    for (Channel& channel : channels_) {
      if (channel.coarse >= 0) channel.instance = channels_[static_cast<std::size_t>(channel.coarse)].instance;
    }
  }

  void Name(FixtureRecord& fixture) {
    std::vector<std::string> wanted(channels_.size());  // code page
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      const Channel& channel = channels_[i];
      const bool fine = channel.source->Fine && !channel.source->ExtraByte;
      if (channel.meaning != Meaning::Unknown && !channel.source->ExtraByte) {
        wanted[i] = Utf8ToCp1252(SharedName(channel.meaning, channel.instance, fine));
        continue;
      }
      const std::string own = StepTextCodePage(channel.source->Name);
      wanted[i] = ShortCodePage(own, kChannelNameWidth);
      if (own.size() > kChannelNameWidth) {
        ++result_.Changes.ChannelNamesCut;
        report_.cutNames.push_back("channel " + std::to_string(i + 1) + " " + Quoted(channel.source->Name) + " to " +
                                   Quoted(Cp1252ToUtf8(wanted[i])));
      }
    }
    // No two channels share a name: a later one takes the next free number. The
    // names the rules give go first; unpaired fine channels and own names give
    // way to them.
    std::vector<std::size_t> order;
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i = 0; i < channels_.size(); ++i) {
        const bool yields = channels_[i].meaning == Meaning::Unknown || channels_[i].source->ExtraByte ||
                            (channels_[i].source->Fine && channels_[i].coarse < 0);
        if (yields == (pass == 1)) order.push_back(i);
      }
    }
    std::set<std::string> used;
    for (std::size_t i : order) {
      if (wanted[i].empty()) continue;
      if (used.count(NameKey(wanted[i]))) {
        const std::string base = wanted[i];
        for (int n = 2;; ++n) {
          wanted[i] = WithNumber(base, n);
          if (!used.count(NameKey(wanted[i]))) break;
        }
      }
      used.insert(NameKey(wanted[i]));
    }

    std::vector<std::pair<std::string, std::vector<std::size_t>>> missing;  // name, its channels
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      ChannelRecord& out = fixture.Channels[i];
      const std::string& name = wanted[i];
      if (name.find_first_not_of(' ') == std::string::npos) continue;  // no name: stays blank
      if (const UsableName* entry = Find(name)) {
        out.Name = entry->Name;
        out.NameCode = entry->Code;
        continue;
      }
      out.Name.AssignCodePage(name);
      out.NameCode = 0;
      missing.push_back({name, {i + 1}});
    }
    for (const auto& [name, numbers] : missing) {
      result_.MissingNames.push_back(Cp1252ToUtf8(name));
      report_.missing.push_back(Quoted(Cp1252ToUtf8(name)) + " (channel " + std::to_string(numbers.front()) + ")");
    }
  }

  const UsableName* Find(const std::string& cp1252) const {
    const auto it = std::find(nameKeys_.begin(), nameKeys_.end(), NameKey(cp1252));
    return it == nameKeys_.end() ? nullptr : &names_[static_cast<std::size_t>(it - nameKeys_.begin())];
  }

  void Type(FixtureRecord& fixture) {
    std::vector<std::string> plainFines;
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      const Channel& channel = channels_[i];
      ChannelRecord& out = fixture.Channels[i];
      if (channel.coarse >= 0) continue;  // typed with its coarse channel
      const ChannelType type = IsFine(i) ? LTP : TypeOf(channel.meaning, hasMaster_);
      out.Type = type;
      if (channel.fineChannel < 0) continue;
      ChannelRecord& fine = fixture.Channels[static_cast<std::size_t>(channel.fineChannel)];
      if (type == HTP) {
        // The console has no 16-bit HTP: the coarse byte keeps HTP, the fine byte
        // is a plain channel.
        fine.Type = LTP;
        ++result_.Changes.FinesPlain;
        plainFines.push_back(std::to_string(channel.fineChannel + 1));
        continue;
      }
      out.Type = type == InstantLTP ? InstantLTP16H : FadeableLTP16H;
      fine.Type = type == InstantLTP ? InstantLTP16L : FadeableLTP16L;
      out.Partner = static_cast<std::uint8_t>(channel.fineChannel + 1);
    }
    if (!plainFines.empty()) {
      std::string list;
      for (const std::string& n : plainFines) list += (list.empty() ? "" : ", ") + n;
      report_.channels.push_back(std::string(plainFines.size() == 1 ? "Channel " : "Channels ") + list +
                                 ": the fine byte of an HTP intensity stays a plain LTP channel; its coarse "
                                 "channel keeps HTP");
    }
  }

  void Steps(FixtureRecord& fixture, std::size_t i) {
    const SourceChannel& source = *channels_[i].source;
    const std::size_t count = std::min<std::size_t>(source.Steps.size(), kMaxSteps);
    // What the file's 204 step records still hold.
    const std::size_t room = static_cast<std::size_t>(std::max(0, MAX_FILE_STEPS - stepsSoFar_));
    const std::size_t kept = std::min(count, room);
    std::vector<std::string> texts;
    int shortened = 0, swapped = 0;
    for (std::size_t s = 0; s < kept; ++s) {
      texts.push_back(StepTextCodePage(source.Steps[s].Text));
      if (texts.back().size() > kStepNameWidth) ++shortened;
    }
    const StepNamer namer(texts);
    int collided = 0;
    for (std::size_t s = 0; s < kept; ++s) {
      const SourceStep& from = source.Steps[s];
      ChannelStep& step = fixture.Steps[i][s];
      step.FromDmx = std::min(from.From, from.To);
      step.ToDmx = std::max(from.From, from.To);
      if (from.From > from.To) ++swapped;
      step.StepName.AssignCodePage(namer.NameOf(texts[s]));
      if (namer.Collided(texts[s])) ++collided;
    }
    fixture.StepCounts[i] = static_cast<std::uint8_t>(kept);
    stepsSoFar_ += static_cast<int>(kept);
    const std::string channel = "channel " + std::to_string(i + 1);
    if (source.Steps.size() > count) {
      result_.Changes.CapabilitiesDropped += static_cast<int>(source.Steps.size() - count);
      report_.tooMany.push_back(channel + " (" + std::to_string(source.Steps.size()) + ")");
    }
    if (kept < count) {
      result_.Changes.StepsPastFile += static_cast<int>(count - kept);
      report_.pastFile.push_back((kept == 0 ? (count == 1 ? "the step" : "all " + std::to_string(count) + " steps")
                                            : "steps " + std::to_string(kept + 1) + " to " + std::to_string(count)) +
                                 " of " + channel);
    }
    if (swapped > 0) {
      result_.Changes.StepRangesSwapped += swapped;
      report_.swapped.push_back(channel + " (" + std::to_string(swapped) + ")");
    }
    if (shortened > 0) {
      result_.Changes.StepNamesShortened += shortened;
      report_.shortened.push_back(channel + " (" + std::to_string(shortened) + " of " + std::to_string(kept) + ")");
    }
    if (collided > 0) {
      result_.Changes.StepNamesCollided += collided;
      report_.collided.push_back(channel + " (" + std::to_string(collided) + ")");
    }
  }

  void Degrees(FixtureRecord& fixture) {
    auto degree = [&](int value, const char* what) -> std::int16_t {
      if (value >= 0 && value <= kMaxDegree) return static_cast<std::int16_t>(value);
      ++result_.Changes.ValuesReset;
      report_.degrees.push_back(std::string("The maximum ") + what + " of " + Quoted(std::to_string(value)) +
                                " degrees is not one from 0 to 720; it is 0");
      return 0;
    };
    fixture.MaxPanDegree = degree(mode_.PanDegrees, "pan");
    fixture.MaxTiltDegree = degree(mode_.TiltDegrees, "tilt");
  }

  // The report in a fixed order, the changes of one kind on one line.
  void WriteReport() {
    auto line = [&](const char* lead, const std::vector<std::string>& items, const char* separator) {
      if (items.empty()) return;
      std::string text = lead;
      for (std::size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : separator) + items[i];
      result_.Report.push_back(std::move(text));
    };
    if (!report_.fixtureName.empty()) result_.Report.push_back(report_.fixtureName);
    line("Channel names shortened to 12 characters: ", report_.cutNames, "; ");
    line("Not in the channel name set: ", report_.missing, ", ");
    for (const std::string& text : mode_.ReaderReport) result_.Report.push_back(text);
    for (std::string& text : report_.channels) result_.Report.push_back(std::move(text));
    line("More than 255 capabilities, the first 255 kept as steps: ", report_.tooMany, ", ");
    line("Steps given from a higher to a lower value, turned round: ", report_.swapped, ", ");
    line("Step names shortened to 8 characters: ", report_.shortened, ", ");
    line("Step names that shortening would have made equal, told apart: ", report_.collided, ", ");
    line("Past the 204 steps the file holds, left out: ", report_.pastFile, ", ");
    for (std::string& text : report_.degrees) result_.Report.push_back(std::move(text));
  }

  const SourceMode& mode_;
  std::vector<UsableName> names_;
  std::vector<std::string> nameKeys_;  // NameKey of each usable name
  std::vector<Channel> channels_;
  bool hasMaster_ = false;
  int stepsSoFar_ = 0;
  struct {
    std::string fixtureName;
    std::vector<std::string> cutNames;   // channel 6 "Colour Wheel 3" to "Colour Wheel"
    std::vector<std::string> missing;    // "Frost" (channel 5)
    std::vector<std::string> channels;   // whole lines about one channel
    std::vector<std::string> tooMany;    // channel 4 (300)
    std::vector<std::string> swapped;    // channel 4 (2)
    std::vector<std::string> shortened;  // channel 4 (10 of 11)
    std::vector<std::string> collided;   // channel 4 (2)
    std::vector<std::string> pastFile;   // steps 5 to 20 of channel 12
    std::vector<std::string> degrees;
  } report_;
  ImportResult& result_;
};

void AddChanges(ImportChanges& to, const ImportChanges& from) {
  to.FixtureNameCut = to.FixtureNameCut || from.FixtureNameCut;
  to.ChannelNamesCut += from.ChannelNamesCut;
  to.StepNamesShortened += from.StepNamesShortened;
  to.StepNamesCollided += from.StepNamesCollided;
  to.CapabilitiesDropped += from.CapabilitiesDropped;
  to.StepRangesSwapped += from.StepRangesSwapped;
  to.StepsPastFile += from.StepsPastFile;
  to.FinesUnpaired += from.FinesUnpaired;
  to.FinesPlain += from.FinesPlain;
  to.ValuesReset += from.ValuesReset;
}

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

ImportResult ImportSourceMode(const SourceMode& mode, const ChannelNameSet& names, const ReaderChanges& readerChanges) {
  ImportResult result;
  if (mode.Channels.empty()) {
    result.Error = "mode " + Quoted(mode.ModeName) + " has no channels";
    return result;
  }
  if (mode.Channels.size() > static_cast<std::size_t>(kMaxChannels)) {
    result.Error = "mode " + Quoted(mode.ModeName) + " has " + std::to_string(mode.Channels.size()) +
                   " channels; a fixture holds 40 at most";
    return result;
  }
  ModeImport(mode, names, result).Run();
  AddChanges(result.Changes, readerChanges);
  return result;
}

std::string ShortStepName(std::string_view text) {
  return Cp1252ToUtf8(ShortCodePage(StepTextCodePage(text), kStepNameWidth));
}

std::string ShortFixtureName(std::string_view model) {
  // Bracketed remarks often hold what tells a model from its siblings ("(RGBW)").
  return Cp1252ToUtf8(ShortCodePage(StepTextCodePage(model), kFixtureNameWidth, Brackets::Keep));
}

}  // namespace brannoc
