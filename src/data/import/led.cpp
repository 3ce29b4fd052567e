#include "data/import/led.h"

#include <array>

#include "data/import/text.h"

namespace brannoc {
namespace {

// The LED name a channel takes; the master dimmer is the mode's only dimmer.
int LedNameOfChannel(const SourceChannel& channel, bool onlyDimmer) {
  if ((channel.Meaning == Meaning::Dimmer || channel.Meaning == Meaning::MasterDimmer) && onlyDimmer) {
    return LedNameOf(Meaning::MasterDimmer);
  }
  return LedNameOf(channel.Meaning);
}

// LED names 1..9 have an entry in the function map, which the console reads to
// find the colour and dimmer channels; 10..14 ("MACRO" .. "Reset") have none.
constexpr int kFirstUnmappedLedName = 10;

}  // namespace

LedFit FitsLedFixture(const SourceMode& mode) {
  const std::size_t count = mode.Channels.size();
  if (count == 0) return {false, "no channels"};
  if (count > static_cast<std::size_t>(kLedMaxChannels)) {
    return {false, std::to_string(count) + " channels; an LED fixture holds 10 at most"};
  }
  int dimmers = 0;
  for (const SourceChannel& channel : mode.Channels) {
    if (!channel.Fine && (channel.Meaning == Meaning::Dimmer || channel.Meaning == Meaning::MasterDimmer)) ++dimmers;
  }
  std::array<int, 15> used{};
  for (std::size_t i = 0; i < count; ++i) {
    const SourceChannel& channel = mode.Channels[i];
    const std::string label = "channel " + std::to_string(i + 1) + ", " + import_text::Quoted(channel.Name);
    const int led = LedNameOfChannel(channel, dimmers == 1);
    if (led == 0) return {false, label + ", has no LED name"};
    if (led < kFirstUnmappedLedName && (channel.Fine || channel.ExtraByte)) {
      // The map would name the fine byte as the colour or dimmer channel.
      return {false, label + ", is a fine byte of " + std::string(LedName(led)) + ", which the LED form cannot hold"};
    }
    if (led < kFirstUnmappedLedName && used[static_cast<std::size_t>(led)]++ > 0) {
      return {false, label + ", is a second " + std::string(LedName(led)) + " channel"};
    }
  }
  return {true, {}};
}

LedImportResult ImportAsLedFixture(const SourceMode& mode) {
  LedImportResult result;
  const LedFit fit = FitsLedFixture(mode);
  if (!fit.Fits) {
    result.Error = "mode " + import_text::Quoted(mode.ModeName) + " does not fit an LED fixture: " + fit.Why;
    return result;
  }
  // Types, pairs and the fixture name as the moving-fixture import makes them;
  // the names it would add do not matter here.
  const ImportResult fixture = ImportSourceMode(mode, ChannelNameSet{});
  if (!fixture.Record) {
    result.Error = fixture.Error;
    return result;
  }
  int dimmers = 0;
  for (const SourceChannel& channel : mode.Channels) {
    if (!channel.Fine && (channel.Meaning == Meaning::Dimmer || channel.Meaning == Meaning::MasterDimmer)) ++dimmers;
  }
  auto led = std::make_unique<LedFixtureRecord>();
  led->FixtureName = fixture.Record->FixtureName;
  led->ChannelCount = static_cast<std::uint8_t>(mode.Channels.size());
  for (std::size_t i = 0; i < mode.Channels.size(); ++i) {
    LedChannelRecord& out = led->Channels[i];
    const ChannelRecord& from = fixture.Record->Channels[i];
    const int name = LedNameOfChannel(mode.Channels[i], dimmers == 1);
    out.NameIndex = static_cast<std::uint8_t>(name);
    out.Name.Assign(LedName(name));
    out.Type = from.Type;
    out.Partner = from.Partner;
    out.FunctionLetter = LedFunctionLetterFor(name).value_or(0);
  }
  RebuildLedFunctionMap(*led);
  // The lines about the fixture's name and its channels; the LED form has no
  // steps, so those lines are replaced by a count.
  int steps = 0;
  for (const SourceChannel& channel : mode.Channels) steps += static_cast<int>(channel.Steps.size());
  for (const std::string& line : fixture.Report) {
    if (line.starts_with("The fixture name") || line.starts_with("Channel ")) result.Report.push_back(line);
  }
  if (steps > 0) {
    result.Report.push_back("An LED fixture keeps no steps: " + std::to_string(steps) +
                            (steps == 1 ? " step is" : " steps are") + " left out");
  }
  result.Record = std::move(led);
  return result;
}

}  // namespace brannoc
