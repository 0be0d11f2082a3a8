#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>

#include "devicelink/command_engine.h"
#include "devicelink/engine_links.h"
#include "devicelink/link_timings.h"
#include "devicelink/serial_port_window.h"

namespace korva {

class DeviceImage;
class EventLog;
class Prompt;

// The instrument link as the main window and the headless tool hold it: the
// serial port, the command engine on it, the chosen port and baud rate, and
// the connect and disconnect sequences. It receives the port's
// notifications on the user-interface thread and feeds the engine.
class LinkSession : public QObject, public EngineHost {
  Q_OBJECT

 public:
  static constexpr std::uint32_t kAutoConnectBaudRate = 921600;
  static constexpr std::size_t kQueueSize = 2000;

  LinkSession(DeviceImage& image, EventLog& log, Prompt& prompt, QObject* parent = nullptr);
  ~LinkSession() override;

  CommandEngine& Engine() { return engine_; }
  CSerialWnd& Port() { return port_; }

  void SetPortName(const std::string& device) { portName_ = device; }
  const std::string& PortName() const { return portName_; }
  void SetBaudRate(std::uint32_t baudRate) { baudRate_ = baudRate; }
  std::uint32_t BaudRate() const { return baudRate_; }
  // The link's time-outs and pauses, the engine's and the Port Finder's.
  void SetTimings(const LinkTimings& timings);
  const LinkTimings& Timings() const { return timings_; }

  // Opens the chosen port and starts polling; false (after "Unable to open
  // COM-port") when the port does not open.
  bool Connect();
  // The Disconnect command.
  void Disconnect();
  // Also run by the engine's time-out, shutdown and power suspend.
  void RunDisconnectSequence() override;

  bool IsPortOpen() const override { return portOpen_; }
  void SetPortOpen(bool open) { portOpen_ = open; }
  void ScheduleAfter(int delayMs, std::function<void()> action) override;

  bool SerialEventsSuppressed() const { return serialEventsSuppressed_; }
  void SetSerialEventsSuppressed(bool suppressed) { serialEventsSuppressed_ = suppressed; }
  // While the Port Finder searches it takes the notifications as they come,
  // whatever the suppressed flag says.
  void SetSearching(bool searching) { searching_ = searching; }
  // While serial events are suppressed, received characters go to `sink`
  // instead of the engine (the FPGA transfer reads the port itself); an
  // empty sink ignores them again.
  void SetRawReplySink(std::function<void()> sink) { rawReplySink_ = std::move(sink); }

 signals:
  // Connect is about to (re)open the port: the time stamp choice and the
  // trace viewer start afresh.
  void ConnectStarting();
  // The port is open and the first register read is on its way; views
  // reload their controls from the next register read.
  void Connected();
  void Disconnected();
  // The line hung up under the open port (device unplugged).
  void LineHungUp();
  // A port notification was handled: the engine may have taken a reply.
  void SerialNotificationHandled();

 protected:
  bool event(QEvent* event) override;

 private:
  void ConfigureLine();
  void ReportOpenFailure();
  void GiveUpHungUpLine();

  DeviceImage& image_;
  EventLog& log_;
  Prompt& prompt_;
  CSerialWnd port_;
  CommandEngine engine_;
  std::string portName_;
  std::uint32_t baudRate_ = kAutoConnectBaudRate;
  LinkTimings timings_;
  bool portOpen_ = false;
  bool serialEventsSuppressed_ = false;
  bool searching_ = false;
  std::function<void()> rawReplySink_;
};

}  // namespace korva
