#pragma once

#include <QtGlobal>
#include <cstddef>
#include <string>

#include "devicelink/serial_port_window.h"

class QWidget;

namespace korva {

// A serial port whose notifications go to a framework window (a widget),
// such as the main frame or a dialog. Delivery is that of CSerialWnd.
class CSerialMFC : public CSerialWnd {
 public:
  long Open(const std::string& device, QWidget* window, int messageType = 0, qintptr messageParameter = 0,
            std::size_t inputQueueSize = 0, std::size_t outputQueueSize = 0) {
    return CSerialWnd::Open(device, window, messageType, messageParameter, inputQueueSize, outputQueueSize);
  }
};

}  // namespace korva
