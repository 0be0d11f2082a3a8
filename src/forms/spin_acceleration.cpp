#include "forms/spin_acceleration.h"

namespace korva {

int AcceleratedSpinStep(std::chrono::milliseconds held) {
  int step = 1;
  for (const SpinAcceleration& acceleration : kTdcrSpinAccelerations) {
    if (held >= acceleration.held) step = acceleration.step;
  }
  return step;
}

}  // namespace korva
