#pragma once
// Timing one user action against its floor. Each run is the action followed by
// the paint of the window it changed, with the paint events in that window
// counted (a paint that painted nothing would time nothing). Two kinds of paint:
//   Window   a synchronous repaint() of the whole window (the editor's own
//            sub-window: a repaint of the parent window does not reach into it);
//            what the event loop would still do afterwards is not timed
//   Settled  the event loop run until it is idle, as it runs after a click: the
//            posted events, the zero timers (the grids lay out their rows on
//            one) and the paints of what changed, nothing else

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace brannoc::bench {

// 60 Hz.
inline constexpr double kFrameMs = 1000.0 / 60.0;
// What the targets allow: the action's median against its floor's.
inline constexpr double kFloorRatio = 1.5;

enum class Paint { Window, Settled };

struct Samples {
  std::vector<double> ms;         // the action and its paint
  std::vector<double> handlerMs;  // the action alone
  std::vector<int> paints;        // paint events in the window during the paint
  std::vector<double> stillMs;    // Window paint: a second repaint, nothing changed
  double Median() const;
  double P90() const;
  double HandlerMedian() const;
  double StillMedian() const;
  int FewestPaints() const;
};

// One side of a comparison: `prepare` puts the windows in the state before the
// action (not timed); `act` is the action and returns the window to paint.
struct Side {
  std::function<void()> prepare;
  std::function<QWidget*()> act;
};

struct Result {
  QString name;
  Samples action;
  Samples floor;
  double Ratio() const;
  bool UnderFrame() const;  // at the 90th percentile
  bool MeetsTargets() const;
};

// Runs the two sides alternately, `warmup` untimed rounds and then `runs`
// timed ones each, so that a noisy moment falls on both.
Result Compare(const QString& name, const Side& action, const Side& floor, Paint paint, int runs, int warmup);

// Lets the event loop finish what the last action left for it (posted events,
// zero timers, windows to delete), untimed.
void Settle();

double Median(std::vector<double> values);
double Percentile90(std::vector<double> values);

}  // namespace brannoc::bench
