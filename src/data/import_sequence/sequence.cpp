#include "data/import_sequence/sequence.h"

#include <utility>

namespace brannoc {
namespace {

ImportOutcome Stop(ImportStage stage, std::string problem = {}) { return {false, stage, std::move(problem)}; }

// Step 3: the record `as` asks for, with the caller's names where it is a
// fixture. A mode that cannot be imported stops here.
std::optional<ImportOutcome> ImportMode(const ListedDefinitionFile& file, ImportAs as, ImportCaller& caller,
                                        ImportedMode& out) {
  const auto asFixture = [&]() -> std::optional<ImportOutcome> {
    std::string problem;
    const ChannelNameSet* names = caller.Names(problem);
    if (!names) return Stop(ImportStage::Names, problem);
    out.Fixture = ImportDefinitionMode(file.Content, out.Mode, *names);
    if (!out.Fixture.Record) return Stop(ImportStage::Import, out.Fixture.Error);
    return std::nullopt;
  };
  if (as == ImportAs::Fixture) return asFixture();

  // The LED form is told from the readers' neutral form of the mode.
  ReaderChanges changes;
  std::string error;
  if (as == ImportAs::Either) {
    if (auto stopped = asFixture()) return stopped;
    const std::optional<SourceMode> source = ReadDefinitionMode(file.Content, out.Mode, changes, error);
    if (source && FitsLedFixture(*source).Fits) out.Led = ImportAsLedFixture(*source);
    return std::nullopt;
  }
  const std::optional<SourceMode> source = ReadDefinitionMode(file.Content, out.Mode, changes, error);
  if (!source) return Stop(ImportStage::Import, error);
  if (as == ImportAs::Auto && !FitsLedFixture(*source).Fits) return asFixture();
  out.Led = ImportAsLedFixture(*source);
  if (!out.Led.Record) return Stop(ImportStage::Import, out.Led.Error);
  out.KeepLed = true;
  return std::nullopt;
}

}  // namespace

ImportOutcome ImportDefinitionFile(const std::filesystem::path& path, ImportAs as, bool fillPalettes,
                                   ImportCaller& caller) {
  const ListedDefinitionFile file = ReadAndListDefinition(path);
  if (!file.Problem.empty()) return Stop(file.ProblemNamesFile ? ImportStage::Read : ImportStage::List, file.Problem);
  const std::optional<std::size_t> mode = caller.ChooseMode(file.List);
  if (!mode) return Stop(ImportStage::Choose);
  return ImportListedMode(file, *mode, as, fillPalettes, caller);
}

ImportOutcome ImportListedMode(const ListedDefinitionFile& file, std::size_t mode, ImportAs as, bool fillPalettes,
                               ImportCaller& caller) {
  ImportedMode imported;
  imported.Mode = mode;
  imported.FillPalettes = fillPalettes;

  // 3. Import.
  if (auto stopped = ImportMode(file, as, caller, imported)) return *stopped;

  // 4. The caller's look.
  if (!caller.Look(file, imported)) return Stop(ImportStage::Look);

  if (!imported.KeepLed) {
    // 5. The names the set lacks, then the codes they took.
    if (!imported.Fixture.MissingNames.empty() && caller.AddMissingNames(imported.Fixture.MissingNames)) {
      std::string problem;
      const ChannelNameSet* names = caller.Names(problem);
      if (!names) return Stop(ImportStage::Names, problem);
      imported.Fixture = ImportDefinitionMode(file.Content, mode, *names);
      if (!imported.Fixture.Record) return Stop(ImportStage::Import, imported.Fixture.Error);
    }
    // 6. The palettes.
    if (imported.FillPalettes) imported.Palettes = FillPalettes(*imported.Fixture.Record);
  }

  // 7. Keep it.
  if (auto failed = caller.Keep(file, imported)) return Stop(ImportStage::Keep, std::move(*failed));
  return {true, ImportStage::Keep, {}};
}

}  // namespace brannoc
