#include <iostream>
#include <string>
#include <vector>

#include "tfftool/command.h"
#ifdef TFFTOOL_SHEET
#include "tfftool/sheet.h"
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
#ifdef TFFTOOL_SHEET
  // The one command that needs Qt; the others run on the data side alone.
  if (!args.empty() && args[0] == "sheet") return brannoc::tfftool::RunSheet(args, std::cout, std::cerr);
#endif
  return brannoc::tfftool::RunTool(args, std::cout, std::cerr);
}
