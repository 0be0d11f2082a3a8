#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korva {

// One serial port as the port lists show it. The friendly name ends in the
// port name in parentheses, "FT232R USB UART (ttyUSB0)"; the port dialog and
// the Port Finder find the device to open from that text alone.
struct SerialPortRecord {
  std::string devicePath;    // "/dev/ttyUSB0"
  std::string portName;      // "ttyUSB0"
  std::string friendlyName;  // "FT232R USB UART (ttyUSB0)"
  std::string description;   // "FT232R USB UART"
  bool usbDevice = false;
};

// Fills the gaps an enumerator leaves: an empty friendly name becomes the
// port name; an empty description becomes the friendly name, cut before
// " (" when the text ends with the first ")" after it.
void CompleteRecord(SerialPortRecord& record);

// "description (portName)", the friendly name of a port.
std::string MakeFriendlyName(std::string_view description, std::string_view portName);

// The port name inside a friendly name: the text after the last "(" up to
// the next ")". A name without "(" is taken whole (and will not open).
std::string PortNameFromFriendlyName(std::string_view friendlyName);

// The device to open for a port name: the path a running virtual instrument
// announced under that name, otherwise the name under /dev.
std::string DevicePathForPortName(std::string_view portName);

// The device to open for a friendly name, as Connect and the Port Finder do.
std::string DevicePathFromFriendlyName(std::string_view friendlyName);

}  // namespace korva
