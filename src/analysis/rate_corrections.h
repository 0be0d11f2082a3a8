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

// The accidental part of measured coincidence rates, for a window that
// opens at an event's first pulse and takes in the other tubes' pulses
// within the resolving time tau after it. Two events closer than tau count
// as one: the pair counts once when their pulses together hold it, where
// each alone would have counted once if it held the pair. With independent
// events, a the probability that an event has a pulse of tube A, b of B and
// j of both, that changes the AB count per pair of close events by
//   P(A and B among both events' pulses) - 2 j = 2 (a - j)(b - j) - j^2,
// and pairs of events come closer than tau at tau R^2 (R the event rate), so
//   AB_accidental = tau [2 (r_A - AB)(r_B - AB) - AB^2]
// in true rates: pulses outside true pairs meet at 2 tau r r, and true pairs
// that merge are lost. For triples the same reasoning over the union gives
//   T_accidental = tau [sum over pairs (r_X + r_Y - XY)^2 - sum r_X^2 - S^2]
// with S = r_A + r_B + r_C - AB - BC - AC + T the rate of events with any
// pulse: a true pair that the third tube missed meets that tube's pulse
// (2 tau AB' r_C), and merged true triples are lost; three independent
// pulses in one window add 3 tau^2 r_A r_B r_C. With uncorrelated pulses
// (dark noise) this is the textbook 2 tau r_A r_B; for a bright source
// nearly every single is part of a true coincidence and the accidentals
// turn into a small loss. The true rates are found from the measured ones
// by fixed-point iteration.
CoincidenceRates AccidentalCoincidences(const SingleRates& singles, const CoincidenceRates& measured,
                                        double resolvingTimeSeconds);

// The measured rates less their accidental part.
CoincidenceRates WithoutAccidentals(const SingleRates& singles, const CoincidenceRates& measured,
                                    double resolvingTimeSeconds);

}  // namespace korva
