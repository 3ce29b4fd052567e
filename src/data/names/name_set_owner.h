#pragma once
// The program's one channel name set, and the one way it changes.
//
// The set is read from "ChNameSet.fix" once, when the program starts, and lives
// for the whole run (AppState holds it). Every change goes through here: a name
// the fixture editor adds (typed into a cell, or missing from an import) and the
// channel name editor's Save. Each change writes the whole file (3542 bytes, to a
// temporary file renamed over the old one, so a failure leaves the old file as it
// was), then tells every window that watches which slots changed. The name
// editor edits a working copy of its own and hands it over on Save; a name added
// elsewhere meanwhile goes around the slots it holds unsaved names for.
//
// A read-only set (the installed names, when the user has no folder to keep
// names in) is read but never written, and no empty file is left behind.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/names/name_set.h"
#include "data/core/file_io.h"

namespace brannoc {

// A window that shows the names.
class NameSetWatcher {
 public:
  // The entries of the slots `changed` are new; `before` is the set as it was.
  virtual void NameSetChanged(const ChannelNameSet& before, const std::vector<int>& changed) = 0;
  // Whether the window holds an unsaved name for `slot`: an added name then takes
  // another slot.
  virtual bool HoldsUnsavedName(int /*slot*/) const { return false; }

 protected:
  ~NameSetWatcher() = default;
};

class NameSetOwner {
 public:
  // Reads "ChNameSet.fix" in `folder`. A file shorter than 560 bytes, or one that
  // cannot be read, gives an all-zero set (no names offered); a missing file is
  // left behind empty unless the set is read-only. Watchers see what changed.
  void Load(const std::filesystem::path& folder, bool readOnly = false);

  const ChannelNameSet& Set() const { return set_; }
  const std::filesystem::path& File() const { return file_; }
  bool ReadOnly() const { return readOnly_; }

  // What the channel name editor starts from: the set, or the built-in names when
  // the file was too short for it (under 580 bytes) and has not been written since.
  ChannelNameSet SetForNameEditor() const;

  // The slot the next added name takes: the lowest blank one in 59..252 that no
  // watcher holds an unsaved name for; none when there is no such slot.
  std::optional<int> FreeSlot() const;

  struct Added {
    // For each name, in order: its slot, or none when no slot was free.
    std::vector<std::optional<int>> taken;
    // The file could not be written: the names are kept for this run only.
    std::optional<IoError> error;
  };
  // Adds the names in order, each with Code = slot + 3, in one write.
  Added Add(const std::vector<std::string>& utf8Names);

  // The name editor's Save: clears the blank entries of slots 59..252 in `set`
  // and writes it whole; it then becomes the set. On failure nothing changes.
  std::optional<IoError> Replace(ChannelNameSet& set);

  void Watch(NameSetWatcher* watcher);
  void Unwatch(NameSetWatcher* watcher);

 private:
  std::optional<IoError> Write();
  void Tell(const ChannelNameSet& before);

  ChannelNameSet set_;
  std::filesystem::path file_;
  bool readOnly_ = false;
  bool nameEditorReads_ = false;
  std::vector<NameSetWatcher*> watchers_;
};

}  // namespace brannoc
