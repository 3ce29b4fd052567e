#pragma once
// What a channel of a QLC+ fixture definition means, and which cell, head or
// part it belongs to: the .qxf reader's own vocabulary (Presets, <Group>s and
// the words of channel names) mapped onto the import core's meanings.

#include <string_view>

#include "data/import/core.h"

namespace brannoc {

// The channel's Preset when it has one the table knows ("PositionPanFine" is a
// fine PositionPan), else its <Group> read together with its name.
Meaning MeaningOfQxfChannel(std::string_view preset, std::string_view group, std::string_view name);

// The number of the cell, head or part a channel's name gives ("Led 1 Red",
// "Ch2 Dimmer", "Blade 3A"); 0 when it gives none. A number that measures
// something ("16-bit", "8-facet", "3200K", "4 ch") is none.
int QxfInstanceOf(std::string_view name);

}  // namespace brannoc
