#include "tdcr/tdcr_rates.h"

#include "tdcr/tdcr_format.h"

namespace korva {

namespace {

using Rates = TdcrRates;

constexpr std::array<std::array<TdcrCounter, Rates::kLiveTimeKinds>, Rates::kExtensions> kLiveTimeCounters = {
    {
        {TdcrCounter::kLiveAb1, TdcrCounter::kLiveBc1, TdcrCounter::kLiveAc1, TdcrCounter::kLiveT1},
        {TdcrCounter::kLiveAb2, TdcrCounter::kLiveBc2, TdcrCounter::kLiveAc2, TdcrCounter::kLiveT2},
    }};

double Ticks(const DisplayedRun& run, TdcrCounter counter) { return static_cast<double>(run[counter]); }

double RateOrZero(double count, double liveTime) { return liveTime == 0 ? 0 : count / liveTime; }

std::optional<double> Ratio(double dividend, double divisor) {
  if (divisor == 0) return std::nullopt;
  return dividend / divisor;
}

void ComputeCombination(const DisplayedRun& run, Rates::Combination combination, Rates& out) {
  const auto& liveTimes = out.liveTimes[ExtensionOf(combination)];
  auto& rates = out.rates[combination];
  for (std::size_t kind = Rates::kAB; kind <= Rates::kT; ++kind) {
    rates[kind] = RateOrZero(Ticks(run, kCoincidenceCounters[combination][kind]), liveTimes[kind]);
  }
  rates[Rates::kD] = rates[Rates::kAB] + rates[Rates::kBC] + rates[Rates::kAC] - 2 * rates[Rates::kT];
  auto& ratios = out.ratios[combination];
  ratios[Rates::kTOverAB] = Ratio(rates[Rates::kT], rates[Rates::kAB]);
  ratios[Rates::kTOverBC] = Ratio(rates[Rates::kT], rates[Rates::kBC]);
  ratios[Rates::kTOverAC] = Ratio(rates[Rates::kT], rates[Rates::kAC]);
  ratios[Rates::kTOverD] = Ratio(rates[Rates::kT], rates[Rates::kD]);
}

}  // namespace

TdcrRates ComputeRates(const DisplayedRun& run, double k) {
  TdcrRates out;
  out.realTime = Ticks(run, TdcrCounter::kRealTime) * k;
  for (std::size_t extension = 0; extension < Rates::kExtensions; ++extension) {
    for (std::size_t kind = 0; kind < Rates::kLiveTimeKinds; ++kind) {
      out.liveTimes[extension][kind] = Ticks(run, kLiveTimeCounters[extension][kind]) * k;
    }
  }
  for (std::size_t combination = 0; combination < Rates::kCombinations; ++combination) {
    ComputeCombination(run, static_cast<Rates::Combination>(combination), out);
  }
  return out;
}

TdcrRateTexts FormatRates(const TdcrRates& rates) {
  TdcrRateTexts texts;
  texts.realTime = FormatReading(rates.realTime);
  for (std::size_t extension = 0; extension < Rates::kExtensions; ++extension) {
    for (std::size_t kind = 0; kind < Rates::kLiveTimeKinds; ++kind) {
      texts.liveTimes[extension][kind] = FormatReading(rates.liveTimes[extension][kind]);
    }
  }
  for (std::size_t combination = 0; combination < Rates::kCombinations; ++combination) {
    for (std::size_t kind = 0; kind < Rates::kKinds; ++kind) {
      texts.rates[combination][kind] = FormatReading(rates.rates[combination][kind]);
    }
    for (std::size_t ratio = 0; ratio < Rates::kRatios; ++ratio) {
      texts.ratios[combination][ratio] = FormatRatio(rates.ratios[combination][ratio]);
    }
  }
  return texts;
}

}  // namespace korva
