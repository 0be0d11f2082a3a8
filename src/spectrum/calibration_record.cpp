#include "spectrum/calibration_record.h"

#include <algorithm>

namespace korva {

std::size_t CalibrationRecord::UsablePointCount() const {
  return static_cast<std::size_t>(std::clamp<std::int32_t>(pointCount, 0, kMaxPoints));
}

}  // namespace korva
