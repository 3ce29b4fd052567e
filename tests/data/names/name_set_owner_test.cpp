// The program's one name set: read once, every change written whole and told to
// the windows that watch it.

#include "data/names/name_set_owner.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/temp_dir.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

ChannelNameSet BuiltInSet() {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  return set;
}

Bytes RecordAt(const Bytes& file, int slot) {
  const auto at = static_cast<std::ptrdiff_t>(slot * 14);
  return Bytes(file.begin() + at, file.begin() + at + 14);
}

Bytes Record(std::uint8_t slot, std::uint8_t code, const std::string& name12) {
  Bytes r{slot, code};
  r.insert(r.end(), name12.begin(), name12.end());
  return r;
}

// A window: what it was told, and the slots it holds unsaved names for.
struct Window : NameSetWatcher {
  void NameSetChanged(const ChannelNameSet& before, const std::vector<int>& changed) override {
    told.push_back(changed);
    lastBefore = before;
  }
  bool HoldsUnsavedName(int slot) const override { return held.count(slot) > 0; }
  std::vector<std::vector<int>> told;
  ChannelNameSet lastBefore;
  std::set<int> held;
};

TEST(NameSetOwner, LoadReadsWhatEachEditorCanUseAndLeavesAMissingFileEmpty) {
  TempDir dir;
  const fs::path file = ChannelNameSetPath(dir.path());
  NameSetOwner names;
  names.Load(dir.path());
  EXPECT_EQ(names.Set(), ChannelNameSet{});  // offers no names
  EXPECT_EQ(names.SetForNameEditor(), BuiltInSet());
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(fs::file_size(file), 0u);
  EXPECT_FALSE(names.FreeSlot());

  // 570 bytes: 40 whole records for the fixture editor, the built-in names for
  // the name editor.
  const Bytes full = SerializeChannelNameSet(BuiltInSet());
  WriteAll(file, Bytes(full.begin(), full.begin() + 570));
  names.Load(dir.path());
  EXPECT_EQ(names.Set().Entries[39], BuiltInSet().Entries[39]);
  EXPECT_TRUE(names.Set().Entries[40].Name.IsBlank());
  EXPECT_EQ(names.SetForNameEditor(), BuiltInSet());

  // Read-only: nothing is created.
  TempDir other;
  names.Load(other.path(), /*readOnly=*/true);
  EXPECT_TRUE(test::FileNames(other.path()).empty());
}

TEST(NameSetOwner, AddingWritesTheWholeFileAndTellsEveryWindow) {
  TempDir dir;
  const fs::path file = ChannelNameSetPath(dir.path());
  ChannelNameSet start = BuiltInSet();
  SetEntryName(start, 60, "Taken");
  ASSERT_FALSE(SaveChannelNameSet(start, file));
  WriteAll(file, [&] { Bytes b = ReadAll(file); b.insert(b.end(), {7, 8, 9}); return b; }());  // a tail
  NameSetOwner names;
  names.Load(dir.path());
  Window a, b;
  names.Watch(&a);
  names.Watch(&b);
  b.held = {59, 61};  // b holds unsaved names there

  const NameSetOwner::Added added = names.Add({"Frost", "Haze"});
  ASSERT_EQ(added.taken.size(), 2u);
  EXPECT_EQ(added.taken[0], 62);
  EXPECT_EQ(added.taken[1], 63);
  EXPECT_FALSE(added.error);
  const Bytes bytes = ReadAll(file);
  ASSERT_EQ(bytes.size(), 3545u);
  EXPECT_EQ(RecordAt(bytes, 59), Record(0, 0, "            "));
  EXPECT_EQ(RecordAt(bytes, 62), Record(62, 65, "Frost       "));
  EXPECT_EQ(RecordAt(bytes, 63), Record(63, 66, "Haze        "));
  EXPECT_EQ(Bytes(bytes.begin() + 3542, bytes.end()), (Bytes{7, 8, 9}));
  ASSERT_EQ(a.told.size(), 1u);  // one write, one telling
  EXPECT_EQ(a.told[0], (std::vector<int>{62, 63}));
  EXPECT_EQ(b.told, a.told);
  EXPECT_EQ(a.lastBefore, ParseChannelNameSet(SerializeChannelNameSet(start)));

  names.Unwatch(&b);
  names.Add({"Fog"});
  EXPECT_EQ(a.told.size(), 2u);
  EXPECT_EQ(b.told.size(), 1u);
}

TEST(NameSetOwner, AFailedWriteLeavesTheOldFileAndKeepsTheNameForTheRun) {
  TempDir dir;
  const fs::path file = ChannelNameSetPath(dir.path());
  ChannelNameSet start = BuiltInSet();
  ASSERT_FALSE(SaveChannelNameSet(start, file));
  const Bytes before = ReadAll(file);
  NameSetOwner names;
  names.Load(dir.path());
  Window window;
  names.Watch(&window);
  {
    ScopedWriteFailure failAfter(1000);  // a short write, then an error
    const NameSetOwner::Added added = names.Add({"Frost"});
    EXPECT_TRUE(added.error);
    EXPECT_EQ(added.taken[0], 59);
  }
  EXPECT_EQ(ReadAll(file), before);
  EXPECT_EQ(test::FileNames(dir.path()), std::vector<std::string>{"ChNameSet.fix"});
  EXPECT_EQ(names.Set().Entries[59].Name.TrimmedUtf8(), "Frost");
  EXPECT_EQ(window.told.size(), 1u);

  // A failed Save changes nothing and tells nobody.
  ChannelNameSet edited = names.Set();
  SetEntryName(edited, 70, "Beams");
  {
    ScopedWriteFailure failAfter(0);
    EXPECT_TRUE(names.Replace(edited));
  }
  EXPECT_EQ(ReadAll(file), before);
  EXPECT_TRUE(names.Set().Entries[70].Name.IsBlank());
  EXPECT_EQ(window.told.size(), 1u);
}

TEST(NameSetOwner, ReplaceClearsFreedAddedSlotsWritesAndTells) {
  TempDir dir;
  const fs::path file = ChannelNameSetPath(dir.path());
  WriteAll(file, Bytes(570, 0));  // too short for the name editor
  NameSetOwner names;
  names.Load(dir.path());
  Window window;
  names.Watch(&window);
  ChannelNameSet edited = names.SetForNameEditor();
  edited.Entries[70] = {70, 73, FixedText<12>::Blank()};
  SetEntryName(edited, 5, "Diaphragm");
  ASSERT_FALSE(names.Replace(edited));
  EXPECT_EQ(edited.Entries[70], (ChannelNameEntry{0, 0, FixedText<12>::Blank()}));
  EXPECT_EQ(names.Set(), edited);
  EXPECT_EQ(ReadAll(file), SerializeChannelNameSet(edited));
  EXPECT_EQ(names.SetForNameEditor(), edited);  // the file is whole now
  ASSERT_EQ(window.told.size(), 1u);
  EXPECT_EQ(window.told[0].size(), 41u);  // slots 0..39 read as zeros, 40 as blank
}

}  // namespace
}  // namespace brannoc
