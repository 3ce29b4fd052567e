#pragma once
// tfftool search and tfftool convert: the fixture library from the command line.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tfftool/import.h"

namespace brannoc::tfftool {

struct SearchRequest {
  std::vector<std::string> words;
  std::optional<std::string> folder;  // searched instead of the default library folders
};

// Prints maker and model, the modes with their channel counts and the path of
// every definition matching the words, best first. 0: something found; 1:
// nothing; 2: no library folder.
int RunSearch(const SearchRequest& request, std::ostream& out, std::ostream& err);

struct ConvertRequest {
  std::string source;   // a definition, or a folder searched with its subfolders
  std::string outDir;
  std::string mode = "largest";        // largest, first, all or a mode's name
  std::optional<std::string> names;    // the channel name set; the built-in names without it
  bool addNames = false;
  bool palettes = false;               // fill the palettes from the channels, as import --palettes
  ImportAs as = ImportAs::Fixture;     // led: LED files; auto: LED where the mode fits, as import --as
  bool force = false;                  // replace files that exist
  bool progressLine = false;           // one line rewritten in place (a terminal)
};

// One fixture file per definition (per mode with --mode all) in outDir, listed
// in outDir/index.tsv. 0: all converted as they were; 1: converted, with report
// lines or files left out; 2: nothing written.
int RunConvert(const ConvertRequest& request, std::ostream& out, std::ostream& err);

// The file name for a converted mode: maker, model and mode joined by "-",
// without / \ : * ? " < > | or control characters, accents dropped, at most
// 64 characters with ".tff". `taken` holds the names (lower case) used so far;
// a name taken gets "-2", "-3", ...
std::string ConvertedFileName(const std::string& maker, const std::string& model, const std::string& mode,
                              std::vector<std::string>& taken);

}  // namespace brannoc::tfftool
