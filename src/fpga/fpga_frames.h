#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "devicelink/wire_frame.h"

namespace korva {

// The block-transfer frames that write the instrument's configuration
// flash, read it back and load the FPGA from it. Multi-byte fields are
// little-endian; the last byte of every frame is the device frames'
// checksum (the byte sum of the whole frame is 5 modulo 256).
//
//   upload     request 521 bytes: code 210, length 521, address, 512 data, checksum
//              reply     9 bytes: code, length 9, 4 bytes, checksum
//   verify     request  11 bytes: code 215, length 11, address, 512, checksum
//              reply   523 bytes: code 215, 2 bytes, address, 2 bytes, 512 data, checksum
//   configure  request   9 bytes: F6 00 09 00 44 55 BB AA 08
//              reply     9 bytes: code 246, 7 bytes, checksum
namespace fpga {
inline constexpr std::uint16_t kUploadCommand = 210;
inline constexpr std::uint16_t kVerifyCommand = 215;
inline constexpr std::uint16_t kConfigureCommand = 246;

inline constexpr std::size_t kBlockBytes = 512;
inline constexpr std::size_t kUploadFrameLength = 521;
inline constexpr std::size_t kUploadDataOffset = 8;
inline constexpr std::size_t kUploadReplyLength = 9;
inline constexpr std::size_t kVerifyFrameLength = 11;
inline constexpr std::size_t kVerifyReplyLength = 523;
inline constexpr std::size_t kVerifyDataOffset = 10;
inline constexpr std::size_t kConfigureFrameLength = 9;
inline constexpr std::size_t kConfigureReplyLength = 9;
inline constexpr std::uint16_t kConfigureWord1 = 0x5544;
inline constexpr std::uint16_t kConfigureWord2 = 0xAABB;
}  // namespace fpga

using FpgaBlock = std::span<const std::uint8_t, fpga::kBlockBytes>;

wire::Frame BuildUploadFrame(std::uint32_t address, FpgaBlock block);
// `command` is 215, or the code a .kbf header names for its verify.
wire::Frame BuildVerifyFrame(std::uint16_t command, std::uint32_t address);
wire::Frame BuildConfigureFrame();

// The verify request code for a .kbf header's command code: 210 becomes
// 215, any other code is used as it is.
std::uint16_t VerifyCommandFor(std::uint16_t headerCommand);

// How a complete reply fails its checks; each reply is judged in the order
// the fields are listed, so the first failure names the fault.
enum class FpgaReplyFault {
  kNone,
  kBadReply,     // wrong code, or an upload reply whose length field is not 9
  kBadChecksum,  // the last byte does not complete the frame's sum to 5
};

// `reply` holds exactly the bytes received for the request.
FpgaReplyFault CheckUploadReply(std::span<const std::uint8_t> reply, std::uint16_t expectedCommand);
FpgaReplyFault CheckVerifyReply(std::span<const std::uint8_t> reply);
FpgaReplyFault CheckConfigureReply(std::span<const std::uint8_t> reply);

// The flash address a verify reply names for its block.
std::uint32_t VerifyReplyAddress(std::span<const std::uint8_t> reply);
// The 512 flash bytes of a verify reply.
FpgaBlock VerifyReplyData(std::span<const std::uint8_t, fpga::kVerifyReplyLength> reply);

}  // namespace korva
