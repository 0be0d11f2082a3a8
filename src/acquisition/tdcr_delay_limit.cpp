#include "acquisition/tdcr_delay_limit.h"

#include "tdcr/tdcr_settings.h"

namespace korva {

int TdcrDelayExtension(const RegisterImage& registers, std::size_t signal) {
  return ExtensionPosition(registers[reg::kExtension1 + (signal == 0 ? 0 : 1)]);
}

}  // namespace korva
