#include "devicelink/serial_port_frame_window.h"

#include <QWidget>

namespace korva {

long CSerialMFC::Open(const std::string& device, QWidget* window, int messageType, qintptr messageParameter,
                      std::size_t inputQueueSize, std::size_t outputQueueSize) {
  return CSerialWnd::Open(device, window, messageType, messageParameter, inputQueueSize, outputQueueSize);
}

}  // namespace korva
