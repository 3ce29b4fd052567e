#include "data/core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brannoc {
namespace fs = std::filesystem;
namespace {

thread_local std::optional<std::size_t> tWriteBudget;

// As many links in a row as the system itself follows.
constexpr int kMaxLinkHops = 40;

std::string Describe(int err) { return std::strerror(err); }

IoError Failure(const std::string& what, const fs::path& path, int err) {
  return IoError{what + " " + path.string() + ": " + Describe(err)};
}

// What a path that is no regular file is, in words; nothing for a regular file.
// A folder keeps the system's own words ("Is a directory").
std::optional<IoError> NotRegular(const std::string& what, const fs::path& path, mode_t mode) {
  if (S_ISREG(mode)) return std::nullopt;
  if (S_ISDIR(mode)) return Failure(what, path, EISDIR);
  const char* kind = S_ISFIFO(mode)   ? "a named pipe (FIFO)"
                     : S_ISCHR(mode)  ? "a character device"
                     : S_ISBLK(mode)  ? "a block device"
                     : S_ISSOCK(mode) ? "a socket"
                                      : "something other than a file";
  return IoError{what + " " + path.string() + ": it is " + kind + ", not a regular file"};
}

// Opens an existing regular file, or creates one with O_CREAT in `flags`.
// Anything else is refused before it is opened where it can be told from its
// path, and in any case by the type of what was opened, so that neither a named
// pipe without a writer or reader nor a device can hold the program up. The
// descriptor returned blocks again as usual.
int OpenRegular(const fs::path& path, int flags, const std::string& what, std::optional<IoError>& error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if ((error = NotRegular(what, path, st.st_mode))) return -1;
  }
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = Failure(what, path, errno);
    return -1;
  }
  if (::fstat(fd, &st) != 0) {
    error = Failure(what, path, errno);
  } else {
    error = NotRegular(what, path, st.st_mode);
  }
  if (!error) {
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0) error = Failure(what, path, errno);
  }
  if (error) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Writes all of `data` to fd, honouring the test budget. Returns errno or 0.
int WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    std::size_t chunk = size;
    if (tWriteBudget) {
      if (*tWriteBudget == 0) return EIO;
      chunk = std::min(chunk, *tWriteBudget);
    }
    const ssize_t n = ::write(fd, data, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (tWriteBudget) *tWriteBudget -= static_cast<std::size_t>(n);
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

// Copies what the file at fd holds from `from` to its end onto out.
int CopyTail(int in, off_t from, int out) {
  if (::lseek(in, from, SEEK_SET) < 0) return errno;
  std::uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    if (int err = WriteAll(out, buffer, static_cast<std::size_t>(n))) return err;
  }
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

}  // namespace

std::optional<IoError> ReplaceFile(const fs::path& requested, std::span<const std::uint8_t> bytes,
                                   bool keepTail) {
  // Replace the file the link points at, not the link, also when that file is
  // not there yet.
  std::error_code ec;
  fs::path target = requested;
  for (int hops = 0; fs::is_symlink(target, ec); ++hops) {
    const fs::path next = fs::read_symlink(target, ec);
    if (ec || hops == kMaxLinkHops) return Failure("Cannot replace", requested, ec ? ec.value() : ELOOP);
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  // Only a file is replaced: a named pipe or a device keeps its place.
  if (exists) {
    if (auto refused = NotRegular("Cannot replace", target, old.st_mode)) return refused;
  }

  // Built by appending: g++ 12 warns (-Wrestrict) about a copy that cannot
  // happen when "." + name + ".tmp..." is written as one expression.
  std::string hidden = ".";
  hidden += target.filename().string();
  hidden += ".tmpXXXXXX";
  std::string pattern = (folder / hidden).string();
  Fd tmp(::mkstemp(pattern.data()));
  if (tmp.get() < 0) return Failure("Cannot create a temporary file in", folder, errno);
  const fs::path tmpPath = pattern;

  auto fail = [&](const std::string& what, int err) {
    ::close(tmp.release());
    ::unlink(tmpPath.c_str());
    return std::optional<IoError>(Failure(what, target, err));
  };

  if (int err = WriteAll(tmp.get(), bytes.data(), bytes.size())) return fail("Cannot write", err);
  if (keepTail && exists && static_cast<std::uintmax_t>(old.st_size) > bytes.size()) {
    std::optional<IoError> refused;
    Fd in(OpenRegular(target, O_RDONLY, "Cannot read", refused));
    if (in.get() < 0) {
      ::close(tmp.release());
      ::unlink(tmpPath.c_str());
      return refused;
    }
    if (int err = CopyTail(in.get(), static_cast<off_t>(bytes.size()), tmp.get())) {
      return fail("Cannot keep the end of", err);
    }
  }
  // The new file takes the old one's permissions; a new one gets the usual ones.
  mode_t mode = 0;
  if (exists) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(tmp.get(), mode) != 0) return fail("Cannot set the permissions of", errno);
  if (::fsync(tmp.get()) != 0) return fail("Cannot flush", errno);
  if (::close(tmp.release()) != 0) {
    const int err = errno;
    ::unlink(tmpPath.c_str());
    return Failure("Cannot write", target, err);
  }
  if (::rename(tmpPath.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmpPath.c_str());
    return Failure("Cannot replace", target, err);
  }
  // Make the rename itself durable.
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return std::nullopt;
}

std::optional<IoError> WriteAt(const fs::path& target, std::uint64_t offset,
                               std::span<const std::uint8_t> bytes) {
  std::optional<IoError> error;
  Fd fd(OpenRegular(target, O_WRONLY | O_CREAT, "Cannot write", error));
  if (fd.get() < 0) return error;
  if (::lseek(fd.get(), static_cast<off_t>(offset), SEEK_SET) < 0) {
    return Failure("Cannot seek in", target, errno);
  }
  if (int err = WriteAll(fd.get(), bytes.data(), bytes.size())) return Failure("Cannot write", target, err);
  if (::fsync(fd.get()) != 0) return Failure("Cannot flush", target, errno);
  if (::close(fd.release()) != 0) return Failure("Cannot write", target, errno);
  return std::nullopt;
}

ReadResult ReadFilePrefix(const fs::path& path, std::size_t maxBytes) {
  ReadResult result;
  Fd fd(OpenRegular(path, O_RDONLY, "Cannot read", result.error));
  if (fd.get() < 0) return result;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    result.error = Failure("Cannot read", path, errno);
    return result;
  }
  result.fileSize = static_cast<std::uintmax_t>(st.st_size);
  result.bytes.resize(std::min<std::uintmax_t>(maxBytes, result.fileSize));
  std::size_t got = 0;
  while (got < result.bytes.size()) {
    const ssize_t n = ::read(fd.get(), result.bytes.data() + got, result.bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      result.error = Failure("Cannot read", path, errno);
      return result;
    }
    if (n == 0) break;  // the file shrank while we read it
    got += static_cast<std::size_t>(n);
  }
  result.bytes.resize(got);
  return result;
}

std::optional<IoError> CreateIfMissing(const fs::path& path) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0 && errno != EEXIST) return Failure("Cannot create", path, errno);
  return std::nullopt;
}

ScopedWriteFailure::ScopedWriteFailure(std::size_t bytesBeforeFailure) : previous_(tWriteBudget) {
  tWriteBudget = bytesBeforeFailure;
}

ScopedWriteFailure::~ScopedWriteFailure() { tWriteBudget = previous_; }

}  // namespace brannoc
