// libFuzzer entry for the IAEA SPE spectrum reader.
#include <cstdio>
#include <cstdlib>

#include "exchange_reader_harness.h"
#include "formats/spe_reader.h"
#include "formats/spe_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string fault =
      korva::fuzz::CheckExchangeReader(data, size, korva::ReadSpeText, korva::SpeFileText);
  if (!fault.empty()) {
    std::fprintf(stderr, "spe reader: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
