#pragma once
// tfftool import: one mode of a fixture definition (QLC+ .qxf, GDTF .gdtf or
// description.xml) written as a fixture file, with the report of what had to
// change.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "data/import/definition.h"
#include "data/import_sequence/sequence.h"

namespace brannoc::tfftool {

struct ImportRequest {
  std::string qxf;                   // the definition, of any kind
  std::optional<std::string> out;    // none with listModes
  std::optional<std::string> mode;   // needed when the file has several modes
  std::optional<std::string> names;  // the channel name set; the built-in names without it
  bool addNames = false;             // add the names the set lacks to `names`
  bool listModes = false;
  bool palettes = false;             // fill the palettes from the channels
  ImportAs as = ImportAs::Fixture;   // led: the 512-byte LED file; auto: LED where the mode fits
};

// The mode --mode names: its exact name, else the one name that differs only in
// letter case, else its number from 1. Without --mode the file must have one
// mode. Nothing, and `error` set, when there is no such mode.
std::optional<std::size_t> ChooseMode(const DefinitionModes& list, const ImportRequest& request, std::string& error);

// 0: imported as it was; 1: imported, and the report says what changed; 2: an
// error, and nothing written.
int RunImport(const ImportRequest& request, std::ostream& out, std::ostream& err);

}  // namespace brannoc::tfftool
