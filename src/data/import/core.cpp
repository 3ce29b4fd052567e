#include "data/import/core.h"

#include <algorithm>
#include <map>
#include <set>

#include "data/core/codepage.h"
#include "data/fixture/file.h"
#include "data/import/shared_names.h"
#include "data/import/step_names.h"
#include "data/import/text.h"

namespace brannoc {
namespace {

using namespace import_text;

using namespace import_core;

constexpr int kMaxDegree = 720;
constexpr int kMaxSteps = 255;  // StepCounts is a byte
constexpr std::size_t kFixtureNameWidth = 11;

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
