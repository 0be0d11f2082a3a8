#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "acquisition/acquisition_settings.h"
#include "common/event_log.h"
#include "devicelink/command_engine.h"
#include "devicelink/register_edit.h"
#include "timesync/time_reference.h"

namespace korva {

// The register steps of the run commands on the buffer spectrum's image.
// Start: the stamp's reference in register 16 bits 10/11, its date and time
// in registers 22/23, and the run bits 0 and 1.
void ApplyStartStamp(RegisterImage& registers, const StartTime& stamp);
// Stop: run bits 0 and 1 cleared.
void ApplyStop(RegisterImage& registers);
// Erase: bit 2 and bit 5 set, bit 4 cleared; the instrument erases both
// spectrum halves and the times and hands the bits back.
void ApplyEraseRequest(RegisterImage& registers);

// "Start Spectrum Acquisition" is offered while the buffer spectrum is
// shown, an instrument is connected and no acquisition runs; "Stop ..."
// while one runs.
bool CanStartAcquisition(bool connected, std::uint16_t bufferControl, bool bufferActive);
bool CanStopAcquisition(bool connected, std::uint16_t bufferControl, bool bufferActive);

// What the run commands use of the program. The engine's image is the
// buffer spectrum's; an instrument counts as connected once it has answered.
struct AcquisitionRunContext {
  CommandEngine& engine;
  TimeReferenceState& reference;
  EventLog& log;
  // Shows the "Measurement Time Stamp" dialog and stores the choice.
  std::function<void()> chooseReference;
  // Waits while the start time is held back to an even second.
  std::function<void(std::chrono::milliseconds)> sleep;
};

// The start-time label and date-time field after a command.
struct StartTexts {
  std::string label;
  std::string stamp;
};

// MCA-START: chooses a time reference first when one is due, stamps the
// start on the next even second in that reference and starts the run. With
// no instrument the field says "Hardware Not Connected" and nothing else
// changes. A spectrum that already counted REAL since its stamp resumes
// under that stamp. Nothing happens (no texts) when the time stamp dialog
// is closed without a choice.
std::optional<StartTexts> StartAcquisition(AcquisitionRunContext& context);
// MCA-STOP. Without an instrument only the image changes; the next settings
// write carries it.
void StopAcquisition(AcquisitionRunContext& context);
// MCA-RESET: the erase request with every setting of `settings`. A running
// acquisition starts again with a fresh stamp (its texts are returned); a
// stopped one loses its start date, so it shows "WAITING FOR START" after
// the next read-back.
std::optional<StartTexts> EraseAcquisition(AcquisitionRunContext& context,
                                           const AcquisitionSettings& settings);
// A settings control changed: every control into the image, then sent.
void ApplyAcquisitionSettings(CommandEngine& engine, const AcquisitionSettings& settings);
// AUTO UPDATE clicked: the spectrum memory is polled while it is ticked, and
// the registers are read at once either way.
void ClickAutoUpdate(CommandEngine& engine, bool ticked);

}  // namespace korva
