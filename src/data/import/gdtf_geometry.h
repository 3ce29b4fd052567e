#pragma once
// Geometry references of a GDTF mode. A <GeometryReference Geometry=> in the
// geometry tree repeats the layout of a top-level geometry at other DMX
// addresses (a <Break DMXBreak= DMXOffset=> for each DMX break it moves); the
// cells of an LED bar are one geometry referenced once per cell. This unit
// follows the references below the mode's geometry, nested ones too (their
// offsets adding up), and places each DMX channel of the mode: once where its
// geometry is not repeated, else once per reference to it, numbered from 1 when
// there are several. Channels without an address ("None") are only listed.
//
// Bounds: a reference to a geometry that does not exist, a loop of references,
// an offset or break that is no number from 1 (or past kMaxAddress), and more
// than kMaxGeometryInstances references in all make the mode one that cannot
// be placed, with a message saying where. Within a geometry the tree is walked
// with a stack of its own; only a nested reference goes one call deeper, so the
// calls nest no deeper than the number of references allowed.
//
// Cost: each reference walks the tree of the geometry it names once, so at
// most kMaxGeometryInstances + 1 walks of a tree; placing costs the mode's
// channels times the references of their geometry.

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <vector>

#include "data/import/gdtf_description.h"

namespace brannoc::gdtf {

// Geometry references may nest; a tree that expands past this is refused
// rather than followed.
inline constexpr std::size_t kMaxGeometryInstances = 4096;

// A DMX channel of the mode placed once.
struct Placed {
  pugi::xml_node node;
  int number = 0;               // the reference's number, from 1, where the geometry repeats; else 0
  long dmxBreak = 1;
  std::vector<long> addresses;  // coarse first; each from 1 to twice kMaxAddress
};

struct PlacedChannels {
  std::vector<Placed> placed;         // in file order; a repeated channel in the order of its references
  std::vector<std::string> virtuals;  // the attributes of the channels without a DMX address
  std::string error;                  // why the mode cannot be placed
};

PlacedChannels PlaceChannels(const Description& d, pugi::xml_node mode);

}  // namespace brannoc::gdtf
