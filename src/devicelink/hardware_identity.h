#pragma once

#include <string>

#include "devicelink/device_image.h"

namespace korva {

// The identity of the instrument as the program shows it, read from an image
// whenever it is needed (it is never stored separately).
// What an image that names no instrument shows for each of the four.
inline constexpr const char* kUnknownIdentityText = "unknown";

std::string ModelName(const DeviceImage& image);             // "Veltra RQ3102" / "Veltra RQ3101"
std::string SerialNumberText(const DeviceImage& image);      // "%05u"
std::string FirmwareVersionText(const DeviceImage& image);   // "%3.2f" of version / 100
std::string FpgaVersionText(const DeviceImage& image);       // "%5.1f" of register 63 / 10
std::string CalibrationStateText(const DeviceImage& image);  // "Calibrated" / "Not calibrated"

// The threshold calibration date from auxiliary slot 7.
struct CalibrationDate {
  unsigned day = 0;
  unsigned month = 0;  // 1-12 when well formed
  unsigned yearInCentury = 0;
};
CalibrationDate DecodeCalibrationDate(std::uint16_t word);
// "DD-MON-20YY", the form About Hardware shows.
std::string CalibrationDateText(const DeviceImage& image);

}  // namespace korva

namespace korva {

// The About Hardware message: its title (the model name) and text. Serial
// number and versions come from the active spectrum's image, so a spectrum
// loaded from a file reports the instrument it was recorded with; model and
// calibration always come from the buffer (the connected instrument).
struct AboutHardwareMessage {
  std::string title;
  std::string text;
};
AboutHardwareMessage AboutHardware(const DeviceImage& active, const DeviceImage& buffer);

}  // namespace korva
