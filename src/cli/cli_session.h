#pragma once

#include <QTimer>
#include <functional>

#include "cli/console_event_log.h"
#include "cli/console_prompt.h"
#include "common/event_log.h"
#include "devicelink/link_session.h"
#include "spectrum/spectrum_record.h"

namespace korva {

// Everything the headless tool needs to talk to an instrument: the event
// log echoed on standard error, the buffer spectrum with the device image,
// the link, and the 200 ms tick that drives the engine's time-outs.
class CliSession {
 public:
  CliSession();

  EventLog& Log() { return log_; }
  ConsolePrompt& Prompt() { return prompt_; }
  LinkSession& Link() { return link_; }
  CSpectrum& Buffer() { return buffer_; }
  bool LinkGivenUp() const { return console_.LinkGivenUp(); }

  // Opens `device` at `baudRate` with the program's Connect and waits for the
  // instrument's first answer; false when the port does not open or the
  // link is given up first.
  bool ConnectAndWait(const std::string& device, std::uint32_t baudRate);
  // Runs the event loop until `done` holds, the link is given up or
  // `timeoutMs` passes; returns whether `done` held.
  bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

 private:
  SystemLocalClock clock_;
  EventLog log_;
  ConsoleEventLog console_;
  ConsolePrompt prompt_;
  CSpectrum buffer_;
  LinkSession link_;
  QTimer ticker_;
};

}  // namespace korva
