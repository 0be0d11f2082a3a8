#include "devicelink/serial_port_record.h"

#include "common/virtual_instrument_announcement.h"

namespace korva {

void CompleteRecord(SerialPortRecord& record) {
  if (record.friendlyName.empty()) record.friendlyName = record.portName;
  if (!record.description.empty()) return;
  record.description = record.friendlyName;
  const std::size_t open = record.description.find(" (");
  if (open == std::string::npos) return;
  const std::size_t close = record.description.find(')', open);
  if (close != std::string::npos && close + 1 == record.description.size()) record.description.resize(open);
}

std::string MakeFriendlyName(std::string_view description, std::string_view portName) {
  std::string name(description);
  name += " (";
  name += portName;
  name += ")";
  return name;
}

std::string PortNameFromFriendlyName(std::string_view friendlyName) {
  const std::size_t open = friendlyName.rfind('(');
  if (open == std::string_view::npos) return std::string(friendlyName);
  const std::string_view rest = friendlyName.substr(open + 1);
  return std::string(rest.substr(0, rest.find(')')));
}

std::string DevicePathForPortName(std::string_view portName) {
  if (const auto announced = FindAnnouncement(portName)) return announced->devicePath;
  return "/dev/" + std::string(portName);
}

std::string DevicePathFromFriendlyName(std::string_view friendlyName) {
  return DevicePathForPortName(PortNameFromFriendlyName(friendlyName));
}

}  // namespace korva
