#pragma once

#include "devicelink/register_edit.h"

namespace korva {

// The counting rates of registers 44-47: each rate counter's counts in its
// gate, the gate being given in units of 2048 ticks. Counter 1 counts what
// the pulse processor put through, counter 2 what came in.
struct CountingRates {
  double rate1 = 0.0;  // counts per second; 0 when its gate is 0
  double rate2 = 0.0;
  long throughput = 0;  // rate 1, truncated
  long incoming = 0;    // the larger rate, truncated
  // LOSSES % for the progress bar 0-100: the share of the incoming rate
  // lost, when more than 5 cps come in; else 0.
  int lossesPercent = 0;
};

CountingRates DecodeCountingRates(const RegisterImage& registers);

}  // namespace korva
