#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "devicelink/register_edit.h"
#include "devicelink/register_map.h"

namespace korva {

// One digitiser sample, the unit of every shaper time.
inline constexpr double kSampleMicroseconds = 0.008;

// The "Auto Margin" lists: "1" .. "7.75" in quarters; position p is sent as
// code p + 4 (the margin in quarters), and a code below 4 shows "1".
inline constexpr int kMarginEntries = 28;
std::string MarginText(int position);
int MarginPosition(int code);
inline int MarginCode(int position) { return position + 4; }

// The "BDC" list: "1" .. "4.875" in eighths; the position is sent as is.
inline constexpr int kBdcEntries = 32;
std::string BdcText(int position);
double BdcValue(int position);

// Registers 32, 33 and 38-41, derived from the four shaper times on every
// compose (16-bit unsigned arithmetic, integer division).
void ComposeDerivedShaperRegisters(RegisterImage& registers);

// A 32-bit register pair, low half first.
std::uint32_t RegisterPair(const RegisterImage& registers, std::size_t low);
void SetRegisterPair(RegisterImage& registers, std::size_t low, std::uint32_t value);

// A threshold in displayed channels as the instrument holds it: channels x
// compression x scale, or 0xFFFFFFFF (automatic) for 0. A product beyond
// the positive 32-bit range is held at its top, because the instrument reads
// the pair as a signed number and a wrapped value would turn the threshold
// automatic or tiny.
std::uint32_t EncodeThreshold(int channels, std::uint32_t compression, std::uint32_t scale);
// The full-resolution threshold of a register pair: -1 when negative
// (automatic), else the pair / scale, at most 2048.
int DecodeThreshold(std::uint32_t pair, std::uint32_t scale);
// What a threshold field shows for a decoded full-resolution threshold: 0
// for automatic, else the displayed channel, at least 1.
int ThresholdField(int threshold, std::uint32_t compression);

// "%5.4f" of samples x 0.008 (µs), "%5.4f" of the long unfolding time
// constant x 0.008 x 0.125 (µs), "%4.1f" of the short one x 0.008 x 125 (ns).
std::string SampleTimeText(int samples);
std::string LongTcText(int value);
std::string ShortTcText(int value);

}  // namespace korva
