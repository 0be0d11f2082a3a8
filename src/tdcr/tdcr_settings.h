#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "devicelink/register_edit.h"
#include "devicelink/register_map.h"

namespace korva {

// Unsigned 32-bit values kept in two registers, low half first.
std::uint32_t ReadRegisterPair(const RegisterImage& registers, std::size_t low);
void WriteRegisterPair(RegisterImage& registers, std::size_t low, std::uint32_t value);

// The 64-bit start time stamp of registers 92-95.
std::uint64_t ReadStartTime(const RegisterImage& registers);
void WriteStartTime(RegisterImage& registers, std::uint64_t fileTime);

// Dead-time extensions (registers 84, 85) as spin positions of 8 ns each:
// register = position - 2, position 80..62500 (0.640..500.000 us).
inline constexpr int kMinExtensionPosition = 80;
inline constexpr int kMaxExtensionPosition = 62500;
int ExtensionPosition(std::uint16_t registerValue);
std::uint16_t ExtensionRegister(int position);
// Typed microseconds / 0.008, truncated, limited to the spin range.
int ExtensionPositionFromMicroseconds(double microseconds);
int StepExtensionPosition(int position, int step);
// "%7.3f" of position x 0.008 us.
std::string ExtensionText(int position);

// Preset time per run and gap time: seconds are limited to
// 0..4294967.294 and stored as whole milliseconds.
inline constexpr double kMaxPresetSeconds = 4294967.294;
std::uint32_t PresetMilliseconds(double seconds);
double PresetSeconds(const RegisterImage& registers, std::size_t low);

// Coincidence windows (register 90): N in bits 0-3 with the dead-time mode
// of extension 1 in bit 14, M in bits 4-7 with that of extension 2 in bit 15
// (0 IDT, 1 CDT). The form sets a window and its extension's mode together.
enum class CoincidenceWindow { kN, kM };
inline constexpr std::array<int, 16> kCoincidenceWindowsNs = {10, 20,  30,  40,  50,  60,  70,  80,
                                                              90, 100, 110, 120, 140, 160, 180, 200};
int WindowIndex(std::uint16_t windows, CoincidenceWindow window);
bool IsCdt(std::uint16_t windows, CoincidenceWindow window);
std::uint16_t WithWindow(std::uint16_t windows, CoincidenceWindow window, int index, bool cdt);
// The list text of a window index, "10" .. "200".
std::string WindowText(int index);

// Sequential runs (register 91): bits 0-5 hold the preset number of runs
// minus 1; bits 8-13 the 0-based index of the run in progress, set by the
// instrument.
int PresetRunsIndex(std::uint16_t runs);
int CurrentRunIndex(std::uint16_t runs);
// The preset length of the whole sequence in seconds: every run's preset
// time and the gaps between them.
double SequenceSeconds(const RegisterImage& registers);
// Stores a runs list index (0..63) and keeps the current run index.
std::uint16_t WithPresetRuns(std::uint16_t runs, int index);

// Input polarities (register 97 bits 8, 9, 10 for A, B, C): positive only
// on the second model (model code 3); the other model is always negative.
bool IsPositive(std::uint16_t sourceAndPolarity, std::size_t input, std::uint16_t modelCode);
std::uint16_t WithPolarity(std::uint16_t sourceAndPolarity, std::size_t input, bool positive,
                           std::uint16_t modelCode);

// Reference clock source of the time-base check (register 97 bits 0-1):
// 0 none, 1 internal 10 MHz reference, 2 external 10 MHz reference.
inline constexpr std::array<const char*, 3> kReferenceSourceTexts = {"NONE", "INT REF 10MHz",
                                                                     "EXT REF 10MHz"};
int ReferenceSource(std::uint16_t sourceAndPolarity);
std::uint16_t WithReferenceSource(std::uint16_t sourceAndPolarity, int index);

}  // namespace korva
