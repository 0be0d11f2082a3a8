#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "devicelink/device_image.h"
#include "spectrum/amplifier_spectrum_fields.h"
#include "spectrum/calibration_gain.h"
#include "spectrum/calibration_record.h"
#include "timesync/calendar_time.h"

namespace korva {

// One spectrum window's record: the buffer spectrum mirrors the connected
// instrument, the file spectrum holds a spectrum loaded from disk.
//
// The record's counts (the 16384-word analyser memory image), register
// copy, firmware version, serial number, internal temperature, slow-ADC
// value, channel compression factor, half selector and compressed spectrum
// live in `image`; the buffer spectrum's image is the one the command engine
// fills. Words 8192-16383 of the counts are held as read but take no part in
// display or files.
class CSpectrum {
 public:
  static constexpr std::size_t kChannels = DeviceImage::kHalfEntries;
  static constexpr std::int32_t kMinSize = 512;
  static constexpr std::int32_t kMaxSize = 4096;
  // The soft sizes the Spectrum menu offers, with hard size 4096: factors
  // 1, 2, 3, 4, 6 and 8.
  static constexpr std::array<std::int32_t, 6> kSoftSizes = {4096, 2048, 1365, 1024, 682, 512};
  static constexpr const char* kInitialTag = "Korva-TDCR spectrum";
  // Register 15 of a new record's copy.
  static constexpr std::uint16_t kInitialRegister15 = 3584;

  CSpectrum();

  // Channel i (0-4095) of this spectrum: counts word i of the lower half or
  // 4096 + i of the upper half, as the half selector says.
  std::uint32_t Channel(std::size_t i) const { return image.spectrum[HalfOffset() + i]; }
  // The first counts word of the selected half: 0 or 4096.
  std::size_t HalfOffset() const { return image.lowerHalfSelected ? 0 : kChannels; }
  std::uint32_t CompressionFactor() const;

  // Set 1 (full-resolution channel numbers) and set 2 (displayed channel
  // numbers, fitted coefficients) of an analyser input (0-8).
  CalibrationRecord& FileCalibration(std::size_t input);
  const CalibrationRecord& FileCalibration(std::size_t input) const;
  CalibrationRecord& DisplayCalibration(std::size_t input);
  const CalibrationRecord& DisplayCalibration(std::size_t input) const;

  // Takes the analyser input and the half selector from the register copy,
  // as the amplifier set-up decodes them.
  std::size_t CurrentInput() const;
  void DeriveHalfSelector();

  // The record's part of applying a hard and a soft size: both are held
  // within 512-4096 and the hard size is raised to the soft size; the
  // compression factor becomes hard ÷ soft. The compressed spectrum and the
  // display ROI marks are rebuilt every time, from the counts as they are
  // now. Returns whether the sizes changed (always true when forced).
  bool SetSizes(std::int32_t hard, std::int32_t soft, bool force = false);
  void RebuildCompressedSpectrum() { image.RebuildCompressedSpectrum(); }
  // Display mark k is set when all factor ROI marks of displayed channel k
  // are set (for k below the soft size); the others are cleared.
  void RebuildDisplayRoiMarks();

  DeviceImage image;
  std::int32_t hardSize = kMaxSize;
  std::int32_t softSize = kMaxSize;
  std::array<CalibrationRecord, kCalibrationRecords> calibration{};
  // The gain each input's calibration was fitted at, where known.
  CalibrationGains calibrationGain{};
  std::string tag = kInitialTag;
  std::string caption = kInitialTag;
  // Non-zero where the channel (position within the half) belongs to a
  // region of interest.
  std::array<std::uint8_t, kChannels> roiMarks{};
  // One per displayed channel, derived from roiMarks and the compression
  // factor.
  std::array<std::uint8_t, kChannels> displayRoiMarks{};
  // The start an imported file gave, to its own second: registers 22 and
  // 23 hold seconds only in steps of 2. See SpectrumStart.
  std::optional<CalendarTime> exactStart;
  // The amplifier's view of this record's input: remembered coarse gains,
  // input class and label, and the shadow of register 18.
  AmplifierSpectrumFields amplifier;
};

}  // namespace korva
