#include "acquisition/acquisition_rates.h"

#include <algorithm>

#include "devicelink/register_map.h"

namespace korva {

namespace {

constexpr double kGateUnitSeconds = 2048 * kTickMicroseconds * 1e-6;
constexpr double kLeastIncomingRate = 5.0;

double Rate(std::uint16_t counts, std::uint16_t gate) {
  return gate == 0 ? 0.0 : counts / (gate * kGateUnitSeconds);
}

}  // namespace

// The losses compare the truncated incoming rate with rate 1, which may lie
// a fraction above it when rate 1 is the larger; the bar cannot show that,
// so the share is kept within 0..100.
CountingRates DecodeCountingRates(const RegisterImage& registers) {
  CountingRates rates;
  rates.rate1 = Rate(registers[reg::kRateCount1], registers[reg::kRateGate1]);
  rates.rate2 = Rate(registers[reg::kRateCount2], registers[reg::kRateGate2]);
  const double highest = std::max(rates.rate1, rates.rate2);
  rates.throughput = static_cast<long>(rates.rate1);
  rates.incoming = static_cast<long>(highest);
  if (highest > kLeastIncomingRate) {
    const double incoming = static_cast<double>(rates.incoming);
    rates.lossesPercent =
        static_cast<int>(std::clamp((incoming - rates.rate1) * 100.0 / incoming, 0.0, 100.0));
  }
  return rates;
}

}  // namespace korva
