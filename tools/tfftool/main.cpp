#include <iostream>
#include <string>
#include <vector>

#include "tfftool/command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return brannoc::tfftool::RunTool(args, std::cout, std::cerr);
}
