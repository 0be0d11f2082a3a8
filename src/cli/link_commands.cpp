#include <iostream>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "devicelink/hardware_identity.h"
#include "devicelink/port_search.h"
#include "devicelink/serial_port_enumerator.h"
#include "devicelink/serial_port_record.h"

namespace korva {

namespace {

int ListPorts(const CommandLine&) {
  for (const SerialPortRecord& record : EnumerateSerialPorts()) std::cout << record.friendlyName << '\n';
  return kExitOk;
}

int FindInstruments(const CommandLine&) {
  CliSession session;
  PortSearch search(session.Link(), session.Log(), EnumerateSerialPorts);
  const std::vector<PortSearch::Found> found = search.Run();
  // Each line ends in the device path that --port takes.
  for (const PortSearch::Found& instrument : found) {
    std::cout << "Found: " << instrument.entryText << "  --port "
              << DevicePathFromFriendlyName(instrument.friendlyName) << '\n';
  }
  if (found.empty()) std::cerr << "korva-tdcr-cli: No instrument found on any serial port\n";
  return found.empty() ? kExitFailure : kExitOk;
}

// About Hardware waits for the threshold calibration, so its calibration
// line is true.
int ShowInfo(const CommandLine& line) {
  const std::optional<std::string> port = line.Value("port");
  if (!port) return ReportUsageError("info needs --port DEVICE");
  std::uint32_t baud = 0;
  if (!ReadBaudOption(line, baud)) return kExitUsage;
  CliSession session;
  if (!session.ConnectAndWait(*port, baud) || !session.SettleThresholdCalibration()) {
    session.Disconnect();
    return kExitFailure;
  }
  const DeviceImage& image = session.Buffer().image;
  const AboutHardwareMessage about = AboutHardware(image, image);
  std::cout << about.title << '\n' << about.text << '\n';
  session.Disconnect();
  return kExitOk;
}

}  // namespace

std::vector<CliCommand> LinkCommands() {
  return {
      {"ports", "ports", {}, ListPorts},
      {"find", "find", {}, FindInstruments},
      {"info", "info --port DEVICE [--baud N]", {{"port", "baud"}, {}}, ShowInfo},
  };
}

}  // namespace korva
