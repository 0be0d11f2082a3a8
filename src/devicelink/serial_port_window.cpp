#include "devicelink/serial_port_window.h"

#include <QCoreApplication>
#include <QObject>

#include "devicelink/serial_port_error.h"

namespace korva {

QEvent::Type CSerialWnd::DefaultMessageType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QEvent::Type CSerialWnd::HangupMessageType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

CSerialWnd::~CSerialWnd() {
  if (IsOpen()) CSerialWnd::Close();
}

long CSerialWnd::Open(const std::string& device, QObject* target, int messageType, qintptr messageParameter,
                      std::size_t inputQueueSize, std::size_t outputQueueSize) {
  if (IsOpen()) return Remember(error_code::kAlreadyInitialized);
  const bool userType = messageType >= QEvent::User && messageType <= QEvent::MaxUser;
  if (target == nullptr || (messageType != 0 && !userType)) return Remember(error_code::kInvalidParameter);
  target_ = target;
  messageType_ = messageType == 0 ? DefaultMessageType() : static_cast<QEvent::Type>(messageType);
  messageParameter_ = messageParameter;
  return CSerialEx::Open(device, inputQueueSize, outputQueueSize);
}

// postEvent is safe from any thread, takes ownership of the event and
// delivers it on the target's thread, the user-interface thread.
void CSerialWnd::OnSerialEvent(std::uint16_t events, std::uint16_t lineErrors) {
  const quint32 first = static_cast<quint32>(events) | (static_cast<quint32>(lineErrors) << 16);
  QCoreApplication::postEvent(target_, new SerialPortEvent(messageType_, first, messageParameter_));
}

void CSerialWnd::OnSerialHangup() {
  QCoreApplication::postEvent(target_, new SerialPortEvent(HangupMessageType(), 0, messageParameter_));
}

}  // namespace korva
