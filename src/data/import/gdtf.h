#pragma once
// Reading GDTF fixture descriptions (General Device Type Format, DIN SPEC 15800),
// the format fixture makers publish.
//
// A .gdtf file is a zip archive with "description.xml" at its root (archive.h
// reads it). The description, as far as it is read:
//   <GDTF><FixtureType Name= ShortName=>
//     <AttributeDefinitions><Attributes><Attribute Name= Pretty=/>
//     <Wheels><Wheel Name=><Slot Name=/>...        slots numbered from 1
//     <Geometries>  a tree; <GeometryReference Geometry=> repeats a top-level
//                   geometry, with <Break DMXBreak= DMXOffset=> per break
//     <DMXModes><DMXMode Name= Geometry=><DMXChannels>
//       <DMXChannel DMXBreak= Offset="1,2" Default= Geometry= InitialFunction=>
//         <LogicalChannel Attribute=>
//           <ChannelFunction Name= Attribute= DMXFrom= Default= PhysicalFrom=
//                            PhysicalTo= Wheel=>
//             <ChannelSet Name= DMXFrom= WheelSlotIndex=/>
// DMX values are written "value/bytes" ("32768/2"); a function or set runs from
// its DMXFrom to the next one's.
//
// This reader turns a mode into channels by DMX address (LayOutGdtfMode); the
// import core gives them their meaning, names and types. Every entry point
// takes the file's bytes, an archive or a bare description, and never fails by
// exception.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/names/name_set.h"
#include "data/import/core.h"

namespace brannoc {

struct GdtfMode {
  std::string Name;        // UTF-8, as the file gives it
  int ChannelCount = 0;    // the DMX footprint on break 1: first address used to last
  int StepCount = 0;       // channel functions and sets that become steps
  bool Fits = false;       // importable: 1 to 40 addresses, every reference found
  std::string Why;         // when it does not fit, why, in a few words
};

struct GdtfModeList {
  std::string Model;             // ShortName, else Name
  std::vector<GdtfMode> Modes;   // in file order; the index is what the import takes
  std::string Error;             // set when the bytes are no GDTF description
};

// Reads what the list needs: addresses and counts, no step names.
GdtfModeList ListGdtfModes(std::span<const std::uint8_t> bytes);

// One step of a channel, in its coarse byte.
struct GdtfStep {
  int From = 0;
  int To = 255;
  std::string Name;  // the set's, else the wheel slot's, else the function's (UTF-8)
};

// One DMX address of the mode's footprint.
struct GdtfChannel {
  int Address = 0;          // on break 1, from 1
  bool Used = false;        // a DMX channel of the mode lies here
  std::string Attribute;    // of the first logical channel
  std::string Pretty;       // the attribute's own short form, where the definitions give one
  std::string Geometry;     // the geometry the channel controls
  int Depth = 0;            // of that geometry below its top-level geometry
  int Number = 0;           // the geometry reference's number when the layout repeats; else 0
  int Byte = 0;             // 0 the coarse byte, 1 the fine byte, 2 the third ...
  int Coarse = -1;          // for a byte after the first, the index of its coarse channel
  std::vector<GdtfStep> Steps;  // on the coarse byte only, in DMX order
  std::uint8_t Default = 0;     // the default value's coarse byte (its own byte for the others)
};

struct GdtfModeLayout {
  std::string ModeName;
  std::string FixtureName;   // ShortName, else Name, whitespace collapsed
  int FirstAddress = 0;      // the address of Channels[0]
  int Footprint = 0;         // addresses from the first used on break 1 to the last
  std::vector<GdtfChannel> Channels;
  int PanDegrees = 0;        // |PhysicalTo - PhysicalFrom| of the first Pan function, rounded
  int TiltDegrees = 0;       // the same of the first Tilt function
  int StepCount = 0;
  std::vector<std::string> Report;  // what was left out or set right, a line each
  std::string Error;                // why the mode cannot be laid out
};

// Imports mode `modeIndex` (in file order) through the import core: channels by
// DMX address, their meanings from their attributes, names and codes from
// `names` (nothing is added to it).
ImportResult ImportGdtfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex, const ChannelNameSet& names);

// Mode `modeIndex` in the neutral form the import core takes (as ImportGdtfMode
// gives it to the core); nothing and `error` when it cannot be laid out.
std::optional<SourceMode> ReadGdtfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex, std::string& error);

// What a channel of this attribute (of its first logical channel) means, by the
// standard attribute names ("ColorAdd_R" red, "Gobo2Pos" gobo rotation); Unknown
// for an attribute outside them. "Dimmer" gives Dimmer: which dimmer is the
// master is decided per mode, by where it sits in the geometry tree.
Meaning MeaningOfGdtfAttribute(std::string_view attribute);

// Mode `modeIndex` (in file order) as channels by DMX address. With `stepNames`
// false the steps carry no names (the list's cheaper reading).
GdtfModeLayout LayOutGdtfMode(std::span<const std::uint8_t> bytes, std::size_t modeIndex, bool stepNames = true);

}  // namespace brannoc
