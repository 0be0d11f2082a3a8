#include "devicelink/hardware_identity.h"

#include <cstdio>

#include "common/month_name.h"

namespace korva {

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

}  // namespace

std::string ModelName(const DeviceImage& image) {
  if (!image.identityKnown) return kUnknownIdentityText;
  return image.IsSecondModel() ? "Veltra RQ3102" : "Veltra RQ3101";
}

std::string SerialNumberText(const DeviceImage& image) {
  if (!image.identityKnown) return kUnknownIdentityText;
  return Format("%05u", unsigned{image.serialNumber});
}

std::string FirmwareVersionText(const DeviceImage& image) {
  if (!image.identityKnown) return kUnknownIdentityText;
  return Format("%3.2f", image.firmwareVersion / 100.0);
}

std::string FpgaVersionText(const DeviceImage& image) {
  if (!image.identityKnown) return kUnknownIdentityText;
  return Format("%5.1f", image.registers[reg::kFpgaVersion] / 10.0);
}

std::string CalibrationStateText(const DeviceImage& image) {
  return image.calibration.valid ? "Calibrated" : "Not calibrated";
}

CalibrationDate DecodeCalibrationDate(std::uint16_t word) {
  namespace date = reg::calibration_date;
  return CalibrationDate{(word >> date::kDayAt) & date::kDayMask, (word >> date::kMonthAt) & date::kMonthMask,
                         word & date::kYearMask};
}

std::string CalibrationDateText(const DeviceImage& image) {
  const CalibrationDate date = DecodeCalibrationDate(image.aux[reg::calibration_date::kSlot]);
  return Format("%02u-%s-20%02u", date.day, std::string(MonthAbbreviation(date.month)).c_str(),
                date.yearInCentury);
}

}  // namespace korva

namespace korva {

AboutHardwareMessage AboutHardware(const DeviceImage& active, const DeviceImage& buffer) {
  AboutHardwareMessage message;
  message.title = ModelName(buffer);
  message.text = "Serial Number:\t" + SerialNumberText(active) + "\nFirmware Version:\t" +
                 FirmwareVersionText(active) + "\nFPGA Version:\t" + FpgaVersionText(active);
  if (buffer.calibration.valid) {
    message.text += "\n\nTDCR Thresholds:\tCalibrated\nCalibration Date:\t" + CalibrationDateText(buffer);
  } else {
    message.text += "\n\nTDCR Thresholds:\tNot calibrated";
  }
  return message;
}

}  // namespace korva
