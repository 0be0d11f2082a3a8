#pragma once

#include <QtGlobal>
#include <cstddef>
#include <string>

#include "devicelink/serial_port_window.h"

class QWidget;

namespace korva {

// A serial port whose notifications go to a framework window (a widget),
// such as the main frame or a dialog. Delivery is that of CSerialWnd.
class CSerialMFC final : public CSerialWnd {
 public:
  // The listener thread calls this object's virtual functions until it
  // stops. It is stopped here, before the base class destructors change
  // the object's type under it.
  ~CSerialMFC() override {
    if (IsOpen()) CSerialWnd::Close();
  }

  long Open(const std::string& device, QWidget* window, int messageType = 0, qintptr messageParameter = 0,
            std::size_t inputQueueSize = 0, std::size_t outputQueueSize = 0) {
    return CSerialWnd::Open(device, window, messageType, messageParameter, inputQueueSize, outputQueueSize);
  }
};

}  // namespace korva
