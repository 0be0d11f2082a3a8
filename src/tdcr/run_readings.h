#pragma once

#include "tdcr/measurement_snapshot.h"

namespace korva {

class DeviceImage;

// The texts of run `number` (1..64) exactly as both TDCR views show them
// once VIEW RUN is set to that run, computed straight from the image
// without stepping the form: the measurement files, the headless tool's
// run table and the views all take a run's readings from here.
MeasurementRun ReadRun(const DeviceImage& image, int number);

// The run's start, StartOffset seconds after the measurement start held in
// registers 92-95; the FILETIME origin (not stamped) while those hold 0.
StampTime RunStartTime(const RegisterImage& registers, double startOffset);

}  // namespace korva
