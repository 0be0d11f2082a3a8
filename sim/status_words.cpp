#include "sim/status_words.h"

#include <cmath>

#include "devicelink/register_map.h"

namespace korva::sim {

namespace {

constexpr std::uint16_t kAuxSelectorFlag = 0x1000;
constexpr std::uint16_t kSlowAdcNominal = 2500;  // thousandths
constexpr double kWarmTemperature = 39.0;
constexpr double kColdTemperature = 31.0;
constexpr double kWarmUpSeconds = 900.0;

struct PmtCalibration {
  std::uint16_t zeroCode;
  double slopeFactor;  // this PMT's slope relative to the nominal one
};

constexpr std::uint16_t CalibrationDate(unsigned day, unsigned month, unsigned year) {
  namespace field = reg::calibration_date;
  return static_cast<std::uint16_t>((month << field::kMonthAt) | (day << field::kDayAt) | (year - 2000));
}

}  // namespace

std::array<std::uint16_t, 8> CalibrationSlots(Model model) {
  const std::array<PmtCalibration, 3> pmts =
      model == Model::kRQ3102 ? std::array<PmtCalibration, 3>{{{1180, 1.0}, {1320, 0.97}, {1050, 1.04}}}
                              : std::array<PmtCalibration, 3>{{{2400, 1.0}, {2150, 0.97}, {2600, 1.04}}};
  std::array<std::uint16_t, 8> slots{};
  for (std::size_t pmt = 0; pmt < pmts.size(); ++pmt) {
    // The code for -500 units lies 500 / |slope| codes above the code for 0.
    const double span = -500.0 / (NominalThresholdSlope(model) * pmts[pmt].slopeFactor);
    slots[2 * pmt] = pmts[pmt].zeroCode;
    slots[2 * pmt + 1] = static_cast<std::uint16_t>(pmts[pmt].zeroCode + std::lround(span));
  }
  slots[7] = CalibrationDate(14, 3, 2024);
  return slots;
}

StatusWords::StatusWords(const InstrumentIdentity& identity)
    : identity_(identity), slots_(CalibrationSlots(identity.model)) {}

wire::StatusBlock StatusWords::Next() {
  const auto slot = static_cast<std::uint16_t>(repliesSent_ % slots_.size());
  const double seconds = std::chrono::duration<double>(poweredFor_).count();
  const double temperature =
      kWarmTemperature - (kWarmTemperature - kColdTemperature) * std::exp(-seconds / kWarmUpSeconds);

  wire::StatusBlock status;
  status.firmwareVersion = identity_.firmwareVersionX100;
  status.serialNumber = identity_.serialNumber;
  status.auxSelector = static_cast<std::uint16_t>(kAuxSelectorFlag | slot);
  status.auxValue = slots_[slot];
  // A couple of thousandths of reading noise.
  status.slowAdc = static_cast<std::uint16_t>(kSlowAdcNominal - 2 + (repliesSent_ * 3) % 5);
  status.temperature = static_cast<std::int16_t>(std::lround(temperature));
  ++repliesSent_;
  return status;
}

void StatusWords::Advance(std::chrono::microseconds elapsed) { poweredFor_ += elapsed; }

}  // namespace korva::sim
