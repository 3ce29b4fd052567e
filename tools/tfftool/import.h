#pragma once
// tfftool import: one mode of a QLC+ fixture definition (.qxf) written as a
// fixture file, with the report of what had to change.

#include <optional>
#include <ostream>
#include <string>

#include "import/qxf.h"

namespace brannoc::tfftool {

struct ImportRequest {
  std::string qxf;
  std::optional<std::string> out;    // none with listModes
  std::optional<std::string> mode;   // needed when the file has several modes
  std::optional<std::string> names;  // the channel name set; the built-in names without it
  bool addNames = false;             // add the names the set lacks to `names`
  bool listModes = false;
};

// 0: imported as it was; 1: imported, and the report says what changed; 2: an
// error, and nothing written.
// The mode --mode names: its exact name, else the one name that differs only in
// letter case. Without --mode the file must have one mode. Nothing, and `error`
// set, when there is no such mode.
std::optional<std::size_t> ChooseMode(const QxfModeList& list, const ImportRequest& request, std::string& error);

int RunImport(const ImportRequest& request, std::ostream& out, std::ostream& err);

}  // namespace brannoc::tfftool
