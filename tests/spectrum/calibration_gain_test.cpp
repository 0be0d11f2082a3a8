#include "spectrum/calibration_gain.h"

#include <gtest/gtest.h>

#include "memory_settings_store.h"
#include "spectrum/amplifier_gain.h"
#include "spectrum/calibration_settings.h"
#include "spectrum/calibration_value.h"
#include "spectrum/spectrum_calibration.h"
#include "spectrum/spectrum_record.h"

namespace korva {
namespace {

constexpr std::size_t kFineRegister = 17;
constexpr std::size_t kAmplifierRegister = 18;
constexpr std::size_t kMcaInputRegister = 83;

void SetGain(CSpectrum& spectrum, std::uint16_t coarseCode, int fine) {
  auto& registers = spectrum.image.registers;
  registers[kAmplifierRegister] =
      static_cast<std::uint16_t>((registers[kAmplifierRegister] & ~3u) | coarseCode);
  registers[kFineRegister] = FineRegister(fine);
}

// PMT B's calibration switched on with two points, fitted at COARSE 2.00
// and the highest fine gain.
CSpectrum CalibratedSpectrum() {
  CSpectrum spectrum;
  spectrum.image.registers[kMcaInputRegister] = 1;
  SetGain(spectrum, 2, kMaxFine);
  for (CalibrationRecord* record : {&spectrum.FileCalibration(1), &spectrum.DisplayCalibration(1)}) {
    record->pointCount = 2;
    record->channel[0] = 400.0;
    record->energy[0] = 481.7;
    record->channel[1] = 900.0;
    record->energy[1] = 975.7;
    record->units = 2;
    record->enabled = 1;
  }
  RememberCalibrationGain(spectrum);
  return spectrum;
}

TEST(CalibrationGainText, NamesOnlyWhatChangedAfterNow) {
  const CalibrationGain at{2, 0, 0, 4096};
  EXPECT_EQ(StaleCalibrationText(at, at), "");
  EXPECT_EQ(StaleCalibrationText(at, {3, 0, 0, 4096}),
            "calibrated at COARSE 2.00 FINE 1.000, now COARSE 2.83");
  EXPECT_EQ(StaleCalibrationText(at, {2, kMaxFine, 0, 4096}),
            "calibrated at COARSE 2.00 FINE 1.000, now FINE 1.200");
  EXPECT_EQ(StaleCalibrationText(at, {0, 2048, 0, 4096}),
            "calibrated at COARSE 2.00 FINE 1.000, now COARSE 1.00 FINE 1.100");
  EXPECT_EQ(StaleCalibrationText(at, {2, 0, 8, 4096}),
            "calibrated at COARSE 2.00 FINE 1.000 INPUT PMT A - DPP, now INPUT PMT E - DPP");
  // Points are kept in full-resolution channels and refitted at every soft
  // size, so a soft size alone does not make the calibration stale.
  EXPECT_EQ(StaleCalibrationText(at, {2, 0, 0, 1024}), "");
}

TEST(CalibrationGain, FollowsTheSpectrumsRegistersAndItsSwitch) {
  CSpectrum spectrum = CalibratedSpectrum();
  EXPECT_EQ(CurrentGain(spectrum), (CalibrationGain{2, kMaxFine, 1, 4096}));
  EXPECT_EQ(StaleCalibrationText(spectrum), "");

  SetGain(spectrum, 3, kMaxFine);
  EXPECT_EQ(StaleCalibrationText(spectrum), "calibrated at COARSE 2.00 FINE 1.200, now COARSE 2.83");
  spectrum.DisplayCalibration(1).enabled = 0;
  EXPECT_EQ(StaleCalibrationText(spectrum), "") << "a calibration switched off gives no energies";
  spectrum.DisplayCalibration(1).enabled = 1;

  // Another input shows its own calibration, whose gain is not known.
  spectrum.image.registers[kMcaInputRegister] = 2;
  spectrum.DisplayCalibration(2).enabled = 1;
  EXPECT_EQ(StaleCalibrationText(spectrum), "");

  // Copied onto input C, the calibration keeps the gain and input it was made at.
  CSpectrum target;
  target.image.registers[kMcaInputRegister] = 2;
  SetGain(target, 2, kMaxFine);
  spectrum.image.registers[kMcaInputRegister] = 1;
  CopyCalibration(spectrum, target);
  EXPECT_EQ(StaleCalibrationText(target),
            "calibrated at COARSE 2.00 FINE 1.200 INPUT PMT B - DPP, now INPUT PMT C - DPP");
}

TEST(CalibrationGainValue, RoundTripsAndRefusesWhatItCannotTrust) {
  CalibrationGains gains{};
  gains[0] = CalibrationGain{1, 17, 0, 512};
  gains[8] = CalibrationGain{3, kMaxFine, 8, 4096};
  const std::vector<std::uint8_t> bytes = EncodeCalibrationGainValue(gains);
  ASSERT_EQ(bytes.size(), 180u);
  EXPECT_EQ(DecodeCalibrationGainValue(bytes), gains);

  std::vector<std::uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_EQ(DecodeCalibrationGainValue(longer), CalibrationGains{});

  std::vector<std::uint8_t> badFine = bytes;
  badFine[8] = 0x00;
  badFine[9] = 0x10;  // fine 4096
  const CalibrationGains read = DecodeCalibrationGainValue(badFine);
  EXPECT_FALSE(read[0].has_value());
  EXPECT_EQ(read[8], gains[8]);
}

TEST(CalibrationGainSettings, TravelBesideTheUnchangedCalibrationValue) {
  test::MemorySettingsStore store;
  const CSpectrum saved = CalibratedSpectrum();
  SaveCalibration(store, saved);
  EXPECT_EQ(store.binaries.at(test::MemorySettingsStore::Key(settings_path::kSpectrum, "Calibration")).size(),
            kCalibrationValueBytes);

  CSpectrum restored;
  RestoreCalibration(store, restored);
  EXPECT_EQ(restored.calibrationGain, saved.calibrationGain);

  // A store written before gains were kept: the calibration comes back, its gain unknown.
  store.binaries.erase(test::MemorySettingsStore::Key(settings_path::kSpectrum, "CalibrationGain"));
  RestoreCalibration(store, restored);
  EXPECT_EQ(restored.FileCalibration(1).pointCount, 2);
  EXPECT_EQ(restored.calibrationGain, CalibrationGains{});
}

TEST(CalibrationGainSettings, SpeakForAFileOnlyWhenItCarriesTheStoredCalibration) {
  test::MemorySettingsStore store;
  SaveCalibration(store, CalibratedSpectrum());

  CSpectrum file = CalibratedSpectrum();
  file.calibrationGain = {};  // as a spectrum file is read
  EXPECT_EQ(StaleStoredCalibrationText(store, file), "");
  SetGain(file, 1, kMaxFine);
  EXPECT_EQ(StaleStoredCalibrationText(store, file), "calibrated at COARSE 2.00 FINE 1.200, now COARSE 1.41");

  file.FileCalibration(1).energy[1] = 975.70004;
  EXPECT_NE(StaleStoredCalibrationText(store, file), "") << "a file keeps four decimals";
  file.FileCalibration(1).energy[1] = 976.0;
  EXPECT_EQ(StaleStoredCalibrationText(store, file), "") << "another calibration: its gain is not known";

  test::MemorySettingsStore empty;
  EXPECT_EQ(StaleStoredCalibrationText(empty, CalibratedSpectrum()), "");
}

}  // namespace
}  // namespace korva
