// libFuzzer entry for the .kts spectrum file reader.
#include <cstdio>
#include <cstdlib>

#include "kts_reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string fault = korva::fuzz::CheckKtsReader(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "kts reader: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
