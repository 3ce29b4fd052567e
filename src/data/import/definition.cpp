#include "data/import/definition.h"

#include <algorithm>

#include "data/import/archive.h"
#include "data/import/gdtf.h"
#include "data/import/qxf.h"
#include "data/import/text.h"

namespace brannoc {
namespace {

using import_text::AsText;
using import_text::IsXmlSpace;

// The name of the first element of an XML text: past a byte order mark, the
// declaration, comments, processing instructions and a DOCTYPE.
std::string RootElementName(std::span<const std::uint8_t> bytes) {
  std::string_view text = AsText(bytes.first(std::min<std::size_t>(bytes.size(), 64 * 1024)));
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  for (;;) {
    while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
    if (text.starts_with("<?")) {
      const std::size_t end = text.find("?>");
      if (end == std::string_view::npos) return {};
      text.remove_prefix(end + 2);
    } else if (text.starts_with("<!--")) {
      const std::size_t end = text.find("-->");
      if (end == std::string_view::npos) return {};
      text.remove_prefix(end + 3);
    } else if (text.starts_with("<!")) {
      const std::size_t end = text.find('>');
      if (end == std::string_view::npos) return {};
      text.remove_prefix(end + 1);
    } else {
      break;
    }
  }
  if (!text.starts_with("<")) return {};
  text.remove_prefix(1);
  std::size_t n = 0;
  while (n < text.size() && !IsXmlSpace(text[n]) && text[n] != '>' && text[n] != '/') ++n;
  std::string name(text.substr(0, n));
  if (const std::size_t colon = name.find(':'); colon != std::string::npos) name.erase(0, colon + 1);
  return name;
}

bool IsGdtf(ImportKind kind) { return kind == ImportKind::GdtfArchive || kind == ImportKind::GdtfDescription; }

// The message for a GDTF file of `size` bytes, larger than kMaxGdtfFileBytes;
// nothing for a file that may be read.
std::optional<std::string> GdtfTooLarge(std::uintmax_t size) {
  if (size <= kMaxGdtfFileBytes) return std::nullopt;
  return "the file is " + std::to_string(size) + " bytes long; a GDTF file of more than " +
         std::to_string(kMaxGdtfFileBytes / (1024 * 1024)) + " MB is not read";
}

}  // namespace

ImportKind RecogniseImport(std::span<const std::uint8_t> bytes) {
  if (IsZip(bytes)) return ImportKind::GdtfArchive;
  const std::string root = RootElementName(bytes);
  if (root == "GDTF") return ImportKind::GdtfDescription;
  if (root == "FixtureDefinition") return ImportKind::QxfDefinition;
  return ImportKind::Unknown;
}

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
