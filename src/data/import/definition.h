#pragma once
// A fixture definition of another program, whichever kind it is: a QLC+ .qxf, a
// GDTF archive (.gdtf) or a bare GDTF description.xml, told apart by content.
// The editor's "Import Fixture..." and `tfftool import` both come through here,
// so that both read a file the same way.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/names/name_set.h"
#include "data/core/file_io.h"
#include "data/import/core.h"

namespace brannoc {

// A .gdtf with its 3D models may run to tens of megabytes.
inline constexpr std::size_t kMaxGdtfFileBytes = 256 * 1024 * 1024;

// What a file to import is, told by its content: a zip archive by its
// signature, an XML file by its root element (whatever the file is called).
enum class ImportKind { Unknown, QxfDefinition, GdtfArchive, GdtfDescription };
ImportKind RecogniseImport(std::span<const std::uint8_t> bytes);

struct DefinitionMode {
  std::string Name;       // UTF-8, as the file gives it
  int ChannelCount = 0;   // the channels the import gives (a GDTF mode's DMX footprint)
  int StepCount = 0;
  bool Fits = false;      // importable
  std::string Why;        // when it does not fit, why, in a few words
};

struct DefinitionModes {
  ImportKind Kind = ImportKind::Unknown;
  std::string Model;
  std::vector<DefinitionMode> Modes;  // in file order; the index is what ImportDefinitionMode takes
  std::string Error;                  // set when the bytes are no definition of either kind
};

// The file's bytes, read whole when it is not larger than its kind allows.
struct DefinitionFile {
  Bytes Content;
  std::string Error;     // the file layer's message (it names the file)
  std::string TooLarge;  // why the file is too large to read (it does not name it)
};
DefinitionFile ReadDefinitionFile(const std::filesystem::path& path);

DefinitionModes ListDefinitionModes(std::span<const std::uint8_t> bytes);

// The file read whole and its modes listed. `Problem` says why there are none:
// the file layer's message, the file too large, or bytes that are no definition.
struct ListedDefinitionFile {
  Bytes Content;
  DefinitionModes List;
  std::string Problem;
  bool ProblemNamesFile = false;  // the problem is the file layer's message, which names the file
};
ListedDefinitionFile ReadAndListDefinition(const std::filesystem::path& path);

// Mode `modeIndex` in the import core's neutral form (for the LED import);
// nothing and `error` when it cannot be imported. `changes` counts what the
// reader dropped.
std::optional<SourceMode> ReadDefinitionMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex,
                                             ReaderChanges& changes, std::string& error);

// Imports mode `modeIndex` with channel names from `names` (nothing is added to it).
ImportResult ImportDefinitionMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex,
                                  const ChannelNameSet& names);

}  // namespace brannoc
