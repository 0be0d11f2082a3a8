// The FPGA transfer frames and the .kbf check, pinned to their bytes.

#include "fpga/fpga_frames.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "fpga/bit_reversal.h"
#include "fpga/kbf_file.h"
#include "fpga_test_support.h"

namespace korva {
namespace {

using test::KbfFile;

std::uint8_t ByteSum(std::span<const std::uint8_t> frame) {
  return static_cast<std::uint8_t>(std::accumulate(frame.begin(), frame.end(), 0u));
}

wire::Frame Sealed(wire::Frame frame) {
  frame.back() = wire::Checksum(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
  return frame;
}

TEST(FpgaFramesTest, BitReversalMirrorsEveryByte) {
  EXPECT_EQ(ReverseBits(std::uint8_t{0x01}), 0x80);
  EXPECT_EQ(ReverseBits(std::uint8_t{0x03}), 0xC0);
  EXPECT_EQ(ReverseBits(std::uint8_t{0xA0}), 0x05);
  std::vector<std::uint8_t> all(256);
  std::iota(all.begin(), all.end(), 0);
  std::vector<std::uint8_t> twice = all;
  ReverseBits(twice);
  ReverseBits(twice);
  EXPECT_EQ(twice, all);
}

TEST(FpgaFramesTest, FramesCarryTheirFieldsAndSumToFive) {
  std::array<std::uint8_t, 512> block{};
  std::iota(block.begin(), block.end(), 0);
  const wire::Frame upload = BuildUploadFrame(0x00012345, block);
  ASSERT_EQ(upload.size(), 521u);
  EXPECT_EQ(std::vector<std::uint8_t>(upload.begin(), upload.begin() + 8),
            (std::vector<std::uint8_t>{0xD2, 0x00, 0x09, 0x02, 0x45, 0x23, 0x01, 0x00}));
  EXPECT_TRUE(std::equal(block.begin(), block.end(), upload.begin() + 8));
  EXPECT_EQ(ByteSum(upload), 5);

  const wire::Frame verify = BuildVerifyFrame(215, 0x10200);
  EXPECT_EQ(verify, Sealed({0xD7, 0x00, 0x0B, 0x00, 0x00, 0x02, 0x01, 0x00, 0x00, 0x02, 0x00}));
  EXPECT_EQ(ByteSum(verify), 5);

  EXPECT_EQ(BuildConfigureFrame(), (wire::Frame{0xF6, 0x00, 0x09, 0x00, 0x44, 0x55, 0xBB, 0xAA, 0x08}));
  EXPECT_EQ(VerifyCommandFor(210), 215);
  EXPECT_EQ(VerifyCommandFor(211), 211);
}

TEST(FpgaFramesTest, UploadReplyChecksCodeLengthFieldAndChecksum) {
  const wire::Frame good = Sealed({0xD2, 0x00, 0x09, 0x00, 1, 2, 3, 4, 0});
  EXPECT_EQ(CheckUploadReply(good, 210), FpgaReplyFault::kNone);
  EXPECT_EQ(CheckUploadReply(good, 211), FpgaReplyFault::kBadReply)
      << "a .kbf header may expect another code";
  EXPECT_EQ(CheckUploadReply(Sealed({0xD2, 0x00, 0x0A, 0x00, 1, 2, 3, 4, 0}), 210),
            FpgaReplyFault::kBadReply);
  wire::Frame damaged = good;
  damaged[5] ^= 0x10;
  EXPECT_EQ(CheckUploadReply(damaged, 210), FpgaReplyFault::kBadChecksum);
  EXPECT_EQ(CheckUploadReply(std::span(good).first(8), 210), FpgaReplyFault::kBadReply);
}

TEST(FpgaFramesTest, VerifyAndConfigureRepliesCheckCodeThenChecksum) {
  wire::Frame verify(523, 0xEE);
  wire::WriteU16(verify, 0, 215);
  wire::WriteU32(verify, 4, 0x10400);
  verify = Sealed(verify);
  EXPECT_EQ(CheckVerifyReply(verify), FpgaReplyFault::kNone);
  EXPECT_EQ(VerifyReplyAddress(verify), 0x10400u);
  EXPECT_EQ(VerifyReplyData(std::span<const std::uint8_t, 523>(verify))[511], 0xEE);
  verify[100] ^= 1;
  EXPECT_EQ(CheckVerifyReply(verify), FpgaReplyFault::kBadChecksum);
  wire::WriteU16(verify, 0, 210);
  EXPECT_EQ(CheckVerifyReply(Sealed(verify)), FpgaReplyFault::kBadReply);

  EXPECT_EQ(CheckConfigureReply(Sealed({0xF6, 0x00, 0, 0, 0, 0, 0, 0, 0})), FpgaReplyFault::kNone);
  EXPECT_EQ(CheckConfigureReply(Sealed({0xF7, 0x00, 0, 0, 0, 0, 0, 0, 0})), FpgaReplyFault::kBadReply);
  EXPECT_EQ(CheckConfigureReply(wire::Frame{0xF6, 0x00, 0, 0, 0, 0, 0, 0, 0}), FpgaReplyFault::kBadChecksum);
}

TEST(KbfFileTest, ChecksumCoversHeaderAndReversedBody) {
  const std::vector<std::uint8_t> file = KbfFile({0x01, 0x03}, 0x10000);
  const auto header = ReadKbfHeader(file);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->command, 210);
  EXPECT_EQ(header->magic, 0x5444);
  EXPECT_EQ(header->address, 0x10000u);
  // 0xD2 + 0x44 + 0x54 + 0x01 (address) + 4 + 3 + 2 + 1, then 0x80 + 0xC0.
  EXPECT_EQ(header->checksum, 0xD2u + 0x44 + 0x54 + 0x01 + 10 + 0x80 + 0xC0);
  EXPECT_TRUE(IsValidKbf(file));
}

TEST(KbfFileTest, DamagedFilesAreRefused) {
  const std::vector<std::uint8_t> good = KbfFile(test::DesignBytes(1040), 0x10000);
  std::vector<std::uint8_t> swappedMagic = good;
  std::swap(swappedMagic[2], swappedMagic[3]);
  std::vector<std::uint8_t> checksumOffByOne = good;
  wire::WriteU32(checksumOffByOne, 12, wire::ReadU32(good, 12) + 1);
  std::vector<std::uint8_t> bodyChanged = good;
  bodyChanged[700] ^= 0x40;

  EXPECT_FALSE(IsValidKbf(swappedMagic));
  EXPECT_FALSE(IsValidKbf(checksumOffByOne));
  EXPECT_FALSE(IsValidKbf(bodyChanged));
  EXPECT_FALSE(IsValidKbf(std::span(good).first(15)));
  EXPECT_FALSE(IsValidKbf({}));
}

TEST(KbfFileTest, HeaderAloneIsValidWhenItsChecksumIsItsOwnByteSum) {
  std::vector<std::uint8_t> header = KbfFile({}, 0x20000);
  ASSERT_EQ(header.size(), 16u);
  EXPECT_EQ(wire::ReadU32(header, 12), std::accumulate(header.begin(), header.begin() + 12, 0u));
  EXPECT_TRUE(IsValidKbf(header));
}

}  // namespace
}  // namespace korva
