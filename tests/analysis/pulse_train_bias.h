#pragma once

#include "analysis/rate_corrections.h"
#include "pulse_train_mc.h"

namespace korva::test {

// The relative bias of corrected D and T of one window of a pulse-train run
// against the truth of the same decays.
struct WindowBias {
  double d = 0.0;
  double t = 0.0;
};

inline CoincidenceRates McRates(const McCounts& counts, const McGateResult& g) {
  const auto rate = [&](std::size_t k, McSet set) { return counts[k] / (g.liveNs[set] * 1e-9); };
  return {rate(0, kMcAB), rate(1, kMcBC), rate(2, kMcAC), rate(3, kMcABC)};
}

// Bias of the window `w` of `gate` corrected for the given timing.
inline WindowBias McBias(const McGateResult& g, std::size_t w, const CoincidenceTiming& timing) {
  const SingleRates singles{g.singles[0] / (g.liveNs[kMcA] * 1e-9), g.singles[1] / (g.liveNs[kMcB] * 1e-9),
                            g.singles[2] / (g.liveNs[kMcC] * 1e-9)};
  const CoincidenceRates corrected = WithoutAccidentals(singles, McRates(g.windows[w].measured, g), timing);
  const CoincidenceRates truth = McRates(g.windows[w].truthLive, g);
  return {corrected.D() / truth.D() - 1.0, corrected.t / truth.t - 1.0};
}

// The timing the analysis gives window `w` of an MC gate.
inline CoincidenceTiming McTiming(const McGate& gate, std::size_t w) {
  return {gate.windowsNs[w] * 1e-9, gate.gateNs * 1e-9,
          gate.cdt ? DeadTimeMode::kCommon : DeadTimeMode::kIndividual};
}

// The correction of earlier versions: CDT with the window as its own gate.
inline CoincidenceTiming OwnWindowTiming(const McGate& gate, std::size_t w) {
  return {gate.windowsNs[w] * 1e-9, gate.windowsNs[w] * 1e-9, DeadTimeMode::kCommon};
}

}  // namespace korva::test
