#pragma once
// An import's preview (library/preview.h) as the table the windows show it in:
// the Fixture Library's preview and the box "Import Fixture..." asks with.

#include <QStringList>
#include <vector>

#include "data/library/preview.h"

namespace brannoc {

// "No.", "Definition name", "Console name", "Code", "Type", "Partner", "Steps", "Note".
QStringList PreviewHeaders();
// One row of texts per channel; a code or partner of 0 shows as nothing.
std::vector<QStringList> PreviewCells(const ImportPreview& preview);

}  // namespace brannoc
