#pragma once

namespace korva::sim {

// ln |Gamma(x + i y)|^2 for x > 0: the recurrence Gamma(z + 1) = z Gamma(z)
// (M. Abramowitz and I. A. Stegun, Handbook of Mathematical Functions,
// 1964, 6.1.15) carries z to Re z >= 10, where Stirling's series (ibid.
// 6.1.41, to the z^-7 term) is good to 1e-12. Exact where the Coulomb
// factors of a beta spectrum need it: y up to 1e8 (an electron of 1 meV).
double LogGammaModulusSquared(double x, double y);

// ln Gamma(x) for x > 0, safe to call from any thread: the C library's
// lgamma_r, which returns the sign apart instead of in the global signgam
// that std::lgamma writes.
double LogGamma(double x);

}  // namespace korva::sim
