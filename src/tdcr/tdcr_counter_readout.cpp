#include "tdcr/tdcr_counter_readout.h"

#include "tdcr/tdcr_format.h"
#include "tdcr/tdcr_settings.h"

namespace korva {

namespace {

using Texts = TdcrCounterTexts;

// The counters behind one PMT group.
struct PmtCounters {
  TdcrCounter raw, ext1, ext2, live1, live2;
};

constexpr std::array<PmtCounters, 3> kPmtCounters = {{
    {TdcrCounter::kRawA, TdcrCounter::kExt1A, TdcrCounter::kExt2A, TdcrCounter::kLiveA1,
     TdcrCounter::kLiveA2},
    {TdcrCounter::kRawB, TdcrCounter::kExt1B, TdcrCounter::kExt2B, TdcrCounter::kLiveB1,
     TdcrCounter::kLiveB2},
    {TdcrCounter::kRawC, TdcrCounter::kExt1C, TdcrCounter::kExt2C, TdcrCounter::kLiveC1,
     TdcrCounter::kLiveC2},
}};

std::string ExtensionRate(std::uint64_t count, double liveTime) {
  return FormatReading(liveTime == 0 ? 0 : static_cast<double>(count) / liveTime);
}

std::array<std::string, Texts::kBoxes> CoincidenceBoxes(
    const DisplayedRun& run, const std::array<TdcrCounter, TdcrRates::kKinds>& counters) {
  const std::uint64_t ab = run[counters[TdcrRates::kAB]];
  const std::uint64_t bc = run[counters[TdcrRates::kBC]];
  const std::uint64_t ac = run[counters[TdcrRates::kAC]];
  const std::uint64_t t = run[counters[TdcrRates::kT]];
  return {FormatCount(ab),
          FormatCount(bc),
          FormatCount(ac),
          FormatCount(t),
          FormatCount(run[counters[TdcrRates::kD]]),
          FormatCount(ab + bc + ac - 2 * t)};
}

Texts::Pmt PmtBoxes(const DisplayedRun& run, const PmtCounters& counters, double k) {
  const double realTime = static_cast<double>(run[TdcrCounter::kRealTime]) * k;
  const double live1 = static_cast<double>(run[counters.live1]) * k;
  const double live2 = static_cast<double>(run[counters.live2]) * k;
  const std::uint64_t raw = run[counters.raw];
  return Texts::Pmt{
      FormatCount(raw),
      run[TdcrCounter::kRealTime] == 0 ? kNoDivisorText : FormatReading(static_cast<double>(raw) / realTime),
      FormatCount(run[counters.ext1]),
      ExtensionRate(run[counters.ext1], live1),
      FormatCount(run[counters.ext2]),
      ExtensionRate(run[counters.ext2], live2),
      FormatReading(live1),
      FormatReading(live2)};
}

}  // namespace

void TdcrCounterReadout::Refresh(const DisplayedRun& run, double k, std::uint16_t sourceAndPolarity) {
  for (std::size_t combination = 0; combination < TdcrRates::kCombinations; ++combination) {
    texts_.coincidences[combination] = CoincidenceBoxes(run, kCoincidenceCounters[combination]);
  }
  for (std::size_t pmt = 0; pmt < kPmtCounters.size(); ++pmt) {
    texts_.pmts[pmt] = PmtBoxes(run, kPmtCounters[pmt], k);
  }
  texts_.clocks = {FormatCount(run[TdcrCounter::kInt10MHz]), FormatCount(run[TdcrCounter::kIntRef10MHz]),
                   FormatCount(run[TdcrCounter::kExtRef10MHz])};
  ShowSource(sourceAndPolarity);
}

void TdcrCounterReadout::ShowSource(std::uint16_t sourceAndPolarity) {
  const int source = ReferenceSource(sourceAndPolarity);
  shownSource_ = source < static_cast<int>(kReferenceSourceTexts.size()) ? source : 0;
}

}  // namespace korva
