#pragma once

namespace korva {

// The mean activity over a run of `realTimeSeconds` as a fraction of the
// activity at the run's start: (1 - exp(-mu t)) / (mu t), mu = ln 2 / T1/2.
// 1 for a run of no length.
double DecayDuringRun(double halfLifeSeconds, double realTimeSeconds);

// A(reference) / A(start) for a run that starts `secondsAfterReference`
// after the reference time (negative when it starts before):
// exp(mu (start - reference)).
double DecayToReference(double halfLifeSeconds, double secondsAfterReference);

}  // namespace korva
