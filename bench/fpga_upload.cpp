// fpga_upload: uploads a 1 MiB raw design into the configuration flash of the
// virtual instrument, paced at 921600 baud, then verifies it, through the
// program's FPGA transfer on the real serial port, and prints how close each
// operation comes to the speed of the line and what it costs in CPU time.
//
//   fpga_upload [--bytes N] [--sim PATH]
//
// The instrument runs as its own process (veltra-sim), so the CPU time
// measured here is the program's alone: the user-interface thread with the
// transfer, and the port's listener.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/console_prompt.h"
#include "devicelink/serial_event.h"
#include "devicelink/serial_port_event.h"
#include "devicelink/serial_port_window.h"
#include "fpga/fpga_transfer.h"

extern char** environ;

namespace korva {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::duration;
using std::chrono::nanoseconds;

constexpr std::uint32_t kBaud = 921600;
constexpr double kBitsPerByte = 10.0;
constexpr std::size_t kUploadExchangeBytes = fpga::kUploadFrameLength + fpga::kUploadReplyLength;
constexpr std::size_t kVerifyExchangeBytes = fpga::kVerifyFrameLength + fpga::kVerifyReplyLength;

struct Options {
  std::size_t bytes = std::size_t{1} << 20;
  std::string simulator = VELTRA_SIM_PROGRAM;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view name = argv[i];
    if (name == "--bytes") {
      options.bytes = static_cast<std::size_t>(std::atoll(argv[i + 1]));
    } else if (name == "--sim") {
      options.simulator = argv[i + 1];
    } else {
      return std::nullopt;
    }
  }
  if (argc % 2 == 0 || options.bytes == 0 || options.bytes > (std::size_t{2} << 20)) return std::nullopt;
  return options;
}

// The veltra-sim program serving one pseudo-terminal at kBaud; ended with
// SIGTERM so that it removes its announcement.
class SimulatorProcess {
 public:
  explicit SimulatorProcess(const std::string& program) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<std::string> args = {program, "--baud", std::to_string(kBaud)};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (pid_ > 0) devicePath_ = DevicePathFrom(FirstLine(pipeEnds[0]));
    ::close(pipeEnds[0]);
  }
  ~SimulatorProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // Empty when the program did not start or did not name its device.
  const std::string& DevicePath() const { return devicePath_; }

 private:
  static std::string FirstLine(int fd) {
    std::string text;
    char c = 0;
    while (text.size() < 512) {
      pollfd entry{fd, POLLIN, 0};
      if (::poll(&entry, 1, 5000) <= 0 || ::read(fd, &c, 1) != 1 || c == '\n') break;
      text.push_back(c);
    }
    return text;
  }
  // The program says "Veltra virtual instrument on /dev/pts/N".
  static std::string DevicePathFrom(const std::string& line) {
    const auto at = line.rfind(' ');
    return at == std::string::npos ? std::string() : line.substr(at + 1);
  }

  pid_t pid_ = -1;
  std::string devicePath_;
};

nanoseconds ProcessCpuTime() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + nanoseconds(now.tv_nsec);
}

// Feeds the port's notifications to the transfer, as the dialog does, and
// leaves the event loop when an operation ends.
class TransferDriver : public QObject, public FpgaTransferObserver {
 public:
  explicit TransferDriver(FpgaTransfer& transfer) : transfer_(transfer) { transfer_.SetObserver(this); }

  std::optional<FpgaOutcome> outcome;

  void OnFinished(FpgaOperation, FpgaOutcome ended) override {
    outcome = ended;
    QCoreApplication::quit();
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != CSerialWnd::DefaultMessageType()) return QObject::event(event);
    if (static_cast<const SerialPortEvent&>(*event).Events() & serial_event::kCharactersReceived) {
      transfer_.OnReplyBytes();
    }
    return true;
  }

 private:
  FpgaTransfer& transfer_;
};

struct Measurement {
  double seconds = 0.0;
  double cpuSeconds = 0.0;
  double wireSeconds = 0.0;
};

// Runs one operation on the event loop with the transfer's 100 ms timer.
template <typename Start>
std::optional<Measurement> Measure(FpgaTransfer& transfer, TransferDriver& driver, Start start,
                                   std::size_t exchangeBytes, std::size_t blocks) {
  driver.outcome.reset();
  QTimer ticker;
  ticker.callOnTimeout([&] { transfer.OnTick(); });
  ticker.start(FpgaTransfer::kTickMs);
  const auto begin = Clock::now();
  const nanoseconds cpuBegin = ProcessCpuTime();
  if (start() != FpgaStart::kStarted) return std::nullopt;
  QCoreApplication::exec();
  Measurement result;
  result.seconds = duration<double>(Clock::now() - begin).count();
  result.cpuSeconds = duration<double>(ProcessCpuTime() - cpuBegin).count();
  result.wireSeconds = static_cast<double>(exchangeBytes * blocks) * kBitsPerByte / kBaud;
  if (driver.outcome != FpgaOutcome::kDone) return std::nullopt;
  return result;
}

void Report(const char* name, const Measurement& m) {
  std::printf(
      "  %-7s measured %9.1f ms   wire time %9.1f ms   wire-time ratio %6.4f (goal >= 0.9)"
      "   CPU share %5.2f %% (goal < 5 %%)\n",
      name, m.seconds * 1e3, m.wireSeconds * 1e3, m.wireSeconds / m.seconds,
      100.0 * m.cpuSeconds / m.seconds);
}

int Run(const Options& options) {
  const std::filesystem::path design =
      std::filesystem::temp_directory_path() / ("fpga_upload-" + std::to_string(::getpid()) + ".rbf");
  {
    std::vector<char> bytes(options.bytes);
    std::mt19937 random(7);
    for (char& byte : bytes) byte = static_cast<char>(random());
    std::ofstream(design, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  SimulatorProcess simulator(options.simulator);
  if (simulator.DevicePath().empty()) {
    std::cerr << "fpga_upload: could not start " << options.simulator << "\n";
    return 1;
  }
  ConsolePrompt prompt;
  CSerialWnd port;
  FpgaTransfer transfer(port, prompt);
  TransferDriver driver(transfer);
  if (port.Open(simulator.DevicePath(), &driver) != error_code::kSuccess) return 1;
  port.Setup(kBaud, 8, CSerial::Parity::kNone, CSerial::StopBits::kOne);
  port.SetEventMask(serial_event::kProgramMask);
  port.SetReadTimeouts(CSerial::ReadTimeouts::kNonBlocking);

  const std::size_t blocks = (options.bytes + fpga::kBlockBytes - 1) / fpga::kBlockBytes;
  const auto upload = Measure(
      transfer, driver, [&] { return transfer.Upload(design); }, kUploadExchangeBytes, blocks);
  const auto verify = Measure(
      transfer, driver, [&] { return transfer.Verify(design); }, kVerifyExchangeBytes, blocks);
  port.Close();
  std::filesystem::remove(design);
  if (!upload || !verify || transfer.VerifyErrors() != 0) {
    for (const std::string& line : transfer.Log().Lines()) std::cerr << line << "\n";
    std::cerr << "fpga_upload: the transfer failed\n";
    return 1;
  }
  std::printf("fpga_upload: %zu-byte design, %zu blocks each way, at %u baud\n", options.bytes, blocks,
              kBaud);
  Report("upload", *upload);
  Report("verify", *verify);
  return 0;
}

}  // namespace
}  // namespace korva

int main(int argc, char** argv) {
  const std::optional<korva::Options> options = korva::ParseOptions(argc, argv);
  if (!options) {
    std::cerr << "usage: fpga_upload [--bytes N (at most 2 MiB)] [--sim PATH]\n";
    return 2;
  }
  QCoreApplication app(argc, argv);
  return korva::Run(*options);
}
