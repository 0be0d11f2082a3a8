// trace_draw: the trace viewer's cost and pace.
//
//   trace_draw [--seconds S] [--sim PATH]
//
// First the time to process one trace (the Av4 moving average and the
// display arithmetic) and draw it with its grid into an offscreen square as
// large as the plot grows in a full-height pane at 1920 x 1080, as the
// viewer does for every trace; then the traces per second
// the link delivers in NRM mode from the veltra-sim program paced at
// 921600 baud, with the trace viewer's own capture cycle driving the engine.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "cli/console_prompt.h"
#include "devicelink/device_image.h"
#include "devicelink/instrument_session.h"
#include "option_pairs.h"
#include "scope/trace_capture_cycle.h"
#include "scope/trace_plot.h"
#include "simulator_process.h"

namespace korva {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration;

constexpr int kDrawRounds = 2000;
// The plot in the TRACE VIEWER pane of a 1920 x 1080 window.
constexpr int kPlotSide = 768;

struct Options {
  double seconds = 5.0;
  std::string simulator = VELTRA_SIM_PROGRAM;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  const bool read = bench::ReadOptionPairs(argc, argv, [&](std::string_view name, const char* value) {
    if (name == "--seconds") {
      options.seconds = std::atof(value);
    } else if (name == "--sim") {
      options.simulator = value;
    } else {
      return false;
    }
    return true;
  });
  if (!read || !(options.seconds > 0.0)) return std::nullopt;
  return options;
}

// A slow-shaper pulse with its logic lines and some noise, different on
// every round so nothing is drawn from a cache.
Trace PulseTrace(int round) {
  Trace trace{};
  for (std::size_t i = 0; i < kTraceSamples; ++i) {
    const double t = static_cast<double>(i) - 48.0;
    const double shape = t < 0 ? 0 : t < 24 ? t / 24 : t < 28 ? 1 : t < 52 ? 1 - (t - 28) / 24 : 0;
    const double noise = std::sin(static_cast<double>(i * 7 + static_cast<std::size_t>(round)) * 0.9) * 4.0;
    trace[i].analog = static_cast<std::int16_t>(shape * (1800 + round % 200) + noise);
    trace[i].lines = static_cast<std::uint16_t>((shape > 0.05 ? 0x23 : 0) | (t >= 24 && t < 28 ? 0x04 : 0) |
                                                (t >= 28 && t < 29 ? 0x88 : 0));
  }
  return trace;
}

void MeasureDrawing() {
  QImage image(kPlotSide, kPlotSide, QImage::Format_RGB32);
  const TracePlotColours colours;
  TraceAverager averager;
  TraceDisplay display;
  display.slowShift = 9;
  display.slowRise = 240;
  display.verticalIndex = 6;
  TracePicture picture;
  picture.hasTrace = true;
  picture.timeBaseCode = 20;
  picture.triggerSample = 48;
  const auto start = Clock::now();
  for (int round = 0; round < kDrawRounds; ++round) {
    Trace trace = PulseTrace(round);
    averager.Apply(trace, 4);
    picture.values = TraceDisplayValues(trace, false, display);
    for (std::size_t i = 0; i < kTraceSamples; ++i) picture.lines[i] = trace[i].lines;
    QPainter painter(&image);
    PaintTracePlot(painter, kPlotSide, picture, colours);
  }
  const double seconds = duration<double>(Clock::now() - start).count();
  std::printf("trace_draw: process and draw one trace offscreen (%d x %d, Av4)\n", kPlotSide, kPlotSide);
  std::printf("  time per trace         %10.3f ms  (goal <= 1 ms)\n", seconds * 1e3 / kDrawRounds);
}

int MeasureLink(const Options& options) {
  const std::string baud = std::to_string(LinkSession::kAutoConnectBaudRate);
  bench::SimulatorProcess simulator(options.simulator, {"--baud", baud});
  if (simulator.DevicePath().empty()) {
    std::cerr << "trace_draw: could not start " << options.simulator << "\n";
    return 1;
  }
  DeviceImage image;
  ConsolePrompt prompt;
  InstrumentSession session(image, prompt);
  session.StartTicking();
  TraceCaptureCycle cycle(session.Engine());
  session.Engine().SetTraceViewer(&cycle);
  session.Link().SetPortName(simulator.DevicePath());
  session.Link().SetBaudRate(LinkSession::kAutoConnectBaudRate);
  if (!session.Link().Connect()) return 1;

  int startTraces = 0;
  Clock::time_point start;
  QTimer poll;
  poll.callOnTimeout([&] {
    if (start == Clock::time_point{}) {
      if (!cycle.SettingsValid()) return;
      cycle.ClickRun();  // NRM, trigger F LLD
      startTraces = cycle.TracesTaken();
      start = Clock::now();
    } else if (duration<double>(Clock::now() - start).count() >= options.seconds) {
      QCoreApplication::quit();
    }
  });
  poll.start(10);
  QObject::connect(&session.Link(), &LinkSession::Disconnected, [] { QCoreApplication::quit(); });
  QCoreApplication::exec();
  session.Engine().SetTraceViewer(nullptr);
  if (start == Clock::time_point{}) {
    std::cerr << "trace_draw: the instrument's registers never came\n";
    return 1;
  }
  const double seconds = duration<double>(Clock::now() - start).count();
  const int traces = cycle.TracesTaken() - startTraces;
  std::printf("trace_draw: NRM traces from veltra-sim at %s baud over %.1f s\n", baud.c_str(), seconds);
  std::printf("  traces                 %10d\n", traces);
  std::printf("  traces per second      %10.1f\n", traces / seconds);
  return traces > 0 ? 0 : 1;
}

}  // namespace
}  // namespace korva

int main(int argc, char** argv) {
  const std::optional<korva::Options> options = korva::ParseOptions(argc, argv);
  if (!options) {
    std::cerr << "usage: trace_draw [--seconds S] [--sim PATH]\n";
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  korva::MeasureDrawing();
  return korva::MeasureLink(*options);
}
