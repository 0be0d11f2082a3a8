#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace korva::test {

// An event-by-event model of three tubes behind the instrument's dead-time
// gates and coincidence windows, written from the description of the
// virtual instrument's timing (docs/TDCR-WINDOW-MODEL.md) and sharing no
// code with the analysis. It counts what the instrument would and, for the
// same decays, the truth the analysis's corrections aim at.

// Tube sets, as bit masks of tubes A 1, B 2, C 4.
enum McSet : std::size_t { kMcA, kMcB, kMcC, kMcAB, kMcBC, kMcAC, kMcABC, kMcSets };

struct McLight {
  // Each decay gives every tube a Poisson number of photoelectrons of mean
  // meanPhotoelectrons x u, u exponential of mean 1 (a spectrum rich in
  // faint events, like tritium's).
  double meanPhotoelectrons = 2.0;
  double promptNs = 4.0;
  double delayedFraction = 0.03;
  double delayedNs = 250.0;
  double jitterNs = 0.7;
};

struct McGate {
  bool cdt = true;
  double extensionNs = 640.0;
  double gateNs = 200.0;                 // CDT resolving time: the longer window
  std::vector<double> windowsNs{200.0};  // each <= gateNs
};

struct McRun {
  double decayRate = 1e4;  // decays a second
  double darkRate = 0.0;   // dark pulses a second on each tube
  double seconds = 1.0;
  std::uint32_t seed = 1;
  McLight light;
  std::vector<McGate> gates;
};

// Coincidence counts of one window: AB, BC, AC, T.
using McCounts = std::array<double, 4>;

struct McWindowResult {
  McCounts measured{};
  // Counts of the decays that arrived while the set's live timer ran, each
  // classified alone through a fresh gate and window: over the same live
  // times they give the true rates, and they share the measured counts'
  // decays, so comparing the two leaves only the spread of the few decays
  // that met another one.
  McCounts truthLive{};
};

struct McGateResult {
  std::array<double, 3> singles{};       // accepted pulses of A, B, C
  std::array<double, kMcSets> liveNs{};  // live timers
  std::vector<McWindowResult> windows;
};

struct McResult {
  double realNs = 0.0;
  std::vector<McGateResult> gates;
};

McResult RunPulseTrain(const McRun& run);

}  // namespace korva::test
