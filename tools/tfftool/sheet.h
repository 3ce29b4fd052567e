#pragma once
// tfftool sheet FILE.tff OUT.pdf: the fixture editor's channel sheet as a PDF,
// made without a display. It needs Qt Gui, so it lives in the program, not in
// tfftool's library.

#include <ostream>
#include <string>
#include <vector>

namespace brannoc::tfftool {

inline constexpr char kSheetHelp[] = R"(Usage: tfftool sheet FILE.tff OUT.pdf

Writes the channel sheet of the fixture in FILE, as the fixture editor's
"Print Channel Sheet..." prints it, to OUT as a PDF: the header (fixture name,
file name, date, channel count, pan and tilt maxima), the channel table, the
steps of each channel in columns and the palettes with their members and
preset values, on A4 or on Letter where the locale's paper is Letter. An
existing OUT is replaced only by a complete new file. Exit status: 0 written,
2 an error (nothing is written).
)";

// `args` as RunTool takes them, starting with "sheet".
int RunSheet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace brannoc::tfftool
