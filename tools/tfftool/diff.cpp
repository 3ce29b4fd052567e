#include "tfftool/diff.h"

#include "data/core/file_io.h"
#include "data/checks/compare.h"
#include "data/fixture/file.h"
#include "data/import/definition.h"
#include "data/palette_fill/generate.h"
#include "tfftool/command.h"
#include "tfftool/files.h"
#include "tfftool/import.h"

namespace brannoc::tfftool {
namespace {

int Fail(std::ostream& err, const std::string& message) {
  err << "tfftool: " << message << '\n';
  return kExitFailure;
}

// A fixture definition of another program: a .qxf, a .gdtf or a GDTF description.xml.
bool IsDefinition(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return ext == ".qxf" || ext == ".gdtf" || ext == ".xml";
}

// The fixture the import of `path` makes, as saving and opening it gives it.
RecordFile ImportedFixture(const DiffRequest& request, const std::string& path) {
  RecordFile result;
  const DefinitionFile file = ReadDefinitionFile(path);
  if (!file.Error.empty()) {
    result.error = file.Error;
    return result;
  }
  if (!file.TooLarge.empty()) {
    result.error = path + ": " + file.TooLarge;
    return result;
  }
  const DefinitionModes list = ListDefinitionModes(file.Content);
  if (!list.Error.empty()) {
    result.error = path + ": " + list.Error;
    return result;
  }
  ImportRequest asked;
  asked.qxf = path;
  asked.mode = request.mode;
  const auto mode = ChooseMode(list, asked, result.error);
  if (!mode) return result;
  ChannelNameSet names;
  if (request.names) {
    RecordFile set = ReadRecordFile(*request.names, FileKind::Names);
    if (!set.error.empty()) {
      result.error = set.error;
      return result;
    }
    names = *set.names;
  } else {
    RestoreDefaultNames(names);
  }
  ImportResult imported = ImportDefinitionMode(file.Content, *mode, names);
  if (!imported.Record) {
    result.error = path + ": " + imported.Error;
    return result;
  }
  if (request.palettes) FillPalettes(*imported.Record);
  result.image = BuildFixtureImage(*imported.Record);
  FixtureReadResult read = ParseFixtureImage(result.image);
  result.fixture = std::move(read.record);
  result.error = read.error;
  return result;
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
