#include "data/names/name_set.h"

#include <algorithm>
#include <string>

namespace brannoc {
namespace fs = std::filesystem;
namespace {

bool IsValidSlot(int slot) { return slot >= 0 && slot < static_cast<int>(kNameSlots); }

std::uint8_t CodeForSlot(int slot) { return static_cast<std::uint8_t>(slot + kSlotCodeOffset); }

void WriteRecord(const ChannelNameEntry& entry, std::uint8_t* record) {
  record[kNameRecordSlotOffset] = entry.Slot;
  record[kNameRecordCodeOffset] = entry.Code;
  std::copy_n(entry.Name.Bytes().begin(), kNameWidth, record + kNameRecordNameOffset);
}

ChannelNameEntry BlankEntry() { return ChannelNameEntry{0, 0, FixedText<kNameWidth>::Blank()}; }

}  // namespace

const std::array<BuiltInName, kBuiltInNameCount>& BuiltInNames() {
  static const std::array<BuiltInName, kBuiltInNameCount> kTable{{
      {"Pan", 6},       {"Tilt", 7},      {"Dimmer", 3},    {"Colour", 9},    {"Shutter", 4},
      {"Iris", 5},      {"Colour1", 8},   {"Focus", 10},    {"Zoom", 11},     {"Gobo", 12},
      {"Gobo1", 13},    {"GoboRot", 14},  {"GoboSpin", 15}, {"P/T Speed", 16}, {"Speed", 17},
      {"Effect", 18},   {"Yellow", 19},   {"Magenta", 20},  {"Cyan", 21},     {"Red", 22},
      {"Blue", 23},     {"Rotation", 24}, {"Rot Gobo", 25}, {"Prism", 26},    {"Prsm Rot", 27},
      {"Macros", 28},   {"Special", 29},  {"FanSpd", 30},   {"Function", 31}, {"Head", 32},
      {"HeadFine", 33}, {"HeadSpd", 34},  {"Mirror", 35},   {"Mir.Fin", 36},  {"Mir.Spd", 37},
      {"Movement", 38}, {"Laster", 39},   {"BeamShap", 40}, {"Strobe", 41},   {"ClrRotat", 42},
      {"DimSpeed", 43},
  }};
  return kTable;
}

fs::path ChannelNameSetPath(const fs::path& programFolder) {
  // operator/ adds the separator only when the folder does not end in one.
  return programFolder / kChannelNameSetFileName;
}

Bytes SerializeChannelNameSet(const ChannelNameSet& set) {
  Bytes bytes(kNameSetFileSize, 0);
  for (std::size_t s = 0; s < kNameSlots; ++s) {
    WriteRecord(set.Entries[s], bytes.data() + s * kNameRecordSize);
  }
  return bytes;
}

ChannelNameSet ParseChannelNameSet(std::span<const std::uint8_t> bytes) {
  ChannelNameSet set;
  for (std::size_t s = 0; s < kNameSlots; ++s) {
    const std::size_t at = s * kNameRecordSize;
    ChannelNameEntry& entry = set.Entries[s];
    if (bytes.size() < at + kNameRecordSize) {
      entry = BlankEntry();
      continue;
    }
    entry.Slot = bytes[at + kNameRecordSlotOffset];
    entry.Code = bytes[at + kNameRecordCodeOffset];
    entry.Name.SetBytes(bytes.data() + at + kNameRecordNameOffset);
  }
  return set;
}

std::optional<ChannelNameSet> LoadChannelNameSet(const fs::path& file, std::size_t minimumSize) {
  const ReadResult read = ReadFilePrefix(file, kNameSetFileSize);
  if (read.error) {
    // A missing file is left behind empty; an existing one that cannot be read
    // is left alone. Neither gives a usable set.
    (void)CreateIfMissing(file);
    return std::nullopt;
  }
  if (read.fileSize < minimumSize) return std::nullopt;
  // The file shrank while it was read: take only a read that got all it should.
  const std::size_t expected = static_cast<std::size_t>(
      std::min<std::uintmax_t>(read.fileSize, kNameSetFileSize));
  if (read.bytes.size() < expected) return std::nullopt;
  return ParseChannelNameSet(read.bytes);
}

std::optional<IoError> SaveChannelNameSet(ChannelNameSet& set, const fs::path& file) {
  for (int s = kFirstAddedSlot; s < static_cast<int>(kNameSlots); ++s) {
    ChannelNameEntry& entry = set.Entries[s];
    if (entry.Name.IsBlank()) {
      entry.Code = 0;
      entry.Slot = 0;
    }
  }
  const Bytes bytes = SerializeChannelNameSet(set);
  return ReplaceFile(file, bytes, /*keepTail=*/true);
}

std::optional<IoError> WriteChannelNameEntry(const ChannelNameSet& set, int slot,
                                             const fs::path& file) {
  if (!IsValidSlot(slot)) {
    return IoError{"No channel name slot " + std::to_string(slot) + " in " + file.string()};
  }
  // The file is written whole, with the record in place, so that a failure
  // leaves the old file as it was.
  const std::size_t end = static_cast<std::size_t>(slot + 1) * kNameRecordSize;
  ReadResult read = ReadFilePrefix(file, end);
  if (read.error) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, ec))) return read.error;
    read.bytes.clear();
  }
  return ReplaceFile(file, PatchNameRecords(std::move(read.bytes), set, {slot}), /*keepTail=*/true);
}

Bytes PatchNameRecords(Bytes file, const ChannelNameSet& set, const std::vector<int>& slots) {
  for (int slot : slots) {
    if (!IsValidSlot(slot)) continue;
    const std::size_t end = static_cast<std::size_t>(slot + 1) * kNameRecordSize;
    if (file.size() < end) file.resize(end, 0);
    WriteRecord(set.Entries[static_cast<std::size_t>(slot)], file.data() + end - kNameRecordSize);
  }
  return file;
}

std::optional<int> FindFreeNameSlot(const ChannelNameSet& set) {
  for (int s = kFirstAddedSlot; s < static_cast<int>(kNameSlots); ++s) {
    if (set.Entries[s].Name.IsBlank()) return s;
  }
  return std::nullopt;
}

void RestoreDefaultNames(ChannelNameSet& set) {
  for (ChannelNameEntry& entry : set.Entries) entry = BlankEntry();
  const auto& table = BuiltInNames();
  for (int s = 0; s < kBuiltInNameCount; ++s) {
    ChannelNameEntry& entry = set.Entries[s];
    entry.Slot = static_cast<std::uint8_t>(s);
    entry.Code = table[s].Code;
    entry.Name.Assign(table[s].Name);
  }
}

void RestoreCoreCodes(ChannelNameSet& set) {
  const auto& table = BuiltInNames();
  for (int s = 0; s < kCoreCodeCount; ++s) set.Entries[s].Code = table[s].Code;
}

void SetEntryName(ChannelNameSet& set, int slot, std::string_view utf8Text) {
  if (!IsValidSlot(slot)) return;
  ChannelNameEntry& entry = set.Entries[slot];
  entry.Slot = static_cast<std::uint8_t>(slot);
  entry.Name.Assign(utf8Text);
  if (slot >= kFirstSlotCodedBySlot) entry.Code = CodeForSlot(slot);
}

std::optional<int> AddChannelName(ChannelNameSet& set, std::string_view utf8Name) {
  const std::optional<int> slot = FindFreeNameSlot(set);
  if (!slot) return std::nullopt;
  ChannelNameEntry& entry = set.Entries[*slot];
  entry.Slot = static_cast<std::uint8_t>(*slot);
  entry.Code = CodeForSlot(*slot);
  entry.Name.Assign(utf8Name);
  return slot;
}

std::vector<UsableName> UsableNames(const ChannelNameSet& set) {
  std::vector<UsableName> names;
  for (int s = 0; s < static_cast<int>(kNameSlots); ++s) {
    const ChannelNameEntry& entry = set.Entries[s];
    if (entry.Name.Bytes()[0] == 0 || entry.Name.IsBlank()) continue;
    names.push_back(UsableName{s, entry.Code, entry.Name});
  }
  return names;
}

}  // namespace brannoc
