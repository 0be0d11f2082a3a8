#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tdcr/tdcr_rates.h"
#include "tdcr/tdcr_run_record.h"

namespace korva {

// Everything the TDCR COUNTERS view shows, as texts.
struct TdcrCounterTexts {
  // Boxes of each COUNTERS group N1, M1, N2, M2.
  enum Box : std::size_t { kAB, kBC, kAC, kT, kD, kED, kBoxes };
  // Per combination: the counters AB, BC, AC, T and the instrument's D, and
  // ED = AB + BC + AC - 2 T computed from the counts (unsigned 64-bit, so it
  // wraps when 2 T exceeds the sum).
  std::array<std::array<std::string, kBoxes>, TdcrRates::kCombinations> coincidences;

  // One COUNTERS - PMT group, with that PMT's two LIVE TIMERS boxes.
  struct Pmt {
    std::string raw, rawRate;    // raw counts; rate over the real time, or "0.0"
    std::string ext1, ext1Rate;  // extension 1 counts; rate over live time 1
    std::string ext2, ext2Rate;  // extension 2 counts; rate over live time 2
    std::string liveTime1, liveTime2;
  };
  std::array<Pmt, 3> pmts;  // A, B, C

  // INT 10MHz, INT REF 10MHz and EXT REF 10MHz counts.
  std::array<std::string, 3> clocks;
};

// The counters view's computation (RefreshCounters). It keeps the SOURCE
// entry it shows, which is what TimeBaseFactor follows.
class TdcrCounterReadout {
 public:
  // Recomputes every text from the shown run and the time-base factor `k`,
  // and shows register 97 bits 0-1 in SOURCE.
  void Refresh(const DisplayedRun& run, double k, std::uint16_t sourceAndPolarity);
  // SOURCE shows the source of bits 0-1 of `sourceAndPolarity`; a value of
  // 3, which the list does not have, shows "NONE".
  void ShowSource(std::uint16_t sourceAndPolarity);

  const TdcrCounterTexts& Texts() const { return texts_; }
  // 0 NONE, 1 INT REF 10MHz, 2 EXT REF 10MHz.
  int ShownSource() const { return shownSource_; }

 private:
  TdcrCounterTexts texts_;
  int shownSource_ = 0;
};

}  // namespace korva
