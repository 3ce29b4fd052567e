#pragma once
// The program's heaviest actions, each beside its floor.

#include <QString>
#include <vector>

#include "measure.h"

namespace brannoc::bench {

struct Options {
  int runs = 41;
  int warmup = 3;
  QString only;  // when set, only the actions whose name holds it
  bool window = true;   // time with Paint::Window
  bool settled = true;  // time with Paint::Settled
};

// Each action timed with each kind of paint.
struct ActionResults {
  std::vector<Result> window;   // Paint::Window
  std::vector<Result> settled;  // Paint::Settled
  std::vector<QString> notes;    // what an action worked on, where its name does not say
};

ActionResults RunActions(const Options& options);

// The fixture library: its index cold and warm, its memory, a keystroke in the
// search box against its floor, and tfftool convert of QLC+'s library; added
// to `results`.
void RunLibrary(const Options& options, ActionResults& results);

// Start-up to the first complete frame, the program against a bare window with
// one table, both started as processes.
Result RunStartup(const Options& options);

}  // namespace brannoc::bench
