#pragma once
// tfftool run in the test's own process: its exit status and what it printed.

#include <sstream>
#include <string>
#include <vector>

#include "tfftool/command.h"

namespace brannoc::tfftool {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline ToolRun Tool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  ToolRun run;
  run.status = RunTool(args, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

}  // namespace brannoc::tfftool
