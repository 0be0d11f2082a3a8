#pragma once

#include <random>

namespace korva::sim {

// Draws for the TDCR counter's event loop, which makes some ten of them per
// decay: each takes one 32-bit word of the generator, where the standard
// library's distributions take two or more (and the Poisson's product
// method one per photoelectron).

// Uniform on the open interval (0, 1) with 2^-32 resolution: the smallest
// value 1.2e-10 bounds an exponential draw at 23 means, which a run of 1e9
// draws reaches less than once.
inline double UnitUniform(std::mt19937& random) { return (static_cast<double>(random()) + 0.5) * 0x1p-32; }

// An exponential time of mean `mean`.
double DrawExponential(double mean, std::mt19937& random);

// A Poisson number of mean `mean`, given exp(-mean), by inverting its
// cumulative distribution with one uniform (L. Devroye, Non-Uniform Random
// Variate Generation, Springer 1986, Sec. X.3.3: the sequential search from
// 0); means above kInversionLimit go to the standard library's rejection
// method, whose cost does not grow with the mean.
inline constexpr double kInversionLimit = 60.0;
int DrawPoisson(double mean, double expMinusMean, std::mt19937& random);

}  // namespace korva::sim
