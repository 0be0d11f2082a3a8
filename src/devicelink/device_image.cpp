#include "devicelink/device_image.h"

#include <algorithm>
#include <cmath>

namespace korva {

DeviceImage::DeviceImage() : spectrum(wire::kSpectrumEntries, 0), compressed(kHalfEntries, 0) {}

double DeviceImage::NominalThresholdSlope() const { return IsSecondModel() ? -0.0190735 : -0.01; }

void DeviceImage::IntakeStatus(const wire::StatusBlock& status) {
  firmwareVersion = status.firmwareVersion;
  serialNumber = status.serialNumber;
  slowAdc = status.slowAdc / 1000.0;
  temperature = status.temperature;
  if (status.CarriesAuxSlot()) aux[status.AuxSlot()] = status.auxValue;

  if (calibrationCountdown != 0) {
    --calibrationCountdown;
    return;
  }
  calibrationCountdown = kCalibrationRefreshReplies;
  RecomputeCalibration(status);
}

void DeviceImage::RecomputeCalibration(const wire::StatusBlock& status) {
  const bool nowValid = ComputeCalibration(status);
  ++calibration.attempts;
  if (nowValid != calibration.valid) {
    --calibration.lastAppliedModel;
    calibration.valid = nowValid;
  }
}

// Slopes are stored as they are computed, so a channel that fails leaves the
// channels before it with their fresh values.
bool DeviceImage::ComputeCalibration(const wire::StatusBlock& status) {
  if (!status.CarriesAuxSlot()) return false;
  const double nominal = NominalThresholdSlope();
  const double tolerance = std::fabs(0.2 * nominal);
  for (std::size_t channel = 0; channel < 3; ++channel) {
    const int atZero = aux[2 * channel];
    const int atMinus500 = aux[2 * channel + 1];
    if (atMinus500 - atZero == 0) return false;
    const double slope = -500.0 / (atMinus500 - atZero);
    calibration.slope[channel] = slope;
    if (slope < nominal - tolerance || slope > nominal + tolerance) return false;
    calibration.offset[channel] = -500.0 - slope * atMinus500;
  }
  return true;
}

void DeviceImage::IntakeSpectrumChunk(std::uint32_t firstEntry, std::span<const std::uint8_t> data) {
  const std::size_t count = std::min<std::size_t>(
      data.size() / 4, spectrum.size() - std::min<std::size_t>(firstEntry, spectrum.size()));
  for (std::size_t i = 0; i < count; ++i) spectrum[firstEntry + i] = wire::ReadU32(data, 4 * i);
  if (shown) RebuildCompressedSpectrum();
}

void DeviceImage::RebuildCompressedSpectrum() {
  const std::size_t first = lowerHalfSelected ? 0 : kHalfEntries;
  const std::uint32_t factor = std::max<std::uint32_t>(compressionFactor, 1);
  std::size_t bin = 0;
  for (std::size_t i = 0; i < kHalfEntries; ++i) {
    if (i % factor == 0) {
      bin = i / factor;
      compressed[bin] = spectrum[first + i];
    } else {
      compressed[bin] += spectrum[first + i];
    }
  }
}

void DeviceImage::IntakeRegisters(std::uint32_t firstRegister, std::span<const std::uint8_t> data) {
  for (std::size_t i = 0; i < data.size() / 2 && firstRegister + i < registers.size(); ++i) {
    registers[firstRegister + i] = wire::ReadU16(data, 2 * i);
  }
}

void DeviceImage::OnConnect() {
  calibrationCountdown = kCalibrationRefreshReplies;
  calibration.valid = false;
  calibration.attempts = 0;
  calibration.lastAppliedModel = 0xFFFF;
  acceptReadBack = true;
}

}  // namespace korva
