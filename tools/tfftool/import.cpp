#include "tfftool/import.h"

#include <algorithm>
#include <vector>

#include "data/core/file_io.h"
#include "data/fixture/file.h"
#include "data/import/text.h"
#include "data/import_sequence/sequence.h"
#include "tfftool/command.h"
#include "tfftool/files.h"

namespace brannoc::tfftool {
namespace fs = std::filesystem;
namespace {

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

// tfftool import's part of the import sequence: --mode or --list-modes, the
// names of --names added with --add-names, and the fixture written to OUT
// with the name set beside it.
class ImportCommand : public ImportCaller {
 public:
  ImportCommand(const ImportRequest& request, std::ostream& out) : request_(request), out_(out) {}

  std::optional<std::size_t> ChooseMode(const DefinitionModes& list) override {
    if (request_.listModes) {
      ListModes(list, out_);
      listed_ = true;
      return std::nullopt;
    }
    return brannoc::tfftool::ChooseMode(list, request_, chooseError_);
  }

  // The set of --names, read when it is first needed, else the built-in names.
  const ChannelNameSet* Names(std::string& problem) override {
    if (!namesRead_) {
      namesRead_ = true;
      if (request_.names) {
        RecordFile set = ReadRecordFile(*request_.names, FileKind::Names);
        if (!set.error.empty()) {
          namesError_ = set.error;
        } else {
          names_ = *set.names;
          namesFile_ = std::move(set.image);
        }
      } else {
        RestoreDefaultNames(names_);
      }
    }
    if (!namesError_.empty()) {
      problem = namesError_;
      return nullptr;
    }
    return &names_;
  }

  // The names the set lacks, added as the editor adds a typed name.
  bool AddMissingNames(const std::vector<std::string>& missing) override {
    if (!request_.addNames) return false;
    for (const std::string& name : missing) {
      if (const auto slot = AddChannelName(names_, name)) {
        added_.push_back(*slot);
        addedNames_.push_back(name);
        addLines_.push_back(Quoted(name) + " is added to " + *request_.names + " with code " +
                            std::to_string(names_.Entries[static_cast<std::size_t>(*slot)].Code));
      } else {
        addLines_.push_back(Quoted(name) + " is not added: " + *request_.names + " has no free place");
      }
    }
    return true;
  }

  // Nothing is left half written: the name set is put back when the fixture
  // cannot be written.
  std::optional<std::string> Keep(const ListedDefinitionFile& /*file*/, ImportedMode& mode) override {
    if (mode.KeepLed) {
      // The LED form's names are its own, so the name set is not touched.
      if (const auto failed = WriteLedFixtureFile(*mode.Led.Record, *request_.out)) return failed->message;
      report_ = mode.Led.Report;
      clean_ = report_.empty();
      return std::nullopt;
    }
    const auto failed = WriteFixtureAndNames(*mode.Fixture.Record);
    if (failed) return failed;
    // What changed to fit, the names added, the palettes made.
    report_ = mode.Fixture.Report;
    report_.insert(report_.end(), addLines_.begin(), addLines_.end());
    for (const std::string& line : mode.Palettes.ReportLines()) report_.push_back(line);
    clean_ = mode.Fixture.Report.empty() && addLines_.empty() && !mode.Palettes.LeftAnythingOut();
    return std::nullopt;
  }

  bool Listed() const { return listed_; }
  const std::string& ChooseError() const { return chooseError_; }
  // The lines to print after the file is written, and whether there are none to report.
  const std::vector<std::string>& Report() const { return report_; }
  bool Clean() const { return clean_; }

 private:
  std::optional<std::string> WriteFixtureAndNames(FixtureRecord& fixture) {
    if (!added_.empty()) {
      if (const auto failed = ReplaceFile(*request_.names, PatchNameRecords(namesFile_, names_, added_), true)) {
        return failed->message;
      }
    }
    std::error_code ec;
    const bool outExisted = fs::exists(*request_.out, ec);
    const auto failed = SaveFixtureFile(fixture, *request_.out);
    if (!failed) return std::nullopt;
    if (added_.empty()) return failed->message;
    // The file read was whole unless it had the set's full size.
    const auto notRestored = ReplaceFile(*request_.names, namesFile_, namesFile_.size() >= kNameSetFileSize);
    if (!notRestored) return failed->message;
    // Both files fail: say what each of them now holds.
    std::string kept;
    for (const std::string& name : addedNames_) kept += (kept.empty() ? "" : ", ") + Quoted(name);
    const std::string left = outExisted ? " is left as it was" : " is not written";
    return failed->message + "; " + *request_.out + left + ". The channel name set could not be put back (" +
           notRestored->message + "): " + *request_.names + " keeps the " + std::to_string(added_.size()) +
           (added_.size() == 1 ? " name" : " names") + " added to it (" + kept + ")";
  }

  const ImportRequest& request_;
  std::ostream& out_;
  bool listed_ = false;
  std::string chooseError_;
  bool namesRead_ = false;
  std::string namesError_;
  ChannelNameSet names_;
  Bytes namesFile_;
  std::vector<int> added_;
  std::vector<std::string> addedNames_;
  std::vector<std::string> addLines_;
  std::vector<std::string> report_;
  bool clean_ = true;
};

}  // namespace

int RunImport(const ImportRequest& request, std::ostream& out, std::ostream& err) {
  // Writing the fixture over the definition would lose the definition.
  if (request.out) {
    std::error_code same;
    if (fs::equivalent(request.qxf, *request.out, same) && !same) {
      return Fail(err, *request.out + " is the definition being imported; write the fixture to another file");
    }
  }
  ImportCommand command(request, out);
  const ImportOutcome outcome = ImportDefinitionFile(request.qxf, request.as, request.palettes, command);
  if (command.Listed()) {
    out.flush();
    return out ? kExitOk : Fail(err, "cannot write to the standard output");
  }
  if (!outcome.Kept) {
    switch (outcome.Stage) {
      case ImportStage::Read:  // the file layer's messages name their files
      case ImportStage::Names:
      case ImportStage::Keep: return Fail(err, outcome.Problem);
      case ImportStage::Choose: return Fail(err, command.ChooseError());
      default: return Fail(err, request.qxf + ": " + outcome.Problem);
    }
  }
  for (const std::string& line : command.Report()) out << line << '\n';
  out.flush();
  if (!out) return Fail(err, "cannot write to the standard output");
  return command.Clean() ? kExitOk : kExitFindings;
}

}  // namespace brannoc::tfftool
