// libFuzzer entry for the stored "Calibration" value reader.
#include <cstdio>
#include <cstdlib>

#include "calibration_value_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string fault = korva::fuzz::CheckCalibrationValue(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "calibration value: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
