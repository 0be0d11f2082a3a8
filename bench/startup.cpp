// startup: how long the program takes from exec to the first paint of its
// main window, and how much memory it holds then. Builds the application
// exactly as the program's main does; run it under a display (Xvfb) for the
// figure a user sees, or with QT_QPA_PLATFORM=offscreen.
//
// The start is the kernel's start time of this process, so the dynamic
// loading of Qt before main() is counted too (10 ms resolution).

#include <unistd.h>

#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/korva_tdcr_app.h"
#include "shell/main_frame.h"

namespace {

double SecondsSinceBoot() {
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Field 22 of /proc/self/stat: start time in clock ticks after boot.
double ProcessStartSeconds() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  for (int index = 3; index <= 22 && fields >> field; ++index) {
  }
  return std::stod(field) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

// Reports at the first paint of the main window or anything in it, then
// ends the program.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(QWidget& window) : window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || reported_ || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != &window_) {
      return QObject::eventFilter(watched, event);
    }
    reported_ = true;
    const double elapsed = SecondsSinceBoot() - ProcessStartSeconds();
    QTimer::singleShot(0, [elapsed] {
      std::printf("exec to first paint %7.1f ms  resident %6.1f MB\n", elapsed * 1000.0,
                  static_cast<double>(ResidentKilobytes()) / 1024.0);
      QCoreApplication::quit();
    });
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget& window_;
  bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const double atMain = SecondsSinceBoot() - ProcessStartSeconds();
  korva::CKorvaTDCRApp app(argc, argv);
  const double built = SecondsSinceBoot() - ProcessStartSeconds();
  std::printf("exec to main()      %7.1f ms\nexec to window built %6.1f ms\n", atMain * 1000.0,
              built * 1000.0);
  FirstPaint probe(app.MainFrame());
  app.installEventFilter(&probe);
  return app.exec();
}
