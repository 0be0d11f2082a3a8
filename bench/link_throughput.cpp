// link_throughput: polls the virtual instrument, paced at 921600 baud, through
// the program's link session for a number of full memory cycles (eight
// spectrum chunks and two register reads each) and prints how close the link
// comes to the speed of the line and what the polling costs in CPU time.
//
//   link_throughput [--cycles N] [--sim PATH]
//
// The instrument runs as its own process (veltra-sim), so the CPU time
// measured here is the program's alone: the user-interface thread with the
// engine, and the port's listener.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/console_prompt.h"
#include "common/event_log.h"
#include "common/prompt.h"
#include "devicelink/device_image.h"
#include "devicelink/link_session.h"
#include "option_pairs.h"
#include "simulator_process.h"

namespace korva {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration;
using std::chrono::nanoseconds;

constexpr std::uint32_t kBaud = LinkSession::kAutoConnectBaudRate;
constexpr int kExchangesPerCycle = 10;  // eight chunks, two register reads
constexpr int kMainTimerMs = 200;
constexpr double kBitsPerByte = 10.0;

struct Options {
  int cycles = 5;
  std::string simulator = VELTRA_SIM_PROGRAM;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  const bool read = bench::ReadOptionPairs(argc, argv, [&](std::string_view name, const char* value) {
    if (name == "--cycles") {
      options.cycles = std::atoi(value);
    } else if (name == "--sim") {
      options.simulator = value;
    } else {
      return false;
    }
    return true;
  });
  if (!read || options.cycles <= 0) return std::nullopt;
  return options;
}

long VoluntarySwitches() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_nvcsw;
}

// What the measured exchanges carried and cost.
struct Tally {
  long exchanges = 0;
  long wireBytes = 0;     // requests and replies
  long payloadBytes = 0;  // data bytes of the replies
  Clock::duration elapsed{};
  nanoseconds cpu{};
  long contextSwitches = 0;
};

// Measures the exchanges that follow the connect's first register read. An
// accepted read reply is reported before the engine sends its next request,
// so the window holds whole exchanges from request to reply.
class ExchangeMeter : public EngineObserver {
 public:
  ExchangeMeter(const CommandEngine& engine, long exchanges) : engine_(engine), wanted_(exchanges) {}

  void OnSpectrumChunk() override { Count(); }
  void OnRegistersRead(bool) override { Count(); }

  bool Done() const { return tally_.exchanges == wanted_; }
  const Tally& Result() const { return tally_; }

 private:
  void Count() {
    if (!started_) return Start();
    if (Done()) return;
    const std::vector<std::uint8_t>& request = engine_.TransmitFrame();
    const long dataBytes = wire::ReadU16(request, 8);
    tally_.wireBytes +=
        static_cast<long>(request.size()) +
        static_cast<long>(wire::ExpectedReadReplyLength(static_cast<std::uint16_t>(dataBytes)));
    tally_.payloadBytes += dataBytes;
    if (++tally_.exchanges < wanted_) return;
    tally_.elapsed = Clock::now() - startTime_;
    tally_.cpu = bench::ProcessCpuTime() - startCpu_;
    tally_.contextSwitches = VoluntarySwitches() - startSwitches_;
    QCoreApplication::quit();
  }
  void Start() {
    started_ = true;
    startTime_ = Clock::now();
    startCpu_ = bench::ProcessCpuTime();
    startSwitches_ = VoluntarySwitches();
  }

  const CommandEngine& engine_;
  const long wanted_;
  bool started_ = false;
  Clock::time_point startTime_;
  nanoseconds startCpu_{};
  long startSwitches_ = 0;
  Tally tally_;
};

void Report(const Tally& tally, int cycles, long repeats) {
  const double seconds = duration<double>(tally.elapsed).count();
  const double wireSeconds = static_cast<double>(tally.wireBytes) * kBitsPerByte / kBaud;
  const double cpuSeconds = duration<double>(tally.cpu).count();
  std::printf("link_throughput: %d memory cycles (%ld exchanges) at %u baud\n", cycles, tally.exchanges,
              kBaud);
  std::printf("  measured time          %10.1f ms\n", seconds * 1e3);
  std::printf("  theoretical wire time  %10.1f ms  (%ld bytes, 10 bit times each)\n", wireSeconds * 1e3,
              tally.wireBytes);
  std::printf("  wire-time ratio        %10.4f     (goal >= 0.97)\n", wireSeconds / seconds);
  std::printf("  payload rate           %10.0f bytes/s\n", static_cast<double>(tally.payloadBytes) / seconds);
  std::printf("  CPU time per cycle     %10.2f ms\n", cpuSeconds * 1e3 / cycles);
  std::printf("  CPU load               %10.2f %% of one core (goal < 2 %%)\n", 100.0 * cpuSeconds / seconds);
  std::printf("  context switches/cycle %10.1f\n", static_cast<double>(tally.contextSwitches) / cycles);
  std::printf("  repeated requests      %10ld\n", repeats);
}

int Run(const Options& options) {
  bench::SimulatorProcess simulator(options.simulator, {"--baud", std::to_string(kBaud)});
  if (simulator.DevicePath().empty()) {
    std::cerr << "link_throughput: could not start " << options.simulator << "\n";
    return 1;
  }
  SystemLocalClock clock;
  EventLog log(clock);
  ConsolePrompt prompt;
  DeviceImage image;
  LinkSession session(image, log, prompt);
  ExchangeMeter meter(session.Engine(), static_cast<long>(options.cycles) * kExchangesPerCycle);
  session.Engine().AddObserver(&meter);
  session.SetPortName(simulator.DevicePath());

  // The main timer's tick, so that a lost reply is dealt with as in the program.
  QTimer ticker;
  ticker.callOnTimeout([&] { session.Engine().OnTick(); });
  ticker.start(kMainTimerMs);
  QObject::connect(&session, &LinkSession::Disconnected, [] { QCoreApplication::quit(); });
  if (!session.Connect()) return 1;
  QCoreApplication::exec();

  if (!meter.Done()) {
    for (const std::string& line : log.Lines()) std::cerr << line << "\n";
    std::cerr << "link_throughput: the link ended before the cycles were done\n";
    return 1;
  }
  Report(meter.Result(), options.cycles, std::ranges::count_if(log.Lines(), [](const std::string& line) {
           return line.ends_with("Repeat Read Command");
         }));
  return 0;
}

}  // namespace
}  // namespace korva

int main(int argc, char** argv) {
  const std::optional<korva::Options> options = korva::ParseOptions(argc, argv);
  if (!options) {
    std::cerr << "usage: link_throughput [--cycles N] [--sim PATH]\n";
    return 2;
  }
  QCoreApplication app(argc, argv);
  return korva::Run(*options);
}
