#include "first_frame.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace brannoc::bench {

FirstFrameProbe::FirstFrameProbe(const std::vector<QWidget*>& widgets) {
  for (QWidget* w : widgets) waiting_.emplace_back(w);
  QCoreApplication::instance()->installEventFilter(this);
}

bool FirstFrameProbe::eventFilter(QObject* watched, QEvent* event) {
  if (done_ || event->type() != QEvent::Paint) return false;
  std::erase_if(waiting_, [watched](const QPointer<QWidget>& w) { return w.data() == watched; });
  if (waiting_.empty()) {
    done_ = true;
    // Queued: runs once the paint that is going on now has finished and flushed.
    QMetaObject::invokeMethod(
        this,
        [] {
          const auto now = std::chrono::steady_clock::now().time_since_epoch();
          std::printf("first-frame %lld\n",
                      static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
          std::fflush(stdout);
          QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
  }
  return false;
}

}  // namespace brannoc::bench
