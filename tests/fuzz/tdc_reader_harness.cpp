#include "tdc_reader_harness.h"

#include <cmath>
#include <string_view>

#include "tdcr/measurement_tdc_reader.h"

namespace korva::fuzz {

namespace {

bool AllFinite(const TdcRun& run) {
  bool finite = std::isfinite(run.realTime);
  for (const auto& pmt : run.singleLiveTimes)
    finite = finite && std::isfinite(pmt[0]) && std::isfinite(pmt[1]);
  for (const auto& kind : run.singles) {
    for (const TdcCount& c : kind) finite = finite && std::isfinite(c.cps);
  }
  for (const auto& extension : run.coincidenceLiveTimes) {
    for (const double t : extension) finite = finite && std::isfinite(t);
  }
  for (const auto& combination : run.coincidences) {
    for (const TdcCount& c : combination) finite = finite && std::isfinite(c.cps);
  }
  return finite;
}

std::string BrokenRule(const TdcReadResult& result) {
  if (result.measurement.has_value() == !result.error.empty())
    return "a measurement and a reason, or neither";
  if (!result.measurement) return {};
  const TdcMeasurement& m = *result.measurement;
  if (static_cast<int>(m.runs.size()) != m.header.presetRuns) return "run count differs from the preset runs";
  if (m.header.runsCompleted < 0 || m.header.runsCompleted > m.header.presetRuns) {
    return "completed runs out of range";
  }
  for (std::size_t i = 0; i < m.runs.size(); ++i) {
    if (m.runs[i].number != static_cast<int>(i) + 1) return "runs out of order";
    if (!AllFinite(m.runs[i])) return "a number that is not finite";
  }
  return {};
}

}  // namespace

ReaderCheck ExerciseTdcReader(std::span<const std::uint8_t> data) {
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  const TdcReadResult result = ReadTdcText(text);
  return {result.measurement.has_value(), BrokenRule(result)};
}

}  // namespace korva::fuzz
