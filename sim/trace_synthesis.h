#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "devicelink/wire_frame.h"
#include "sim/register_bank.h"

namespace korva::sim {

// Builds the trace record of one captured pulse of pulse height `channel`
// (0-4095) as the trace unit would record it with the settings in
// `registers`: 256 samples of (signed analog value, logic lines), 4 bytes
// each, little-endian.
//
// The pulse arrives at the trigger delay (register 25), or anywhere with the
// random trigger (register 26 bit 7); one sample spans register 24 + 1
// clock ticks. The analog line is the selected input (register 26 bits 0-1):
// SLOW and FAST are trapezoids with the shaper rise and flat-top times of
// registers 2-5, ADC is the decaying preamplifier step, AUX a smaller copy
// of SLOW. The logic lines follow the slow and fast pulses: F LLD, S LLD,
// PKDT on the flat top, STORE just after it, and ROI-SCA with STORE when the
// pulse height lies in the window of registers 27-28.
std::array<std::uint8_t, wire::kTraceBytes> SynthesizeTrace(const RegisterBank& registers,
                                                            std::uint32_t channel, std::mt19937& random);

}  // namespace korva::sim
