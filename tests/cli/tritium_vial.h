#pragma once

#include <memory>

#include "sim/pty_server.h"

namespace korva::test {

// The virtual instrument with a 5000 Bq tritium vial, running ten times
// faster than real time, started.
inline std::unique_ptr<sim::PtyServer> StartTritiumVial() {
  sim::ServerOptions options;
  options.baud = 0;
  options.tdcr.timeScale = 10.0;
  options.tdcr.nuclide = "H-3";
  options.tdcr.activityBq = 5000.0;
  auto instrument = std::make_unique<sim::PtyServer>(options);
  instrument->Start();
  return instrument;
}

}  // namespace korva::test
