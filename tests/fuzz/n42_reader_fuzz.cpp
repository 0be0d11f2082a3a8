// libFuzzer entry for the N42.42 spectrum reader.
#include <cstdio>
#include <cstdlib>

#include "exchange_reader_harness.h"
#include "formats/n42_reader.h"
#include "formats/n42_writer.h"

namespace {

std::string WriteN42(const korva::ExchangeSpectrum& spectrum) { return korva::N42FileText(spectrum, "fuzz"); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string fault = korva::fuzz::CheckExchangeReader(data, size, korva::ReadN42Text, WriteN42);
  if (!fault.empty()) {
    std::fprintf(stderr, "n42 reader: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
