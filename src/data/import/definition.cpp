#include "data/import/definition.h"

#include <algorithm>

#include "data/import/qxf.h"

namespace brannoc {
namespace {

bool IsGdtf(ImportKind kind) { return kind == ImportKind::GdtfArchive || kind == ImportKind::GdtfDescription; }

}  // namespace

DefinitionFile ReadDefinitionFile(const std::filesystem::path& path) {
  DefinitionFile out;
  ReadResult file = ReadFilePrefix(path, std::max(kMaxQxfBytes, kMaxGdtfFileBytes) + 1);
  if (file.error) {
    out.Error = file.error->message;
    return out;
  }
  const bool gdtf = IsGdtf(RecogniseImport(file.bytes));
  if (const auto tooLarge = gdtf ? GdtfTooLarge(file.fileSize) : QxfTooLarge(file.fileSize)) {
    out.TooLarge = *tooLarge;
    return out;
  }
  out.Content = std::move(file.bytes);
  return out;
}

DefinitionModes ListDefinitionModes(std::span<const std::uint8_t> bytes) {
  DefinitionModes out;
  out.Kind = RecogniseImport(bytes);
  if (IsGdtf(out.Kind)) {
    GdtfModeList list = ListGdtfModes(bytes);
    out.Model = std::move(list.Model);
    out.Error = std::move(list.Error);
    for (GdtfMode& m : list.Modes) out.Modes.push_back({std::move(m.Name), m.ChannelCount, m.StepCount, m.Fits, std::move(m.Why)});
    return out;
  }
  // Anything else is read as a .qxf, which says what is wrong with it.
  QxfModeList list = ListQxfModes(bytes);
  out.Model = std::move(list.Model);
  out.Error = std::move(list.Error);
  for (QxfMode& m : list.Modes) out.Modes.push_back({std::move(m.Name), m.ChannelCount, m.StepCount, m.Fits, std::move(m.Why)});
  return out;
}

ListedDefinitionFile ReadAndListDefinition(const std::filesystem::path& path) {
  ListedDefinitionFile out;
  DefinitionFile file = ReadDefinitionFile(path);
  out.Problem = !file.Error.empty() ? file.Error : file.TooLarge;
  out.ProblemNamesFile = !file.Error.empty();
  if (!out.Problem.empty()) return out;
  out.List = ListDefinitionModes(file.Content);
  out.Problem = out.List.Error;
  out.Content = std::move(file.Content);
  return out;
}

std::optional<SourceMode> ReadDefinitionMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex,
                                             ReaderChanges& changes, std::string& error) {
  if (IsGdtf(RecogniseImport(bytes))) return ReadGdtfMode(bytes, modeIndex, error);
  return ReadQxfMode(bytes, modeIndex, changes, error);
}

ImportResult ImportDefinitionMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex,
                                  const ChannelNameSet& names) {
  if (IsGdtf(RecogniseImport(bytes))) return ImportGdtfMode(bytes, modeIndex, names);
  return ImportQxfMode(bytes, modeIndex, names);
}

}  // namespace brannoc
