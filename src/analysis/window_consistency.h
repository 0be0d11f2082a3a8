#pragma once

namespace korva {

// Counts of windows N and M of one extension over the same live times.
// The windows open at the same pulse, so every coincidence N counts M
// counts too: D_N is a part of D_M and T_N of T_M.
struct NestedWindowCounts {
  double doublesN = 0.0;
  double triplesN = 0.0;
  double doublesM = 0.0;
  double triplesM = 0.0;
};

// The relative standard uncertainty of A_N - A_M, A = D / eps_D(T/D), from
// counting, for nested windows. With x = T/D and kappa = d ln eps_D / dx,
//   d ln A = (1 + kappa x) dD / D - kappa dT / D.
// What the windows share cancels; what they differ by is the events M
// counts and N does not (X = D_M - D_N, independent Poisson) and the
// triples of M that are doubles in N (Y = T_M - T_N), so
//   u_rel^2 = [(1 + kappa x)^2 X + kappa^2 Y] / D^2.
// Events that are no coincidence in N and a triple in M (two late tubes)
// count in both X and Y with a covariance that lowers the variance by
// 2 kappa (1 + kappa x) per event; they are rare and leaving them out keeps
// the uncertainty on the safe side.
double NestedWindowDifference(const NestedWindowCounts& counts, double doublesPerRatio);

}  // namespace korva
