#pragma once

class QApplication;
class QWidget;

namespace korva {

// The name of the environment variable that asks the program to say when
// its main window was first painted; benchmarks and start-up checks set it.
inline constexpr const char* kFirstPaintReportVariable = "KORVA_REPORT_FIRST_PAINT";

// When the environment variable above is set, writes one line to standard
// error once the first paint of `window` has reached the screen:
//   "korva-tdcr: first paint at <n> ns"
// with <n> the monotonic clock (CLOCK_MONOTONIC) in nanoseconds, so that a
// parent process can subtract the time it started the program at. Does
// nothing otherwise.
void ReportFirstPaintWhenAsked(QApplication& application, QWidget& window);

}  // namespace korva
