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
#include "option_pairs.h"
#include "simulator_process.h"

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
  const bool read = bench::ReadOptionPairs(argc, argv, [&](std::string_view name, const char* value) {
    if (name == "--bytes") {
      options.bytes = static_cast<std::size_t>(std::atoll(value));
    } else if (name == "--sim") {
      options.simulator = value;
    } else {
      return false;
    }
    return true;
  });
  if (!read || options.bytes == 0 || options.bytes > (std::size_t{2} << 20)) return std::nullopt;
  return options;
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
  const nanoseconds cpuBegin = bench::ProcessCpuTime();
  if (start() != FpgaStart::kStarted) return std::nullopt;
  QCoreApplication::exec();
  Measurement result;
  result.seconds = duration<double>(Clock::now() - begin).count();
  result.cpuSeconds = duration<double>(bench::ProcessCpuTime() - cpuBegin).count();
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
  bench::SimulatorProcess simulator(options.simulator, {"--baud", std::to_string(kBaud)});
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
