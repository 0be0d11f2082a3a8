#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace korva {

// Byte level of the instrument link: every request the program sends is one
// of two frames, a read ("d") or a write ("n"); the instrument answers each
// with exactly one reply frame. Multi-byte fields are little-endian and the
// last byte of every frame makes the byte sum of the whole frame 5 mod 256.
namespace wire {

inline constexpr std::uint8_t kReadCommand = 0x64;   // 'd'
inline constexpr std::uint8_t kWriteCommand = 0x6E;  // 'n'

inline constexpr std::size_t kReadRequestLength = 11;
inline constexpr std::size_t kReadReplyOverhead = 25;  // header, status block, checksum
inline constexpr std::size_t kWriteRequestOverhead = 9;
inline constexpr std::size_t kWriteReplyLength = 9;
inline constexpr std::size_t kStatusBlockOffset = 8;
inline constexpr std::size_t kReadDataOffset = 24;
inline constexpr std::size_t kWriteDataOffset = 8;

inline constexpr std::uint32_t kRegisterReadRegion = 0x400000;
inline constexpr std::uint32_t kRegisterWriteRegion = 0xC00000;
inline constexpr std::uint32_t kRegisterWordBase = 0x8000;
inline constexpr std::uint32_t kSpectrumRegion = 0x400000;
inline constexpr std::uint32_t kTraceAddress = 0x8000;

inline constexpr std::size_t kRegisterCount = 128;
inline constexpr std::size_t kSpectrumEntries = 16384;
inline constexpr std::size_t kSpectrumChunkEntries = 2050;
inline constexpr std::size_t kTraceBytes = 1024;
inline constexpr std::uint8_t kChecksumTarget = 5;

using Frame = std::vector<std::uint8_t>;

// Checksum byte for a frame whose preceding bytes are `body`.
std::uint8_t Checksum(std::span<const std::uint8_t> body);

// The 11-byte read request for `byteCount` data bytes at `address`.
Frame BuildReadRequest(std::uint32_t address, std::uint16_t byteCount);

// The write request carrying `words` (16-bit, little-endian) to `address`.
Frame BuildWriteRequest(std::uint32_t address, std::span<const std::uint16_t> words);

// Reply lengths the instrument sends for a request.
std::size_t ExpectedReadReplyLength(std::uint16_t byteCount);

// Addresses of the concrete requests.
std::uint32_t RegisterReadAddress(std::uint32_t firstRegister);
std::uint32_t RegisterWriteAddress(std::uint32_t firstRegister);
std::uint32_t SpectrumReadAddress(std::uint32_t firstEntry);

// Entry count of the spectrum chunk starting at `firstEntry`.
std::uint32_t SpectrumChunkEntries(std::uint32_t firstEntry);

// The concrete requests of the command engine.
Frame RequestAllRegistersFrame();  // registers 1-127
Frame RequestRegistersFrame(std::uint32_t first, std::uint32_t count);
Frame RequestSpectrumChunkFrame(std::uint32_t firstEntry);
Frame RequestTraceFrame();
Frame SendSettingsRegistersFrame(std::span<const std::uint16_t, kRegisterCount> registers);  // 12-127
Frame SendAllRegistersFrame(std::span<const std::uint16_t, kRegisterCount> registers);       // 0-127

// Outcome of the five reply tests. Every test is evaluated, so a caller can
// tell which ones failed (the engine counts each failed test but the byte
// count as an error).
struct ReplyCheck {
  bool countOk = false;
  bool commandOk = false;
  bool lengthFieldOk = false;
  bool addressOk = false;
  bool checksumOk = false;

  bool Valid() const { return countOk && commandOk && lengthFieldOk && addressOk && checksumOk; }
};

// Judges `received` (the bytes that arrived, possibly fewer or more than
// expected) as the reply to `request`. The checksum position is taken from
// the expected length, so a short reply fails on it too.
ReplyCheck CheckReply(std::span<const std::uint8_t> request, std::size_t expectedLength,
                      std::span<const std::uint8_t> received);

// After a check the first 8 receive bytes are cleared, so a stale header can
// never pass a later check.
void ClearReplyHeader(std::span<std::uint8_t> receiveBuffer);

// Little-endian field access shared by frames, files and the instrument model.
std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset);
void WriteU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value);
void WriteU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value);

// The eight status words of a read reply, by their byte offset in the reply.
struct StatusBlock {
  std::int16_t firmwareVersion = 0;  // offset 8, version x 100
  std::uint16_t serialNumber = 0;    // offset 10
  std::uint16_t auxSelector = 0;     // offset 12
  std::uint16_t auxValue = 0;        // offset 14
  std::uint16_t slowAdc = 0;         // offset 16, thousandths
  std::uint16_t reserved18 = 0;      // offset 18
  std::int16_t temperature = 0;      // offset 20
  std::uint16_t reserved22 = 0;      // offset 22

  bool CarriesAuxSlot() const { return (auxSelector & 0xF000u) != 0; }
  unsigned AuxSlot() const { return auxSelector & 7u; }
};

StatusBlock ReadStatusBlock(std::span<const std::uint8_t> reply);
void WriteStatusBlock(std::span<std::uint8_t> reply, const StatusBlock& status);

}  // namespace wire
}  // namespace korva
