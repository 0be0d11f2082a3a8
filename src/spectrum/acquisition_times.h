#pragma once

#include <cstdint>
#include <string>

#include "devicelink/register_edit.h"

namespace korva {

// The analyser's real and live time (registers 56-61): a coarse count of
// 10 ms units plus a fine count of 16-tick (0.128 us) units.
struct RunTimes {
  double realSeconds = 0.0;
  double liveSeconds = 0.0;
  // (real - live) x 100 / real; 0 when real is 0 or live exceeds real.
  double deadPercent = 0.0;
};

RunTimes DecodeRunTimes(const RegisterImage& registers);
double DeadPercent(double realSeconds, double liveSeconds);

// "REAL [s]" and "LIVE [s]", "%10.2f"; "DEAD %", "%3.1f".
std::string RunTimeText(double seconds);
std::string DeadPercentText(double percent);

// The stop-timer preset (registers 42/43) holds seconds x 100. The Preset
// Time edit takes whole seconds, limited to what the register pair holds.
inline constexpr int kMaxAcquisitionPresetSeconds = 42949672;
int PresetSeconds(const RegisterImage& registers);
void WritePresetSeconds(RegisterImage& registers, int seconds);

// "Internal Temp [C]" as an integer and "Slow ADC Voltage [V]", "%6.3f".
std::string TemperatureText(std::int16_t temperature);
std::string SlowAdcText(double volts);

}  // namespace korva
