#pragma once

#include <complex>

namespace korva {

// ln Gamma(z) for Re z > 0. The imaginary part is one branch of the
// argument, good for |Gamma| and for differences, not for a principal value.
std::complex<double> LogGamma(std::complex<double> z);

// |Gamma(x + i y)|^2 for x > 0, without overflow for large |y| as long as
// the result itself is representable.
double GammaModulusSquared(double x, double y);

}  // namespace korva
