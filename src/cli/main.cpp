// korva-tdcr-cli: the program's instrument work without a window, for
// scripts and for machines without a display.

#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/measure_command.h"
#include "devicelink/hardware_identity.h"
#include "devicelink/port_search.h"
#include "devicelink/serial_port_enumerator.h"

namespace korva {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr std::uint32_t kDefaultBaudRate = 921600;

const char* const kUsage =
    "usage: korva-tdcr-cli ports\n"
    "       korva-tdcr-cli find\n"
    "       korva-tdcr-cli info --port DEVICE [--baud N]\n"
    "       korva-tdcr-cli measure --port DEVICE [--baud N] --out BASE [--runs N] [--time S] [--gap S]\n"
    "              [--window-n NS] [--window-m NS] [--ext1 US] [--ext2 US] [--mode1 IDT|CDT] [--mode2 "
    "IDT|CDT]\n"
    "              [--threshold-a MV] [--threshold-b MV] [--threshold-c MV]\n"
    "              [--polarity-a neg|pos] [--polarity-b neg|pos] [--polarity-c neg|pos] [--stop-timer NAME]\n"
    "              [--ref-clock none|int|ext] [--reference system|local|utc] [--ntp-server HOST[:PORT]]\n"
    "              [--tag T] [--operator T] [--nuclides T] [--cocktail T] [--hv T] [--overwrite] "
    "[--discard-unsaved]\n";

int UsageError(const std::string& message) {
  std::cerr << "korva-tdcr-cli: " << message << '\n' << kUsage;
  return kExitUsage;
}

int ListPorts() {
  for (const SerialPortRecord& record : EnumerateSerialPorts()) std::cout << record.friendlyName << '\n';
  return kExitOk;
}

int FindInstruments() {
  CliSession session;
  PortSearch search(session.Link(), session.Log(), EnumerateSerialPorts);
  const std::vector<PortSearch::Found> found = search.Run();
  for (const PortSearch::Found& instrument : found) std::cout << "Found: " << instrument.entryText << '\n';
  return found.empty() ? kExitFailure : kExitOk;
}

// The threshold calibration is first evaluated on the 18th read reply after
// connecting; About Hardware waits for it so the calibration line is true.
bool WaitForCalibration(CliSession& session) {
  bool countdownEnded = false;
  return session.WaitUntil(
      [&] {
        const std::uint32_t countdown = session.Buffer().image.calibrationCountdown;
        if (countdown == 0) countdownEnded = true;
        return countdownEnded && countdown == DeviceImage::kCalibrationRefreshReplies;
      },
      30000);
}

int ShowInfo(const CommandLine& line) {
  const std::optional<std::string> port = line.Value("port");
  if (!port) return UsageError("info needs --port DEVICE");
  std::uint32_t baud = kDefaultBaudRate;
  if (const auto text = line.Value("baud")) {
    const auto value = ParseUnsigned(*text);
    if (!value || *value == 0 || *value > 4000000) return UsageError("not a baud rate: " + *text);
    baud = static_cast<std::uint32_t>(*value);
  }
  CliSession session;
  if (!session.ConnectAndWait(*port, baud) || !WaitForCalibration(session)) {
    if (session.Link().IsPortOpen()) session.Link().Disconnect();
    return kExitFailure;
  }
  const DeviceImage& image = session.Buffer().image;
  const AboutHardwareMessage about = AboutHardware(image, image);
  std::cout << about.title << '\n' << about.text << '\n';
  session.Link().Disconnect();
  return kExitOk;
}

int Run(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return UsageError("no command given");
  const std::string& command = arguments.front();
  const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  CommandLine::Grammar grammar;
  if (command == "info") grammar.valued = {"port", "baud"};
  if (command == "measure") grammar = MeasureGrammar();
  if (command != "ports" && command != "find" && command != "info" && command != "measure") {
    return UsageError("unknown command: " + command);
  }
  std::string error;
  const std::optional<CommandLine> line = CommandLine::Parse(rest, grammar, error);
  if (!line) return UsageError(error);
  if (command == "ports") return ListPorts();
  if (command == "find") return FindInstruments();
  if (command == "measure") return RunMeasure(*line);
  return ShowInfo(*line);
}

}  // namespace
}  // namespace korva

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Korva"));
  QCoreApplication::setApplicationName(QStringLiteral("Korva-TDCR 7.0"));
  return korva::Run(std::vector<std::string>(argv + 1, argv + argc));
}
