#pragma once

#include <functional>
#include <string>

#include "analysis/provenance.h"
#include "cli/cli_archive.h"
#include "cli/console_event_log.h"
#include "cli/console_prompt.h"
#include "devicelink/instrument_session.h"
#include "spectrum/spectrum_record.h"
#include "timesync/system_time_services.h"
#include "timesync/time_reference.h"

namespace korva {

// How long the headless tool waits for what its commands follow. Replies
// at 2400 baud take seconds; a walk of the whole data memory (eight
// chunks) takes minutes.
inline constexpr int kChunksPerMemoryWalk = 8;
inline constexpr int kProgressPeriodMs = 2000;
inline constexpr int kReplyWaitMs = 120000;
inline constexpr int kMemoryWalkWaitMs = 600000;

// Prints `message` on standard error; returns false, for a step that failed.
bool ReportFailure(const std::string& message);

// Everything the headless tool needs to talk to an instrument: the buffer
// spectrum with the device image, the instrument session the program also
// holds, its event log echoed on standard error, the start-time reference
// and waits on the event loop. While it lives, the tool's saves are
// archived with its instrument and time reference.
class CliSession {
 public:
  CliSession();

  EventLog& Log() { return instrument_.Log(); }
  ConsolePrompt& Prompt() { return prompt_; }
  LinkSession& Link() { return instrument_.Link(); }
  CommandEngine& Engine() { return instrument_.Engine(); }
  InstrumentSession& Instrument() { return instrument_; }
  CSpectrum& Buffer() { return buffer_; }
  TimeReferenceState& Reference() { return reference_; }
  // The engine gave the link up, or the line hung up under the open port
  // (the instrument went away): every wait ends at once.
  bool LinkGivenUp() const { return console_.LinkGivenUp() || lineHungUp_; }

  // Opens `device` at `baudRate` with the program's Connect and waits for the
  // instrument's first answer; false when the port does not open or the
  // link is given up first.
  bool ConnectAndWait(const std::string& device, std::uint32_t baudRate);
  // Polls the registers alone (no spectrum chunks, so this is quick at any
  // baud rate) until the instrument's threshold calibration is settled,
  // then resumes spectrum polling. Millivolt thresholds are converted only
  // after this. False when the link fails or the time runs out first.
  bool SettleThresholdCalibration();
  // Runs the event loop until `done` holds, the link is given up or
  // `timeoutMs` passes; returns whether `done` held. `done` is examined
  // after every port notification and every 200 ms tick, and the process
  // sleeps in between.
  bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
  // Waits until no register write is queued or on the line, then for two
  // more register reads (counted by `registerReads`), so the image holds
  // what the instrument took.
  bool SettleWrites(const std::function<int()>& registerReads);
  // Closes the link if it is open.
  void Disconnect();

  // Chooses the start-time reference a script asked for: SYSTEM and LOCAL
  // at once, UTC after a query of `ntpServer` (its report on standard
  // error), which the reference then names.
  bool ChooseReference(TimeReferenceKind kind, const std::string& ntpServer);
  // The instrument once it has answered, and the time reference once a
  // script chose one.
  InstrumentProvenance InstrumentNow();

 private:
  ConsolePrompt prompt_;
  CSpectrum buffer_;
  InstrumentSession instrument_;
  ConsoleEventLog console_;
  bool lineHungUp_ = false;
  SystemTimeServices services_;
  TimeReferenceState reference_{services_.Clock(), services_.Zones()};
  ToolArchiveInstrument archiveInstrument_{[this] { return InstrumentNow(); }};
};

}  // namespace korva
