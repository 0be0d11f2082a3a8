// libFuzzer harness of the FPGA transfer's reply handling. The input is a
// script of steps against a transfer on an in-memory port: bytes arriving
// (raw, or a well-formed reply to the frame in flight carrying input
// bytes), timer ticks, and Upload, Verify, Config FPGA or Stop. Besides
// never crashing or hanging, the transfer must keep its progress inside its
// range and never count more differences than the design has bytes.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "../support/fake_serial_link.h"
#include "../support/recording_prompt.h"
#include "fpga/bit_reversal.h"
#include "fpga/fpga_transfer.h"
#include "fuzz_script.h"

namespace {

using korva::wire::Frame;
namespace fpga = korva::fpga;

constexpr std::size_t kDesignBytes = 2 * fpga::kBlockBytes + 100;

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

std::uint8_t DesignByte(std::size_t at) { return static_cast<std::uint8_t>(at * 7); }

// A raw design of two and a bit blocks, written once per fuzzer process.
const std::filesystem::path& DesignPath() {
  static const std::filesystem::path path = [] {
    const auto written =
        std::filesystem::temp_directory_path() / ("korva-fpga-fuzz-" + std::to_string(::getpid()) + ".bin");
    std::vector<char> bytes(kDesignBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(DesignByte(i));
    std::ofstream(written, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::atexit([] { std::filesystem::remove(DesignPath()); });
    return written;
  }();
  return path;
}

void Seal(Frame& frame) {
  frame.back() = korva::wire::Checksum(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
}

// The reply the instrument gives to `request`. Verify data is what the
// flash holds at the requested address (the design, bit-reversed, then
// erased bytes), with its first bytes replaced by the input's: every byte
// that differs makes a log line, and differences are the input's to make.
Frame ReplyTo(const Frame& request, std::span<const std::uint8_t> data) {
  const std::uint16_t code = korva::wire::ReadU16(request, 0);
  Frame reply(code == fpga::kVerifyCommand ? fpga::kVerifyReplyLength : fpga::kUploadReplyLength, 0);
  korva::wire::WriteU16(reply, 0, code);
  korva::wire::WriteU16(reply, 2, static_cast<std::uint16_t>(reply.size()));
  if (code == fpga::kVerifyCommand) {
    std::copy_n(request.begin() + 4, 4, reply.begin() + 4);
    const std::uint32_t address = korva::wire::ReadU32(request, 4);
    for (std::size_t i = 0; i < fpga::kBlockBytes; ++i) {
      const std::size_t at = std::size_t{address} + i;
      reply[fpga::kVerifyDataOffset + i] = korva::ReverseBits(at < kDesignBytes ? DesignByte(at) : 0xFF);
    }
    std::copy(data.begin(), data.begin() + std::min(data.size(), fpga::kBlockBytes),
              reply.begin() + fpga::kVerifyDataOffset);
  }
  Seal(reply);
  return reply;
}

// Upload and Verify read the design file each time they start. A script
// may start them this many times; later ones stop the transfer instead, so
// that a long script spends its time on replies rather than on reading the
// same file again and again.
constexpr int kMaxFileStarts = 4;

void Start(korva::FpgaTransfer& transfer, std::uint8_t which, int& fileStarts) {
  if (which % 4 < 2 && ++fileStarts > kMaxFileStarts) which = 3;
  switch (which % 4) {
    case 0:
      transfer.Upload(DesignPath());
      break;
    case 1:
      transfer.Verify(DesignPath());
      break;
    case 2:
      transfer.Configure();
      break;
    default:
      transfer.Stop();
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korva::test::FakeSerialLink link;
  korva::test::RecordingPrompt prompt;
  korva::FpgaTransfer transfer(link, prompt);
  korva::fuzz::FuzzScript script(std::span(data, size));
  int fileStarts = 0;
  Start(transfer, script.Byte(), fileStarts);
  while (!script.Done()) {
    const std::uint8_t step = script.Byte();
    switch (step % 4) {
      case 0: {
        const auto bytes = script.Bytes(step / 4u * 8u);
        link.incoming.insert(link.incoming.end(), bytes.begin(), bytes.end());
        break;
      }
      case 1:
        if (!link.written.empty()) link.Queue(ReplyTo(link.Last(), script.Bytes(step / 4u * 16u)));
        break;
      case 2:
        transfer.OnTick();
        break;
      default:
        Start(transfer, script.Byte(), fileStarts);
        break;
    }
    transfer.OnReplyBytes();
    const korva::FpgaProgress& progress = transfer.Progress();
    Require(progress.position <= progress.range);
    Require(transfer.VerifyErrors() <= kDesignBytes + fpga::kBlockBytes);
  }
  return 0;
}
