#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/beta_pulse_source.h"
#include "sim/register_bank.h"

namespace korva::sim {

// What the multichannel analyser takes from the registers:
//   input       register 83 bits 0-1 (tube A, B, C, or 3 for their sum);
//   half        register 18 bit 15 (set: entries 0-4095, clear: 4096-8191);
//   gain        coarse sqrt(2)^(register 18 bits 0-1) x fine
//               (1 + 0.2 x (4095 - register 17 / 16) / 4095);
//   thresholds  slow (registers 34/35 over Ns, or in PHA mode, register 18
//               bit 14, registers 72/73 over 12) and fast (36/37 over Nf), in
//               channels; a negative register pair asks for the estimate;
//   estimates   the noise of each shaper times its margin (register 71
//               bits 0-4 and 5-9, in quarters, at least 1): the noise in
//               channels grows with the gain and falls with the rise time
//               (registers 2 and 4);
//   dead time   one slow shaper pulse per processed event,
//               (2 x rise + flat top) ticks (registers 2, 3);
//   pile-up     register 13 bit 15 clear: a pulse that arrives while the
//               slow shaper is still busy spoils the pulse being shaped,
//               and the rejector drops both;
//   pulser      register 16 bit 9 clear: the digital pulser is on;
//   PHA mode    register 18 bit 14: the plain pulse-height path, a peak
//               detector behind the amplifier with a fixed conversion time
//               and no shaper: the shaper times, the fast threshold and the
//               pile-up rejector take no part, the LLD (registers 72/73)
//               triggers.
// Ns = 4F and Nf = 4G follow the gain normalisation factor F of registers
// 20/21 and G = register 4 x F / register 2, each at least 1.
struct AnalyserSettings {
  int input = 0;
  std::size_t firstEntry = 0;
  bool pha = false;
  double gain = 1.0;
  double slowNoise = 0.0;  // channels rms
  double estimatedSlowThreshold = 0.0;
  double estimatedFastThreshold = 0.0;
  double slowThreshold = 0.0;
  double fastThreshold = 0.0;
  std::int64_t deadTimeNs = 0;
  bool pileUpRejection = false;
  bool pulser = false;
  // Channels to the units of the threshold registers: Ns, or 12 in PHA mode.
  double slowScale = 4.0;
  double fastScale = 4.0;  // Nf

  // The pulse height the analyser's input sees, in photoelectrons.
  double Signal(const PmtPulses& pulses) const;
};

AnalyserSettings ReadAnalyserSettings(const RegisterBank& registers);

}  // namespace korva::sim
