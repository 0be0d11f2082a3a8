#include "spectrum/calibration_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "spectrum/plain_number.h"

namespace korva {

namespace {

struct Point {
  double x;
  double y;
};

struct Coefficients {
  double a;
  double b;
  double c;
};

bool Usable(const CalibrationRecord& record, std::size_t i) {
  return record.useAll == 1 || record.use[i] == 1;
}

std::vector<Point> UsablePoints(const CalibrationRecord& record) {
  std::vector<Point> points;
  for (std::size_t i = 0; i < record.UsablePointCount(); ++i) {
    if (Usable(record, i)) points.push_back({record.channel[i], record.energy[i]});
  }
  return points;
}

// The line through the first and the last usable point; two points at the
// same channel give slope 1.
Coefficients FitLine(const std::vector<Point>& points) {
  const Point& p0 = points.front();
  const Point& p1 = points.back();
  const double b = p1.x == p0.x ? 1.0 : (p1.y - p0.y) / (p1.x - p0.x);
  return {0.0, b, p0.y - b * p0.x};
}

bool FewerThanThreeChannels(std::vector<Point> points) {
  std::sort(points.begin(), points.end(), [](const Point& l, const Point& r) { return l.x < r.x; });
  const auto distinct =
      std::unique(points.begin(), points.end(), [](const Point& l, const Point& r) { return l.x == r.x; });
  return distinct - points.begin() < 3;
}

using System = std::array<std::array<double, 4>, 3>;

// Gauss-Jordan elimination with partial pivoting. Returns the solution
// (x0, x1, x2), or nothing when a pivot vanishes.
std::optional<std::array<double, 3>> Solve(System m) {
  for (std::size_t j = 0; j < 3; ++j) {
    std::size_t pivot = j;
    for (std::size_t k = j + 1; k < 3; ++k) {
      if (std::fabs(m[k][j]) > std::fabs(m[pivot][j])) pivot = k;
    }
    if (m[pivot][j] == 0.0) return std::nullopt;
    std::swap(m[j], m[pivot]);
    for (std::size_t k = 0; k < 3; ++k) {
      if (k == j) continue;
      const double factor = m[k][j] / m[j][j];
      for (std::size_t col = j; col < 4; ++col) m[k][col] -= factor * m[j][col];
    }
  }
  return std::array<double, 3>{m[0][3] / m[0][0], m[1][3] / m[1][1], m[2][3] / m[2][2]};
}

// The least-squares parabola. The channels are centred on their mean and
// scaled into -1..1 before the sums are formed: raw channels up to 4096
// give fourth-power sums near 10^15 and normal equations too ill-conditioned
// to resolve the curvature of a nearly straight calibration.
std::optional<Coefficients> FitParabola(const std::vector<Point>& points) {
  if (FewerThanThreeChannels(points)) return std::nullopt;
  double mean = 0.0;
  for (const Point& p : points) mean += p.x;
  mean /= static_cast<double>(points.size());
  double spread = 0.0;
  for (const Point& p : points) spread = std::max(spread, std::fabs(p.x - mean));
  std::array<double, 5> sx{};  // sums of u^0 ... u^4
  std::array<double, 3> sy{};  // sums of y, u·y, u²·y
  for (const Point& p : points) {
    const double u = (p.x - mean) / spread;
    double power = 1.0;
    for (std::size_t e = 0; e < 5; ++e, power *= u) {
      sx[e] += power;
      if (e < 3) sy[e] += power * p.y;
    }
  }
  const System system = {
      {{sx[0], sx[1], sx[2], sy[0]}, {sx[1], sx[2], sx[3], sy[1]}, {sx[2], sx[3], sx[4], sy[2]}}};
  const auto solution = Solve(system);
  if (!solution) return std::nullopt;
  // y = A·u² + B·u + C with u = (x − mean) ÷ spread, expanded in x.
  const auto [cu, bu, au] = *solution;
  const double a = au / (spread * spread);
  const double b = bu / spread - 2.0 * a * mean;
  const double c = a * mean * mean - bu * mean / spread + cu;
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) return std::nullopt;
  return Coefficients{a, b, c};
}

std::string FormatText(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

CalibrationFit Failed(const CalibrationRecord& set2, FitOutcome outcome, const char* message) {
  return {outcome, kCalibrationCaption, CoefficientTexts(set2), message};
}

}  // namespace

CalibrationRow MakeCalibrationRow(const std::string& channelText, const std::string& energyText) {
  return {FixedText(LeadingReal(channelText), 8, 2), FixedText(LeadingReal(energyText), 8, 4), false};
}

bool AddCalibrationRow(std::vector<CalibrationRow>& rows, const CalibrationRow& row) {
  if (rows.size() >= CalibrationRecord::kMaxPoints) return false;
  rows.insert(rows.begin(), row);
  return true;
}

int RebuildPoints(CalibrationRecord& record, const std::vector<CalibrationRow>& rows, double scale) {
  const std::size_t count = std::min(rows.size(), CalibrationRecord::kMaxPoints);
  int checked = 0;
  for (std::size_t i = 0; i < count; ++i) {
    record.channel[i] = LeadingReal(rows[i].channel) * scale;
    record.energy[i] = LeadingReal(rows[i].energy);
    record.use[i] = rows[i].checked ? 1 : 0;
    checked += record.use[i];
  }
  record.pointCount = static_cast<std::int32_t>(count);
  return record.useAll == 1 ? record.pointCount : checked;
}

void RebuildBothSets(CalibrationRecord& set1, CalibrationRecord& set2,
                     const std::vector<CalibrationRow>& rows, int compressionFactor) {
  RebuildPoints(set1, rows, compressionFactor);
  RebuildPoints(set2, rows, 1.0);
}

CalibrationFit FitCalibration(CalibrationRecord& set1, CalibrationRecord& set2,
                              const std::vector<CalibrationRow>& rows, int compressionFactor, int useAll) {
  set1.useAll = useAll;
  RebuildPoints(set1, rows, compressionFactor);
  set2.useAll = useAll;
  const int usable = RebuildPoints(set2, rows, 1.0);
  if (usable <= 1) return Failed(set2, FitOutcome::kTooFewPoints, kTooFewPointsMessage);
  const std::vector<Point> points = UsablePoints(set2);
  const std::optional<Coefficients> curve =
      points.size() == 2 ? std::optional<Coefficients>(FitLine(points)) : FitParabola(points);
  if (!curve) return Failed(set2, FitOutcome::kUndefinedCurve, kUndefinedCurveMessage);
  set2.a = curve->a;
  set2.b = curve->b;
  set2.c = curve->c;
  return {FitOutcome::kFitted,
          set2.useAll == 0 ? kCalibrationSelectedCaption : kCalibrationAllCaption,
          CoefficientTexts(set2),
          {}};
}

std::array<std::string, 3> CoefficientTexts(const CalibrationRecord& record) {
  return {FormatText("a = %12.8f", record.a), FormatText("b = %12.8f", record.b),
          FormatText("c = %12.8f", record.c)};
}

LoadedCalibration LoadPointsIntoView(CalibrationRecord& set1, CalibrationRecord& set2,
                                     int compressionFactor) {
  LoadedCalibration loaded;
  const std::size_t count = set1.UsablePointCount();
  if (compressionFactor != 0) {
    for (std::size_t i = 0; i < count; ++i) {
      set2.channel[i] = set1.channel[i] / compressionFactor;
      set2.energy[i] = set1.energy[i];
      set2.use[i] = set1.use[i];
      loaded.rows.push_back(
          {FixedText(set2.channel[i], 8, 2), FixedText(set2.energy[i], 8, 4), set2.use[i] != 0});
    }
  }
  set2.pointCount = static_cast<std::int32_t>(count);
  set2.useAll = set1.useAll;
  if (set1.units < 0 || static_cast<std::size_t>(set1.units) >= kCalibrationUnits.size()) set1.units = 0;
  set2.units = set1.units;
  set2.enabled = set1.enabled;
  set2.a = 0.0;
  set2.b = 1.0;
  set2.c = 0.0;
  if (RebuildPoints(set2, loaded.rows, 1.0) > 1) {
    loaded.fitted = true;
    loaded.fit = FitCalibration(set1, set2, loaded.rows, compressionFactor, set2.useAll);
  } else {
    loaded.fit = {FitOutcome::kTooFewPoints,
                  kNotCalibratedCaption,
                  {kUnknownCoefficientTexts[0], kUnknownCoefficientTexts[1], kUnknownCoefficientTexts[2]},
                  {}};
  }
  return loaded;
}

void ApplyCheckStates(CalibrationRecord& set1, CalibrationRecord& set2,
                      const std::vector<CalibrationRow>& rows) {
  const std::size_t count = std::min(rows.size(), CalibrationRecord::kMaxPoints);
  for (std::size_t i = 0; i < count; ++i) set1.use[i] = set2.use[i] = rows[i].checked ? 1 : 0;
}

}  // namespace korva
