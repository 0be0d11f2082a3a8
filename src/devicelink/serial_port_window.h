#pragma once

#include <QEvent>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <string>

#include "devicelink/serial_port_event.h"
#include "devicelink/serial_port_listener.h"

class QObject;

namespace korva {

// A serial port whose listener posts its notifications to a QObject on the
// user-interface thread, as SerialPortEvent. A target receives them in
// QObject::event or customEvent:
//
//   if (event->type() == port.MessageType()) {
//     const auto& note = static_cast<const SerialPortEvent&>(*event);
//     ... note.Events(), note.LineErrors() ...
//   } else if (event->type() == CSerialWnd::HangupMessageType()) {
//     ... the line hung up: disconnect ...
//   }
//
// The target lives on the user-interface thread and outlives the open port
// (close the port before destroying the target). Works with a
// QCoreApplication alone; no widgets needed.
class CSerialWnd : public CSerialEx {
 public:
  // The registered notification type ("CSerialWnd_DefaultComMsg") used when
  // Open is given message type 0. The same for every port.
  static QEvent::Type DefaultMessageType();
  // The registered type of the hang-up notification. Its parameters are 0
  // and the message parameter.
  static QEvent::Type HangupMessageType();

  CSerialWnd() = default;
  ~CSerialWnd() override;

  // Opens the port as CSerial::Open does and starts the listener, which
  // posts notifications of `messageType` (a registered user event type, or 0
  // for DefaultMessageType) carrying `messageParameter` to `target`.
  // kInvalidParameter for a null target or a type outside the user range.
  long Open(const std::string& device, QObject* target, int messageType = 0, qintptr messageParameter = 0,
            std::size_t inputQueueSize = 0, std::size_t outputQueueSize = 0);

  QEvent::Type MessageType() const { return messageType_; }

 private:
  void OnSerialEvent(std::uint16_t events, std::uint16_t lineErrors) override;
  void OnSerialHangup() override;

  // Set before the listener starts and left alone while it runs.
  QObject* target_ = nullptr;
  QEvent::Type messageType_ = QEvent::None;
  qintptr messageParameter_ = 0;
};

}  // namespace korva
