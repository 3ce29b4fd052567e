// Every mode of every fixture definition that Debian's qlcplus-data installs,
// imported, saved and read back. Skipped (and says so) when the package is not
// installed.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "data/checks/checks.h"
#include "data/fixture/file.h"
#include "data/import/led.h"
#include "data/import/qxf.h"
#include "data/import/text.h"
#include "data/core/file_io.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;

const fs::path kCorpus = "/usr/share/qlcplus/fixtures";

std::vector<fs::path> Definitions() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(kCorpus)) {
    if (entry.is_regular_file() && entry.path().extension() == ".qxf") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A 16-bit pair as the editor keeps one: the high channel points at a low one of
// the same flavour, never at itself; every low channel has its high channel.
void ExpectConsistentTypes(const FixtureRecord& fixture, const std::string& where) {
  const int count = fixture.ChannelCount;
  std::vector<int> pointedAt(static_cast<std::size_t>(count) + 1, 0);
  for (int i = 0; i < count; ++i) {
    const ChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(i)];
    ASSERT_LT(channel.Type, kChannelTypeCount) << where << " channel " << i + 1;
    if (channel.Type == FadeableLTP16H || channel.Type == InstantLTP16H) {
      ASSERT_GE(channel.Partner, 1) << where << " channel " << i + 1;
      ASSERT_LE(channel.Partner, count) << where << " channel " << i + 1;
      ASSERT_NE(channel.Partner, i + 1) << where << " channel " << i + 1;
      EXPECT_EQ(fixture.Channels[channel.Partner - 1u].Type, channel.Type + 1) << where << " channel " << i + 1;
      ++pointedAt[channel.Partner];
    } else {
      EXPECT_EQ(channel.Partner, 0) << where << " channel " << i + 1;
    }
  }
  for (int i = 0; i < count; ++i) {
    const std::uint8_t type = fixture.Channels[static_cast<std::size_t>(i)].Type;
    const bool low = type == FadeableLTP16L || type == InstantLTP16L;
    EXPECT_EQ(pointedAt[static_cast<std::size_t>(i) + 1], low ? 1 : 0) << where << " channel " << i + 1;
  }
}

// The same bytes: a quick look first, field by field only where they differ.
template <class T>
bool SameBytes(const T& a, const T& b) {
  static_assert(std::has_unique_object_representations_v<T>);
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Field for field, so that a difference names its field.
void ExpectSameFixture(const FixtureRecord& read, const FixtureRecord& expected, const std::string& where) {
  if (SameBytes(read.Steps, expected.Steps) && SameBytes(read.Channels, expected.Channels) &&
      SameBytes(read.Palettes, expected.Palettes) && read.FunctionMap == expected.FunctionMap &&
      read.StepCounts == expected.StepCounts && read.HeaderReserved == expected.HeaderReserved &&
      read.FixtureName == expected.FixtureName && read.ChannelCount == expected.ChannelCount &&
      read.MaxPanDegree == expected.MaxPanDegree && read.MaxTiltDegree == expected.MaxTiltDegree) {
    return;
  }
  EXPECT_EQ(read.HeaderReserved, expected.HeaderReserved) << where;
  EXPECT_EQ(read.FixtureName, expected.FixtureName) << where;
  EXPECT_EQ(read.ChannelCount, expected.ChannelCount) << where;
  EXPECT_EQ(read.MaxPanDegree, expected.MaxPanDegree) << where;
  EXPECT_EQ(read.MaxTiltDegree, expected.MaxTiltDegree) << where;
  EXPECT_EQ(read.FunctionMap, expected.FunctionMap) << where;
  for (std::size_t c = 0; c < kMaxChannels; ++c) {
    const ChannelRecord& a = read.Channels[c];
    const ChannelRecord& b = expected.Channels[c];
    EXPECT_EQ(a.NameCode, b.NameCode) << where << " channel " << c + 1;
    EXPECT_EQ(a.Type, b.Type) << where << " channel " << c + 1;
    EXPECT_EQ(a.Number, b.Number) << where << " channel " << c + 1;
    EXPECT_EQ(a.Partner, b.Partner) << where << " channel " << c + 1;
    EXPECT_EQ(a.Reserved, b.Reserved) << where << " channel " << c + 1;
    EXPECT_EQ(a.Name, b.Name) << where << " channel " << c + 1;
    EXPECT_EQ(a.Value, b.Value) << where << " channel " << c + 1;
  }
  EXPECT_EQ(read.StepCounts, expected.StepCounts) << where;
  for (std::size_t c = 0; c < kMaxChannels; ++c) {
    if (SameBytes(read.Steps[c], expected.Steps[c])) continue;
    for (std::size_t s = 0; s < kMaxStepsPerChannel; ++s) {
      EXPECT_EQ(read.Steps[c][s], expected.Steps[c][s]) << where << " channel " << c + 1 << " step " << s + 1;
    }
  }
  EXPECT_EQ(read.Palettes, expected.Palettes) << where;
}

std::string Upper(std::string text) {
  for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return text;
}

bool IsBuiltIn(const std::string& name) {
  for (const BuiltInName& builtIn : BuiltInNames()) {
    if (Upper(builtIn.Name) == Upper(name)) return true;
  }
  return false;
}

// The channel's name without its padding.
std::string Trimmed(const ChannelRecord& channel) { return channel.Name.TrimmedUtf8(); }

// What the library's modes show, counted over every mode that fits.
struct Figures {
  int files = 0, modes = 0, imported = 0, refused = 0, pastFile = 0, stepNamesShortened = 0, stepNamesCollided = 0;
  int channels = 0, sharedNames = 0, ownNames = 0, pairs = 0, plainFines = 0, unpaired = 0, htp = 0;
  int namesAdded = 0, withoutCode = 0;
  // The most channels of one meaning (coarse or fine) that one mode has.
  std::map<std::pair<Meaning, bool>, int> mostOfAMeaning;
  std::chrono::steady_clock::duration importing{};
};

// The meaning rules, checked on one imported mode against what its definition
// says of each channel.
void ExpectMeaningKept(const FixtureRecord& fixture, const SourceMode& source, Figures& figures,
                       const std::string& where) {
  const int count = fixture.ChannelCount;
  bool hasMaster = false;
  for (int i = 0; i < count; ++i) hasMaster = hasMaster || Trimmed(fixture.Channels[static_cast<std::size_t>(i)]) == "Dimmer";
  std::set<std::string> seen;
  std::map<std::pair<Meaning, bool>, int> ofAMeaning;
  for (int i = 0; i < count; ++i) {
    const std::size_t c = static_cast<std::size_t>(i);
    const ChannelRecord& channel = fixture.Channels[c];
    const SourceChannel& from = source.Channels[c];
    const std::string at = where + " channel " + std::to_string(i + 1) + " \"" + Trimmed(channel) + "\"";
    ++figures.channels;
    // No two channels share a name.
    if (!Trimmed(channel).empty()) {
      EXPECT_TRUE(seen.insert(Upper(Trimmed(channel))).second) << at << " named twice";
    }

    // A channel of a known meaning has its shared name.
    const auto named = MeaningOfSharedName(Trimmed(channel));
    if (from.Meaning == Meaning::Unknown) {
      ++figures.ownNames;
    } else {
      ++figures.sharedNames;
      ASSERT_TRUE(named) << at << " has no shared name for its meaning " << static_cast<int>(from.Meaning);
      const auto family = [](Meaning m) { return m == Meaning::MasterDimmer ? Meaning::Dimmer : m; };
      EXPECT_EQ(family(named->Meaning), family(from.Meaning)) << at;
    }

    // Types follow the rule table; pairs never cross meanings.
    if (channel.Type == FadeableLTP16H || channel.Type == InstantLTP16H) {
      ++figures.pairs;
      const ChannelRecord& low = fixture.Channels[channel.Partner - 1u];
      const auto lowNamed = MeaningOfSharedName(Trimmed(low));
      if (named && lowNamed) {
        EXPECT_EQ(lowNamed->Meaning, named->Meaning) << at << " paired with channel " << int(channel.Partner);
        EXPECT_TRUE(lowNamed->Fine) << at << " paired with channel " << int(channel.Partner);
      }
      EXPECT_EQ(source.Channels[channel.Partner - 1u].Meaning == Meaning::Unknown, from.Meaning == Meaning::Unknown)
          << at;
    }
    if (!named) continue;
    int& most = figures.mostOfAMeaning[{named->Meaning, named->Fine}];
    most = std::max(most, ++ofAMeaning[{named->Meaning, named->Fine}]);
    const bool paired = channel.Type == FadeableLTP16H || channel.Type == InstantLTP16H ||
                        channel.Type == FadeableLTP16L || channel.Type == InstantLTP16L;
    if (named->Fine) {
      if (!paired) {
        EXPECT_EQ(channel.Type, LTP) << at;
        ++(TypeOf(named->Meaning, hasMaster) == HTP ? figures.plainFines : figures.unpaired);
      }
      continue;
    }
    const ChannelType type = TypeOf(named->Meaning, hasMaster);
    if (type == HTP) ++figures.htp;
    const std::uint8_t expected = !paired ? type : type == InstantLTP ? InstantLTP16H : FadeableLTP16H;
    EXPECT_EQ(channel.Type, expected) << at;
  }

  // Two steps of a channel share a name only when their texts are the same.
  for (int i = 0; i < count; ++i) {
    const std::size_t c = static_cast<std::size_t>(i);
    std::map<std::string, std::string> textOf;
    for (std::size_t s = 0; s < fixture.StepCounts[c]; ++s) {
      const std::string text = import_text::StepTextCodePage(source.Channels[c].Steps[s].Text);
      const auto [it, fresh] = textOf.emplace(std::string(fixture.Steps[c][s].StepName.CodePage()), text);
      EXPECT_TRUE(fresh || it->second == text)
          << where << " channel " << i + 1 << " step " << s + 1 << " \"" << fixture.Steps[c][s].StepName.Utf8()
          << "\" names both \"" << it->second << "\" and \"" << text << "\"";
    }
  }
}

TEST(QxfCorpus, EveryModeImportsWithSharedNamesPairsTypesAndStepNamesThatKeepItsMeaning) {
  if (!fs::is_directory(kCorpus)) {
    GTEST_SKIP() << "Skipped: no QLC+ fixture definitions in " << kCorpus.string()
                 << " (Debian's qlcplus-data is not installed; scripts/deps.sh installs it)";
  }
  // One fresh copy of the built-in names, which every import adds its names to,
  // as a technician importing the library one fixture after another would.
  ChannelNameSet names;
  RestoreDefaultNames(names);
  std::map<std::string, std::set<std::string>> modelsByName;  // 11-character name -> the models
  std::set<std::string> wanted;  // every name beyond the built-in ones a channel takes

  Figures figures;
  for (const fs::path& path : Definitions()) {
    const ReadResult file = ReadFilePrefix(path, kMaxQxfBytes + 1);
    ASSERT_FALSE(file.error) << file.error->message;
    const Bytes& bytes = file.bytes;
    const QxfModeList list = ListQxfModes(bytes);
    ASSERT_TRUE(list.Error.empty()) << path << ": " << list.Error;
    ++figures.files;
    for (std::size_t m = 0; m < list.Modes.size(); ++m) {
      const std::string where = path.string() + " mode \"" + list.Modes[m].Name + "\"";
      ++figures.modes;
      const auto start = std::chrono::steady_clock::now();
      QxfImport result = ImportQxfMode(bytes, m, names);
      figures.importing += std::chrono::steady_clock::now() - start;
      if (!list.Modes[m].Fits) {
        // The only refusal the library's modes may meet: more than 40 channels.
        EXPECT_GT(list.Modes[m].ChannelCount, kMaxChannels) << where << ": " << list.Modes[m].Why;
        EXPECT_FALSE(result.Record) << where;
        EXPECT_TRUE(result.Error.ends_with(list.Modes[m].Why)) << where << ": " << result.Error;
        ++figures.refused;
        continue;
      }
      ASSERT_TRUE(result.Record) << where << ": " << result.Error;
      ++figures.imported;
      for (const std::string& name : result.MissingNames) {
        if (AddChannelName(names, name)) ++figures.namesAdded;
      }
      if (!result.MissingNames.empty()) {
        result = ImportQxfMode(bytes, m, names);
        ASSERT_TRUE(result.Record) << where << ": " << result.Error;
      }
      const FixtureRecord& fixture = *result.Record;
      EXPECT_EQ(fixture.ChannelCount, list.Modes[m].ChannelCount) << where;
      int steps = 0;
      for (std::size_t c = 0; c < kMaxChannels; ++c) {
        steps += fixture.StepCounts[c];
        // Every named channel carries a code.
        if (c < fixture.ChannelCount && !Trimmed(fixture.Channels[c]).empty()) {
          if (fixture.Channels[c].NameCode == 0) ++figures.withoutCode;
          if (!IsBuiltIn(Trimmed(fixture.Channels[c]))) wanted.insert(Trimmed(fixture.Channels[c]));
        }
      }
      EXPECT_EQ(steps, std::min(list.Modes[m].StepCount, MAX_FILE_STEPS)) << where;
      ExpectConsistentTypes(fixture, where);
      ReaderChanges changes;
      std::string error;
      const auto source = ReadQxfMode(bytes, m, changes, error);
      ASSERT_TRUE(source) << where << ": " << error;
      ExpectMeaningKept(fixture, *source, figures, where);
      modelsByName[fixture.FixtureName.TrimmedUtf8()].insert(list.Model);
      if (result.Changes.StepsPastFile > 0) ++figures.pastFile;
      figures.stepNamesShortened += result.Changes.StepNamesShortened;
      figures.stepNamesCollided += result.Changes.StepNamesCollided;

      // What the file holds is what was imported: every step fits.
      FixtureRecord saved = fixture;
      const Bytes image = BuildFixtureImage(saved);
      const FixtureReadResult read = ParseFixtureImage(image);
      ASSERT_TRUE(read.record) << where << ": " << read.error;
      ExpectSameFixture(*read.record, fixture, where);
      if (HasFailure()) return;  // one broken mode tells enough
    }
  }
  // A repeated meaning is numbered 1 to n in every mode, so the names a library
  // needs are the numbers of its most repeated meanings, none past them: with
  // "Red 5" the library also takes "Red 4". (A fine channel takes its coarse
  // channel's number.)
  for (const std::string& name : wanted) {
    const auto meaning = MeaningOfSharedName(name);
    if (!meaning || meaning->Instance < 2 || meaning->Fine) continue;
    EXPECT_TRUE(wanted.count(SharedName(meaning->Meaning, meaning->Instance - 1, meaning->Fine)) ||
                IsBuiltIn(SharedName(meaning->Meaning, meaning->Instance - 1, meaning->Fine)))
        << name << " without the number before it";
  }
  // Whatever the names, one that keeps one meaning everywhere needs as many
  // names for a meaning as the mode with the most channels of it has.
  int leastNames = 0;
  for (const auto& [meaning, most] : figures.mostOfAMeaning) leastNames += most;
  int sharingModels = 0;
  for (const auto& [name, models] : modelsByName) {
    if (models.size() > 1) sharingModels += static_cast<int>(models.size());
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(figures.importing).count();
  std::cout << "QLC+ definitions: " << figures.files << " files, " << figures.modes << " modes; " << figures.imported
            << " imported, " << figures.refused << " refused (more than 40 channels).\n"
            << "Channels: " << figures.channels << ", " << figures.sharedNames << " with a shared name, "
            << figures.ownNames << " of no known meaning with their own.\n"
            << "Names: the library takes " << wanted.size() << " beyond the 41 built-in ones; " << figures.namesAdded
            << " of them fitted in the set's 194 free slots; " << figures.withoutCode
            << " channels (of modes imported after the set was full) left without a code; names of one meaning "
               "each need at least "
            << leastNames << " in all (the most channels of each meaning in one mode, summed).\n"
            << "16-bit pairs: " << figures.pairs << "; fine bytes of HTP intensity kept plain: " << figures.plainFines
            << "; fine channels left unpaired: " << figures.unpaired << "; HTP channels: " << figures.htp << ".\n"
            << "Step names: " << figures.stepNamesShortened << " shortened, " << figures.stepNamesCollided
            << " told apart where shortening made them equal; " << figures.pastFile
            << " modes with steps past the 204 the file holds.\n"
            << "Fixture names: " << modelsByName.size() << " distinct; " << sharingModels
            << " models share theirs with another model.\n"
            << "Importing alone took " << ms << " ms.\n";
  EXPECT_GE(figures.imported * 100, figures.modes * 95) << figures.imported << " of " << figures.modes << " modes imported";
  EXPECT_LE(wanted.size(), 420u);
  EXPECT_LE(sharingModels, 20);
}

TEST(QxfCorpus, EveryModeThatFitsTheLedFormImportsAsAnLedFixtureThatReadsBack) {
  if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "Skipped: no QLC+ fixture definitions in " << kCorpus.string();
  int modes = 0, fits = 0;
  std::set<std::string> files;
  for (const fs::path& path : Definitions()) {
    const ReadResult file = ReadFilePrefix(path, kMaxQxfBytes + 1);
    ASSERT_FALSE(file.error) << file.error->message;
    const QxfModeList list = ListQxfModes(file.bytes);
    for (std::size_t m = 0; m < list.Modes.size(); ++m) {
      ++modes;
      ReaderChanges changes;
      std::string error;
      const auto source = ReadQxfMode(file.bytes, m, changes, error);
      if (!source || !FitsLedFixture(*source).Fits) continue;
      const std::string where = path.string() + " mode \"" + list.Modes[m].Name + "\"";
      ++fits;
      files.insert(path.string());
      LedImportResult result = ImportAsLedFixture(*source);
      ASSERT_TRUE(result.Record) << where << ": " << result.Error;
      LedFixtureRecord& led = *result.Record;
      for (std::size_t c = 0; c < led.ChannelCount; ++c) {
        EXPECT_GE(led.Channels[c].NameIndex, 1) << where << " channel " << c + 1;
        EXPECT_EQ(led.Channels[c].Name.TrimmedUtf8(), LedName(led.Channels[c].NameIndex)) << where;
      }
      const Bytes image = BuildLedFixtureImage(led);
      const LedReadResult reread = ParseLedFixtureImage(image);
      ASSERT_TRUE(reread.record) << where << ": " << reread.error;
      // The colour and dimmer entries of the saved map name the channels of those
      // names, and none where there is no such channel.
      for (const int entry : {1, 2, 3, 8}) {
        int named = 0;
        for (std::size_t c = 0; c < led.ChannelCount && named == 0; ++c) {
          if (led.Channels[c].Name.TrimmedUtf8() == LedName(entry)) named = static_cast<int>(c) + 1;
        }
        EXPECT_EQ(reread.record->LedFunctionMap[static_cast<std::size_t>(entry)], named) << where << " " << LedName(entry);
      }
      // What tfftool check would say of the file: no error.
      EXPECT_EQ(CountProblems(CheckLedFixture(*reread.record, image), ProblemLevel::Error), 0u) << where;
      RederiveLedTypes(led);
      EXPECT_EQ(*reread.record, led) << where;
      if (HasFailure()) return;
    }
  }
  std::cout << "LED form: " << fits << " of " << modes << " modes (" << files.size()
            << " files) fit and import as LED fixtures.\n";
  EXPECT_GT(fits, 0);
}

}  // namespace
}  // namespace brannoc
