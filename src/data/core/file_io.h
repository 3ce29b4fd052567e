#pragma once
// The thin layer between the readers and writers (which work on byte buffers)
// and the disk.
//
// A whole file is never rewritten in place: ReplaceFile writes a complete
// temporary file in the target's folder, flushes it to the disk, gives it the old
// file's permissions and renames it over the target. Until the rename the old
// file is untouched; on any failure the temporary file is removed.
//
// Only regular files are read or written. A folder, a named pipe, a device or a
// socket is refused with a reason ("... not a regular file") and left as it is;
// none of them can make a call wait.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace brannoc {

// What failed, in words a user can be shown.
struct IoError {
  std::string message;
};

using Bytes = std::vector<std::uint8_t>;

// Replaces the file at `target` by `bytes`. With `keepTail`, whatever the old file
// held beyond bytes.size() is copied after them, so the file never gets shorter.
// A symbolic link stays: the file it points at is replaced.
std::optional<IoError> ReplaceFile(const std::filesystem::path& target,
                                   std::span<const std::uint8_t> bytes,
                                   bool keepTail = false);

// Writes `bytes` at `offset` of the file in place, creating the file when missing;
// a gap before `offset` reads as zero bytes. The rest of the file is untouched.
std::optional<IoError> WriteAt(const std::filesystem::path& target, std::uint64_t offset,
                               std::span<const std::uint8_t> bytes);

struct ReadResult {
  Bytes bytes;                 // at most the number of bytes asked for
  std::uintmax_t fileSize = 0; // the whole file's length
  std::optional<IoError> error;
};

// Reads the first `maxBytes` bytes of a file (never more, whatever its size).
ReadResult ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes);

// Creates an empty file when nothing of that name exists; whatever exists (a file,
// a named pipe, a link) is left as it is and not opened.
std::optional<IoError> CreateIfMissing(const std::filesystem::path& path);

// For tests: while an instance lives, the file layer of this thread fails once
// more than `bytesBeforeFailure` bytes in all would be written.
class ScopedWriteFailure {
 public:
  explicit ScopedWriteFailure(std::size_t bytesBeforeFailure);
  ~ScopedWriteFailure();
  ScopedWriteFailure(const ScopedWriteFailure&) = delete;
  ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;

 private:
  std::optional<std::size_t> previous_;
};

}  // namespace brannoc
