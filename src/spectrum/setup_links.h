#pragma once

#include <functional>

#include "devicelink/register_edit.h"

namespace korva {

// How the set-up views reach into each other. Each view that offers a step
// sets its entry when it is built; a caller runs an entry only when it is
// set, so a view that does not exist simply takes no part.
struct SetupLinks {
  // The trace viewer's compose of registers 24-28. Run by the amplifier and
  // shaper composes too, so those registers are current whenever they send.
  std::function<void(RegisterImage&)> traceCompose;
  // The shaper's gain-normalisation compose of the buffer spectrum
  // (registers 20/21), run last by the amplifier's compose.
  std::function<void(RegisterImage&)> normalisationCompose;
  // The amplifier's input class changed (input E or A/B/C): the shaper shows
  // the unfolding set of that class.
  std::function<void(bool inputE)> inputClassChanged;
  // The PHA or shaper decode reset the time base: the trace viewer shows it
  // again when it is shown.
  std::function<void()> traceViewRefresh;
  // The acquisition view's coincidence source changed: the trace viewer's
  // legend names lines 3 and 4 after it at once, not at the next read.
  std::function<void()> traceLegendRefresh;
};

}  // namespace korva
