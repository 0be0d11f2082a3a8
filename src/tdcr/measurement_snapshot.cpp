#include "tdcr/measurement_snapshot.h"

#include "devicelink/device_image.h"
#include "devicelink/hardware_identity.h"
#include "tdcr/run_readings.h"
#include "tdcr/tdcr_format.h"
#include "tdcr/tdcr_settings.h"

namespace korva {

namespace {

std::string DeviceName(const DeviceImage& image) { return image.IsSecondModel() ? "RQ3102" : "RQ3101"; }

// The seconds the form holds for a preset time follow its registers at
// every refresh; they are written in the edit's own format even while the
// edit shows a text still being typed.
std::string PresetTimeText(const RegisterImage& registers, std::size_t low) {
  return FormatPresetTime(PresetSeconds(registers, low));
}

}  // namespace

MeasurementSettings ReadMeasurementSettings(const TdcrMeasurement& tdcr, const DeviceImage& image) {
  const TdcrFormState& form = tdcr.Form();
  MeasurementSettings settings;
  settings.startReferenceLabel = form.startReferenceLabel;
  settings.start = tdcr.StartTime();
  settings.modelName = ModelName(image);
  settings.deviceName = DeviceName(image);
  settings.serialNumber = SerialNumberText(image);
  settings.firmware = FirmwareVersionText(image);
  settings.fpga = FpgaVersionText(image);
  settings.record = form.record;
  settings.thresholds = {form.EditText(TdcrEdit::kThresholdA), form.EditText(TdcrEdit::kThresholdB),
                         form.EditText(TdcrEdit::kThresholdC)};
  settings.extensions = {form.EditText(TdcrEdit::kExtension1), form.EditText(TdcrEdit::kExtension2)};
  settings.cdt = form.cdt;
  settings.windows = {WindowText(form.windows[0]), WindowText(form.windows[1])};
  settings.sequentialRuns = std::to_string(form.sequentialRuns + 1);
  settings.timePerRun = PresetTimeText(image.registers, reg::kTimePerRunLow);
  settings.gapTime = PresetTimeText(image.registers, reg::kGapTimeLow);
  settings.stopTimer = kStopTimerTexts[static_cast<std::size_t>(form.stopTimer)];
  settings.completedRuns = form.completedRuns;
  settings.registers = image.registers;
  return settings;
}

std::vector<MeasurementRun> ReadMeasurementRuns(const TdcrMeasurement& tdcr, const DeviceImage& image) {
  std::vector<MeasurementRun> runs;
  for (int run = 1; run <= tdcr.PresetRuns(); ++run) runs.push_back(ReadRun(image, run));
  return runs;
}

}  // namespace korva
