#pragma once

#include "devicelink/device_image.h"

namespace korva {

// One spectrum window's record. The buffer spectrum's record carries the
// image of the connected instrument; the file spectrum's carries the image a
// spectrum file was recorded with.
struct CSpectrum {
  DeviceImage image;
};

}  // namespace korva
