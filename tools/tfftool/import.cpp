#include "tfftool/import.h"

#include <algorithm>
#include <vector>

#include "core/file_io.h"
#include "fixture/file.h"
#include "import/qxf.h"
#include "tfftool/command.h"
#include "tfftool/files.h"

namespace brannoc::tfftool {
namespace fs = std::filesystem;
namespace {

int Fail(std::ostream& err, const std::string& message) {
  err << "tfftool: " << message << '\n';
  return kExitFailure;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Lower(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

std::string ModeNames(const QxfModeList& list) {
  std::string names;
  for (const QxfMode& mode : list.Modes) names += (names.empty() ? "" : ", ") + Quoted(mode.Name);
  return names;
}

}  // namespace

std::optional<std::size_t> ChooseMode(const QxfModeList& list, const ImportRequest& request, std::string& error) {
  const std::string file = request.qxf;
  if (list.Modes.empty()) {
    error = file + ": the fixture definition has no modes";
    return std::nullopt;
  }
  if (!request.mode) {
    if (list.Modes.size() == 1) return 0;
    error = file + " has " + std::to_string(list.Modes.size()) + " modes (" + ModeNames(list) +
            "); choose one with --mode";
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
  error = file + " has no mode " + Quoted(*request.mode) + "; its modes: " + ModeNames(list);
  return std::nullopt;
}

namespace {

void ListModes(const QxfModeList& list, std::ostream& out) {
  for (const QxfMode& mode : list.Modes) {
    out << Quoted(mode.Name) << ": " << mode.ChannelCount << (mode.ChannelCount == 1 ? " channel, " : " channels, ")
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

}  // namespace

int RunImport(const ImportRequest& request, std::ostream& out, std::ostream& err) {
  const ReadResult file = ReadFilePrefix(request.qxf, kMaxQxfBytes + 1);
  if (file.error) return Fail(err, file.error->message);
  if (const auto tooLarge = QxfTooLarge(file.fileSize)) return Fail(err, request.qxf + ": " + *tooLarge);
  const QxfModeList list = ListQxfModes(file.bytes);
  if (!list.Error.empty()) return Fail(err, request.qxf + ": " + list.Error);
  if (request.listModes) {
    ListModes(list, out);
    out.flush();
    return out ? kExitOk : Fail(err, "cannot write to the standard output");
  }

  std::string error;
  const auto mode = ChooseMode(list, request, error);
  if (!mode) return Fail(err, error);

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

  QxfImport result = ImportQxfMode(file.bytes, *mode, names);
  if (!result.Record) return Fail(err, request.qxf + ": " + result.Error);

  // The names the set lacks, added as the editor adds a typed name; the fixture
  // is then imported again to take their codes.
  std::vector<int> added;
  std::vector<std::string> addLines;
  if (request.addNames && !result.MissingNames.empty()) {
    for (const std::string& name : result.MissingNames) {
      if (const auto slot = AddChannelName(names, name)) {
        added.push_back(*slot);
        addLines.push_back(Quoted(name) + " is added to " + *request.names + " with code " +
                           std::to_string(names.Entries[static_cast<std::size_t>(*slot)].Code));
      } else {
        addLines.push_back(Quoted(name) + " is not added: " + *request.names + " has no free place");
      }
    }
    result = ImportQxfMode(file.bytes, *mode, names);
    if (!result.Record) return Fail(err, request.qxf + ": " + result.Error);
  }

  // Nothing is left half written: the name set is put back when the fixture
  // cannot be written.
  if (!added.empty()) {
    if (const auto failed = ReplaceFile(*request.names, PatchedNameSet(namesFile, names, added), true)) {
      return Fail(err, failed->message);
    }
  }
  if (const auto failed = SaveFixtureFile(*result.Record, *request.out)) {
    if (!added.empty()) {
      // The file read was whole unless it had the set's full size.
      (void)ReplaceFile(*request.names, namesFile, namesFile.size() >= kNameSetFileSize);
    }
    return Fail(err, failed->message);
  }

  for (const std::string& line : result.Report) out << line << '\n';
  for (const std::string& line : addLines) out << line << '\n';
  out.flush();
  if (!out) return Fail(err, "cannot write to the standard output");
  return result.Report.empty() && addLines.empty() ? kExitOk : kExitFindings;
}

}  // namespace brannoc::tfftool
