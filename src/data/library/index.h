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

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "data/core/file_io.h"

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
  std::string FileName;    // lower case; when set, a file of this whole name and no other
  std::size_t MaxBytes = 0;
  DefinitionLister List = nullptr;
};

// The kinds the library lists: QLC+'s .qxf, the makers' .gdtf, and an unpacked
// GDTF archive's description.xml (as GDTF libraries are kept in version control).
std::vector<DefinitionKind> DefinitionKinds();

// A QLC+ definition's maker, model and modes.
ListedDefinition ListQxfDefinition(std::span<const std::uint8_t> bytes);

// A GDTF archive's (or bare description.xml's) maker, model and modes.
ListedDefinition ListGdtfDefinition(std::span<const std::uint8_t> bytes);

struct LibraryEntry {
  std::filesystem::path Path;
  std::uintmax_t Size = 0;
  std::int64_t Time = 0;   // last write, in nanoseconds since 1970
  std::string Maker;
  std::string Model;
  std::vector<LibraryMode> Modes;
  std::string Damaged;     // why the file could not be listed; empty when it was
};

// A folder as a walk found it. Adding, removing or renaming anything in a
// folder changes its change time (so does a change of its permissions), so a
// folder of the same time holds what it held and is not read again; its files
// are still looked at one by one.
struct LibraryFolder {
  std::string Path;                          // as walked (a string: a path keeps its parts too)
  std::int64_t Time = 0;                     // its last change (ctime), nanoseconds since 1970
  std::vector<std::string> Files;            // the definitions in it, by name
  std::vector<std::string> Subfolders;       // by name
  std::vector<std::string> LinkedFolders;    // links to folders, by name
};

struct LibraryIndex {
  std::vector<LibraryEntry> Entries;  // by maker, then model, then path
  std::vector<LibraryFolder> Folders; // those walked, in the order walked
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
  // A folder changed less than `settled` before the walk is read again next
  // time: a file added within the same tick of the file system's clock would
  // not change its time again.
  LibraryScanner(std::vector<std::filesystem::path> folders, const LibraryIndex& cached,
                 std::vector<DefinitionKind> kinds = DefinitionKinds(),
                 std::chrono::nanoseconds settled = std::chrono::seconds(2));
  // Walks or lists up to `maxFiles` more folders and files: the folders first
  // (each counts as a file), then the files found. True while any remain.
  bool Step(std::size_t maxFiles);
  // Whether every folder has been walked; until then Total() still grows.
  bool Walked() const { return walked_; }
  std::size_t Done() const { return done_; }
  std::size_t Total() const { return files_.size(); }
  // The definition files found, every folder walked but none read.
  std::vector<std::filesystem::path> Files();
  // Folders that could not be read, links that loop, so far.
  const std::vector<std::string>& Problems() const { return index_.Problems; }
  std::size_t FilesRead() const { return read_; }  // not taken from the cache
  std::size_t FoldersRead() const { return foldersRead_; }  // the same
  // The index, sorted; call once Step has returned false.
  LibraryIndex Finish();

 private:
  struct PendingFolder {
    std::filesystem::path Path;
    std::filesystem::path Real;  // with every link resolved: what tells a loop
    int Depth = 0;
  };
  void StartWalk();
  // Walks up to `budget` folders, taking them off it; true once every folder is walked.
  bool Walk(std::size_t& budget);
  void WalkFolder(const PendingFolder& folder);
  // The folder's files and subfolders taken into the walk.
  void TakeFolder(const PendingFolder& folder, const LibraryFolder& held);
  std::optional<std::size_t> KindOf(const std::string& fileName) const;
  void EndWalk();

  std::vector<std::filesystem::path> folders_;
  std::vector<DefinitionKind> kinds_;
  std::unordered_map<std::string, const LibraryEntry*> cached_;
  std::unordered_map<std::string, const LibraryFolder*> cachedFolders_;
  std::unordered_set<std::string> seenFolders_;  // real paths
  std::vector<std::pair<std::filesystem::path, std::size_t>> files_;  // and its kind
  LibraryIndex index_;
  std::vector<PendingFolder> pending_;  // taken from the back
  bool started_ = false;
  bool walked_ = false;
  std::size_t done_ = 0;
  std::size_t read_ = 0;
  std::size_t foldersRead_ = 0;
  std::int64_t settled_ = 0;     // nanoseconds
  std::int64_t walkStart_ = 0;  // nanoseconds since 1970
};

// The whole index in one call.
LibraryIndex BuildLibraryIndex(const std::vector<std::filesystem::path>& folders, const LibraryIndex& cached,
                               std::size_t* filesRead = nullptr, std::size_t* foldersRead = nullptr);

// One file listed, as the scanner lists it.
LibraryEntry ListLibraryFile(const std::filesystem::path& path, const DefinitionKind& kind);

}  // namespace brannoc
