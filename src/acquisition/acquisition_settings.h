#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "acquisition/acquisition_gating.h"
#include "acquisition/acquisition_rates.h"
#include "devicelink/register_edit.h"
#include "spectrum/acquisition_times.h"

namespace korva {

class CSpectrum;

// The Stop Timer list; the trailing blanks belong to the texts.
inline constexpr std::array<const char*, 2> kStopTimerListTexts = {"REAL TIMER ", "LIVE TIMER "};

// The acquisition form's settings controls. Lists hold list positions,
// delays ticks. The defaults are the form's state after its first update.
struct AcquisitionSettings {
  int stopTimer = 0;  // kStopTimerListTexts
  int presetSeconds = 0;
  bool digitalPulser = false;  // DIGITAL PULSER ticked: the pulser runs
  int coincidenceSource = 0;   // kCoincidenceSourceTexts
  int secondSource = 0;        // SecondSourceTexts(coincidenceSource)
  int window = 0;              // kWindowTexts
  int mode = 0;                // kModeTexts
  int delay = 1;
  int strobeDelay = 1;  // MCA STO delay
  int windowWidth = 1;
  std::array<int, 2> tdcrDelay{kMinTdcrDelay, kMinTdcrDelay};  // TDCR S1, S2

  friend bool operator==(const AcquisitionSettings&, const AcquisitionSettings&) = default;
};

// Encodes every control into the buffer spectrum's registers; bits and
// registers the controls do not own are kept. Out-of-range values are
// taken at their limits.
void WriteAcquisitionSettings(const AcquisitionSettings& settings, RegisterImage& registers);
// Decodes the controls from a spectrum's registers.
AcquisitionSettings ReadAcquisitionSettings(const RegisterImage& registers);

// The TDCR measurement's dead-time extension of TDCR signal `signal` (0 for
// S1, 1 for S2) in ticks, as its form keeps it (80..62500): what bounds the
// acquisition's TDCR delay of the same signal.
int TdcrDelayExtension(const RegisterImage& registers, std::size_t signal);

// What the form shows besides its settings, decoded from the active
// spectrum's registers and status words; the texts are also what the
// spectrum file, the CSV export and the spectrum info view show.
struct AcquisitionReadout {
  RunTimes times;
  std::string realTime;
  std::string liveTime;
  std::string deadPercent;
  std::string startLabel;
  std::string startStamp;
  std::string temperature;
  std::string slowAdc;
  CountingRates rates;
  // Beside delay, MCA STO delay, TDCR S1, TDCR S2 and window width.
  std::array<std::string, 5> microseconds;
};

AcquisitionReadout ReadAcquisition(const CSpectrum& spectrum);

}  // namespace korva
