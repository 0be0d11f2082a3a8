// libFuzzer harness of the .kbf check. Besides never crashing, the check
// must accept a file exactly when its magic and checksum fields hold what
// the header and body demand, and reading the file must never change it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "devicelink/wire_frame.h"
#include "fpga/kbf_file.h"

namespace {

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file(data, data + size);
  const bool valid = korva::IsValidKbf(file);
  const auto header = korva::ReadKbfHeader(file);
  const auto checksum = korva::ComputeKbfChecksum(file);
  Require(header.has_value() == (size >= korva::kbf::kHeaderSize));
  Require(checksum.has_value() == header.has_value());
  Require(valid == (header && header->magic == korva::kbf::kMagic && header->checksum == *checksum));

  // Mended fields make any file of header size valid; the checksum field
  // itself is not part of the sum.
  if (file.size() >= korva::kbf::kHeaderSize) {
    korva::wire::WriteU16(file, 2, korva::kbf::kMagic);
    korva::wire::WriteU32(file, 12, *korva::ComputeKbfChecksum(file));
    Require(korva::IsValidKbf(file));
  }
  return 0;
}
