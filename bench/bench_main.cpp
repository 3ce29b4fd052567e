// The benchmark of the editor's heaviest actions against the bare-Qt floor.
// Each action runs in the real windows of the program (scripted dialogs), is
// followed by a synchronous paint of the editor's window, and alternates with
// its floor: the same rows and cells in plain tables, painted the same way.
//
//   brannoc_bench [--runs N] [--only TEXT] [--paint window|settled] [--no-startup]
//
// Meant to run on a real display server (scripts/bench.sh starts Xvfb).

#include <QApplication>
#include <QDateTime>
#include <QStyle>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "scenarios.h"
#include "windows/shell/program.h"

namespace {
using brannoc::bench::kFloorRatio;
using brannoc::bench::kFrameMs;
using brannoc::bench::Result;

// Returns how many actions miss a target. With `whole`, each run repainted the
// whole window: the "still" column is a second repaint of it with nothing
// changed, and the ratio to the floor, whose window holds nothing but tables,
// is shown and not judged (it mostly weighs the window's other controls).
int PrintTable(const char* title, const std::vector<Result>& results, bool whole) {
  std::printf("%s\n", title);
  std::printf("%-36s %7s %7s %7s %7s %7s %7s %6s %6s %5s  %s\n", "action", "handler", "median", "p90", "still",
              "floor", "floor90", "ratio", "paints", "frame", "targets");
  int missed = 0;
  for (const Result& r : results) {
    const bool met = whole ? r.UnderFrame() : r.MeetsTargets();
    const QString still = whole ? QString::number(r.action.StillMedian(), 'f', 2) : QStringLiteral("-");
    std::printf("%-36s %7.2f %7.2f %7.2f %7s %7.2f %7.2f %6.2f %6d %5s  %s\n", qPrintable(r.name),
                r.action.HandlerMedian(), r.action.Median(), r.action.P90(), qPrintable(still), r.floor.Median(),
                r.floor.P90(), r.Ratio(), r.action.FewestPaints(), r.UnderFrame() ? "yes" : "no",
                met ? "met" : "missed");
    if (r.action.FewestPaints() == 0 || r.floor.FewestPaints() == 0) {
      std::printf("  ^ a run painted nothing in its window: that figure times no paint\n");
    }
    if (!met) ++missed;
  }
  std::printf("\n");
  return missed;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  brannoc::UseProgramLook();
  brannoc::bench::Options options;
  bool startup = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      options.runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      options.only = QString::fromLocal8Bit(argv[++i]);
    } else if (std::strcmp(argv[i], "--paint") == 0 && i + 1 < argc) {
      const std::string kind = argv[++i];
      options.window = kind == "window";
      options.settled = kind == "settled";
    } else if (std::strcmp(argv[i], "--no-startup") == 0) {
      startup = false;
    } else {
      std::fprintf(stderr, "usage: brannoc_bench [--runs N] [--only TEXT] [--paint window|settled] [--no-startup]\n");
      return 2;
    }
  }

  std::fprintf(stderr, "timing %d runs of each action and its floor:\n", options.runs);
  brannoc::bench::ActionResults results = brannoc::bench::RunActions(options);
  brannoc::bench::RunLibrary(options, results);
  std::optional<Result> start;
  if (startup) {
    std::fprintf(stderr, "  start-up\n");
    start = brannoc::bench::RunStartup(options);
  }

  std::printf("Brannoc-512 editor benchmark, %s\n",
              qPrintable(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
  std::printf("Qt %s, platform %s, style %s; %d runs of each action and its floor, alternating\n", qVersion(),
              qPrintable(QGuiApplication::platformName()), qPrintable(QApplication::style()->name()), options.runs);
  std::printf("times in ms: handler = the action alone (median); median and p90 = the action and its paint;\n"
              "floor = the same rows and cells in plain QTableWidgets of the same sizes, painted the same way;\n"
              "ratio = median / floor median; paints = paint events in the window (fewest of the runs);\n"
              "still = the whole window repainted once more with nothing changed (median);\n"
              "targets: p90 under one 60 Hz frame (%.1f ms), and where Qt paints what changed, ratio at most %.1f\n\n",
              kFrameMs, kFloorRatio);
  int missed = 0;
  if (!results.window.empty()) missed += PrintTable("The action, then a repaint of its whole window:", results.window, true);
  if (!results.settled.empty()) {
    missed += PrintTable("The action, then the event loop until idle (Qt paints what changed):", results.settled,
                         false);
  }
  for (const QString& note : results.notes) std::printf("%s\n", qPrintable(note));
  if (!results.notes.empty()) std::printf("\n");
  if (start && !start->action.ms.empty()) {
    std::printf("%-36s %7s %7s %7s %7s %6s\n", "start-up, as processes", "median", "p90", "bare", "bare90", "ratio");
    std::printf("%-36s %7.1f %7.1f %7.1f %7.1f %6.2f\n\n", "to the first complete frame", start->action.Median(),
                start->action.P90(), start->floor.Median(), start->floor.P90(), start->Ratio());
  }
  std::printf("%d of %zu timings miss a target\n", missed, results.window.size() + results.settled.size());
  return 0;
}
