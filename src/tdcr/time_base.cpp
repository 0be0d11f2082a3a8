#include "tdcr/time_base.h"

namespace korva {

namespace {

constexpr double kLowestRatio = 0.999975;
constexpr double kHighestRatio = 1.000025;

TdcrCounter ReferenceCounter(int source) {
  switch (source) {
    case 1:
      return TdcrCounter::kIntRef10MHz;
    case 2:
      return TdcrCounter::kExtRef10MHz;
    default:
      return TdcrCounter::kInt10MHz;
  }
}

}  // namespace

double TimeBaseFactor(const DisplayedRun& run, int source) {
  const std::uint64_t internal = run[TdcrCounter::kInt10MHz];
  if (internal == 0) return kNominalTimeBase;
  const double ratio = static_cast<double>(run[ReferenceCounter(source)]) / static_cast<double>(internal);
  if (ratio > kLowestRatio && ratio < kHighestRatio) return ratio * kNominalTimeBase;
  return kNominalTimeBase;
}

}  // namespace korva
