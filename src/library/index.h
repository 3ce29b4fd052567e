#pragma once
// The fixture library: every fixture definition of other programs found in a
// list of folders, with what a search and a mode list need (maker, model, modes
// and their channel counts), cached between runs.
//
// Reading a definition takes only its header and its mode list, never its
// capabilities. Each kind of definition joins through one listing function in
// DefinitionKinds(). A file whose size and time are those the cache holds is
// not read again. A file that cannot be listed stays in the index, marked
// damaged with the reason; nothing about one file stops the others.
//
// Cost: about 300 bytes per file plus its names; QLC+'s 1,358 definitions take
// under 2 MB.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/file_io.h"

namespace brannoc {

struct LibraryMode {
  std::string Name;        // UTF-8, whitespace collapsed
  int ChannelCount = 0;
  bool Fits = false;       // 1 to 40 channels, every one defined
  std::string Why;         // why it does not fit, in a few words
};

// What a listing function finds in a definition's bytes.
struct ListedDefinition {
  std::string Maker;
  std::string Model;
  std::vector<LibraryMode> Modes;
  std::string Error;       // why the bytes are no definition of this kind
};

using DefinitionLister = ListedDefinition (*)(std::span<const std::uint8_t> bytes);

struct DefinitionKind {
  std::string Extension;   // with its dot, lower case: ".qxf"
  std::size_t MaxBytes = 0;
  DefinitionLister List = nullptr;
};

// The kinds the library lists: QLC+'s .qxf and the makers' .gdtf.
std::vector<DefinitionKind> DefinitionKinds();

// A QLC+ definition's maker, model and modes.
ListedDefinition ListQxfDefinition(std::span<const std::uint8_t> bytes);

// A GDTF archive's (or bare description.xml's) maker, model and modes.
ListedDefinition ListGdtfDefinition(std::span<const std::uint8_t> bytes);

struct LibraryEntry {
  std::filesystem::path Path;
  std::uintmax_t Size = 0;
  std::int64_t Time = 0;   // last write, in the file clock's ticks
  std::string Maker;
  std::string Model;
  std::vector<LibraryMode> Modes;
  std::string Damaged;     // why the file could not be listed; empty when it was
};

struct LibraryIndex {
  std::vector<LibraryEntry> Entries;  // by maker, then model, then path
  std::vector<std::string> Problems;  // folders that could not be read, links that loop
};

// The folders searched when the user adds none: QLC+'s system folder and the
// user's QLC+ folder, those that exist. `home` is $HOME (may be empty).
std::vector<std::filesystem::path> DefaultLibraryFolders(const std::string& home,
                                                         const std::filesystem::path& systemFolder =
                                                             "/usr/share/qlcplus/fixtures");

// $XDG_CACHE_HOME/brannoc512/library.cache, else $HOME/.cache/brannoc512/...;
// empty values count as unset. Nothing when neither is set.
std::optional<std::filesystem::path> LibraryCachePath(const std::string& xdgCacheHome, const std::string& home);
// The same, from this process's environment.
std::optional<std::filesystem::path> LibraryCachePathFromEnvironment();

// The cache file: a signature, a version, the entries, a check sum. A cache of
// another version, cut short or changed reads as nothing.
Bytes SerializeLibraryCache(const LibraryIndex& index);
std::optional<LibraryIndex> ParseLibraryCache(std::span<const std::uint8_t> bytes);
// The cache at `path`, or an empty index when there is none that reads.
LibraryIndex LoadLibraryCache(const std::filesystem::path& path);
// Written whole beside the old one and renamed over it, so two programs sharing
// the cache never see half a file. Creates the folder.
std::optional<IoError> SaveLibraryCache(const LibraryIndex& index, const std::filesystem::path& path);

// Builds the index a few files at a time, so that a window can show its
// progress between steps. Entries of `cached` whose file has the same size and
// time are taken over unread.
class LibraryScanner {
 public:
  LibraryScanner(std::vector<std::filesystem::path> folders, const LibraryIndex& cached,
                 std::vector<DefinitionKind> kinds = DefinitionKinds());
  // Lists up to `maxFiles` more files (the first call also walks the folders).
  // True while files remain.
  bool Step(std::size_t maxFiles);
  std::size_t Done() const { return done_; }
  std::size_t Total() const { return files_.size(); }
  std::size_t FilesRead() const { return read_; }  // not taken from the cache
  // The index, sorted; call once Step has returned false.
  LibraryIndex Finish();

 private:
  void Walk();
  void Walk(const std::filesystem::path& folder, int depth);

  std::vector<std::filesystem::path> folders_;
  std::vector<DefinitionKind> kinds_;
  std::unordered_map<std::string, const LibraryEntry*> cached_;
  std::vector<std::string> seenFolders_;
  std::vector<std::pair<std::filesystem::path, std::size_t>> files_;  // and its kind
  LibraryIndex index_;
  bool walked_ = false;
  std::size_t done_ = 0;
  std::size_t read_ = 0;
};

// The whole index in one call.
LibraryIndex BuildLibraryIndex(const std::vector<std::filesystem::path>& folders, const LibraryIndex& cached,
                               std::size_t* filesRead = nullptr);

// One file listed, as the scanner lists it.
LibraryEntry ListLibraryFile(const std::filesystem::path& path, const DefinitionKind& kind);

}  // namespace brannoc
