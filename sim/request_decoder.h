#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace korva::sim {

// The kinds of request the instrument answers; kFpga covers the FPGA
// transfer frames, which the configuration flash answers.
enum class RequestKind { kRegisterRead, kSpectrumRead, kTraceRead, kRegisterWrite, kFpga };

// A request frame, decoded against the instrument's address map.
struct Request {
  RequestKind kind = RequestKind::kRegisterRead;
  std::uint32_t address = 0;
  std::uint32_t first = 0;           // first register or data-memory entry; 0 for the trace
  std::uint32_t count = 0;           // registers, entries, or trace bytes
  std::uint16_t replyDataBytes = 0;  // D of a read; 0 for a write
  std::vector<std::uint16_t> words;  // the register values of a write
};

// Decodes a frame whose checksum already holds. Empty when the address lies
// outside the map or the length does not fit the addressed area: the
// instrument leaves such a request unanswered.
//   read  0x400000 | (0x8000 + r)  registers r .. r+n-1, D = 2n, r+n <= 128
//   read  0x400000 + 2s            data-memory entries s .. s+k-1, D = 4k, s+k <= 16384
//   read  0x8000                   the first D bytes of the trace record, D even, D <= 1024
//   write 0xC00000 | (0x8000 + r)  registers r .. r+n-1, N = 2n, r+n <= 128
std::optional<Request> DecodeRequest(std::span<const std::uint8_t> frame);

// The request kind a fault option names: "registers", "spectrum", "trace", "writes" or "fpga".
std::optional<RequestKind> RequestKindFromName(std::string_view name);

}  // namespace korva::sim
