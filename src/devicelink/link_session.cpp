#include "devicelink/link_session.h"

#include <QTimer>
#include <chrono>
#include <thread>

#include "common/event_log.h"
#include "common/prompt.h"
#include "devicelink/device_image.h"
#include "devicelink/serial_notification.h"
#include "devicelink/serial_port_error.h"
#include "devicelink/serial_port_event.h"

namespace korva {

namespace {

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

LinkSession::LinkSession(DeviceImage& image, EventLog& log, Prompt& prompt, QObject* parent)
    : QObject(parent), image_(image), log_(log), prompt_(prompt), engine_(port_, image, log, prompt, *this) {}

LinkSession::~LinkSession() {
  if (port_.IsOpen()) port_.Close();
}

bool LinkSession::Connect() {
  emit ConnectStarting();
  if (port_.IsOpen()) port_.Close();
  engine_.PrepareConnect();

  if (port_.Open(portName_, this, 0, 0, kQueueSize, kQueueSize) != error_code::kSuccess) {
    ReportOpenFailure();
    port_.Close();
    portOpen_ = false;
    RunDisconnectSequence();
    return false;
  }
  portOpen_ = true;
  port_.Break();
  port_.Purge();
  DrainLink(port_);

  serialEventsSuppressed_ = false;
  ConfigureLine();
  log_.AddLine("Connected to: " + portName_);
  port_.Purge();

  engine_.SetSpectrumPolling(true);
  image_.OnConnect();
  // Lets the instrument settle after the break before the first request.
  Pause(200);
  engine_.CompleteConnect();
  emit Connected();
  return true;
}

// The reason and, for a permission error, the fix go to the event log as
// well, where they stay after the message is gone.
void LinkSession::SetTimings(const LinkTimings& timings) {
  timings_ = timings;
  engine_.SetTimings(timings);
}

void LinkSession::ReportOpenFailure() {
  const std::vector<std::string> lines = OpenFailureLines(portName_, port_.LastError());
  std::string message;
  for (const std::string& line : lines) {
    log_.AddLine(line);
    message += (message.empty() ? "" : "\n") + line;
  }
  prompt_.ShowError(message);
}

void LinkSession::ConfigureLine() {
  port_.Setup(baudRate_, 8, CSerial::Parity::kNone, CSerial::StopBits::kOne);
  engine_.SetBaudRate(baudRate_);
  port_.SetEventMask(serial_event::kProgramMask);
  port_.SetReadTimeouts(CSerial::ReadTimeouts::kNonBlocking);
  port_.SetHandshaking(CSerial::Handshake::kRtsCts);
}

void LinkSession::Disconnect() {
  portOpen_ = false;
  RunDisconnectSequence();
}

void LinkSession::RunDisconnectSequence() {
  engine_.OnDisconnect();
  serialEventsSuppressed_ = true;
  Pause(100);
  if (port_.IsOpen()) port_.Close();
  portOpen_ = false;
  log_.AddLine("Disconnected from hardware");
  emit Disconnected();
}

// A hung-up line never answers again, so the link is given up at once
// instead of after the engine's repeats and time-out, and the user is told
// why it ended.
void LinkSession::GiveUpHungUpLine() {
  const std::string port = portName_;
  portOpen_ = false;
  RunDisconnectSequence();
  prompt_.ShowError("Connection to the instrument lost: " + port +
                    "\nThe line hung up: the instrument was unplugged, switched off or closed.");
}

void LinkSession::ScheduleAfter(int delayMs, std::function<void()> action) {
  QTimer::singleShot(delayMs, this, std::move(action));
}

bool LinkSession::event(QEvent* event) {
  if (event->type() == port_.MessageType()) {
    const auto& note = static_cast<const SerialPortEvent&>(*event);
    const bool suppressed = serialEventsSuppressed_ && !searching_;
    if (suppressed && rawReplySink_) {
      if (note.Events() & serial_event::kCharactersReceived) rawReplySink_();
    } else {
      HandleSerialNotification(note.Events(), note.LineErrors(), suppressed, log_,
                               [this] { engine_.OnReplyBytes(); });
    }
    emit SerialNotificationHandled();
    return true;
  }
  if (event->type() == CSerialWnd::HangupMessageType()) {
    log_.AddLine("Line hung up: " + portName_);
    emit LineHungUp();
    if (portOpen_ && !searching_) GiveUpHungUpLine();
    return true;
  }
  return QObject::event(event);
}

}  // namespace korva
