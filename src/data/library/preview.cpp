#include "data/library/preview.h"

#include <regex>

#include "data/fixture/model.h"
#include "data/import/definition.h"

namespace brannoc {
namespace {

std::string Trimmed(std::string text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// The parts of a list ("a (1), b (2)") split at commas outside brackets and quotes.
std::vector<std::string> ListParts(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  int depth = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && c == '(') ++depth;
    if (!quoted && c == ')' && depth > 0) --depth;
    if (c == ',' && depth == 0 && !quoted) {
      parts.push_back(Trimmed(part));
      part.clear();
      continue;
    }
    part += c;
  }
  parts.push_back(Trimmed(part));
  return parts;
}

std::vector<int> ChannelsNamed(const std::string& text, int channels) {
  static const std::regex pattern("\\b[Cc]hannels? (\\d+)\\b");
  std::vector<int> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
    const std::string digits = (*it)[1].str();
    const int n = digits.size() <= 3 ? std::stoi(digits) : 0;
    if (n >= 1 && n <= channels) found.push_back(n);
  }
  return found;
}

void AddNote(std::string& note, const std::string& text) { note += (note.empty() ? "" : "; ") + text; }

}  // namespace

std::vector<std::string> DefinitionModeChannelNames(std::span<const std::uint8_t> bytes, std::size_t modeIndex) {
  std::vector<std::string> names;
  ReaderChanges changes;
  std::string error;
  const std::optional<SourceMode> mode = ReadDefinitionMode(bytes, modeIndex, changes, error);
  if (!mode) return names;
  for (const SourceChannel& channel : mode->Channels) names.push_back(Trimmed(channel.Name));
  return names;
}

ImportPreview PreviewImport(const QxfImport& import, const std::vector<std::string>& definitionNames) {
  ImportPreview preview;
  if (!import.Record) return preview;
  const FixtureRecord& record = *import.Record;
  const int count = record.ChannelCount;
  for (int c = 0; c < count; ++c) {
    const ChannelRecord& channel = record.Channels[static_cast<std::size_t>(c)];
    PreviewRow row;
    row.Number = c + 1;
    if (static_cast<std::size_t>(c) < definitionNames.size()) row.DefinitionName = definitionNames[static_cast<std::size_t>(c)];
    row.ConsoleName = channel.Name.BoxTextTrimmed();
    row.Code = channel.NameCode;
    row.Type = std::string(ChannelTypeName(channel.Type));
    row.Partner = channel.Partner;
    row.Steps = record.StepCounts[static_cast<std::size_t>(c)];
    preview.Rows.push_back(std::move(row));
  }
  for (const std::string& line : import.Report) {
    if (ChannelsNamed(line, count).empty()) {
      preview.FixtureLines.push_back(line);
      continue;
    }
    // "Lead: item, item" gives each channel its lead and its own item; a line
    // that is no such list goes whole to the channels it names.
    const auto colon = line.find(": ");
    bool placed = false;
    if (colon != std::string::npos) {
      const std::string lead = line.substr(0, colon);
      for (const std::string& part : ListParts(line.substr(colon + 2))) {
        const std::vector<int> named = ChannelsNamed(part, count);
        if (named.size() != 1) continue;
        AddNote(preview.Rows[static_cast<std::size_t>(named[0] - 1)].Note, lead + ": " + part);
        placed = true;
      }
    }
    if (placed) continue;
    for (int n : ChannelsNamed(line, count)) AddNote(preview.Rows[static_cast<std::size_t>(n - 1)].Note, line);
  }
  return preview;
}

}  // namespace brannoc
