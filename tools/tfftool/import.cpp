#include "tfftool/import.h"

#include <algorithm>
#include <vector>

#include "data/core/file_io.h"
#include "data/fixture/file.h"
#include "data/import/definition.h"
#include "data/import/led.h"
#include "data/import/text.h"
#include "data/palette_fill/generate.h"
#include "tfftool/command.h"
#include "tfftool/files.h"

namespace brannoc::tfftool {
namespace fs = std::filesystem;
namespace {

int Fail(std::ostream& err, const std::string& message) {
  err << "tfftool: " << message << '\n';
  return kExitFailure;
}

// A name in quotes, cut to a readable length.
std::string Quoted(const std::string& text) { return import_text::Quoted(text); }

std::string Lower(const std::string& text) { return import_text::LowerAscii(text); }

// The modes' names for a message: the first ten, then how many more.
std::string ModeNames(const DefinitionModes& list) {
  constexpr std::size_t kNamed = 10;
  std::string names;
  for (std::size_t m = 0; m < list.Modes.size() && m < kNamed; ++m) {
    names += (names.empty() ? "" : ", ") + Quoted(list.Modes[m].Name);
  }
  if (list.Modes.size() > kNamed) names += " and " + std::to_string(list.Modes.size() - kNamed) + " more";
  return names;
}

}  // namespace

// The mode --mode names: its exact name (blanks included), else the one name
// that differs only in letter case, else its number counted from 1. Without
// --mode the file must have one mode.
std::optional<std::size_t> ChooseMode(const DefinitionModes& list, const ImportRequest& request, std::string& error) {
  const std::string file = request.qxf;
  if (list.Modes.empty()) {
    error = file + ": the fixture definition has no modes";
    return std::nullopt;
  }
  if (!request.mode) {
    if (list.Modes.size() == 1) return 0;
    error = file + " has " + std::to_string(list.Modes.size()) + " modes (" + ModeNames(list) +
            "); choose one with --mode, by its name or its number";
    return std::nullopt;
  }
  for (std::size_t m = 0; m < list.Modes.size(); ++m) {
    if (list.Modes[m].Name == *request.mode) return m;
  }
  std::vector<std::size_t> alike;
  for (std::size_t m = 0; m < list.Modes.size(); ++m) {
    if (Lower(list.Modes[m].Name) == Lower(*request.mode)) alike.push_back(m);
  }
  if (alike.size() == 1) return alike[0];
  const std::string& text = *request.mode;
  if (!text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos) {
    const std::size_t number = std::stoul(text);
    if (number >= 1 && number <= list.Modes.size()) return number - 1;
  }
  error = file + " has no mode " + Quoted(*request.mode) + "; its modes: " + ModeNames(list);
  return std::nullopt;
}

namespace {

// Each mode with its number and its whole name, either of which --mode takes.
void ListModes(const DefinitionModes& list, std::ostream& out) {
  std::size_t number = 0;
  for (const DefinitionMode& mode : list.Modes) {
    out << ++number << " \"" << mode.Name << "\": " << mode.ChannelCount << (mode.ChannelCount == 1 ? " channel, " : " channels, ")
        << mode.StepCount << (mode.StepCount == 1 ? " step" : " steps");
    if (!mode.Fits) out << "; cannot be imported: " << mode.Why;
    out << '\n';
  }
}

// The name set file's bytes with the records of `slots` taken from `set`; the
// file grows to hold them.
Bytes PatchedNameSet(const Bytes& original, const ChannelNameSet& set, const std::vector<int>& slots) {
  Bytes bytes = original;
  const Bytes whole = SerializeChannelNameSet(set);
  for (int slot : slots) {
    const std::size_t at = static_cast<std::size_t>(slot) * kNameRecordSize;
    if (bytes.size() < at + kNameRecordSize) bytes.resize(at + kNameRecordSize, 0);
    std::copy_n(whole.begin() + static_cast<std::ptrdiff_t>(at), kNameRecordSize,
                bytes.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return bytes;
}

// The mode as an LED fixture, written by the LED writer; its names are the LED
// form's own, so the name set is not touched.
int WriteLed(const ImportRequest& request, const SourceMode& source, std::ostream& out, std::ostream& err) {
  LedImportResult result = ImportAsLedFixture(source);
  if (!result.Record) return Fail(err, request.qxf + ": " + result.Error);
  if (const auto failed = WriteLedFixtureFile(*result.Record, *request.out)) return Fail(err, failed->message);
  for (const std::string& line : result.Report) out << line << '\n';
  out.flush();
  if (!out) return Fail(err, "cannot write to the standard output");
  return result.Report.empty() ? kExitOk : kExitFindings;
}

}  // namespace

std::optional<SourceMode> LedSourceFor(ImportAs as, std::span<const std::uint8_t> definition, std::size_t mode,
                                       std::string& error) {
  if (as == ImportAs::Fixture) return std::nullopt;
  ReaderChanges changes;
  std::optional<SourceMode> source = ReadDefinitionMode(definition, mode, changes, error);
  if (!source || (as == ImportAs::Auto && !FitsLedFixture(*source).Fits)) return std::nullopt;
  return source;
}

int RunImport(const ImportRequest& request, std::ostream& out, std::ostream& err) {
  // Writing the fixture over the definition would lose the definition.
  if (request.out) {
    std::error_code same;
    if (fs::equivalent(request.qxf, *request.out, same) && !same) {
      return Fail(err, *request.out + " is the definition being imported; write the fixture to another file");
    }
  }
  // A .qxf, a .gdtf or a description.xml, told apart by content.
  const DefinitionFile file = ReadDefinitionFile(request.qxf);
  if (!file.Error.empty()) return Fail(err, file.Error);
  if (!file.TooLarge.empty()) return Fail(err, request.qxf + ": " + file.TooLarge);
  const DefinitionModes list = ListDefinitionModes(file.Content);
  if (!list.Error.empty()) return Fail(err, request.qxf + ": " + list.Error);
  if (request.listModes) {
    ListModes(list, out);
    out.flush();
    return out ? kExitOk : Fail(err, "cannot write to the standard output");
  }

  std::string error;
  const auto mode = ChooseMode(list, request, error);
  if (!mode) return Fail(err, error);

  std::string readError;
  if (const auto source = LedSourceFor(request.as, file.Content, *mode, readError)) {
    return WriteLed(request, *source, out, err);
  }
  if (!readError.empty()) return Fail(err, request.qxf + ": " + readError);

  ChannelNameSet names;
  Bytes namesFile;
  if (request.names) {
    RecordFile set = ReadRecordFile(*request.names, FileKind::Names);
    if (!set.error.empty()) return Fail(err, set.error);
    names = *set.names;
    namesFile = std::move(set.image);
  } else {
    RestoreDefaultNames(names);
  }

  ImportResult result = ImportDefinitionMode(file.Content, *mode, names);
  if (!result.Record) return Fail(err, request.qxf + ": " + result.Error);

  // The names the set lacks, added as the editor adds a typed name; the fixture
  // is then imported again to take their codes.
  std::vector<int> added;
  std::vector<std::string> addedNames;
  std::vector<std::string> addLines;
  if (request.addNames && !result.MissingNames.empty()) {
    for (const std::string& name : result.MissingNames) {
      if (const auto slot = AddChannelName(names, name)) {
        added.push_back(*slot);
        addedNames.push_back(name);
        addLines.push_back(Quoted(name) + " is added to " + *request.names + " with code " +
                           std::to_string(names.Entries[static_cast<std::size_t>(*slot)].Code));
      } else {
        addLines.push_back(Quoted(name) + " is not added: " + *request.names + " has no free place");
      }
    }
    result = ImportDefinitionMode(file.Content, *mode, names);
    if (!result.Record) return Fail(err, request.qxf + ": " + result.Error);
  }

  PaletteFill fill;
  if (request.palettes) fill = FillPalettes(*result.Record);

  // Nothing is left half written: the name set is put back when the fixture
  // cannot be written.
  if (!added.empty()) {
    if (const auto failed = ReplaceFile(*request.names, PatchedNameSet(namesFile, names, added), true)) {
      return Fail(err, failed->message);
    }
  }
  std::error_code ec;
  const bool outExisted = fs::exists(*request.out, ec);
  if (const auto failed = SaveFixtureFile(*result.Record, *request.out)) {
    if (added.empty()) return Fail(err, failed->message);
    // The file read was whole unless it had the set's full size.
    const auto notRestored = ReplaceFile(*request.names, namesFile, namesFile.size() >= kNameSetFileSize);
    if (!notRestored) return Fail(err, failed->message);
    // Both files fail: say what each of them now holds.
    std::string kept;
    for (const std::string& name : addedNames) kept += (kept.empty() ? "" : ", ") + Quoted(name);
    const std::string left = outExisted ? " is left as it was" : " is not written";
    return Fail(err, failed->message + "; " + *request.out + left + ". The channel name set could not be put back (" +
                         notRestored->message + "): " + *request.names + " keeps the " +
                         std::to_string(added.size()) + (added.size() == 1 ? " name" : " names") + " added to it (" +
                         kept + ")");
  }

  for (const std::string& line : result.Report) out << line << '\n';
  for (const std::string& line : addLines) out << line << '\n';
  for (const std::string& line : fill.ReportLines()) out << line << '\n';
  out.flush();
  if (!out) return Fail(err, "cannot write to the standard output");
  return result.Report.empty() && addLines.empty() && !fill.LeftAnythingOut() ? kExitOk : kExitFindings;
}

}  // namespace brannoc::tfftool
