#include "support/fifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace brannoc::test {
namespace fs = std::filesystem;

bool MakeFifo(const fs::path& path) { return ::mkfifo(path.c_str(), 0644) == 0; }

bool MakeNullDevice(const fs::path& path) { return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; }

bool ReturnsPromptly(const fs::path& fifo, const std::function<void()>& call, std::chrono::milliseconds limit) {
  std::atomic<bool> done{false};
  std::atomic<bool> freed{false};
  std::thread watcher([&] {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done) return;
    freed = true;
    // A reader waits for a writer, a writer for a reader: be both until the call
    // is back, and take whatever it writes.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    char buffer[4096];
    while (!done) {
      const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (writer >= 0) ::close(writer);
      if (reader >= 0) {
        while (::read(reader, buffer, sizeof buffer) > 0) {
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (reader >= 0) ::close(reader);
  });
  call();
  done = true;
  watcher.join();
  return !freed;
}

}  // namespace brannoc::test
