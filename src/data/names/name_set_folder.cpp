#include "data/names/name_set_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>

#include "data/names/name_set.h"

namespace brannoc {
namespace fs = std::filesystem;
namespace {

constexpr char kFolderName[] = "brannoc512";

// Anything at all under that name, even a link that leads nowhere, is the user's.
bool SomethingIsAt(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  if (ec) return ec != std::errc::no_such_file_or_directory;  // cannot tell: leave it alone
  return fs::exists(status);
}

// The bytes a new user's vocabulary starts from: the installed file, or the
// built-in names when that cannot be read or is too short to be one.
Bytes SeedBytes(const fs::path& installed) {
  const ReadResult read = ReadFilePrefix(installed, kNameSetFileSize);
  const bool whole = read.bytes.size() == std::min<std::uintmax_t>(read.fileSize, kNameSetFileSize);
  if (!read.error && read.fileSize >= kNameEditorMinimum && whole) return read.bytes;
  ChannelNameSet set;
  RestoreDefaultNames(set);
  return SerializeChannelNameSet(set);
}

}  // namespace

NameSetLocation ChooseNameSetFolder(const NameSetFolderInputs& in) {
  if (SomethingIsAt(ChannelNameSetPath(in.programFolder))) return {in.programFolder, std::nullopt};
  const bool installed = SomethingIsAt(in.installedNameSet);
  if (!installed && in.canWrite && in.canWrite(in.programFolder)) return {in.programFolder, std::nullopt};

  // Where the names go when the user's folder cannot take them: an installed
  // program reads its installed names and changes nothing (bin/ is never
  // written); a copy of its own keeps to its folder.
  auto instead = [&](const std::string& why) -> NameSetLocation {
    if (installed) {
      const fs::path share = in.installedNameSet.parent_path();
      return {share, IoError{why + "; the installed names in " + share.string() + " are used and cannot be changed."},
              /*readOnly=*/true};
    }
    return {in.programFolder, IoError{why + "; " + in.programFolder.string() + " is used instead."}};
  };
  if (!in.userFolder) return instead("There is no home folder to keep the channel names in");
  const fs::path& folder = *in.userFolder;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder, ec)) {
    return instead("Cannot create " + folder.string() + " (" + (ec ? ec.message() : "it is not a folder") + ")");
  }
  const fs::path file = ChannelNameSetPath(folder);
  if (SomethingIsAt(file)) return {folder, std::nullopt};
  if (auto error = ReplaceFile(file, SeedBytes(in.installedNameSet))) {
    if (installed) return instead("Cannot put the channel names into " + file.string() + " (" + error->message + ")");
    return {folder, error};
  }
  return {folder, std::nullopt};
}

std::optional<fs::path> UserNameSetFolder(const char* xdgDataHome, const char* home) {
  // A relative $XDG_DATA_HOME is invalid and is to be ignored.
  if (xdgDataHome && *xdgDataHome && fs::path(xdgDataHome).is_absolute()) return fs::path(xdgDataHome) / kFolderName;
  if (home && *home) return fs::path(home) / ".local" / "share" / kFolderName;
  return std::nullopt;
}

bool CanCreateFileIn(const fs::path& folder) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path probe = folder / (".brannoc512-write-test-" + std::to_string(::getpid()) + "-" +
                                     std::to_string(counter++));
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      ::unlink(probe.c_str());
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

}  // namespace brannoc
