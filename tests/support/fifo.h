#pragma once
// Named pipes and devices in a test's folder, and a watch on a call that might
// wait on one forever.

#include <chrono>
#include <filesystem>
#include <functional>

namespace brannoc::test {

// Makes a named pipe (FIFO) at `path`; false when the system refuses.
bool MakeFifo(const std::filesystem::path& path);

// Makes a character device with the numbers of /dev/null (1, 3) at `path`;
// false when the system refuses (a test run without the right to do so).
bool MakeNullDevice(const std::filesystem::path& path);

// Runs `call` on this thread and says whether it came back within `limit`. A
// call that is still waiting on the pipe at `fifo` then is set free by a watcher
// that opens the pipe from both ends, so that a failing test ends all the same.
bool ReturnsPromptly(const std::filesystem::path& fifo, const std::function<void()>& call,
                     std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace brannoc::test
