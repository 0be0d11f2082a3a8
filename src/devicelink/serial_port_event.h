#pragma once

#include <QEvent>
#include <QtGlobal>
#include <cstdint>

namespace korva {

// A port notification as it reaches the target on the user-interface
// thread. Like a window message it carries two parameters: the first holds
// the event word in its low 16 bits and the line-error word in its high 16
// bits, the second is the message parameter given at open.
class SerialPortEvent : public QEvent {
 public:
  SerialPortEvent(QEvent::Type type, quint32 firstParameter, qintptr secondParameter)
      : QEvent(type), first_(firstParameter), second_(secondParameter) {}

  quint32 FirstParameter() const { return first_; }
  qintptr SecondParameter() const { return second_; }
  std::uint16_t Events() const { return static_cast<std::uint16_t>(first_ & 0xFFFFu); }
  std::uint16_t LineErrors() const { return static_cast<std::uint16_t>(first_ >> 16); }

 private:
  quint32 first_;
  qintptr second_;
};

}  // namespace korva
