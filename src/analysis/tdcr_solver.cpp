#include "analysis/tdcr_solver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "analysis/bracketed_root.h"

namespace korva {

namespace {

constexpr double kLogTolerance = 1e-11;
constexpr double kResidualTolerance = 1e-12;
constexpr int kMaxNewtonSteps = 60;
constexpr int kMaxHalvings = 40;

using Vector3 = std::array<double, 3>;
using Matrix3 = std::array<Vector3, 3>;

std::string RangeText(double tdRatio, double lowRatio, double highRatio, const EfficiencyModel& model) {
  const std::string_view name = model.Source().name;
  char text[256];
  std::snprintf(
      text, sizeof text,
      "T/D %.6g is outside the range %.4f to %.6f that the model reaches for %.*s with kB %.4f cm/MeV",
      tdRatio, lowRatio, highRatio, static_cast<int>(name.size()), name.data(), model.Kb());
  return text;
}

std::string RatiosText(const std::array<double, 3>& ratios, const EfficiencyModel& model) {
  const std::string_view name = model.Source().name;
  char text[256];
  std::snprintf(text, sizeof text, " (T/AB %.6g, T/BC %.6g, T/AC %.6g, %.*s, kB %.4f cm/MeV)", ratios[0],
                ratios[1], ratios[2], static_cast<int>(name.size()), name.data(), model.Kb());
  return text;
}

// Solves m x = b by Gaussian elimination with partial pivoting; empty when m is singular.
std::optional<Vector3> SolveLinear(Matrix3 m, Vector3 b) {
  for (std::size_t col = 0; col < 3; ++col) {
    std::size_t pivot = col;
    for (std::size_t row = col + 1; row < 3; ++row) {
      if (std::abs(m[row][col]) > std::abs(m[pivot][col])) pivot = row;
    }
    if (std::abs(m[pivot][col]) < 1e-300) return std::nullopt;
    std::swap(m[col], m[pivot]);
    std::swap(b[col], b[pivot]);
    for (std::size_t row = col + 1; row < 3; ++row) {
      const double factor = m[row][col] / m[col][col];
      for (std::size_t k = col; k < 3; ++k) m[row][k] -= factor * m[col][k];
      b[row] -= factor * b[col];
    }
  }
  Vector3 x{};
  for (std::size_t row = 3; row-- > 0;) {
    double sum = b[row];
    for (std::size_t k = row + 1; k < 3; ++k) sum -= m[row][k] * x[k];
    x[row] = sum / m[row][row];
  }
  return x;
}

// Residuals eps_T / eps_pair - ratio and their Jacobian in ln(lambda).
struct PairResiduals {
  Vector3 residual{};
  Matrix3 jacobian{};
  AsymmetricEfficiency efficiency;
  double Size() const {
    return std::max({std::abs(residual[0]), std::abs(residual[1]), std::abs(residual[2])});
  }
};

PairResiduals Residuals(const EfficiencyModel& model, const Vector3& logLambdas, const Vector3& ratios) {
  PairResiduals r;
  r.efficiency =
      model.Asymmetric({std::exp(logLambdas[0]), std::exp(logLambdas[1]), std::exp(logLambdas[2])});
  const AsymmetricEfficiency& e = r.efficiency;
  const std::array<double, 3> pairs = {e.ab, e.bc, e.ac};
  const std::array<const Vector3*, 3> pairSlopes = {&e.abSlope, &e.bcSlope, &e.acSlope};
  for (std::size_t k = 0; k < 3; ++k) {
    const double pair = pairs[k];
    r.residual[k] = pair > 0.0 ? e.triples / pair - ratios[k] : -ratios[k];
    for (std::size_t j = 0; j < 3; ++j) {
      r.jacobian[k][j] =
          pair > 0.0 ? (e.triplesSlope[j] * pair - e.triples * (*pairSlopes[k])[j]) / (pair * pair) : 0.0;
    }
  }
  return r;
}

// Newton's method in ln(lambda) from `x`, with a line search that halves
// every step that does not lower the largest residual.
Checked<AsymmetricSolution> Newton(const EfficiencyModel& model, const Vector3& ratios, Vector3 x) {
  const auto failure = [&](const char* why) {
    return Checked<AsymmetricSolution>::Failure(why + RatiosText(ratios, model));
  };
  const double logMin = std::log(kMinLambda);
  const double logMax = std::log(kMaxLambda);
  PairResiduals at = Residuals(model, x, ratios);
  for (int step = 0; step < kMaxNewtonSteps && at.Size() > kResidualTolerance; ++step) {
    const std::optional<Vector3> delta =
        SolveLinear(at.jacobian, {-at.residual[0], -at.residual[1], -at.residual[2]});
    if (!delta) return failure("the asymmetric model has no unique solution");
    double fraction = 1.0;
    for (int halving = 0; halving < kMaxHalvings; ++halving, fraction *= 0.5) {
      Vector3 next;
      for (std::size_t i = 0; i < 3; ++i) next[i] = std::clamp(x[i] + fraction * (*delta)[i], logMin, logMax);
      const PairResiduals tried = Residuals(model, next, ratios);
      if (tried.Size() < at.Size()) {
        x = next;
        at = tried;
        break;
      }
    }
    if (fraction * std::max({std::abs((*delta)[0]), std::abs((*delta)[1]), std::abs((*delta)[2])}) <
        kLogTolerance) {
      break;
    }
  }
  if (at.Size() > 1e-9)
    return failure("the asymmetric model reaches no photoelectron yields for these ratios");
  return Success(AsymmetricSolution{{std::exp(x[0]), std::exp(x[1]), std::exp(x[2])}, at.efficiency});
}

}  // namespace

Checked<SymmetricSolution> SolveSymmetric(const EfficiencyModel& model, double tdRatio, double start) {
  const double low = std::log(kMinLambda);
  const double high = std::log(kMaxLambda);
  const double lowRatio = model.LowestRatio();
  const double highRatio = model.HighestRatio();
  if (!(tdRatio > lowRatio && tdRatio < highRatio)) {
    return Checked<SymmetricSolution>::Failure(RangeText(tdRatio, lowRatio, highRatio, model));
  }
  const auto difference = [&](double x) {
    const SymmetricEfficiency e = model.Symmetric(std::exp(x));
    return ValueAndSlope{e.Ratio() - tdRatio, e.RatioSlope()};
  };
  const double from = start > 0.0 ? std::log(start) : NAN;
  const double lambda = std::exp(FindBracketedRoot(difference, low, high, kLogTolerance, from));
  return Success(SymmetricSolution{lambda, model.Symmetric(lambda)});
}

Checked<AsymmetricSolution> SolveAsymmetric(const EfficiencyModel& model, const Vector3& tripleToPairRatios,
                                            const std::optional<Vector3>& start) {
  const Vector3& ratios = tripleToPairRatios;
  if (!std::ranges::all_of(ratios, [](double r) { return r > 0.0 && r < 1.0; })) {
    return Checked<AsymmetricSolution>::Failure(
        "the asymmetric model needs every triple-to-double ratio between 0 and 1" +
        RatiosText(ratios, model));
  }
  if (start) {
    Vector3 x;
    for (std::size_t i = 0; i < 3; ++i) {
      x[i] = std::clamp(std::log((*start)[i]), std::log(kMinLambda), std::log(kMaxLambda));
    }
    Checked<AsymmetricSolution> solved = Newton(model, ratios, x);
    if (solved) return solved;
  }
  // T/D from the pair ratios: D = AB + BC + AC - 2 T.
  const double tdRatio = 1.0 / (1.0 / ratios[0] + 1.0 / ratios[1] + 1.0 / ratios[2] - 2.0);
  const Checked<SymmetricSolution> symmetric = SolveSymmetric(model, tdRatio);
  if (!symmetric) return Checked<AsymmetricSolution>::Failure(symmetric.error);
  Vector3 x;
  x.fill(std::log(symmetric->lambda));
  return Newton(model, ratios, x);
}

}  // namespace korva
