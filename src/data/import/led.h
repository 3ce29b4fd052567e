#pragma once
// Importing a mode as the console's LED fixture (the 512-byte file): a mode of
// 1 to 10 channels whose every channel has a name in the LED form's list. The
// import core decides meanings, types, pairs and the fixture name as for a
// moving fixture; this file only says which LED name each channel takes.

#include <memory>
#include <string>
#include <vector>

#include "data/import/core.h"
#include "data/led/model.h"

namespace brannoc {

// Whether `mode` fits the LED form; when it does not, why, in a few words
// ("channel 5, UV, has no LED name").
struct LedFit {
  bool Fits = false;
  std::string Why;
};
LedFit FitsLedFixture(const SourceMode& mode);

struct LedImportResult {
  std::unique_ptr<LedFixtureRecord> Record;  // set only when the mode fits
  std::vector<std::string> Report;            // what had to change, one line each
  std::string Error;                          // why nothing was imported
};

// The mode as a fresh LED record: each channel's LED name, the types and pairs
// and the fixture name the moving-fixture import gives, and the function map
// rebuilt. The record is what the LED writer saves and the reader gives back.
LedImportResult ImportAsLedFixture(const SourceMode& mode);

}  // namespace brannoc
