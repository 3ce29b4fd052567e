#pragma once
// Importing one mode of a QLC+ fixture definition (".qxf", XML in the namespace
// http://www.qlcplus.org/FixtureDefinition) as a fixture.
//
// What a .qxf holds, as far as the import reads it:
//   <FixtureDefinition>
//     <Model>               the fixture's name
//     <Channel Name= Preset= Default=>        a channel and what it means
//       <Group Byte="0|1">Pan|Tilt|Intensity|Colour|Gobo|Prism|Shutter|Beam|
//                         Speed|Effect|Maintenance|Nothing</Group>
//       <Capability Min= Max=>text</Capability>   a named DMX range, in order
//     <Physical><Focus PanMax= TiltMax=/></Physical>
//     <Mode Name=>          one channel layout of the fixture
//       <Channel Number= ActsOn=>channel name</Channel>
//       <Physical>...       the mode's own, overriding the fixture's
//
// Both entry points take the file's bytes and never fail by exception; input
// larger than kMaxQxfBytes is refused unparsed. pugixml expands no DTD and no
// entities beyond the five predefined ones, so no input can grow in memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/names/name_set.h"
#include "data/fixture/model.h"
#include "data/import/core.h"

namespace brannoc {

// The largest definition in QLC+'s library is about 70 KB.
inline constexpr std::size_t kMaxQxfBytes = 4 * 1024 * 1024;

// The message for a file of `size` bytes, larger than kMaxQxfBytes; nothing for
// a file that may be read.
std::optional<std::string> QxfTooLarge(std::uintmax_t size);

struct QxfMode {
  std::string Name;      // UTF-8, exactly as the file gives it, blanks included
  int ChannelCount = 0;
  int StepCount = 0;     // the steps the definition gives (at most 255 per channel);
                         // the import keeps the first 204 of them
  bool Fits = false;     // importable: 1 to 40 channels, every one defined
  std::string Why;       // when it does not fit, why, in a few words ("41 channels;
                         // a fixture holds 40 at most")
};

struct QxfModeList {
  std::string Model;
  std::vector<QxfMode> Modes;  // in file order; the index is what ImportQxfMode takes
  std::string Error;           // set when the bytes are no fixture definition
};

QxfModeList ListQxfModes(std::span<const std::uint8_t> bytes);

// The import's result and counts are the core's (import/core.h).
using QxfImport = ImportResult;
using QxfChanges = ImportChanges;

// Reads mode `modeIndex` (in file order) into the neutral form the import core
// takes, adding to `changes` what the reader itself dropped; nothing and `error`
// when the bytes are no definition or the mode cannot be imported.
std::optional<SourceMode> ReadQxfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex,
                                      ReaderChanges& changes, std::string& error);

// Reads mode `modeIndex` and imports it through the core (ImportSourceMode):
// channel names and their codes come from `names`, matched as a typed name is;
// nothing is added to it.
QxfImport ImportQxfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex,
                        const ChannelNameSet& names);

}  // namespace brannoc
