#pragma once
// The vocabulary of channel names: 253 entries, each with the one-byte code the
// console knows the name by, kept in "ChNameSet.fix" beside the program.
//
// File layout: no header; 253 records of 14 bytes in slot order (3542 bytes).
// The record of slot s starts at s * 14:
//   +0  1 byte    Slot  (the entry's own position; 0 in a cleared entry)
//   +1  1 byte    Code  (0 = no code)
//   +2  12 bytes  Name  (Windows-1252, space-padded, no terminator)
// Bytes beyond the 253 records are never read, and writing never removes them.
//
// Slot regions: 0..3 hold Pan, Tilt, Dimmer, Colour (the name editor does not let
// the user change them); 4..41 keep their code when renamed; 42..252 take the
// code slot + 3 when named; 59..252 are where the fixture editor adds names, and
// blank entries there are cleared on save.
//
// The program holds one set (NameSetOwner); every file operation takes the path
// of the file itself (see ChannelNameSetPath).

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "data/core/file_io.h"
#include "data/core/fixed_text.h"

namespace brannoc {

constexpr std::size_t kNameSlots = 253;
constexpr std::size_t kNameRecordSize = 14;
constexpr std::size_t kNameSetFileSize = kNameSlots * kNameRecordSize;  // 3542
static_assert(kNameSetFileSize == 3542);

// Offsets inside one record.
constexpr std::size_t kNameRecordSlotOffset = 0;
constexpr std::size_t kNameRecordCodeOffset = 1;
constexpr std::size_t kNameRecordNameOffset = 2;
constexpr std::size_t kNameWidth = 12;
static_assert(kNameRecordNameOffset + kNameWidth == kNameRecordSize);

constexpr int kFirstAddedSlot = 59;         // the fixture editor adds names from here on
constexpr int kFirstSlotCodedBySlot = 42;   // naming a slot from here on sets Code = slot + 3
constexpr int kSlotCodeOffset = 3;
constexpr int kBuiltInNameCount = 41;       // slots 0..40
constexpr int kCoreCodeCount = 5;           // slots 0..4: Pan, Tilt, Dimmer, Colour, Shutter

// The smallest file each editor reads; a shorter one counts as no usable file.
constexpr std::size_t kNameEditorMinimum = 580;
constexpr std::size_t kFixtureEditorMinimum = 560;

inline constexpr char kChannelNameSetFileName[] = "ChNameSet.fix";

struct ChannelNameEntry {
  std::uint8_t Slot = 0;
  std::uint8_t Code = 0;
  FixedText<kNameWidth> Name;

  bool operator==(const ChannelNameEntry&) const = default;
};

// A new set is all zero: NUL names, which no chooser offers.
struct ChannelNameSet {
  std::array<ChannelNameEntry, kNameSlots> Entries{};

  bool operator==(const ChannelNameSet&) const = default;
};

// One entry of the built-in table.
struct BuiltInName {
  const char* Name;
  std::uint8_t Code;
};
// The 41 built-in names of slots 0..40, in slot order.
const std::array<BuiltInName, kBuiltInNameCount>& BuiltInNames();

// "ChNameSet.fix" in the program's folder (the separator is added only when the
// folder does not already end in one).
std::filesystem::path ChannelNameSetPath(const std::filesystem::path& programFolder);

// The 3542 bytes of the file.
Bytes SerializeChannelNameSet(const ChannelNameSet& set);

// Reads the records the bytes hold; bytes beyond the 253 records are ignored, and
// a record the bytes do not hold completely reads as blank (Slot 0, Code 0,
// 12 spaces).
ChannelNameSet ParseChannelNameSet(std::span<const std::uint8_t> bytes);

// Reads the set from `file` when the file is at least `minimumSize` bytes long
// (kNameEditorMinimum or kFixtureEditorMinimum); otherwise, or when the file
// cannot be read, there is no usable file (nullopt). The file is only read; when
// none exists an empty one is created. Never reads more than 3542 bytes.
std::optional<ChannelNameSet> LoadChannelNameSet(const std::filesystem::path& file,
                                                 std::size_t minimumSize);

// Clears the blank entries of slots 59..252 in `set` itself (Slot 0, Code 0), then
// replaces `file` by the whole set, keeping whatever the old file held beyond the
// records. On failure the old file is left as it was.
std::optional<IoError> SaveChannelNameSet(ChannelNameSet& set, const std::filesystem::path& file);

// Puts the 14-byte record of `slot` at slot * 14 of the file; the rest of the file
// stays as it was, a shorter file grows and a gap before the record reads as
// zeros. The file is replaced whole, so a failure leaves the old one as it was.
std::optional<IoError> WriteChannelNameEntry(const ChannelNameSet& set, int slot,
                                             const std::filesystem::path& file);

// A name set file's bytes with the 14-byte records of `slots` taken from `set`,
// each at slot * 14; the rest stays as it was, and a shorter file grows to hold
// them (a gap reads as zeros). What tfftool writes when it adds names to a set
// it was given: the records it did not touch keep their bytes.
Bytes PatchNameRecords(Bytes file, const ChannelNameSet& set, const std::vector<int>& slots);

// The lowest slot in 59..252 whose name is blank (12 spaces), or none.
std::optional<int> FindFreeNameSlot(const ChannelNameSet& set);

// Makes the set the built-in one: slots 0..40 from the table, every other entry
// blank with Slot 0 and Code 0.
void RestoreDefaultNames(ChannelNameSet& set);

// Sets the codes of slots 0..4 back to 6, 7, 3, 9, 4, whatever names they hold.
void RestoreCoreCodes(ChannelNameSet& set);

// The name editor's rule for a typed name: Slot = slot, Name = the text fixed to
// 12 characters (blank when empty), and from slot 42 on Code = slot + 3. A slot
// outside 0..252 is ignored. Keeping slots 0..3 unchanged is the window's job.
void SetEntryName(ChannelNameSet& set, int slot, std::string_view utf8Text);

// The fixture editor's addition: the lowest free slot s in 59..252 becomes Slot s,
// Code s + 3, Name the name. Returns s, or none when 59..252 are all named. The
// file is not written here.
std::optional<int> AddChannelName(ChannelNameSet& set, std::string_view utf8Name);

struct UsableName {
  int Slot;
  std::uint8_t Code;
  FixedText<kNameWidth> Name;  // all 12 characters, padding included
};

// What a name chooser offers, in slot order: every entry whose name is neither
// blank nor starts with a NUL character.
std::vector<UsableName> UsableNames(const ChannelNameSet& set);

}  // namespace brannoc
