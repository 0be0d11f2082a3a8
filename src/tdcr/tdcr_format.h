#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korva {

// The number formats of the TDCR views. Every shown value is formatted once,
// here, and the measurement files write these same texts.

// Rates, real times and live times: "%10.3f".
std::string FormatReading(double value);
// TDCR ratios: "%10.6f", or "0.0" when the divisor was exactly 0.
std::string FormatRatio(std::optional<double> ratio);
// Discriminator thresholds in millivolts: "%7.2f".
std::string FormatThreshold(double millivolts);
// Dead-time extensions in microseconds: "%7.3f".
std::string FormatExtension(double microseconds);
// Preset time per run and gap time in seconds: "%6.3f".
std::string FormatPresetTime(double seconds);
// A run-record counter as the unsigned decimal of all its 64 bits.
std::string FormatCount(std::uint64_t count);

// What a rate or ratio shows instead of a number when its divisor is 0.
inline constexpr const char* kNoDivisorText = "0.0";

}  // namespace korva
