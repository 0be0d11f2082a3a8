// libFuzzer entry for the .tdc reader; build with -DKORVA_FUZZ=ON and clang.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "tdc_reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string broken = korva::fuzz::ExerciseTdcReader(std::span<const std::uint8_t>(data, size)).broken;
  if (!broken.empty()) {
    std::fprintf(stderr, "tdc reader: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
