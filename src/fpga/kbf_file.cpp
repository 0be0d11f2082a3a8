#include "fpga/kbf_file.h"

#include <numeric>

#include "devicelink/wire_frame.h"
#include "fpga/bit_reversal.h"

namespace korva {

std::optional<KbfHeader> ReadKbfHeader(std::span<const std::uint8_t> file) {
  if (file.size() < kbf::kHeaderSize) return std::nullopt;
  return KbfHeader{wire::ReadU16(file, 0), wire::ReadU16(file, 2), wire::ReadU32(file, 4),
                   wire::ReadU32(file, 8), wire::ReadU32(file, 12)};
}

std::optional<std::uint32_t> ComputeKbfChecksum(std::span<const std::uint8_t> file) {
  if (file.size() < kbf::kHeaderSize) return std::nullopt;
  const auto covered = file.first(kbf::kChecksumCovered);
  std::uint32_t sum = std::accumulate(covered.begin(), covered.end(), std::uint32_t{0});
  for (const std::uint8_t byte : file.subspan(kbf::kHeaderSize)) sum += ReverseBits(byte);
  return sum;
}

bool IsValidKbf(std::span<const std::uint8_t> file) {
  const auto header = ReadKbfHeader(file);
  return header && header->magic == kbf::kMagic && ComputeKbfChecksum(file) == header->checksum;
}

}  // namespace korva
