#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace korva::fuzz {

struct ReaderCheck {
  bool read = false;   // the data was taken for a .tdc file
  std::string broken;  // the first rule the outcome broke; empty when none
};

// Reads `data` as the text of a .tdc file and checks what every outcome
// must hold: either a measurement or a reason, never both or neither; a
// measurement's runs numbered 1..P with P the preset runs and at most P
// completed; every number finite.
ReaderCheck ExerciseTdcReader(std::span<const std::uint8_t> data);

}  // namespace korva::fuzz
