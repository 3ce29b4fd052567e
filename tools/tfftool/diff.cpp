#include "tfftool/diff.h"

#include "data/core/file_io.h"
#include "data/checks/compare.h"
#include "data/fixture/file.h"
#include "data/import_sequence/sequence.h"
#include "tfftool/command.h"
#include "tfftool/files.h"
#include "tfftool/import.h"

namespace brannoc::tfftool {
namespace {

// A fixture definition of another program: a .qxf, a .gdtf or a GDTF description.xml.
bool IsDefinition(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return ext == ".qxf" || ext == ".gdtf" || ext == ".xml";
}

// diff's part of the import sequence: --mode, --names and --palettes as import
// takes them, and the fixture kept as saving and opening it gives it.
class DiffImport : public ImportCaller {
 public:
  DiffImport(const DiffRequest& request, const std::string& path) : request_(request), path_(path) {}

  RecordFile result;

  std::optional<std::size_t> ChooseMode(const DefinitionModes& list) override {
    ImportRequest asked;
    asked.qxf = path_;
    asked.mode = request_.mode;
    return brannoc::tfftool::ChooseMode(list, asked, result.error);
  }

  const ChannelNameSet* Names(std::string& problem) override {
    if (request_.names) {
      RecordFile set = ReadRecordFile(*request_.names, FileKind::Names);
      if (!set.error.empty()) {
        problem = set.error;
        return nullptr;
      }
      names_ = *set.names;
    } else {
      RestoreDefaultNames(names_);
    }
    return &names_;
  }

  std::optional<std::string> Keep(const ListedDefinitionFile& /*file*/, ImportedMode& mode) override {
    result.image = BuildFixtureImage(*mode.Fixture.Record);
    FixtureReadResult read = ParseFixtureImage(result.image);
    result.fixture = std::move(read.record);
    result.error = read.error;
    return std::nullopt;
  }

 private:
  const DiffRequest& request_;
  std::string path_;
  ChannelNameSet names_;
};

// The fixture the import of `path` makes, as saving and opening it gives it.
RecordFile ImportedFixture(const DiffRequest& request, const std::string& path) {
  DiffImport import(request, path);
  const ImportOutcome outcome = ImportDefinitionFile(path, ImportAs::Fixture, request.palettes, import);
  if (!outcome.Kept && outcome.Stage != ImportStage::Choose) {
    const bool namesItsFile = outcome.Stage == ImportStage::Read || outcome.Stage == ImportStage::Names;
    import.result.error = namesItsFile ? outcome.Problem : path + ": " + outcome.Problem;
  }
  return std::move(import.result);
}

}  // namespace

int RunDiff(const DiffRequest& request, std::ostream& out, std::ostream& err) {
  if (IsDefinition(request.a)) return Fail(err, "diff takes the fixture file first and a definition second");
  const bool definition = IsDefinition(request.b);
  if (!definition && (request.mode || request.names || request.palettes)) {
    return Fail(err, "--mode, --names and --palettes go with a fixture definition (.qxf, .gdtf or description.xml)");
  }
  const RecordFile a = ReadRecordFile(request.a, std::nullopt);
  if (!a.error.empty()) return Fail(err, a.error);
  const RecordFile b = definition ? ImportedFixture(request, request.b) : ReadRecordFile(request.b, std::nullopt);
  if (!b.error.empty()) return Fail(err, b.error);
  if (a.kind != b.kind || a.kind == FileKind::Names) {
    return Fail(err, "diff compares two fixtures or two LED fixtures, not a " + std::string(KindName(a.kind)) +
                         " file and a " + std::string(KindName(b.kind)) + " file");
  }
  const std::vector<FieldDifference> differences =
      a.kind == FileKind::Fixture ? CompareFixtures(*a.fixture, *b.fixture) : CompareLedFixtures(*a.led, *b.led);
  if (request.json) {
    Json list = Json::array();
    for (const FieldDifference& d : differences) list.push_back({{"field", d.Field}, {"a", d.Before}, {"b", d.After}});
    out << FormatJson(Json{{"a", request.a}, {"b", request.b}, {"same", differences.empty()}, {"differences", list}})
        << '\n';
  } else {
    for (const FieldDifference& d : differences) out << DifferenceLine(d) << '\n';
  }
  out.flush();
  if (!out) return Fail(err, "cannot write to the standard output");
  return differences.empty() ? kExitOk : kExitFindings;
}

}  // namespace brannoc::tfftool
