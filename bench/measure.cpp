#include "measure.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace brannoc::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Counts the paint events of one window and its children while it watches one.
class PaintCounter : public QObject {
 public:
  PaintCounter() { qApp->installEventFilter(this); }
  ~PaintCounter() override { qApp->removeEventFilter(this); }

  void Watch(QWidget* window) {
    window_ = window;
    count_ = 0;
  }
  int Count() const { return count_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && window_ && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      if (widget == window_ || window_->isAncestorOf(widget)) ++count_;
    }
    return false;
  }

 private:
  QPointer<QWidget> window_;
  int count_ = 0;
};

void RunUntilIdle() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  QCoreApplication::sendPostedEvents();
  for (int i = 0; i < 50 && dispatcher->processEvents(QEventLoop::AllEvents); ++i) {
  }
}

struct Timed {
  QWidget* window = nullptr;
  Clock::time_point start, acted, end;
};

// The timed part of a run, kept out of line so that a profiler can be told to
// look at it alone (valgrind --toggle-collect='*ActAndPaint*').
[[gnu::noinline]] Timed ActAndPaint(const Side& side, Paint paint, PaintCounter& counter) {
  Timed t;
  t.start = Clock::now();
  t.window = side.act();
  t.acted = Clock::now();
  counter.Watch(t.window);
  if (paint == Paint::Window) {
    if (t.window) t.window->repaint();
  } else {
    RunUntilIdle();
  }
  t.end = Clock::now();
  return t;
}

void RunOnce(const Side& side, Paint paint, PaintCounter& counter, Samples* into) {
  side.prepare();
  Settle();
  const Timed t = ActAndPaint(side, paint, counter);
  const int paints = counter.Count();
  counter.Watch(nullptr);
  if (into) {
    into->ms.push_back(Ms(t.end - t.start));
    into->handlerMs.push_back(Ms(t.acted - t.start));
    into->paints.push_back(paints);
    // The same window painted once more as it now stands: what any repaint of it
    // costs, whatever the action did.
    if (paint == Paint::Window && t.window) {
      Settle();
      const Clock::time_point start = Clock::now();
      t.window->repaint();
      into->stillMs.push_back(Ms(Clock::now() - start));
    }
  }
  Settle();
}

}  // namespace

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Percentile90(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  // Nearest rank.
  const auto rank = static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(values.size())));
  return values[std::max<std::size_t>(rank, 1) - 1];
}

double Samples::Median() const { return bench::Median(ms); }
double Samples::P90() const { return Percentile90(ms); }
double Samples::HandlerMedian() const { return bench::Median(handlerMs); }
double Samples::StillMedian() const { return bench::Median(stillMs); }
int Samples::FewestPaints() const { return paints.empty() ? 0 : *std::min_element(paints.begin(), paints.end()); }

double Result::Ratio() const {
  const double f = floor.Median();
  return f > 0 ? action.Median() / f : 0;
}
bool Result::UnderFrame() const { return action.P90() < kFrameMs; }
bool Result::MeetsTargets() const { return UnderFrame() && Ratio() <= kFloorRatio; }

void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

Result Compare(const QString& name, const Side& action, const Side& floor, Paint paint, int runs, int warmup) {
  PaintCounter counter;
  Result result{name, {}, {}};
  for (int i = 0; i < warmup; ++i) {
    RunOnce(action, paint, counter, nullptr);
    RunOnce(floor, paint, counter, nullptr);
  }
  for (int i = 0; i < runs; ++i) {
    RunOnce(action, paint, counter, &result.action);
    RunOnce(floor, paint, counter, &result.floor);
  }
  return result;
}

}  // namespace brannoc::bench
