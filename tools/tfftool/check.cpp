#include "tfftool/check.h"

#include <algorithm>
#include <string_view>

#include "fixture/file.h"

namespace brannoc::tfftool {
namespace {
namespace L = fixture_layout;

constexpr int kMaxDegree = 720;

// The type letters of a file; both files write the high-byte types as "S" and "s".
struct TypeLetters {
  std::string_view known;
  std::uint8_t low;
};
constexpr TypeLetters kFixtureLetters{"LHISAs", 'A'};
constexpr TypeLetters kLedLetters{"LHISOs", 'O'};

struct ChannelCode {
  std::uint8_t letter;  // as the file holds it
  std::uint8_t partner;
};

bool IsHigh(std::uint8_t letter) { return letter == 'S' || letter == 's'; }

std::string Channel(std::size_t index) { return "channel " + std::to_string(index + 1); }

std::string Letter(std::uint8_t byte) {
  const std::string code = "(byte " + std::to_string(byte) + ")";
  if (!(byte > ' ' && byte < 0x7F)) return code;
  // Appended rather than "'" + text: g++ 12 warns (-Wrestrict) about the latter.
  std::string shown = "'";
  shown += static_cast<char>(byte);
  shown += "' ";
  return shown + code;
}

std::uint8_t ByteAt(std::span<const std::uint8_t> image, std::size_t offset) {
  return offset < image.size() ? image[offset] : 0;
}

// Letters and 16-bit pairs of the channels in use, as the decoding after a read
// will treat them.
void CheckTypes(const std::vector<ChannelCode>& channels, const TypeLetters& letters,
                std::vector<std::string>& findings) {
  const std::size_t count = channels.size();
  for (std::size_t i = 0; i < count; ++i) {
    const ChannelCode& channel = channels[i];
    if (letters.known.find(static_cast<char>(channel.letter)) == std::string_view::npos) {
      findings.push_back(Channel(i) + ": unknown type letter " + Letter(channel.letter));
    } else if (IsHigh(channel.letter)) {
      const std::size_t partner = channel.partner;
      if (partner == 0) {
        findings.push_back(Channel(i) + ": a 16-bit high-byte channel without a partner (Ch16bit 0)");
      } else if (partner > count) {
        findings.push_back(Channel(i) + ": its 16-bit partner " + std::to_string(partner) + " is beyond the " +
                           std::to_string(count) + " channels");
      } else if (channels[partner - 1].letter != letters.low) {
        findings.push_back(Channel(i) + ": its 16-bit partner, " + Channel(partner - 1) +
                           ", is not a low-byte channel");
      }
    } else if (channel.letter == letters.low) {
      const bool pointed = std::any_of(channels.begin(), channels.end(), [&](const ChannelCode& other) {
        return IsHigh(other.letter) && other.partner == i + 1;
      });
      if (!pointed) {
        findings.push_back(Channel(i) +
                           ": a 16-bit low-byte channel that no high-byte channel points at (it loads as LTP)");
      }
    }
  }
}

void CheckDegrees(const FixtureRecord& fixture, std::vector<std::string>& findings) {
  const std::pair<const char*, std::size_t> degrees[] = {{"max pan degree", 256}, {"max tilt degree", 258}};
  for (const auto& [label, high] : degrees) {
    const int stored = fixture.FunctionMap[high] * 256 + fixture.FunctionMap[high + 1];
    if (stored > kMaxDegree) {
      findings.push_back(std::string(label) + " " + std::to_string(stored) + " is above " +
                         std::to_string(kMaxDegree));
    }
  }
}

void CheckNameCodes(std::span<const std::uint8_t> image, const FixtureRecord& fixture,
                    const ChannelNameSet& names, std::vector<std::string>& findings) {
  const std::vector<UsableName> usable = UsableNames(names);
  for (std::size_t c = 0; c < fixture.ChannelCount && c < kMaxChannels; ++c) {
    const std::uint8_t code = ByteAt(image, L::kChannelRecords + c * L::kChannelRecordSize + L::kRecordNameCode);
    if (code == 0) continue;  // no name code
    const bool carried =
        std::any_of(usable.begin(), usable.end(), [&](const UsableName& name) { return name.Code == code; });
    if (!carried) {
      findings.push_back(Channel(c) + " (\"" + fixture.Channels[c].Name.TrimmedUtf8() + "\"): name code " +
                         std::to_string(code) + " is carried by no entry of the channel name set");
    }
  }
}

// The step area holds the steps of channel 1, then channel 2, ... up to 204 in all.
void CheckSteps(const FixtureRecord& fixture, std::vector<std::string>& findings) {
  std::size_t before = 0;
  for (std::size_t c = 0; c < kMaxChannels; ++c) {
    const std::size_t count = fixture.StepCounts[c];
    const std::size_t room = before < MAX_FILE_STEPS ? MAX_FILE_STEPS - before : 0;
    const std::size_t held = std::min(count, room);
    before += count;
    if (held < count) {
      findings.push_back(Channel(c) + ": " + std::to_string(count - held) + " of its " + std::to_string(count) +
                         " steps do not fit in the file (it holds " + std::to_string(MAX_FILE_STEPS) +
                         " steps in all)");
    }
  }
}

// Walks the palette block as the reader will: each stored preset takes its
// channel numbers and then its values, and a pair counts only when its value
// falls inside the block.
void CheckPaletteBlock(const PaletteData& palettes, std::vector<std::string>& findings) {
  std::size_t at = 0;
  bool full = false;
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    if (palettes.PaletteUsed[p] == 0) continue;
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      const std::size_t width = palettes.PresetChannelCount[p][k];
      if (width == 0) continue;
      const std::string who = "palette " + std::to_string(p + 1) + ", preset " + std::to_string(k + 1);
      const std::size_t kept =
          full || at + width >= kPaletteBlockSize ? 0 : std::min(width, kPaletteBlockSize - at - width);
      if (kept == 0) {
        findings.push_back(who + ": left out, the palette block is full");
      } else if (kept < width) {
        findings.push_back(who + ": only " + std::to_string(kept) + " of its " + std::to_string(width) +
                           " channel values fit in the palette block");
      }
      if (full) continue;
      at += kept + width;
      full = at > kPaletteBlockSize - 1;
    }
  }
}

}  // namespace

std::vector<std::string> CheckFixture(std::span<const std::uint8_t> image, const FixtureRecord& fixture,
                                      const ChannelNameSet* names) {
  std::vector<std::string> findings;
  CheckDegrees(fixture, findings);
  std::vector<ChannelCode> channels;
  for (std::size_t c = 0; c < fixture.ChannelCount && c < kMaxChannels; ++c) {
    channels.push_back({ByteAt(image, L::kChannelRecords + c * L::kChannelRecordSize + L::kRecordType),
                        fixture.Channels[c].Partner});
  }
  CheckTypes(channels, kFixtureLetters, findings);
  if (names) CheckNameCodes(image, fixture, *names, findings);
  CheckSteps(fixture, findings);
  CheckPaletteBlock(fixture.Palettes, findings);
  return findings;
}

std::vector<std::string> CheckLedFixture(std::span<const std::uint8_t> image, const LedFixtureRecord& fixture) {
  std::vector<std::string> findings;
  std::vector<ChannelCode> channels;
  for (std::size_t c = 0; c < fixture.ChannelCount && c < kLedMaxChannels; ++c) {
    channels.push_back({ByteAt(image, kLedChannelRecordsOffset + c * kLedChannelRecordSize + kLedRecType),
                        fixture.Channels[c].Partner});
  }
  CheckTypes(channels, kLedLetters, findings);
  return findings;
}

}  // namespace brannoc::tfftool
