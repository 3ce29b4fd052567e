#pragma once
// tfftool diff: two fixtures, or two LED fixtures, compared field by field; the
// second may be a fixture definition (.qxf, .gdtf, description.xml), taken as
// its import would make it.

#include <optional>
#include <ostream>
#include <string>

namespace brannoc::tfftool {

struct DiffRequest {
  std::string a;
  std::string b;
  std::optional<std::string> mode;   // of a definition
  std::optional<std::string> names;  // gives a definition's names their codes
  bool palettes = false;             // the definition's palettes filled, as the editor's import does by default
  bool json = false;
};

// Exit status: 0 the same, 1 different, 2 an error.
int RunDiff(const DiffRequest& request, std::ostream& out, std::ostream& err);

}  // namespace brannoc::tfftool
