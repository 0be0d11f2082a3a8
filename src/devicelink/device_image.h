#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "devicelink/register_map.h"
#include "devicelink/wire_frame.h"

namespace korva {

// Threshold calibration derived from the auxiliary slots: per PMT A, B, C a
// slope and an offset that turn a threshold code into TDCR threshold units.
struct ThresholdCalibration {
  std::array<double, 3> slope{};
  std::array<double, 3> offset{};
  bool valid = false;
  // Computations since the last connect. After three that failed the
  // nominal scale is what the instrument offers, and the calibration is
  // settled on it.
  std::uint32_t attempts = 0;
  static constexpr std::uint32_t kAttemptsBeforeNominal = 3;
  // Threshold codes can be converted: the calibration is valid, or it has
  // failed often enough that the nominal scale is the one to use.
  bool Settled() const { return valid || attempts >= kAttemptsBeforeNominal; }
  // Model code the TDCR view last built its threshold controls for; the view
  // rebuilds them whenever this differs from the current model code.
  std::uint16_t lastAppliedModel = 0xFFFF;
};

// The program's image of the instrument: registers, data memory, the status
// words of the last read reply and what is derived from them. The command
// engine is the only writer of what comes from the instrument; views edit the
// register image and read everything else.
class DeviceImage {
 public:
  static constexpr std::size_t kHalfEntries = 4096;
  static constexpr std::uint32_t kCalibrationRefreshReplies = 17;
  static constexpr std::uint16_t kModelCodeRQ3102 = reg::model::kSecondModelCode;

  DeviceImage();

  // Status intake, run for every valid read reply before its data is used.
  void IntakeStatus(const wire::StatusBlock& status);
  // Copies the 32-bit entries of a spectrum chunk reply into data memory and
  // rebuilds the compressed spectrum while the spectrum window is shown.
  void IntakeSpectrumChunk(std::uint32_t firstEntry, std::span<const std::uint8_t> data);
  // Copies register words starting at `firstRegister` into the register image.
  void IntakeRegisters(std::uint32_t firstRegister, std::span<const std::uint8_t> data);
  void RebuildCompressedSpectrum();
  // What a connect does to the image: refresh the calibration soon, force the
  // TDCR thresholds to be rebuilt, accept read-backs again.
  void OnConnect();

  std::uint16_t ModelCode() const {
    return static_cast<std::uint16_t>(registers[reg::kModel] >> reg::model::kShift);
  }
  bool IsSecondModel() const { return ModelCode() == kModelCodeRQ3102; }
  double NominalThresholdSlope() const;

  std::int16_t firmwareVersion = 0;
  std::uint16_t serialNumber = 0;
  // False for a spectrum imported from a file that names no instrument:
  // model, serial number and versions are then shown as unknown.
  bool identityKnown = true;
  double slowAdc = 0.0;
  std::int16_t temperature = 0;
  std::array<std::uint16_t, 8> aux{};
  std::uint32_t calibrationCountdown = 0;
  std::vector<std::uint32_t> spectrum;
  std::array<std::uint16_t, wire::kRegisterCount> registers{};
  bool acceptReadBack = true;

  std::uint32_t compressionFactor = 1;
  bool shown = false;
  // Picks the half shown: entries 0-4095 when set, 4096-8191 when clear.
  bool lowerHalfSelected = true;
  std::vector<std::uint32_t> compressed;

  ThresholdCalibration calibration;

 private:
  void RecomputeCalibration(const wire::StatusBlock& status);
  bool ComputeCalibration(const wire::StatusBlock& status);
};

}  // namespace korva
