#pragma once

#include "sim/pty_server.h"

namespace korva::test {

// A virtual instrument that answers as fast as the pseudo-terminal carries.
inline sim::ServerOptions UnpacedInstrument() {
  sim::ServerOptions options;
  options.baud = 0;
  return options;
}

}  // namespace korva::test
