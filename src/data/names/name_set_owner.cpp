#include "data/names/name_set_owner.h"

#include <algorithm>

namespace brannoc {
namespace fs = std::filesystem;

void NameSetOwner::Load(const fs::path& folder, bool readOnly) {
  const ChannelNameSet before = set_;
  file_ = ChannelNameSetPath(folder);
  readOnly_ = readOnly;
  set_ = ChannelNameSet{};
  nameEditorReads_ = false;
  const ReadResult read = ReadFilePrefix(file_, kNameSetFileSize);
  if (read.error) {
    // A missing file is left behind empty; an existing one that cannot be read
    // is left alone.
    if (!readOnly_) (void)CreateIfMissing(file_);
  } else {
    // A file that shrank while it was read counts as no usable file.
    const auto expected = static_cast<std::size_t>(std::min<std::uintmax_t>(read.fileSize, kNameSetFileSize));
    if (read.bytes.size() == expected && read.fileSize >= kFixtureEditorMinimum) {
      set_ = ParseChannelNameSet(read.bytes);
      nameEditorReads_ = read.fileSize >= kNameEditorMinimum;
    }
  }
  Tell(before);
}

ChannelNameSet NameSetOwner::SetForNameEditor() const {
  if (nameEditorReads_) return set_;
  ChannelNameSet builtIn;
  RestoreDefaultNames(builtIn);
  return builtIn;
}

std::optional<int> NameSetOwner::FreeSlot() const {
  for (int s = kFirstAddedSlot; s < static_cast<int>(kNameSlots); ++s) {
    if (!set_.Entries[static_cast<std::size_t>(s)].Name.IsBlank()) continue;
    const bool held = std::any_of(watchers_.begin(), watchers_.end(),
                                  [s](const NameSetWatcher* w) { return w->HoldsUnsavedName(s); });
    if (!held) return s;
  }
  return std::nullopt;
}

NameSetOwner::Added NameSetOwner::Add(const std::vector<std::string>& utf8Names) {
  const ChannelNameSet before = set_;
  Added added;
  for (const std::string& name : utf8Names) {
    const std::optional<int> slot = FreeSlot();
    if (slot) {
      ChannelNameEntry& entry = set_.Entries[static_cast<std::size_t>(*slot)];
      entry.Slot = static_cast<std::uint8_t>(*slot);
      entry.Code = static_cast<std::uint8_t>(*slot + kSlotCodeOffset);
      entry.Name.Assign(name);
    }
    added.taken.push_back(slot);
  }
  if (set_ == before) return added;
  // A name that cannot be written stays in the set for this run.
  added.error = Write();
  Tell(before);
  return added;
}

std::optional<IoError> NameSetOwner::Replace(ChannelNameSet& set) {
  for (int s = kFirstAddedSlot; s < static_cast<int>(kNameSlots); ++s) {
    ChannelNameEntry& entry = set.Entries[static_cast<std::size_t>(s)];
    if (entry.Name.IsBlank()) {
      entry.Code = 0;
      entry.Slot = 0;
    }
  }
  const ChannelNameSet before = set_;
  set_ = set;
  if (auto error = Write()) {
    set_ = before;
    return error;
  }
  Tell(before);
  return std::nullopt;
}

std::optional<IoError> NameSetOwner::Write() {
  if (readOnly_) {
    return IoError{file_.string() + " holds the installed names, which this program does not change; "
                                    "there is no folder of your own to keep names in."};
  }
  // Whatever the old file held beyond the records stays.
  if (auto error = ReplaceFile(file_, SerializeChannelNameSet(set_), /*keepTail=*/true)) return error;
  nameEditorReads_ = true;
  return std::nullopt;
}

void NameSetOwner::Tell(const ChannelNameSet& before) {
  std::vector<int> changed;
  for (int s = 0; s < static_cast<int>(kNameSlots); ++s) {
    if (set_.Entries[static_cast<std::size_t>(s)] != before.Entries[static_cast<std::size_t>(s)]) changed.push_back(s);
  }
  if (changed.empty()) return;
  // A watcher may stop watching while it is told.
  const std::vector<NameSetWatcher*> watchers = watchers_;
  for (NameSetWatcher* w : watchers) {
    if (std::find(watchers_.begin(), watchers_.end(), w) != watchers_.end()) w->NameSetChanged(before, changed);
  }
}

void NameSetOwner::Watch(NameSetWatcher* watcher) {
  if (std::find(watchers_.begin(), watchers_.end(), watcher) == watchers_.end()) watchers_.push_back(watcher);
}

void NameSetOwner::Unwatch(NameSetWatcher* watcher) { std::erase(watchers_, watcher); }

}  // namespace brannoc
