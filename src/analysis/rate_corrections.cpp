#include "analysis/rate_corrections.h"

namespace korva {

CoincidenceRates operator-(const CoincidenceRates& a, const CoincidenceRates& b) {
  return {a.ab - b.ab, a.bc - b.bc, a.ac - b.ac, a.t - b.t};
}

CoincidenceRates operator+(const CoincidenceRates& a, const CoincidenceRates& b) {
  return {a.ab + b.ab, a.bc + b.bc, a.ac + b.ac, a.t + b.t};
}

CoincidenceRates operator*(double factor, const CoincidenceRates& r) {
  return {factor * r.ab, factor * r.bc, factor * r.ac, factor * r.t};
}

namespace {

// Each step changes the distortion by a factor of about 4 G r of the step
// before: below 0.2 up to 200 000 pulses a second in 200 ns.
constexpr int kFixedPointSteps = 8;

// Merged pairs per second of W for a pair of tubes with singles x, y.
double MergedPair(double x, double y, double pair) { return 2.0 * x * y - (x + y) * pair; }

// Blocked pairs per second of G.
double BlockedPair(double x, double y, double pair) { return -pair * (x + y - pair); }

}  // namespace

CountingDistortion DistortionOfTrueRates(const SingleRates& r, const CoincidenceRates& k,
                                         const CoincidenceTiming& timing) {
  const double w = timing.windowSeconds;
  CountingDistortion d;
  const double mergedTriples = 2.0 * (k.ab * r.c + k.bc * r.a + k.ac * r.b) -
                               2.0 * (k.ab * k.bc + k.bc * k.ac + k.ac * k.ab) +
                               k.t * (k.ab + k.bc + k.ac - r.a - r.b - r.c);
  d.merged = w * CoincidenceRates{MergedPair(r.a, r.b, k.ab), MergedPair(r.b, r.c, k.bc),
                                  MergedPair(r.a, r.c, k.ac), mergedTriples};
  // Three decays of one tube each, one per tube, within W of the first:
  // only they make a triple that no pair of decays makes. Their rates are
  // the decays with that tube alone, r_A = a - AB - AC + T.
  const double onlyA = r.a - k.ab - k.ac + k.t;
  const double onlyB = r.b - k.ab - k.bc + k.t;
  const double onlyC = r.c - k.bc - k.ac + k.t;
  d.merged.t += 3.0 * w * w * onlyA * onlyB * onlyC;
  if (timing.mode == DeadTimeMode::kCommon) {
    const double any = r.a + r.b + r.c - k.ab - k.bc - k.ac + k.t;
    d.blocked =
        timing.gateSeconds * CoincidenceRates{BlockedPair(r.a, r.b, k.ab), BlockedPair(r.b, r.c, k.bc),
                                              BlockedPair(r.a, r.c, k.ac), -any * k.t};
  }
  return d;
}

SingleRates TrueSingles(const SingleRates& m, const CoincidenceTiming& timing) {
  if (timing.mode == DeadTimeMode::kIndividual) return m;
  const double g = timing.gateSeconds;
  return {m.a * (1.0 + g * m.a), m.b * (1.0 + g * m.b), m.c * (1.0 + g * m.c)};
}

CountingDistortion MeasuredDistortion(const SingleRates& measuredSingles, const CoincidenceRates& measured,
                                      const CoincidenceTiming& timing) {
  const SingleRates singles = TrueSingles(measuredSingles, timing);
  CountingDistortion d;
  for (int step = 0; step < kFixedPointSteps; ++step) {
    d = DistortionOfTrueRates(singles, measured - d.Total(), timing);
  }
  return d;
}

CoincidenceRates WithoutAccidentals(const SingleRates& measuredSingles, const CoincidenceRates& measured,
                                    const CoincidenceTiming& timing) {
  return measured - MeasuredDistortion(measuredSingles, measured, timing).Total();
}

}  // namespace korva
