#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace korva {

// A .kbf design file: a 16-byte header, then the design body to the end of
// the file. Header fields are little-endian:
//   0  2  command code (210 in valid files; the upload expects it back)
//   2  2  magic 0x5444
//   4  4  flash start address of the body
//   8  4  not interpreted, covered by the checksum
//  12  4  checksum: sum of header bytes 0..11 plus the sum of every body
//         byte with its bit order reversed, modulo 2^32
namespace kbf {
inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::uint16_t kMagic = 0x5444;
inline constexpr std::size_t kChecksumCovered = 12;  // header bytes in the sum
}  // namespace kbf

struct KbfHeader {
  std::uint16_t command = 0;
  std::uint16_t magic = 0;
  std::uint32_t address = 0;
  std::uint32_t reserved = 0;
  std::uint32_t checksum = 0;
};

// The header of `file`; empty when the file is shorter than a header.
std::optional<KbfHeader> ReadKbfHeader(std::span<const std::uint8_t> file);

// The checksum `file` should carry, computed from its header bytes 0..11
// and its body; empty when the file is shorter than a header.
std::optional<std::uint32_t> ComputeKbfChecksum(std::span<const std::uint8_t> file);

// A design file is valid when it holds a whole header, its magic is
// 0x5444 and its checksum matches. A header alone (empty body) can be valid.
bool IsValidKbf(std::span<const std::uint8_t> file);

}  // namespace korva
