#pragma once
// The import core: one mode of another program's fixture definition, described
// in a neutral form (SourceMode) by a format reader (.qxf in import/qxf.*, GDTF),
// becomes a fresh FixtureRecord with report lines. The core decides everything
// that is about meaning rather than format: the shared channel names, which
// channel is the master dimmer, the 16-bit pairs, the channel types, step names
// that tell settings apart, the fixture name, and the report.
//
// A reader fills a SourceMode and calls ImportSourceMode; it never writes a
// FixtureRecord itself. The tables (meaning -> shared name, meaning -> type
// class) live in shared_names.cpp, written once; MeaningOfSharedName reads them
// back for whoever needs the meaning of an existing channel (palettes, LED
// mapping).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/names/name_set.h"
#include "data/fixture/model.h"

namespace brannoc {

// What a channel does, as far as the console's shared names tell it. A reader
// maps its own vocabulary (QLC+ presets and groups, GDTF attributes) onto this.
enum class Meaning : std::uint8_t {
  Unknown,        // no known meaning: the channel keeps (a shortened form of) its own name
  Nothing,        // a channel the definition says does nothing (reserved, no function)
  // Position
  Pan,
  Tilt,
  PanTiltSpeed,   // the speed of pan and tilt movement
  PanRotation,    // endless pan rotation (not the position)
  TiltRotation,   // endless tilt rotation
  // Intensity
  MasterDimmer,   // dims the whole fixture; at most one per mode is taken as such
  Dimmer,         // dims a part (a cell, a head, one of a dimmer pack's channels)
  DimmerCurve,    // dimmer mode or curve
  DimmerSpeed,    // how fast the dimmer follows
  // Colour mixing, additive
  Red,
  Green,
  Blue,
  White,
  WarmWhite,
  ColdWhite,
  Amber,
  UV,
  Lime,
  Indigo,
  // Colour mixing, subtractive and tints
  Cyan,
  Magenta,
  Yellow,
  CTO,            // colour temperature towards warm
  CTC,            // colour temperature correction either way (CTB, "colour temperature")
  Hue,
  Saturation,
  // Selection
  ColourWheel,
  ColourWheelRotation,  // a colour wheel that scrolls or spins endlessly
  ColourMacro,          // preset colours of an LED fixture
  GoboWheel,
  GoboRotation,   // rotation or index of the gobo in its slot
  GoboWheelRotation,  // the whole gobo wheel spinning
  AnimationWheel,
  Prism,
  PrismRotation,
  // Beam
  Shutter,        // open/close and shutter effects
  Strobe,
  Focus,
  Zoom,
  Iris,
  Frost,
  BladeA,         // framing blade A insertion; Instance is the blade's number 1..4
  BladeB,         // framing blade B insertion; Instance is the blade's number 1..4
  BladeRotation,  // one blade's angle; Instance is the blade's number
  ShaperRotation, // the whole framing system turned
  BeamShaper,     // a beam shaper or other beam effect
  // Time and programmes
  Speed,          // a speed that is none of the above (effect speed, general speed)
  Effect,
  EffectSpeed,
  Macro,          // built-in programmes, auto and sound modes
  // The fixture itself
  Control,        // settings, modes, reset, lamp control
  Fan,
};

// ---------------------------------------------------------------------------
// The neutral source model a reader fills.

// One named DMX range of a channel, in the order the definition gives them.
struct SourceStep {
  std::uint8_t From = 0;  // in the channel's coarse byte; From > To is swapped by the core, and reported
  std::uint8_t To = 0;
  std::string Text;       // UTF-8, as the definition writes it; the core shortens it to a step name
};

struct SourceChannel {
  // The channel's own name as the file gives it, UTF-8, whitespace as it comes.
  // Used for a channel of unknown meaning, in report lines, and to pair a fine
  // channel of unknown meaning.
  std::string Name;
  brannoc::Meaning Meaning = brannoc::Meaning::Unknown;
  // The number of the cell, head or part this channel belongs to when the
  // definition gives one ("Led 1 Red" -> 1, "Ch2 Dimmer" -> 2, the GDTF geometry
  // reference's number); 0 when it gives none. For BladeA/BladeB/BladeRotation,
  // the blade's number. The core numbers repeated meanings itself where this is 0.
  int Instance = 0;
  // The low byte of a 16-bit value.
  bool Fine = false;
  // For a fine channel, the index (in Channels) of its coarse channel when the
  // reader knows it (GDTF does); -1 lets the core find it.
  int Coarse = -1;
  // A byte past the fine one (the third byte of a 24-bit value): never paired,
  // it stays a plain LTP channel with its own name.
  bool ExtraByte = false;
  // The index (in Channels) of the channel this one acts on, when the definition
  // says (QLC+'s ActsOn); -1 when it does not. A fine channel pairs with it first.
  int ActsOn = -1;
  std::uint8_t Default = 0;  // the channel's value, 0..255
  std::vector<SourceStep> Steps;  // every step, in order; the core keeps what fits
};

struct SourceMode {
  std::string Model;      // the fixture's model name, UTF-8 (the core makes the 11-character name)
  std::string ModeName;   // UTF-8, for messages
  int PanDegrees = 0;     // the full pan range; outside 0..720 the core makes it 0 and reports
  int TiltDegrees = 0;
  std::vector<SourceChannel> Channels;  // in DMX order, 1 to 40 of them
  // Lines about what the reader itself had to change (an unreadable default, a
  // step without a usable range), in the report's words; the core puts them
  // after its own lines about channels. Counted in ReaderChanges.
  std::vector<std::string> ReaderReport;
};

// What the import had to change to make the mode fit, counted.
struct ImportChanges {
  bool FixtureNameCut = false;
  int ChannelNamesCut = 0;       // own names (unknown meaning) shortened to 12 characters
  int StepNamesShortened = 0;    // step texts longer than 8 characters
  int StepNamesCollided = 0;     // steps whose short name would have equalled another step's of a different text
  int CapabilitiesDropped = 0;   // past 255 on a channel, or without a usable range
  int StepRangesSwapped = 0;     // steps given with From above To
  int StepsPastFile = 0;         // steps the file's 204 records cannot hold, left out
  int FinesUnpaired = 0;         // fine channels left without a coarse channel
  int FinesPlain = 0;            // fine channels of intensity, kept as plain LTP channels
  int ValuesReset = 0;           // defaults and degrees that became 0
};

struct ImportResult {
  std::unique_ptr<FixtureRecord> Record;  // set only when the mode imported
  // What had to change to fit, one line each (empty: nothing changed).
  std::vector<std::string> Report;
  // The channel names the name set lacks, as they would be added (at most 12
  // characters, each once, in channel order); their channels carry NameCode 0.
  std::vector<std::string> MissingNames;
  ImportChanges Changes;
  std::string Error;  // why nothing was imported
};

// Counts a reader adds to before the core runs (e.g. capabilities it dropped).
// Passed in through ImportSourceMode and added to the result's.
using ReaderChanges = ImportChanges;

// Imports `mode` into a fresh record. Channel names and their codes come from
// `names`, matched as a typed name is (letter case ignored); nothing is added to
// it. The record is what saving and reopening it gives: steps past the file's
// 204 are left out, counts included.
ImportResult ImportSourceMode(const SourceMode& mode, const ChannelNameSet& names,
                              const ReaderChanges& readerChanges = {});

// ---------------------------------------------------------------------------
// The tables

// How a meaning's channel is typed.
enum class TypeClass : std::uint8_t {
  Intensity,   // HTP; a fine channel stays a plain LTP channel
  ColourMix,   // HTP in a mode without a master dimmer, LTP beside one; fine: plain (HTP) or Fadeable pair (LTP)
  Fadeable,    // LTP; fine: Fadeable LTP 16bit pair
  Instant,     // instant LTP; fine: instant LTP 16bit pair
};

struct MeaningRow {
  brannoc::Meaning Meaning;
  const char* Name;      // the shared name of the first or only channel ("Red"); nullptr for Unknown
  const char* FineName;  // the shared name of its fine channel ("Red Fine")
  TypeClass Type;
};

// The row of a meaning.
const MeaningRow& RowOf(Meaning meaning);

// The type of a coarse (or single) channel of `meaning`, in a mode with or
// without a master dimmer.
ChannelType TypeOf(Meaning meaning, bool modeHasMasterDimmer);

// The shared name of a channel: "Red", "Red 3" (instance 3), "Red Fine 3"; empty
// for Meaning::Unknown. Instance 0 gives the bare name.
std::string SharedName(Meaning meaning, int instance, bool fine);

// What a shared name means, read back through the same table: "red 3" ->
// {Red, 3, false}, "Dim Fine" -> {MasterDimmer, 0, true}. Letter case and
// trailing blanks are ignored. Built-in names that are not in the table
// ("GoboSpin", "Macros", "Colour1", ...) are understood too. Nothing for a name
// of no known meaning.
struct NameMeaning {
  brannoc::Meaning Meaning = brannoc::Meaning::Unknown;
  int Instance = 0;
  bool Fine = false;
};
std::optional<NameMeaning> MeaningOfSharedName(std::string_view name);

// The LED fixture name (1..14, an index into kLedNames, led_fixture/model.h) a
// channel of `meaning` takes in the 512-byte LED form; 0 when the form has none
// for it. Written beside the shared name table, in shared_names.cpp.
int LedNameOf(Meaning meaning);

// ---------------------------------------------------------------------------
// Shortening, shared by the readers

// A capability's text made to fit the 8 characters of a step name (UTF-8 in,
// UTF-8 out). Whitespace is collapsed; a longer text loses bracketed remarks,
// then takes the usual abbreviations ("Strobe slow to fast" -> "Strb s-f"),
// then drops spaces (joining words in CamelCase) and finally vowels and end
// letters of its longest words; digits stay to the last.
std::string ShortStepName(std::string_view text);

// A model name made to fit the 11 characters of a fixture name (UTF-8 in, UTF-8
// out), keeping its numbers and the words that tell it from its siblings
// ("Intimidator Spot 355 IRC" keeps "355"; it does not become "Intimidator").
std::string ShortFixtureName(std::string_view model);

}  // namespace brannoc
