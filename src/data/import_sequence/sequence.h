#pragma once
// The one road of every import, from a definition file to the record kept:
//   1. read the file and list its modes          (ReadAndListDefinition)
//   2. choose a mode                             the caller: a list, --mode, convert's rule
//   3. import it as a fixture, or as an LED fixture where that is asked for
//   4. let the caller look at it and decide      the editor's box
//   5. add the names the set lacks               the caller's way: after a question,
//      and import again, so that the channels     or into a set it writes
//      take the new codes
//   6. fill the palettes from the channels, when asked
//   7. keep it                                   a file written, or the fixture in memory
// The editor's "Import Fixture..." and "Fixture Library...", tfftool import and
// tfftool convert walk it; each adds only its own questions and output, through
// ImportCaller. Convert, which writes several modes of one file, lists the file
// once and walks steps 3 to 7 for each mode (ImportListedMode).

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "data/import/definition.h"
#include "data/import/led.h"
#include "data/names/name_set.h"
#include "data/palette_fill/generate.h"

namespace brannoc {

// Which record step 3 makes.
enum class ImportAs {
  Fixture,  // the 6144-byte fixture
  Led,      // the 512-byte LED fixture; a mode that does not fit it is refused
  Auto,     // the LED fixture where the mode fits it, else the fixture
  Either,   // the fixture, and the LED fixture too where the mode fits it, for
            // the caller to choose between in step 4
};

// A mode imported: what step 7 keeps.
struct ImportedMode {
  std::size_t Mode = 0;
  ImportResult Fixture;   // the fixture (its Record is empty when it was not made)
  LedImportResult Led;    // the LED fixture (its Record is empty when it was not made)
  bool KeepLed = false;   // which of the two step 7 keeps; the caller may change it in step 4
  bool FillPalettes = false;  // step 6; the caller may change it in step 4
  PaletteFill Palettes;   // what step 6 made and left out
};

// Where the sequence stopped, for the caller's words around the reason.
enum class ImportStage {
  Read,    // the file could not be read; the reason names the file
  List,    // the file is too large, or no definition of either kind
  Choose,  // the caller chose no mode (and said why)
  Names,   // the name set could not be had; the reason names its file
  Import,  // the mode could not be imported
  Look,    // the caller stopped at step 4
  Keep,    // the record could not be kept
};

struct ImportOutcome {
  bool Kept = false;
  ImportStage Stage = ImportStage::Keep;  // where it stopped, when it was not kept
  std::string Problem;                    // why, in the words of that step; empty when the caller stopped it
};

// What a caller adds to the sequence.
class ImportCaller {
 public:
  // Step 2: the mode to import among `list`'s; nothing stops the import (the
  // caller has said why, or the user cancelled).
  virtual std::optional<std::size_t> ChooseMode(const DefinitionModes& list) = 0;
  // The set the channels take their names and codes from, asked for only when
  // the mode becomes a fixture, and again after step 5. Nothing, with `problem`
  // set, when it cannot be had.
  virtual const ChannelNameSet* Names(std::string& problem) = 0;
  // Step 4: the caller may show the mode and change KeepLed and FillPalettes;
  // false stops the import.
  virtual bool Look(const ListedDefinitionFile& /*file*/, ImportedMode& /*mode*/) { return true; }
  // Step 5: adds what it can of `missing` (names the set lacks, in channel
  // order) to the set Names() gives. True when the mode is to be imported
  // again to take their codes.
  virtual bool AddMissingNames(const std::vector<std::string>& /*missing*/) { return false; }
  // Step 7: keeps the record; why not, when it could not (an empty reason:
  // not kept, and nothing to say, as when the user kept what they had).
  virtual std::optional<std::string> Keep(const ListedDefinitionFile& file, ImportedMode& mode) = 0;

 protected:
  ~ImportCaller() = default;
};

// Steps 1 to 7 for the file at `path`.
ImportOutcome ImportDefinitionFile(const std::filesystem::path& path, ImportAs as, bool fillPalettes,
                                   ImportCaller& caller);

// Steps 3 to 7 for mode `mode` of a file already read and listed.
ImportOutcome ImportListedMode(const ListedDefinitionFile& file, std::size_t mode, ImportAs as, bool fillPalettes,
                               ImportCaller& caller);

}  // namespace brannoc
