#pragma once

#include <cstdint>
#include <string_view>

#include "devicelink/register_map.h"

namespace korva::sim {

// The two models of the instrument; register 15 bits 12-15 tell them apart.
enum class Model { kRQ3101, kRQ3102 };

// What makes one instrument this instrument: it answers with these in every
// status block and in its identity registers.
struct InstrumentIdentity {
  std::uint16_t serialNumber = 12345;
  Model model = Model::kRQ3102;
  std::int16_t firmwareVersionX100 = 215;
  std::uint16_t fpgaVersionX10 = 31;
};

// Model code of register 15 bits 12-15.
constexpr std::uint16_t ModelCode(Model model) {
  return model == Model::kRQ3102 ? reg::model::kSecondModelCode : 0;
}

constexpr std::string_view ModelName(Model model) { return model == Model::kRQ3102 ? "RQ3102" : "RQ3101"; }

// Threshold-code slope (TDCR threshold units per code) the model's PMT
// discriminators are built for; the program accepts calibrations within 20% of it.
constexpr double NominalThresholdSlope(Model model) { return model == Model::kRQ3102 ? -0.0190735 : -0.01; }

}  // namespace korva::sim
