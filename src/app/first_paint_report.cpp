#include "app/first_paint_report.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace korva {

namespace {

// Watches the paint events of every widget until the first one of the
// window's; the report waits for the event loop's next turn, by which the
// painted backing store has been flushed to the screen.
class FirstPaintWatch : public QObject {
 public:
  FirstPaintWatch(QApplication& application, QWidget& window) : QObject(&application), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == &window_) {
      qApp->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        Report();
        deleteLater();
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  static void Report() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(stderr, "korva-tdcr: first paint at %lld ns\n",
                 static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    std::fflush(stderr);
  }

  QWidget& window_;
};

}  // namespace

void ReportFirstPaintWhenAsked(QApplication& application, QWidget& window) {
  if (!qEnvironmentVariableIsSet(kFirstPaintReportVariable)) return;
  application.installEventFilter(new FirstPaintWatch(application, window));
}

}  // namespace korva
