#pragma once
// The LED fixture being edited (1 to 10 channels, each named from a short list)
// and its 512-byte ".tff" file. The editor only writes these files; the reader
// below is for the command-line tools.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/core/file_io.h"
#include "data/core/fixed_text.h"

namespace brannoc {

inline constexpr std::size_t LED_FILE_SIZE = 512;
constexpr int kLedMaxChannels = 10;

// The names an LED channel can take. NameIndex k (1..14) is kLedNames[k - 1];
// NameIndex 0 means no name was chosen.
inline constexpr std::array<std::string_view, 14> kLedNames = {
    "Red",    "Green", "Blue", "Amber",    "CoolW", "WarmW", "Strobe",
    "Dimmer", "FX",    "MACRO", "Duration", "Speed", "Zoom",  "Reset",
};

// The name of NameIndex 1..14; an empty text for 0 and for anything above 14.
std::string_view LedName(int nameIndex);

// The layout of the file.
inline constexpr std::size_t kLedHeaderReservedOffset = 0;
inline constexpr std::size_t kLedFixtureNameOffset = 1;  // 11 bytes
inline constexpr std::size_t kLedChannelCountOffset = 12;
inline constexpr std::size_t kLedFunctionMapOffset = 13;  // 10 bytes
inline constexpr std::size_t kLedFunctionMapSize = 10;
inline constexpr std::size_t kLedChannelRecordsOffset = 23;  // 10 records
inline constexpr std::size_t kLedChannelRecordSize = 17;
inline constexpr std::size_t kLedPaddingOffset = 193;  // zero bytes up to the last one
inline constexpr std::size_t kLedLastByteOffset = 511;
inline constexpr std::uint8_t kLedLastByte = 0x20;
// Inside one channel record.
inline constexpr std::size_t kLedRecNameIndex = 0;
inline constexpr std::size_t kLedRecType = 1;
inline constexpr std::size_t kLedRecReserved = 2;
inline constexpr std::size_t kLedRecPartner = 3;
inline constexpr std::size_t kLedRecFunctionLetter = 4;
inline constexpr std::size_t kLedRecName = 5;  // 12 bytes
// Written in a record beyond the channel count, after its five zero bytes.
inline constexpr std::uint8_t kLedUnusedNameFill = ' ';

struct LedChannelRecord {
  std::uint8_t NameIndex = 0;  // 1..14 into kLedNames, 0 = no name chosen
  std::uint8_t Type = 0;       // a ChannelType 0..6 (between a save's steps: its letter)
  std::uint8_t Reserved = 0;
  std::uint8_t Partner = 0;  // "Ch16bit": 1-based number of the other channel, 0 = none
  std::uint8_t FunctionLetter = 0;  // set from NameIndex by a save, 0 until then
  FixedText<12> Name;               // 12 NUL bytes until a name is chosen

  bool operator==(const LedChannelRecord&) const = default;
};

struct LedFixtureRecord {
  std::uint8_t HeaderReserved = 0;
  FixedText<11> FixtureName;
  std::uint8_t ChannelCount = 0;  // 1..10 once the editor has opened
  // Entry k: the 1-based number of the (last) channel whose NameIndex is k, 0 = none.
  std::array<std::uint8_t, 10> LedFunctionMap{};
  std::array<LedChannelRecord, 10> Channels{};

  bool operator==(const LedFixtureRecord&) const = default;
};

// The letter a type is written as: "L", "H", "I", "S", "O", "s", "O" for 0..6.
// Any other value is written as "L", which is the LTP a save leaves it as.
std::uint8_t LedTypeLetter(int type);

// The letter a save gives a channel of this NameIndex ("R", "G", "B", "A", "C",
// "W", "M", "S", "D" for 0..8); nullopt for 9 and above, whose byte a save keeps.
std::optional<std::uint8_t> LedFunctionLetterFor(int nameIndex);

// All ten entries cleared, then, channel by channel within the count, entry
// NameIndex <- the channel's number. Names 10..14 ("MACRO" .. "Reset") have no
// entry and are left out.
void RebuildLedFunctionMap(LedFixtureRecord& fixture);

// The file form: turns each type within the count into its letter and sets its
// FunctionLetter, clears every record beyond the count (five zeros, 12 spaces),
// and returns the 512 bytes. The record keeps the letters until RederiveLedTypes.
Bytes BuildLedFixtureImage(LedFixtureRecord& fixture);

// Turns the letters within the count back into types, then pairs: a channel of
// type 3 makes the channel its Partner (1..10, never its own number) names type
// 4, one of type 5 makes it type 6, and any value left above 6 (an unpointed "O")
// becomes 0, LTP. Last, a low-byte channel that no high-byte channel still points
// at is LTP (SettleLowByteChannels), so a second save writes what the first did.
void RederiveLedTypes(LedFixtureRecord& fixture);

// Every Partner among the channels in use that names a channel beyond the count
// becomes 0: the file would name a channel it does not have.
void ClearPartnersBeyondCount(LedFixtureRecord& fixture);

// Whether saves of the two fixtures as they stand would write the same 512
// bytes (the records themselves are left as they are).
bool SameLedFile(const LedFixtureRecord& a, const LedFixtureRecord& b);

// Saves the fixture at `path`: BuildLedFixtureImage, then the old file is
// replaced by the complete new one (a failure leaves the old file as it was and
// says what failed), then RederiveLedTypes. Whether or not the file could be
// written, the record ends as a save leaves it. The map is not rebuilt here (the
// caller does that). A channel count outside 1..10 is refused before anything is
// changed, since no such file could be read back.
std::optional<IoError> WriteLedFixtureFile(LedFixtureRecord& fixture,
                                           const std::filesystem::path& path);

// Reading an LED file (for the tools). A record is given only when the whole
// file read cleanly; otherwise `error` says why.
struct LedReadResult {
  std::optional<LedFixtureRecord> record;
  std::string error;
};

// The letters within the count are decoded as a save re-derives them; a letter
// that is none of "L", "H", "I", "S", "s", "O" is kept as its byte. A Partner of
// 0 or above 10 pairs with nothing; a NameIndex above 14 is kept as read. Fewer
// than 512 bytes, or a ChannelCount of 0 or above 10, is refused. Bytes beyond
// the first 512 are not looked at.
LedReadResult ParseLedFixtureImage(std::span<const std::uint8_t> bytes);

// Reads at most the first 512 bytes of the file and parses them.
LedReadResult ReadLedFixtureFile(const std::filesystem::path& path);

}  // namespace brannoc
