#include "tfftool/library.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iomanip>
#include <set>
#include <sstream>

#include "data/core/file_io.h"
#include "data/fixture/file.h"
#include "data/import/qxf.h"
#include "data/import_sequence/sequence.h"
#include "data/led/model.h"
#include "data/import/text.h"
#include "data/library/index.h"
#include "data/library/search.h"
#include "tfftool/command.h"
#include "tfftool/files.h"

namespace brannoc::tfftool {
namespace fs = std::filesystem;
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Lower(const std::string& text) { return import_text::LowerAscii(text); }

std::string ModeList(const std::vector<LibraryMode>& modes) {
  std::string text;
  for (const LibraryMode& mode : modes) {
    if (!text.empty()) text += ", ";
    text += Quoted(mode.Name) + " " + std::to_string(mode.ChannelCount);
    if (!mode.Fits) text += " (cannot be imported: " + mode.Why + ")";
  }
  return text;
}

// The index of `folders`, through the cache; the cache keeps what it held of
// other folders.
LibraryIndex IndexThroughCache(const std::vector<fs::path>& folders) {
  const auto cachePath = LibraryCachePathFromEnvironment();
  LibraryIndex cached = cachePath ? LoadLibraryCache(*cachePath) : LibraryIndex{};
  std::size_t read = 0;
  std::size_t foldersRead = 0;
  LibraryIndex index = BuildLibraryIndex(folders, cached, &read, &foldersRead);
  if (cachePath && (read > 0 || foldersRead > 0 || cached.Entries.size() != index.Entries.size())) {
    LibraryIndex keep = index;
    const auto under = [&](const std::string& path) {
      return std::any_of(folders.begin(), folders.end(), [&](const fs::path& folder) {
        const std::string prefix = folder.string();
        return path.compare(0, prefix.size(), prefix) == 0;
      });
    };
    for (LibraryEntry& old : cached.Entries) {
      if (!under(old.Path.string())) keep.Entries.push_back(std::move(old));
    }
    for (LibraryFolder& old : cached.Folders) {
      if (!under(old.Path)) keep.Folders.push_back(std::move(old));
    }
    (void)SaveLibraryCache(keep, *cachePath);  // a cache that cannot be written is only slower
  }
  return index;
}

// --- file names --------------------------------------------------------------

constexpr std::size_t kMaxFileName = 64;
constexpr std::string_view kExtension = ".tff";

bool Forbidden(unsigned char c) {
  return c < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

// ASCII only: accented Latin letters lose their accents, other characters go.
std::string SafePart(const std::string& text) {
  std::string ascii;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ascii += Forbidden(c) ? ' ' : static_cast<char>(c);
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    // U+00C0..U+00DE are capitals: their letter stays one.
    const bool capital = c == 0xC3 && end == i + 2 && static_cast<unsigned char>(text[i + 1]) <= 0x9E;
    const std::string folded = FoldText(text.substr(i, end - i));
    for (std::size_t k = 0; k < folded.size(); ++k) {
      const char f = folded[k];
      if (static_cast<unsigned char>(f) >= 0x80) continue;
      ascii += capital && k == 0 && f >= 'a' && f <= 'z' ? static_cast<char>(f - 'a' + 'A') : f;
    }
    i = end;
  }
  // Words joined by "-"; no blanks, and no dots or dashes at either end.
  std::string out;
  for (char c : ascii) {
    if (c == ' ' || c == '-') {
      if (!out.empty() && out.back() != '-') out += '-';
    } else {
      out += c;
    }
  }
  while (!out.empty() && (out.back() == '-' || out.back() == '.')) out.pop_back();
  while (!out.empty() && (out.front() == '-' || out.front() == '.')) out.erase(out.begin());
  return out;
}

bool ReservedOnWindows(const std::string& stem) {
  static const std::set<std::string> reserved = {"con", "prn", "aux", "nul", "com1", "com2", "com3", "com4",
                                                 "com5", "com6", "com7", "com8", "com9", "lpt1", "lpt2", "lpt3",
                                                 "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};
  return reserved.contains(Lower(stem));
}

std::string CutTo(std::string text, std::size_t size) {
  if (text.size() > size) text.resize(size);
  while (!text.empty() && (text.back() == '-' || text.back() == '.')) text.pop_back();
  return text;
}

}  // namespace

std::string ConvertedFileName(const std::string& maker, const std::string& model, const std::string& mode,
                              std::vector<std::string>& taken) {
  std::string stem;
  for (const std::string& part : {maker, model, mode}) {
    const std::string safe = SafePart(part);
    if (!safe.empty()) stem += (stem.empty() ? "" : "-") + safe;
  }
  if (stem.empty()) stem = "Fixture";
  if (ReservedOnWindows(stem)) stem += "_";
  const std::size_t room = kMaxFileName - kExtension.size();
  std::string name = CutTo(stem, room) + std::string(kExtension);
  for (int n = 2; std::find(taken.begin(), taken.end(), Lower(name)) != taken.end(); ++n) {
    const std::string suffix = "-" + std::to_string(n);
    name = CutTo(stem, room - suffix.size()) + suffix + std::string(kExtension);
  }
  taken.push_back(Lower(name));
  return name;
}

int RunSearch(const SearchRequest& request, std::ostream& out, std::ostream& err) {
  std::vector<fs::path> folders;
  if (request.folder) {
    folders.push_back(*request.folder);
  } else {
    const char* home = std::getenv("HOME");
    folders = DefaultLibraryFolders(home ? home : "");
  }
  if (folders.empty()) {
    return Fail(err, "no library folder: neither /usr/share/qlcplus/fixtures nor ~/.qlcplus/fixtures exists; "
                     "give one with --folder");
  }
  const LibraryIndex index = IndexThroughCache(folders);
  for (const std::string& problem : index.Problems) err << "tfftool: " << problem << '\n';
  std::string query;
  for (const std::string& word : request.words) query += word + " ";
  const std::vector<std::size_t> found = LibrarySearch(index).Find(query);
  for (std::size_t i : found) {
    const LibraryEntry& entry = index.Entries[i];
    out << (entry.Maker.empty() ? "" : entry.Maker + " ") << entry.Model << '\n';
    if (!entry.Damaged.empty()) out << "  damaged: " << entry.Damaged << '\n';
    if (!entry.Modes.empty()) out << "  modes: " << ModeList(entry.Modes) << '\n';
    out << "  " << entry.Path.string() << '\n';
  }
  return found.empty() ? kExitFindings : kExitOk;
}

// --- convert -----------------------------------------------------------------

namespace {

// A field of index.tsv: no tabs or line breaks inside.
std::string Field(std::string text) {
  for (char& c : text) c = (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
  return text;
}

struct Counts {
  int converted = 0;
  int led = 0;        // of them, LED fixtures (--as)
  int withChanges = 0;
  int refused = 0;    // no mode of 40 channels or fewer, or not the mode asked for
  int damaged = 0;
  int notWritten = 0; // the file exists, or could not be written
  int namesAdded = 0;
};

// The modes to write, by their index in the file.
std::vector<std::size_t> ChosenModes(const DefinitionModes& list, const std::string& wanted, std::string& why) {
  std::vector<std::size_t> chosen;
  for (std::size_t m = 0; m < list.Modes.size(); ++m) {
    const DefinitionMode& mode = list.Modes[m];
    if (wanted == "all") {
      if (mode.Fits) chosen.push_back(m);
    } else if (wanted == "first") {
      if (mode.Fits && chosen.empty()) chosen.push_back(m);
    } else if (wanted == "largest") {
      if (mode.Fits && (chosen.empty() || mode.ChannelCount > list.Modes[chosen[0]].ChannelCount)) chosen = {m};
    } else if (Lower(mode.Name) == Lower(wanted)) {
      if (mode.Fits) chosen = {m};
      else why = "mode " + Quoted(mode.Name) + " cannot be imported: " + mode.Why;
      return chosen;
    }
  }
  if (chosen.empty()) {
    if (wanted == "all" || wanted == "first" || wanted == "largest") {
      why = list.Modes.empty() ? "no modes" : "no mode of 40 channels or fewer";
      for (const DefinitionMode& mode : list.Modes) {
        if (!mode.Fits && mode.Why.find("40 at most") == std::string::npos) why = "no mode can be imported: " + mode.Why;
      }
    } else {
      why = "no mode " + Quoted(wanted);
    }
  }
  return chosen;
}

// convert's part of the import sequence, for every mode it writes: the set
// names are added to, the file each mode becomes in OUT_DIR, and the counts and
// rows of the run.
class ConvertRun : public ImportCaller {
 public:
  ConvertRun(const ConvertRequest& request, std::function<void(const std::string&)> note)
      : request_(request), note_(std::move(note)) {}

  ChannelNameSet names;
  Bytes namesFile;
  std::vector<int> addedSlots;
  Counts counts;
  std::vector<std::string> rows;  // of index.tsv

  // The definition whose modes follow.
  void Definition(const fs::path& path, const std::string& maker, const std::string& model) {
    path_ = path;
    maker_ = maker;
    model_ = model;
  }

  std::optional<std::size_t> ChooseMode(const DefinitionModes& /*list*/) override { return std::nullopt; }
  const ChannelNameSet* Names(std::string& /*problem*/) override { return &names; }

  bool AddMissingNames(const std::vector<std::string>& missing) override {
    if (!request_.addNames) return false;
    for (const std::string& name : missing) {
      if (const auto slot = AddChannelName(names, name)) {
        addedSlots.push_back(*slot);
        ++counts.namesAdded;
      }
    }
    return true;
  }

  // The mode's file in OUT_DIR, under a name of its own; an existing file only
  // with --force. Says itself what it did.
  std::optional<std::string> Keep(const ListedDefinitionFile& file, ImportedMode& mode) override {
    const std::string& modeName = file.List.Modes[mode.Mode].Name;
    const bool led = mode.KeepLed;
    const std::string name = ConvertedFileName(maker_, model_, modeName, taken_);
    const fs::path target = fs::path(request_.outDir) / name;
    std::error_code ec;
    if (!request_.force && fs::exists(fs::symlink_status(target, ec))) {
      ++counts.notWritten;
      note_("not written " + target.string() + ": it exists (--force replaces it)");
      return std::string();
    }
    if (const auto failed = led ? WriteLedFixtureFile(*mode.Led.Record, target)
                                : SaveFixtureFile(*mode.Fixture.Record, target)) {
      ++counts.notWritten;
      note_("not written " + target.string() + ": " + failed->message);
      return std::string();
    }
    const std::vector<std::string>& report = led ? mode.Led.Report : mode.Fixture.Report;
    const int channels = led ? mode.Led.Record->ChannelCount : mode.Fixture.Record->ChannelCount;
    int steps = 0;
    for (int c = 0; !led && c < channels; ++c) steps += mode.Fixture.Record->StepCounts[static_cast<std::size_t>(c)];
    std::string changes;
    for (const std::string& line : report) changes += (changes.empty() ? "" : "; ") + line;
    rows.push_back(Field(path_.string()) + '\t' + Field(modeName) + '\t' + Field(name) + '\t' +
                   std::to_string(channels) + '\t' + std::to_string(steps) + '\t' + Field(changes));
    ++counts.converted;
    if (led) ++counts.led;
    if (!report.empty()) ++counts.withChanges;
    if (!request_.progressLine) {
      note_("converted " + path_.string() + " " + Quoted(modeName) + " -> " + name + (led ? " (LED)" : "") +
            (report.empty() ? "" : " (" + std::to_string(report.size()) + " report lines)"));
    }
    return std::nullopt;
  }

 private:
  const ConvertRequest& request_;
  std::function<void(const std::string&)> note_;
  std::vector<std::string> taken_;  // the names written, in lower case
  fs::path path_;
  std::string maker_;
  std::string model_;
};

std::string Elapsed(std::chrono::steady_clock::time_point start) {
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::ostringstream text;
  text << std::fixed << std::setprecision(1) << seconds << " s";
  return text.str();
}

}  // namespace

int RunConvert(const ConvertRequest& request, std::ostream& out, std::ostream& err) {
  const auto start = std::chrono::steady_clock::now();
  std::error_code ec;
  const fs::path source = request.source;
  const fs::path outDir = request.outDir;
  std::vector<fs::path> files;
  std::vector<std::string> problems;
  if (fs::is_directory(source, ec)) {
    LibraryScanner scanner({source}, {});
    files = scanner.Files();  // sorted
    problems = scanner.Problems();
  } else if (fs::exists(source, ec)) {
    files.push_back(source);
  } else {
    return Fail(err, request.source + ": no such file or folder");
  }
  if (!fs::is_directory(outDir, ec)) {
    fs::create_directories(outDir, ec);
    if (ec) return Fail(err, "cannot create the folder " + request.outDir + ": " + ec.message());
  }

  auto note = [&](const std::string& line) {
    if (request.progressLine) out << "\r\x1b[K";
    out << line << '\n';
  };
  ConvertRun command(request, note);
  if (request.names) {
    RecordFile set = ReadRecordFile(*request.names, FileKind::Names);
    if (!set.error.empty()) return Fail(err, set.error);
    command.names = *set.names;
    command.namesFile = std::move(set.image);
  } else {
    RestoreDefaultNames(command.names);
  }
  Counts& counts = command.counts;
  const std::vector<std::string>& rows = command.rows;
  for (std::size_t f = 0; f < files.size(); ++f) {
    const fs::path& path = files[f];
    if (request.progressLine) {
      out << "\r\x1b[K" << (f + 1) << " of " << files.size() << "  " << path.filename().string() << "  "
          << Elapsed(start) << std::flush;
    }
    // A .qxf, a .gdtf or a description.xml, told apart by content.
    const ListedDefinitionFile file = ReadAndListDefinition(path);
    const DefinitionModes& list = file.List;
    if (!file.Problem.empty()) {
      ++counts.damaged;
      note("damaged " + path.string() + ": " + file.Problem);
      continue;
    }
    std::string why;
    const std::vector<std::size_t> modes = ChosenModes(list, request.mode, why);
    if (modes.empty()) {
      ++counts.refused;
      note("refused " + path.string() + ": " + why);
      continue;
    }
    const std::string maker = list.Kind == ImportKind::QxfDefinition ? ListQxfDefinition(file.Content).Maker
                                                                      : ListGdtfDefinition(file.Content).Maker;
    command.Definition(path, maker, list.Model);
    for (std::size_t m : modes) {
      const std::string& modeName = list.Modes[m].Name;
      const ImportOutcome outcome = ImportListedMode(file, m, request.as, request.palettes, command);
      if (!outcome.Kept && outcome.Stage == ImportStage::Import) {
        ++counts.refused;
        note("refused " + path.string() + " " + Quoted(modeName) + ": " + outcome.Problem);
      }
    }
  }
  if (request.progressLine) out << "\r\x1b[K";

  // index.tsv lists every converted file in OUT_DIR: the rows of this run, and
  // those of earlier runs whose files are still there and were not written again.
  if (counts.converted > 0) {
    const fs::path indexPath = outDir / "index.tsv";
    std::string text = "source\tmode\tfile\tchannels\tsteps\tchanges\n";
    const ReadResult old = ReadFilePrefix(indexPath, 64 * 1024 * 1024);
    if (!old.error) {
      std::istringstream lines(std::string(old.bytes.begin(), old.bytes.end()));
      std::string line;
      std::getline(lines, line);  // the header
      while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        if (fields.size() < 3) continue;
        const bool again = std::any_of(rows.begin(), rows.end(), [&](const std::string& row) {
          return row.find('\t' + fields[2] + '\t') != std::string::npos;
        });
        if (!again && fs::exists(outDir / fields[2], ec)) text += line + '\n';
      }
    }
    for (const std::string& row : rows) text += row + '\n';
    if (const auto failed = ReplaceFile(indexPath, Bytes(text.begin(), text.end()))) problems.push_back(failed->message);
  }
  if (!command.addedSlots.empty()) {
    if (const auto failed = ReplaceFile(*request.names, PatchNameRecords(command.namesFile, command.names, command.addedSlots), true)) {
      problems.push_back(failed->message);
      counts.namesAdded = 0;
    }
  }
  for (const std::string& problem : problems) err << "tfftool: " << problem << '\n';

  out << "\n" << files.size() << (files.size() == 1 ? " definition" : " definitions") << " in " << Elapsed(start)
      << "\n";
  const std::pair<const char*, int> table[] = {
      {"converted", counts.converted},
      {"  as LED fixtures", counts.led},
      {"  with report lines", counts.withChanges},
      {"refused (over 40 channels)", counts.refused},
      {"damaged", counts.damaged},
      {"not written", counts.notWritten},
      {"names added", counts.namesAdded},
  };
  for (const auto& [label, count] : table) out << std::left << std::setw(28) << label << std::right << std::setw(6) << count << '\n';
  out.flush();
  if (counts.converted == 0) return kExitFailure;
  const bool clean = counts.withChanges == 0 && counts.refused == 0 && counts.damaged == 0 &&
                     counts.notWritten == 0 && problems.empty();
  return clean ? kExitOk : kExitFindings;
}

}  // namespace brannoc::tfftool
