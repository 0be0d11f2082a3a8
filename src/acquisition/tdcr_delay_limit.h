#pragma once

#include <cstddef>

#include "devicelink/register_edit.h"

namespace korva {

// The TDCR measurement's dead-time extension of TDCR signal `signal` (0 for
// S1, 1 for S2) in ticks, as its form keeps it (80..62500): what bounds the
// acquisition's TDCR delay of the same signal.
int TdcrDelayExtension(const RegisterImage& registers, std::size_t signal);

}  // namespace korva
