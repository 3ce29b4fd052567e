#pragma once
// For the start-up benchmark: once each of the given widgets has been painted
// and the event that painted them is over (so the frame is complete and handed
// to the display), prints "first-frame <steady clock in ns>" on standard output
// and ends the program.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace brannoc::bench {

class FirstFrameProbe : public QObject {
 public:
  explicit FirstFrameProbe(const std::vector<QWidget*>& widgets);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<QPointer<QWidget>> waiting_;
  bool done_ = false;
};

}  // namespace brannoc::bench
