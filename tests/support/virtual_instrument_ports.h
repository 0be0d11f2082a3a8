#pragma once

#include <functional>
#include <vector>

#include "devicelink/serial_port_record.h"
#include "sim/pty_server.h"

namespace korva::test {

// The port list of a computer whose only port is `instrument`, as the Port
// Finder would see it.
inline std::function<std::vector<SerialPortRecord>()> VirtualInstrumentPorts(
    const sim::PtyServer& instrument) {
  return [&instrument] {
    SerialPortRecord record;
    record.portName = instrument.DevicePath().substr(5);
    record.friendlyName = MakeFriendlyName("Veltra virtual instrument", record.portName);
    return std::vector<SerialPortRecord>{record};
  };
}

}  // namespace korva::test
