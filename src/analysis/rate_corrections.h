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

// Single-tube rates behind the same extension, counts per second.
struct SingleRates {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
};

// The accidental part of measured coincidence rates. Two independent pulse
// trains meet within a resolving time tau (the coincidence window: the
// first pulse opens it, the other tubes' pulses within tau join) at
// 2 tau r_A r_B. A triple comes by accident when a true pair that the third
// tube missed meets an independent pulse of that tube, 2 tau AB' r_C and so
// on, AB' = AB - AB_accidental - T; or when three independent pulses fall in
// one window, 3 tau^2 r_A r_B r_C (any of the three may open it, the other
// two come within tau after it). Accidental pairs must not enter the first
// term: their three-pulse triples are the second.
CoincidenceRates AccidentalCoincidences(const SingleRates& singles, const CoincidenceRates& measured,
                                        double resolvingTimeSeconds);

// The measured rates less their accidental part.
CoincidenceRates WithoutAccidentals(const SingleRates& singles, const CoincidenceRates& measured,
                                    double resolvingTimeSeconds);

}  // namespace korva
