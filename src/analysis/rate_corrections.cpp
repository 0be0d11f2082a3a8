#include "analysis/rate_corrections.h"

#include <algorithm>

namespace korva {

CoincidenceRates operator-(const CoincidenceRates& a, const CoincidenceRates& b) {
  return {a.ab - b.ab, a.bc - b.bc, a.ac - b.ac, a.t - b.t};
}

CoincidenceRates AccidentalCoincidences(const SingleRates& singles, const CoincidenceRates& measured,
                                        double resolvingTimeSeconds) {
  const double tau = resolvingTimeSeconds;
  CoincidenceRates accidental;
  accidental.ab = 2.0 * tau * singles.a * singles.b;
  accidental.bc = 2.0 * tau * singles.b * singles.c;
  accidental.ac = 2.0 * tau * singles.a * singles.c;
  // True pairs that the third tube missed; never negative, whatever the noise.
  const double abOnly = std::max(0.0, measured.ab - accidental.ab - measured.t);
  const double bcOnly = std::max(0.0, measured.bc - accidental.bc - measured.t);
  const double acOnly = std::max(0.0, measured.ac - accidental.ac - measured.t);
  accidental.t = 2.0 * tau * (abOnly * singles.c + bcOnly * singles.a + acOnly * singles.b) +
                 3.0 * tau * tau * singles.a * singles.b * singles.c;
  return accidental;
}

CoincidenceRates WithoutAccidentals(const SingleRates& singles, const CoincidenceRates& measured,
                                    double resolvingTimeSeconds) {
  return measured - AccidentalCoincidences(singles, measured, resolvingTimeSeconds);
}

}  // namespace korva
