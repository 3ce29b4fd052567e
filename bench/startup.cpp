// Start-up to the first complete frame: each probe is started as a process and
// prints the steady clock at its first frame; the time counts from just before
// the process is spawned.

#include <QCoreApplication>
#include <QString>
#include <chrono>
#include <cstdio>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "scenarios.h"

extern char** environ;

namespace brannoc::bench {
namespace {

// Milliseconds from spawning `program` to the first frame it reports.
std::optional<double> TimeToFirstFrame(const std::string& program) {
  int out[2];
  if (pipe(out) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return std::nullopt;
  }
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);

  long long frameNs = 0;
  if (std::sscanf(text.c_str(), "first-frame %lld", &frameNs) != 1) return std::nullopt;
  const long long startNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
  return static_cast<double>(frameNs - startNs) / 1e6;
}

}  // namespace

Result RunStartup(const Options& options) {
  const std::string folder = QCoreApplication::applicationDirPath().toStdString() + "/";
  const std::string program = folder + "brannoc_first_frame";
  const std::string bare = folder + "bare_first_frame";
  Result result{QStringLiteral("start-up to the first frame"), {}, {}};
  for (int i = 0; i < options.warmup + options.runs; ++i) {
    const auto p = TimeToFirstFrame(program);
    const auto b = TimeToFirstFrame(bare);
    if (!p || !b) {
      std::fprintf(stderr, "a start-up probe did not report its first frame\n");
      return result;
    }
    if (i < options.warmup) continue;
    result.action.ms.push_back(*p);
    result.floor.ms.push_back(*b);
  }
  return result;
}

}  // namespace brannoc::bench
