#pragma once

namespace korva {

// Coincidence counting rates of one window and extension, in counts per second.
struct CoincidenceRates {
  double ab = 0.0;
  double bc = 0.0;
  double ac = 0.0;
  double t = 0.0;
  // The logical sum of the doubles: at least two tubes.
  double D() const { return ab + bc + ac - 2.0 * t; }
};

CoincidenceRates operator-(const CoincidenceRates& a, const CoincidenceRates& b);
CoincidenceRates operator+(const CoincidenceRates& a, const CoincidenceRates& b);
CoincidenceRates operator*(double factor, const CoincidenceRates& rates);

// Single-tube rates behind the same extension, counts per second.
struct SingleRates {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
};

// The instrument's two dead-time modes: a common dead time of the three
// tubes (CDT) or one per tube (IDT).
enum class DeadTimeMode { kCommon, kIndividual };

// How one window's coincidences were counted: the window W, the resolving
// time G of the dead-time gate (the longer of windows N and M, W <= G) and
// the extension's mode.
struct CoincidenceTiming {
  double windowSeconds = 0.0;
  double gateSeconds = 0.0;
  DeadTimeMode mode = DeadTimeMode::kCommon;
};

// What two decays closer than the resolving times do to the measured rates
// (counts over the live timers' times), to first order in the rates; the
// derivation is in docs/TDCR-WINDOW-MODEL.md. In true rates (a, b, c the
// tubes' singles, AB, BC, AC, T the coincidences, S the rate of decays with
// any pulse):
// - merged: a second decay within W of an event's first pulse joins it; its
//   own pair counts only through the union of both decays' tubes, and the
//   live timers do not stop for it. Per second of W:
//     AB: 2 a b - (a + b) AB,
//     T:  2 (AB c + BC a + AC b) - 2 (AB BC + BC AC + AC AB)
//         + T (AB + BC + AC - a - b - c),
//   and 3 W^2 r_A r_B r_C for three decays of one tube each (r_A = a - AB
//   - AC + T, the decays with tube A alone: dark pulses and faint decays).
// - blocked (CDT only): a second decay within G is taken into the gate's
//   event, but its tubes already in the event are turned away, the live
//   timers run on, and behind window N its own pulses that pass open an
//   event of their own. Per second of G: AB: -AB (a + b - AB), T: -S T.
//   In IDT a tube's own dead time turns its second pulse away and stops
//   the live timers of every set holding that tube: nothing is blocked
//   unseen.
// With W = G in CDT the two give the familiar accidental rate for a window
// opened by the first pulse: tau [2 (a - AB)(b - AB) - AB^2] (dark noise:
// 2 tau a b; a bright source: tau R^2 lost).
struct CountingDistortion {
  CoincidenceRates merged;
  CoincidenceRates blocked;
  CoincidenceRates Total() const { return merged + blocked; }
};

// The distortion of coincidences whose true rates are `truth`, with true singles.
CountingDistortion DistortionOfTrueRates(const SingleRates& singles, const CoincidenceRates& truth,
                                         const CoincidenceTiming& timing);

// True singles from measured ones: in CDT a tube's second pulse within G of
// an event is turned away and its live timer runs on, which loses G a^2;
// in IDT the tube's own live timer accounts for every pulse it turns away.
SingleRates TrueSingles(const SingleRates& measured, const CoincidenceTiming& timing);

// The distortion found from measured rates by fixed-point iteration on the
// true ones.
CountingDistortion MeasuredDistortion(const SingleRates& measuredSingles, const CoincidenceRates& measured,
                                      const CoincidenceTiming& timing);

// The measured rates less their distortion: the rates of the decays' own
// coincidences.
CoincidenceRates WithoutAccidentals(const SingleRates& measuredSingles, const CoincidenceRates& measured,
                                    const CoincidenceTiming& timing);

}  // namespace korva
