#include "data/led/model.h"

#include <algorithm>

#include "data/fixture/model.h"

namespace brannoc {
namespace {

// Both low-byte types are written as "O" here.
constexpr std::uint8_t kLowByteLetter = 'O';

// Indexed by NameIndex 0..8.
constexpr std::array<std::uint8_t, 9> kFunctionLetters = {
    'R', 'G', 'B', 'A', 'C', 'W', 'M', 'S', 'D',
};

// The channels in use, never more than the record holds.
std::size_t UsedChannels(const LedFixtureRecord& fixture) {
  return std::min<std::size_t>(fixture.ChannelCount, kLedMaxChannels);
}

// The channel the Partner byte of channel `number` names, if it names another.
LedChannelRecord* PartnerOf(LedFixtureRecord& fixture, std::size_t number, std::uint8_t partner) {
  if (!PairsWith(static_cast<int>(number), partner, kLedMaxChannels)) return nullptr;
  return &fixture.Channels[partner - 1u];
}

enum class LeftOver { BecomesLtp, KeptAsRead };

// Letters back into types, then the pairing, channel by channel in order. What
// happens to a value that is still above 6 afterwards: a save makes it LTP; the
// reader keeps an unknown letter as it was read (an unpointed "O" is LTP in both).
void DecodeTypes(LedFixtureRecord& fixture, LeftOver leftOver) {
  const std::size_t used = UsedChannels(fixture);
  for (std::size_t i = 0; i < used; ++i) {
    LedChannelRecord& channel = fixture.Channels[i];
    if (auto type = ChannelTypeOfLetter(channel.Type)) channel.Type = *type;
  }
  for (std::size_t i = 0; i < used; ++i) {
    LedChannelRecord& channel = fixture.Channels[i];
    if (channel.Type == InstantLTP16H) {
      if (auto* low = PartnerOf(fixture, i + 1, channel.Partner)) low->Type = InstantLTP16L;
    } else if (channel.Type == FadeableLTP16H) {
      if (auto* low = PartnerOf(fixture, i + 1, channel.Partner)) low->Type = FadeableLTP16L;
    } else if (channel.Type >= kChannelTypeCount) {
      if (leftOver == LeftOver::BecomesLtp || channel.Type == kLowByteLetter) channel.Type = LTP;
    }
  }
  SettleLowByteChannels(fixture.Channels, used);
}

}  // namespace

std::string_view LedName(int nameIndex) {
  if (nameIndex < 1 || nameIndex > static_cast<int>(kLedNames.size())) return {};
  return kLedNames[static_cast<std::size_t>(nameIndex - 1)];
}

std::uint8_t LedTypeLetter(int type) {
  // A value that is no type is written as LTP, which the save then makes it.
  return ChannelTypeLetter(type, kLowByteLetter).value_or('L');
}

std::optional<std::uint8_t> LedFunctionLetterFor(int nameIndex) {
  if (nameIndex < 0 || nameIndex >= static_cast<int>(kFunctionLetters.size())) return std::nullopt;
  return kFunctionLetters[static_cast<std::size_t>(nameIndex)];
}

void RebuildLedFunctionMap(LedFixtureRecord& fixture) {
  fixture.LedFunctionMap.fill(0);
  const std::size_t used = UsedChannels(fixture);
  for (std::size_t i = 0; i < used; ++i) {
    const std::uint8_t nameIndex = fixture.Channels[i].NameIndex;
    if (nameIndex < fixture.LedFunctionMap.size()) {
      fixture.LedFunctionMap[nameIndex] = static_cast<std::uint8_t>(i + 1);
    }
  }
}

Bytes BuildLedFixtureImage(LedFixtureRecord& fixture) {
  const std::size_t used = UsedChannels(fixture);
  for (std::size_t i = 0; i < fixture.Channels.size(); ++i) {
    LedChannelRecord& channel = fixture.Channels[i];
    if (i < used) {
      channel.Type = LedTypeLetter(channel.Type);
      if (auto letter = LedFunctionLetterFor(channel.NameIndex)) channel.FunctionLetter = *letter;
    } else {
      channel = LedChannelRecord{};
      channel.Name = FixedText<12>::Blank();
    }
  }

  Bytes image(LED_FILE_SIZE, 0);
  image[kLedHeaderReservedOffset] = fixture.HeaderReserved;
  std::copy(fixture.FixtureName.Bytes().begin(), fixture.FixtureName.Bytes().end(),
            image.begin() + kLedFixtureNameOffset);
  image[kLedChannelCountOffset] = fixture.ChannelCount;
  std::copy(fixture.LedFunctionMap.begin(), fixture.LedFunctionMap.end(),
            image.begin() + kLedFunctionMapOffset);
  for (std::size_t i = 0; i < fixture.Channels.size(); ++i) {
    const LedChannelRecord& channel = fixture.Channels[i];
    std::uint8_t* record = image.data() + kLedChannelRecordsOffset + i * kLedChannelRecordSize;
    record[kLedRecNameIndex] = channel.NameIndex;
    record[kLedRecType] = channel.Type;
    record[kLedRecReserved] = channel.Reserved;
    record[kLedRecPartner] = channel.Partner;
    record[kLedRecFunctionLetter] = channel.FunctionLetter;
    std::copy(channel.Name.Bytes().begin(), channel.Name.Bytes().end(), record + kLedRecName);
  }
  image[kLedLastByteOffset] = kLedLastByte;
  return image;
}

void ClearPartnersBeyondCount(LedFixtureRecord& fixture) {
  for (std::size_t i = 0; i < UsedChannels(fixture); ++i) {
    if (fixture.Channels[i].Partner > fixture.ChannelCount) fixture.Channels[i].Partner = 0;
  }
}

bool SameLedFile(const LedFixtureRecord& a, const LedFixtureRecord& b) {
  LedFixtureRecord first = a;
  LedFixtureRecord second = b;
  RebuildLedFunctionMap(first);
  RebuildLedFunctionMap(second);
  return BuildLedFixtureImage(first) == BuildLedFixtureImage(second);
}

void RederiveLedTypes(LedFixtureRecord& fixture) { DecodeTypes(fixture, LeftOver::BecomesLtp); }

std::optional<IoError> WriteLedFixtureFile(LedFixtureRecord& fixture,
                                           const std::filesystem::path& path) {
  if (fixture.ChannelCount < 1 || fixture.ChannelCount > kLedMaxChannels) {
    return IoError{"Cannot save " + path.string() + ": an LED fixture has 1 to 10 channels, not " +
                   std::to_string(fixture.ChannelCount)};
  }
  const Bytes image = BuildLedFixtureImage(fixture);
  std::optional<IoError> error = ReplaceFile(path, image);
  // The record leaves the save in the same state whether or not the file was written.
  RederiveLedTypes(fixture);
  return error;
}

LedReadResult ParseLedFixtureImage(std::span<const std::uint8_t> bytes) {
  LedReadResult result;
  if (bytes.size() < LED_FILE_SIZE) {
    result.error = "An LED fixture file holds " + std::to_string(LED_FILE_SIZE) +
                   " bytes; this one holds " + std::to_string(bytes.size());
    return result;
  }
  const std::uint8_t count = bytes[kLedChannelCountOffset];
  if (count < 1 || count > kLedMaxChannels) {
    result.error = "An LED fixture has 1 to 10 channels; this file gives " + std::to_string(count);
    return result;
  }

  LedFixtureRecord fixture;
  fixture.HeaderReserved = bytes[kLedHeaderReservedOffset];
  fixture.FixtureName.SetBytes(bytes.data() + kLedFixtureNameOffset);
  fixture.ChannelCount = count;
  std::copy_n(bytes.begin() + kLedFunctionMapOffset, kLedFunctionMapSize,
              fixture.LedFunctionMap.begin());
  for (std::size_t i = 0; i < fixture.Channels.size(); ++i) {
    const std::uint8_t* record = bytes.data() + kLedChannelRecordsOffset + i * kLedChannelRecordSize;
    LedChannelRecord& channel = fixture.Channels[i];
    channel.NameIndex = record[kLedRecNameIndex];
    channel.Type = record[kLedRecType];
    channel.Reserved = record[kLedRecReserved];
    channel.Partner = record[kLedRecPartner];
    channel.FunctionLetter = record[kLedRecFunctionLetter];
    channel.Name.SetBytes(record + kLedRecName);
  }
  DecodeTypes(fixture, LeftOver::KeptAsRead);
  result.record = fixture;
  return result;
}

LedReadResult ReadLedFixtureFile(const std::filesystem::path& path) {
  ReadResult read = ReadFilePrefix(path, LED_FILE_SIZE);
  if (read.error) return {std::nullopt, read.error->message};
  LedReadResult result = ParseLedFixtureImage(read.bytes);
  if (!result.record) result.error = path.string() + ": " + result.error;
  return result;
}

}  // namespace brannoc
