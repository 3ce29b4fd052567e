#include "data/names/name_set.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/fifo.h"
#include "support/permissions.h"
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

// The 14 bytes a record should hold.
Bytes Record(std::uint8_t slot, std::uint8_t code, const std::string& name12) {
  // Sized once and filled: growing a two-byte vector makes g++ 12 warn
  // (-Warray-bounds) in an optimised build.
  Bytes r(2 + name12.size());
  r[0] = slot;
  r[1] = code;
  std::copy(name12.begin(), name12.end(), r.begin() + 2);
  return r;
}

Bytes At(const Bytes& file, std::size_t offset, std::size_t size = kNameRecordSize) {
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(offset),
               file.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

TEST(ChannelNameSet, PathIsBesideTheProgramWithOneSeparator) {
  EXPECT_EQ(ChannelNameSetPath("/opt/brannoc"), fs::path("/opt/brannoc/ChNameSet.fix"));
  EXPECT_EQ(ChannelNameSetPath("/opt/brannoc/"), fs::path("/opt/brannoc/ChNameSet.fix"));
}

TEST(ChannelNameSet, BuiltInSetHoldsTheFortyOneNamesAndNothingElse) {
  ChannelNameSet set;
  SetEntryName(set, 100, "Leftover");  // Init also clears what was there
  RestoreDefaultNames(set);

  const char* const names[41] = {
      "Pan",      "Tilt",     "Dimmer",   "Colour",    "Shutter",  "Iris",     "Colour1",
      "Focus",    "Zoom",     "Gobo",     "Gobo1",     "GoboRot",  "GoboSpin", "P/T Speed",
      "Speed",    "Effect",   "Yellow",   "Magenta",   "Cyan",     "Red",      "Blue",
      "Rotation", "Rot Gobo", "Prism",    "Prsm Rot",  "Macros",   "Special",  "FanSpd",
      "Function", "Head",     "HeadFine", "HeadSpd",   "Mirror",   "Mir.Fin",  "Mir.Spd",
      "Movement", "Laster",   "BeamShap", "Strobe",    "ClrRotat", "DimSpeed"};
  const int firstCodes[7] = {6, 7, 3, 9, 4, 5, 8};
  for (int s = 0; s < 41; ++s) {
    const int code = s < 7 ? firstCodes[s] : s + 3;
    EXPECT_EQ(set.Entries[s], (ChannelNameEntry{static_cast<std::uint8_t>(s),
                                                static_cast<std::uint8_t>(code),
                                                FixedText<12>::FromUtf8(names[s])}))
        << s;
  }
  for (int s = 41; s < 253; ++s) {
    EXPECT_EQ(set.Entries[s], (ChannelNameEntry{0, 0, FixedText<12>::Blank()})) << s;
  }
  EXPECT_EQ(set.Entries[0].Name.CodePage(), "Pan         ");
  EXPECT_EQ(UsableNames(set).size(), 41u);
}

TEST(ChannelNameSet, NoFileGivesNoSetAndLeavesAnEmptyFile) {
  TempDir dir;
  const fs::path file = ChannelNameSetPath(dir.path());
  EXPECT_FALSE(LoadChannelNameSet(file, kNameEditorMinimum));
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(fs::file_size(file), 0u);
  // The empty file is still no usable file, for either editor.
  EXPECT_FALSE(LoadChannelNameSet(file, kNameEditorMinimum));
  EXPECT_FALSE(LoadChannelNameSet(file, kFixtureEditorMinimum));
}

TEST(ChannelNameSet, SaveWritesEveryRecordAtItsOffsetAndReadsBack) {
  TempDir dir;
  const fs::path file = dir / "ChNameSet.fix";
  ChannelNameSet set = BuiltInSet();
  SetEntryName(set, 59, "Zoom2");
  SetEntryName(set, 252, "Last");
  SetEntryName(set, 41, "Spare");  // keeps Code 0
  ASSERT_FALSE(SaveChannelNameSet(set, file));

  const Bytes bytes = ReadAll(file);
  ASSERT_EQ(bytes.size(), 3542u);
  EXPECT_EQ(At(bytes, 0), Record(0, 6, "Pan         "));
  EXPECT_EQ(At(bytes, 2 * 14), Record(2, 3, "Dimmer      "));
  EXPECT_EQ(At(bytes, 40 * 14), Record(40, 43, "DimSpeed    "));
  EXPECT_EQ(At(bytes, 41 * 14), Record(41, 0, "Spare       "));
  EXPECT_EQ(At(bytes, 42 * 14), Record(0, 0, "            "));
  EXPECT_EQ(At(bytes, 826), Record(59, 62, "Zoom2       "));
  EXPECT_EQ(At(bytes, 3528), Record(252, 255, "Last        "));
  EXPECT_EQ(bytes, SerializeChannelNameSet(set));
  EXPECT_EQ(test::FileNames(dir.path()), std::vector<std::string>{"ChNameSet.fix"});

  const auto back = LoadChannelNameSet(file, kNameEditorMinimum);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, set);
  EXPECT_EQ(back->Entries[59].Name.CodePage(), "Zoom2       ");
}

TEST(ChannelNameSet, SaveClearsBlankAddedSlotsOnlyFrom59On) {
  TempDir dir;
  const fs::path file = dir / "ChNameSet.fix";
  ChannelNameSet set = BuiltInSet();
  SetEntryName(set, 70, "");     // blank, Slot 70, Code 73
  SetEntryName(set, 20, "");     // blank, keeps Slot 20, Code 23
  set.Entries[80] = ChannelNameEntry{80, 83, FixedText<12>()};  // NUL name: not blank
  ASSERT_EQ(set.Entries[70].Code, 73);
  ASSERT_FALSE(SaveChannelNameSet(set, file));

  const Bytes bytes = ReadAll(file);
  EXPECT_EQ(At(bytes, 70 * 14), Record(0, 0, "            "));
  EXPECT_EQ(At(bytes, 20 * 14), Record(20, 23, "            "));
  EXPECT_EQ(At(bytes, 80 * 14), Record(80, 83, std::string(12, '\0')));
  // The set in memory is cleared the same way.
  EXPECT_EQ(set.Entries[70].Slot, 0);
  EXPECT_EQ(set.Entries[70].Code, 0);
  EXPECT_EQ(set.Entries[20].Code, 23);
}

TEST(ChannelNameSet, ShortFileIsReadOnlyByTheFixtureEditorWithMissingRecordsBlank) {
  TempDir dir;
  const fs::path file = dir / "ChNameSet.fix";
  Bytes bytes = SerializeChannelNameSet(BuiltInSet());
  bytes.resize(570);  // 40 whole records and 10 bytes of slot 40
  WriteAll(file, bytes);

  EXPECT_FALSE(LoadChannelNameSet(file, kNameEditorMinimum));
  const auto set = LoadChannelNameSet(file, kFixtureEditorMinimum);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->Entries[39], BuiltInSet().Entries[39]);
  for (int s = 40; s < 253; ++s) {
    EXPECT_EQ(set->Entries[s], (ChannelNameEntry{0, 0, FixedText<12>::Blank()})) << s;
  }
  EXPECT_EQ(UsableNames(*set).size(), 40u);
  EXPECT_EQ(ReadAll(file), bytes);  // loading writes nothing

  bytes.resize(559);
  WriteAll(file, bytes);
  EXPECT_FALSE(LoadChannelNameSet(file, kFixtureEditorMinimum));
  bytes.resize(560);
  WriteAll(file, bytes);
  EXPECT_TRUE(LoadChannelNameSet(file, kFixtureEditorMinimum));
}

TEST(ChannelNameSet, BytesBeyondTheRecordsAreNeitherReadNorLost) {
  TempDir dir;
  const fs::path file = dir / "ChNameSet.fix";
  Bytes bytes = SerializeChannelNameSet(BuiltInSet());
  const Bytes tail{0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x41};
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  WriteAll(file, bytes);

  auto set = LoadChannelNameSet(file, kNameEditorMinimum);
  ASSERT_TRUE(set);
  EXPECT_EQ(*set, BuiltInSet());
  SetEntryName(*set, 60, "Frost");
  ASSERT_FALSE(SaveChannelNameSet(*set, file));
  const Bytes after = ReadAll(file);
  ASSERT_EQ(after.size(), 3542u + tail.size());
  EXPECT_EQ(At(after, 3542, tail.size()), tail);
  EXPECT_EQ(At(after, 840), Record(60, 63, "Frost       "));
}

TEST(ChannelNameSet, ReadOnlyFileIsReadAndUnreadableOneIsNoUsableFile) {
  TempDir dir;
  const fs::path file = dir / "ChNameSet.fix";
  const Bytes bytes = SerializeChannelNameSet(BuiltInSet());
  WriteAll(file, bytes);
  ::chmod(file.c_str(), 0444);
  {
    test::ScopedObeyPermissions obey;
    const auto set = LoadChannelNameSet(file, kNameEditorMinimum);
    ASSERT_TRUE(set);
    EXPECT_EQ(*set, BuiltInSet());
  }
  ::chmod(file.c_str(), 0);
  {
    test::ScopedObeyPermissions obey;
    EXPECT_FALSE(LoadChannelNameSet(file, kFixtureEditorMinimum));
  }
  ::chmod(file.c_str(), 0644);
  EXPECT_EQ(ReadAll(file), bytes);

  // A read-only folder with no file: nothing to read, nothing created.
  fs::create_directory(dir / "ro");
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  {
    test::ScopedObeyPermissions obey;
    EXPECT_FALSE(LoadChannelNameSet(dir / "ro" / "ChNameSet.fix", kNameEditorMinimum));
  }
  fs::permissions(dir / "ro", fs::perms::owner_all);
  EXPECT_TRUE(test::FileNames(dir / "ro").empty());
}

// A named pipe called "ChNameSet.fix" must not hold up the editor's start: it is
// no usable file, and neither a load, nor adding a name, nor a save replaces it.
TEST(ChannelNameSet, ANamedPipeIsNoUsableFileAndStaysAsItIs) {
  TempDir dir;
  const fs::path pipe = dir / "ChNameSet.fix";
  ASSERT_TRUE(test::MakeFifo(pipe));
  std::optional<ChannelNameSet> fixtureEditors;
  std::optional<ChannelNameSet> nameEditors;
  std::optional<IoError> added;
  EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] {
    fixtureEditors = LoadChannelNameSet(pipe, kFixtureEditorMinimum);
    nameEditors = LoadChannelNameSet(pipe, kNameEditorMinimum);
    ChannelNameSet set = BuiltInSet();
    SetEntryName(set, 59, "Gobo");
    added = WriteChannelNameEntry(set, 59, pipe);
  }));
  EXPECT_FALSE(fixtureEditors);
  EXPECT_FALSE(nameEditors);
  ASSERT_TRUE(added);
  EXPECT_NE(added->message.find("not a regular file"), std::string::npos) << added->message;
  ChannelNameSet set = BuiltInSet();
  EXPECT_TRUE(SaveChannelNameSet(set, pipe));
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(test::FileNames(dir.path()), std::vector<std::string>{"ChNameSet.fix"});
}

TEST(ChannelNameSet, FailedSaveReportsAndLeavesTheOldFileByteIdentical) {
  TempDir dir;
  const fs::path file = dir / "ChNameSet.fix";
  ChannelNameSet old = BuiltInSet();
  SetEntryName(old, 59, "Old");
  ASSERT_FALSE(SaveChannelNameSet(old, file));
  const Bytes before = ReadAll(file);

  ChannelNameSet changed = BuiltInSet();
  for (int s = 4; s < 253; ++s) SetEntryName(changed, s, "N" + std::to_string(s));
  {
    ScopedWriteFailure failAfter(1000);
    EXPECT_TRUE(SaveChannelNameSet(changed, file));
  }
  EXPECT_EQ(ReadAll(file), before);
  EXPECT_EQ(test::FileNames(dir.path()), std::vector<std::string>{"ChNameSet.fix"});

  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  {
    test::ScopedObeyPermissions obey;
    EXPECT_TRUE(SaveChannelNameSet(changed, file));
  }
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(ReadAll(file), before);
}

TEST(ChannelNameSet, WriteEntryChangesOneRecordInPlace) {
  TempDir dir;
  const fs::path file = ChannelNameSetPath(dir.path());
  ASSERT_FALSE(LoadChannelNameSet(file, kFixtureEditorMinimum));  // leaves it empty

  ChannelNameSet set;  // the fixture editor's copy after finding no usable file
  SetEntryName(set, 60, "Frost");
  ASSERT_FALSE(WriteChannelNameEntry(set, 60, file));
  Bytes bytes = ReadAll(file);
  ASSERT_EQ(bytes.size(), 854u);
  EXPECT_EQ(At(bytes, 0, 840), Bytes(840, 0));
  EXPECT_EQ(At(bytes, 840), Record(60, 63, "Frost       "));

  // On a whole file only the 14 bytes of the slot change.
  ChannelNameSet full = BuiltInSet();
  ASSERT_FALSE(SaveChannelNameSet(full, file));
  const Bytes saved = ReadAll(file);
  SetEntryName(full, 61, "Haze");
  full.Entries[0].Code = 99;  // not written: only slot 61 is
  ASSERT_FALSE(WriteChannelNameEntry(full, 61, file));
  bytes = ReadAll(file);
  ASSERT_EQ(bytes.size(), 3542u);
  EXPECT_EQ(At(bytes, 854), Record(61, 64, "Haze        "));
  std::copy_n(saved.begin() + 854, 14, bytes.begin() + 854);
  EXPECT_EQ(bytes, saved);

  EXPECT_TRUE(WriteChannelNameEntry(full, 253, file));
  EXPECT_TRUE(WriteChannelNameEntry(full, -1, file));
  EXPECT_EQ(ReadAll(file).size(), 3542u);
}

TEST(ChannelNameSet, AFailedRecordWriteLeavesTheOldFileWhole) {
  TempDir dir;
  const fs::path file = ChannelNameSetPath(dir.path());
  ChannelNameSet set = BuiltInSet();
  ASSERT_FALSE(SaveChannelNameSet(set, file));
  const Bytes before = ReadAll(file);
  SetEntryName(set, 59, "Frost");
  {
    ScopedWriteFailure failAfter(5);  // a short write, then an error
    EXPECT_TRUE(WriteChannelNameEntry(set, 59, file));
  }
  EXPECT_EQ(ReadAll(file), before);
  // Without a file, a failed write leaves none.
  fs::remove(file);
  {
    ScopedWriteFailure failAfter(0);
    EXPECT_TRUE(WriteChannelNameEntry(set, 59, file));
  }
  EXPECT_TRUE(test::FileNames(dir.path()).empty());
}

TEST(ChannelNameSet, SetEntryNameFollowsTheCodeRuleOfEachRegion) {
  ChannelNameSet set = BuiltInSet();
  SetEntryName(set, 41, "Spare");
  EXPECT_EQ(set.Entries[41].Code, 0);
  EXPECT_EQ(set.Entries[41].Slot, 41);
  SetEntryName(set, 5, "Aperture");
  EXPECT_EQ(set.Entries[5].Code, 5);
  SetEntryName(set, 42, "X");
  EXPECT_EQ(set.Entries[42].Code, 45);
  SetEntryName(set, 252, "Y");
  EXPECT_EQ(set.Entries[252].Code, 255);
  EXPECT_EQ(set.Entries[252].Slot, 252);

  SetEntryName(set, 50, "FifteenLetters!");
  EXPECT_EQ(set.Entries[50].Name.CodePage(), "FifteenLette");
  SetEntryName(set, 51, "");
  EXPECT_TRUE(set.Entries[51].Name.IsBlank());
  // Windows-1252 on file; a character it lacks becomes '?'.
  SetEntryName(set, 52, "Gr\xC3\xBCn \xE2\x82\xAC \xE2\x98\x83");
  EXPECT_EQ(set.Entries[52].Name.CodePage(), "Gr\xFCn \x80 ?    ");

  const ChannelNameSet before = set;
  SetEntryName(set, 253, "Out");
  SetEntryName(set, -1, "Out");
  EXPECT_EQ(set, before);
}

TEST(ChannelNameSet, RestoreCoreCodesTouchesOnlyTheFirstFiveCodes) {
  ChannelNameSet set = BuiltInSet();
  for (int s = 0; s < 6; ++s) set.Entries[s].Code = 200;
  SetEntryName(set, 4, "Strobe2");
  RestoreCoreCodes(set);
  const int codes[6] = {6, 7, 3, 9, 4, 200};
  for (int s = 0; s < 6; ++s) EXPECT_EQ(set.Entries[s].Code, codes[s]) << s;
  EXPECT_EQ(set.Entries[4].Name.TrimmedUtf8(), "Strobe2");
}

TEST(ChannelNameSet, FreeSlotsAndAddingNames) {
  ChannelNameSet set = BuiltInSet();
  EXPECT_EQ(FindFreeNameSlot(set), 59);
  EXPECT_FALSE(FindFreeNameSlot(ChannelNameSet{}));  // NUL names are not blank

  SetEntryName(set, 59, "A");
  SetEntryName(set, 60, "B");
  EXPECT_EQ(AddChannelName(set, "Zoom2"), 61);
  EXPECT_EQ(set.Entries[61], (ChannelNameEntry{61, 64, FixedText<12>::FromUtf8("Zoom2")}));

  TempDir dir;
  const fs::path file = dir / "ChNameSet.fix";
  ASSERT_FALSE(WriteChannelNameEntry(set, 61, file));
  EXPECT_EQ(At(ReadAll(file), 854), Record(61, 64, "Zoom2       "));

  for (int s = 62; s < 253; ++s) SetEntryName(set, s, "N");
  EXPECT_FALSE(FindFreeNameSlot(set));
  const ChannelNameSet full = set;
  EXPECT_FALSE(AddChannelName(set, "More"));
  EXPECT_EQ(set, full);
  // Blank lower slots do not count as free.
  SetEntryName(set, 45, "");
  EXPECT_FALSE(FindFreeNameSlot(set));
}

TEST(ChannelNameSet, UsableNamesSkipNulFirstAndBlankEntries) {
  EXPECT_TRUE(UsableNames(ChannelNameSet{}).empty());

  ChannelNameSet set = BuiltInSet();
  const std::uint8_t nulFirst[12] = {0, 'G', 'h', 'o', 's', 't', ' ', ' ', ' ', ' ', ' ', ' '};
  set.Entries[1].Name.SetBytes(nulFirst);
  SetEntryName(set, 2, "");
  const std::uint8_t nulInside[12] = {'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  set.Entries[100] = ChannelNameEntry{100, 103, {}};
  set.Entries[100].Name.SetBytes(nulInside);

  const auto names = UsableNames(set);
  ASSERT_EQ(names.size(), 40u);
  EXPECT_EQ(names[0].Slot, 0);
  EXPECT_EQ(names[0].Code, 6);
  EXPECT_EQ(names[0].Name.CodePage(), "Pan         ");
  EXPECT_EQ(names[1].Slot, 3);  // slots 1 and 2 are skipped
  EXPECT_EQ(names.back().Slot, 100);
  EXPECT_EQ(names.back().Code, 103);
}

}  // namespace
}  // namespace brannoc
