#pragma once

#include <optional>
#include <string>

#include "formats/spectrum_exchange.h"

namespace korva {

// What an exchange file reader gives back: the spectrum, or why the text is
// not one this program reads (a sentence the user is shown).
struct ExchangeRead {
  std::optional<ExchangeSpectrum> spectrum;
  std::string error;
};

}  // namespace korva
