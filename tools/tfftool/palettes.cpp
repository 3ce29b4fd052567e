#include "tfftool/palettes.h"

#include "data/fixture/file.h"
#include "data/palette_fill/generate.h"
#include "tfftool/command.h"
#include "tfftool/files.h"

namespace brannoc::tfftool {

int RunPalettes(const std::string& in, const std::optional<std::string>& out, std::ostream& stdOut,
                std::ostream& err) {
  auto fail = [&](const std::string& message) {
    err << "tfftool: " << message << '\n';
    return kExitFailure;
  };
  RecordFile file = ReadRecordFile(in, FileKind::Fixture);
  if (!file.error.empty()) return fail(file.error);
  const PaletteFill fill = FillPalettes(*file.fixture);
  if (out || !fill.Made.empty()) {
    if (const auto failed = SaveFixtureFile(*file.fixture, out ? *out : in)) return fail(failed->message);
  }
  const std::vector<std::string> lines = fill.ReportLines();
  if (lines.empty()) stdOut << "The channels give no palettes\n";
  for (const std::string& line : lines) stdOut << line << '\n';
  stdOut.flush();
  if (!stdOut) return fail("cannot write to the standard output");
  return !fill.Made.empty() && !fill.LeftAnythingOut() ? kExitOk : kExitFindings;
}

}  // namespace brannoc::tfftool
