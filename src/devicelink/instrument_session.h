#pragma once

#include <QObject>
#include <QTimer>

#include "common/event_log.h"
#include "devicelink/link_session.h"

namespace korva {

class DeviceImage;
class Prompt;

// What the program and the headless tool both hold of the instrument: the
// event log on the computer's local clock, the link (serial port, command
// engine, connect and disconnect sequences) over the buffer spectrum's
// device image, and the 200 ms main timer that drives the engine's
// time-outs and every subsystem's tick work.
class InstrumentSession : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 200;

  InstrumentSession(DeviceImage& image, Prompt& prompt, QObject* parent = nullptr);

  EventLog& Log() { return log_; }
  LinkSession& Link() { return link_; }
  CommandEngine& Engine() { return link_.Engine(); }

  void StartTicking() { timer_.start(kTickMs); }
  void StopTicking() { timer_.stop(); }
  bool Ticking() const { return timer_.isActive(); }

 signals:
  // The engine has had its tick; the subsystems do their tick work now.
  void Ticked();

 private:
  SystemLocalClock clock_;
  EventLog log_;
  LinkSession link_;
  QTimer timer_;
};

}  // namespace korva
