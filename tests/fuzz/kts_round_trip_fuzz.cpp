// libFuzzer entry for the .kts writer against its reader: what the reader
// makes of an input must read back the same once written.
#include <cstdio>
#include <cstdlib>

#include "kts_reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string fault = korva::fuzz::CheckKtsRoundTrip(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "kts round trip: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
