#pragma once
// The command line of tfftool: dump, build and check.

#include <ostream>
#include <string>
#include <vector>

namespace brannoc::tfftool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;  // check found problems
inline constexpr int kExitFailure = 2;   // unreadable input, bad JSON, failed write, wrong command line

// Says `message` as tfftool's one line on `err`; the status of a failure.
int Fail(std::ostream& err, const std::string& message);

// Runs the tool on its arguments (without the program's name). Results go to
// `out`; every failure is one line on `err`, and then nothing is written.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace brannoc::tfftool
