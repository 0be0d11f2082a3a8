#pragma once

#include <vector>

#include "devicelink/serial_port_record.h"

namespace korva {

// The computer's serial ports in the order the system reports them,
// followed by the running virtual instruments, each record completed.
std::vector<SerialPortRecord> EnumerateSerialPorts();

}  // namespace korva
