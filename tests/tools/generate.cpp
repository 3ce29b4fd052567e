#include "generate.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <vector>

namespace brannoc::test {
namespace {

constexpr std::string_view kWords[] = {"Pan",     "Tilt", "Dimmer",     "Colour", "Gobo", "Zoom", "Rot\xC3\xA9",
                                       "\xE2\x82\xAC uro", "Strobe", "A much longer name", ""};

// The names a fixture read gives fixed codes.
constexpr std::pair<std::string_view, std::uint8_t> kFixedCodes[] = {
    {"Pan", 6}, {"Tilt", 7}, {"Dimmer", 3}, {"Colour", 9}};

// Bytes 7 and up that are no type letter of either file.
constexpr std::uint8_t kUnknownLetters[] = {7, 'X', 'q', 'a', 200, 255};

}  // namespace

int RecordGenerator::Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

template <std::size_t N>
FixedText<N> RecordGenerator::Text() {
  FixedText<N> text;  // never assigned: N NUL bytes
  switch (Between(0, 3)) {
    case 0: break;
    case 1: text = FixedText<N>::Blank(); break;
    case 2: text.Assign(kWords[Between(0, std::size(kWords) - 1)]); break;
    default: {
      std::array<std::uint8_t, N> bytes{};
      for (auto& b : bytes) b = Byte();
      text.SetBytes(bytes.data());
    }
  }
  return text;
}

template <class Channel, std::size_t N>
void RecordGenerator::Pair(std::array<Channel, N>& channels, int count, int maxPartner) {
  std::vector<int> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), random_);
  for (int i = 0; i < count; ++i) {
    Channel& channel = channels[static_cast<std::size_t>(i)];
    channel.Type = static_cast<std::uint8_t>(Between(LTP, InstantLTP));
    channel.Partner = static_cast<std::uint8_t>(Between(0, maxPartner));  // ignored on these types
  }
  const int pairs = Between(0, count / 2);
  for (int p = 0; p < pairs; ++p) {
    Channel& high = channels[static_cast<std::size_t>(order[2 * p])];
    Channel& low = channels[static_cast<std::size_t>(order[2 * p + 1])];
    high.Type = Chance(50) ? InstantLTP16H : FadeableLTP16H;
    high.Partner = static_cast<std::uint8_t>(order[2 * p + 1] + 1);
    low.Type = Chance(50) ? InstantLTP16L : FadeableLTP16L;  // the high channel decides the flavour
  }
  // A second high-byte channel pointing at the first pair's low-byte channel.
  if (pairs > 0 && 2 * pairs < count && Chance(30)) {
    Channel& extra = channels[static_cast<std::size_t>(order[2 * pairs])];
    extra.Type = FadeableLTP16H;
    extra.Partner = static_cast<std::uint8_t>(order[1] + 1);
  }
}

std::unique_ptr<FixtureRecord> RecordGenerator::Fixture() {
  auto fixture = std::make_unique<FixtureRecord>();
  FixtureRecord& f = *fixture;
  f.HeaderReserved = Byte();
  f.FixtureName = Text<11>();
  const int count = Between(1, kMaxChannels);
  f.ChannelCount = static_cast<std::uint8_t>(count);
  f.MaxPanDegree = static_cast<std::int16_t>(Between(-99, 720));  // what the three-digit boxes allow
  f.MaxTiltDegree = static_cast<std::int16_t>(Between(-99, 720));
  for (auto& entry : f.FunctionMap) entry = Byte();  // rebuilt by the save

  for (std::size_t c = 0; c < kMaxChannels; ++c) {
    ChannelRecord& channel = f.Channels[c];
    channel.NameCode = Byte();
    channel.Type = Byte();  // kept as it is beyond the count
    channel.Number = Byte();
    channel.Partner = static_cast<std::uint8_t>(Between(0, kMaxChannels));
    channel.Reserved = {Byte(), Byte()};
    channel.Name = Text<12>();
    channel.Value = Byte();
  }
  Pair(f.Channels, count, kMaxChannels);
  for (int c = 0; c < count; ++c) {
    ChannelRecord& channel = f.Channels[static_cast<std::size_t>(c)];
    if (channel.Type <= InstantLTP && Chance(10)) channel.Type = kUnknownLetters[Between(0, 5)];
    for (const auto& [name, code] : kFixedCodes) {
      if (channel.Name == FixedText<12>::FromUtf8(name)) channel.NameCode = code;
    }
  }

  for (std::size_t c = 0; c < kMaxChannels; ++c) {
    // Now and then a long list, so that many files hold more steps than fit.
    f.StepCounts[c] = static_cast<std::uint8_t>(Chance(8) ? Between(60, 255) : Between(0, 5));
    for (auto& step : f.Steps[c]) step = {Byte(), Byte(), Text<8>()};
  }

  PaletteData& palettes = f.Palettes;
  std::size_t room = kPaletteBlockSize - 1;  // so the block never fills
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    palettes.PaletteUsed[p] = Byte();  // recounted by the save
    palettes.PaletteName[p] = Chance(70) ? Text<6>() : PaletteText::Blank();
    std::size_t stored = 0;
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      palettes.PresetName[p][k] = Chance(50) ? Text<6>() : PaletteText::Blank();
      palettes.PresetChannelCount[p][k] = Byte();
      if (!palettes.PresetName[p][k].IsBlank()) ++stored;
      for (std::size_t ch = 0; ch < kPaletteChannels; ++ch) palettes.PresetValue[p][ch][k] = Byte();
    }
    if (palettes.PaletteName[p].IsBlank()) stored = 0;
    const int most = stored == 0 ? count : std::min<int>(count, static_cast<int>(room / (2 * stored)));
    const int members = Between(0, most);
    room -= 2 * stored * static_cast<std::size_t>(members);
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random_);
    palettes.PaletteMember[p].fill(0);
    for (int m = 0; m < members; ++m) palettes.PaletteMember[p][static_cast<std::size_t>(order[m])] = 1;
    for (std::size_t ch = static_cast<std::size_t>(count); ch < kPaletteChannels; ++ch) {
      if (Chance(10)) palettes.PaletteMember[p][ch] = 1;  // past the count: neither counted nor stored
    }
  }
  for (auto& b : palettes.PaletteBlock) b = Byte();  // packed by the save
  return fixture;
}

LedFixtureRecord RecordGenerator::LedFixture() {
  LedFixtureRecord f;
  f.HeaderReserved = Byte();
  f.FixtureName = Text<11>();
  const int count = Between(1, kLedMaxChannels);
  f.ChannelCount = static_cast<std::uint8_t>(count);
  for (auto& entry : f.LedFunctionMap) entry = Byte();
  for (LedChannelRecord& channel : f.Channels) {
    channel.NameIndex = static_cast<std::uint8_t>(Between(0, static_cast<int>(kLedNames.size())));
    channel.Name = Chance(70) && channel.NameIndex > 0 ? FixedText<12>::FromUtf8(LedName(channel.NameIndex))
                                                       : Text<12>();
    channel.Type = Byte();  // beyond the count a save clears the record
    channel.Partner = Byte();
    channel.Reserved = Byte();
    channel.FunctionLetter = Byte();
  }
  Pair(f.Channels, count, kLedMaxChannels);
  return f;
}

ChannelNameSet RecordGenerator::NameSet() {
  ChannelNameSet set;
  if (Chance(30)) RestoreDefaultNames(set);
  for (std::size_t s = 0; s < kNameSlots; ++s) {
    if (Chance(50)) continue;
    ChannelNameEntry& entry = set.Entries[s];
    entry.Slot = Chance(80) ? static_cast<std::uint8_t>(s) : Byte();
    entry.Code = Byte();
    entry.Name = Text<kNameWidth>();
  }
  return set;
}

}  // namespace brannoc::test
