#pragma once

namespace korva::sim {

// The vial in the virtual counter and the pace of its TDCR sequence clock.
struct TdcrOptions {
  double activityBq = 5000.0;    // decays per second of the source
  double darkRatePerPmt = 50.0;  // single-photoelectron dark pulses per second on each PMT
  // How many parts per million the 10 MHz references (clock counters 45 and
  // 46) run ahead of the internal clock (counter 44).
  double referencePpm = 3.0;
  // Instrument seconds per wall-clock second while a sequence runs, so a
  // test can run a sequence faster than real time.
  double timeScale = 1.0;
};

}  // namespace korva::sim
