#pragma once
// What an import would make, as a table a person can check before taking it:
// one row per channel (the definition's name beside the console's name, code,
// type, partner and steps, and what changed for that channel), and the few
// lines about the fixture as a whole.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/import/qxf.h"

namespace brannoc {

struct PreviewRow {
  int Number = 0;               // 1-based
  std::string DefinitionName;   // as the definition names the channel
  std::string ConsoleName;      // the 12-character name, blanks trimmed
  int Code = 0;                 // the name's code; 0 when the name set lacks it
  std::string Type;             // ChannelTypeName
  int Partner = 0;              // the 16-bit partner's number; 0 for none
  int Steps = 0;
  std::string Note;             // what changed for this channel
};

struct ImportPreview {
  std::vector<std::string> FixtureLines;  // the report's lines that name no channel
  std::vector<PreviewRow> Rows;
};

// The channel names mode `modeIndex` of a definition of either kind (.qxf,
// GDTF) gives, in order, as its reader reads them; empty when there is no such
// mode.
std::vector<std::string> DefinitionModeChannelNames(std::span<const std::uint8_t> bytes, std::size_t modeIndex);

// The preview of an import that succeeded. A report line naming channels
// ("... channel 5 (2 of 2), channel 6 (9 of 14)") gives each of them a note (its
// lead and its own part); a line naming none concerns the whole fixture.
ImportPreview PreviewImport(const QxfImport& import, const std::vector<std::string>& definitionNames);

}  // namespace brannoc
