// The virtual instrument's configuration flash, reached through the same
// byte stream as the device frames.

#include "sim/configuration_flash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "fpga/fpga_frames.h"
#include "fpga_test_support.h"
#include "sim/fault_injector.h"
#include "sim/sim_options.h"
#include "sim/virtual_instrument.h"

namespace korva {
namespace {

std::array<std::uint8_t, 512> Block(std::uint8_t first) {
  std::array<std::uint8_t, 512> block{};
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(first + i);
  return block;
}

class ConfigurationFlashTest : public ::testing::Test {
 protected:
  std::vector<sim::Reply> Send(const wire::Frame& frame) {
    instrument.Receive(frame);
    return instrument.TakeReplies();
  }

  sim::VirtualInstrument instrument{{}, 1, {}, {}, 64 * 1024};
};

TEST_F(ConfigurationFlashTest, StartsErasedAndAnswersEachFrameWithItsReply) {
  ASSERT_EQ(instrument.Flash().Bytes().size(), 64u * 1024);
  EXPECT_TRUE(std::ranges::all_of(instrument.Flash().Bytes(), [](std::uint8_t b) { return b == 0xFF; }));

  const auto block = Block(3);
  std::vector<sim::Reply> replies = Send(BuildUploadFrame(0x400, block));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].kind, sim::RequestKind::kFpga);
  EXPECT_EQ(CheckUploadReply(replies[0].bytes, 210), FpgaReplyFault::kNone);
  EXPECT_EQ(wire::ReadU32(replies[0].bytes, 4), 0x400u);

  replies = Send(BuildVerifyFrame(215, 0x400));
  ASSERT_EQ(replies.size(), 1u);
  ASSERT_EQ(CheckVerifyReply(replies[0].bytes), FpgaReplyFault::kNone);
  EXPECT_EQ(VerifyReplyAddress(replies[0].bytes), 0x400u);
  EXPECT_TRUE(
      std::ranges::equal(VerifyReplyData(std::span<const std::uint8_t, 523>(replies[0].bytes)), block));

  replies = Send(BuildConfigureFrame());
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].bytes.size(), 9u);
  EXPECT_EQ(CheckConfigureReply(replies[0].bytes), FpgaReplyFault::kNone);
  EXPECT_EQ(instrument.Flash().Configurations(), 1u);
}

TEST_F(ConfigurationFlashTest, FramesItCannotTakeGetNoReply) {
  const auto block = Block(0);
  wire::Frame badChecksum = BuildUploadFrame(0, block);
  badChecksum[100] ^= 1;
  wire::Frame badLength = BuildVerifyFrame(215, 0);
  wire::WriteU16(badLength, 8, 256);
  badLength.back() = wire::Checksum(std::span<const std::uint8_t>(badLength).first(10));

  EXPECT_TRUE(Send(badChecksum).empty());
  EXPECT_TRUE(Send(badLength).empty());
  EXPECT_TRUE(Send(BuildUploadFrame(64 * 1024 - 256, block)).empty()) << "the block would overrun the flash";
  EXPECT_TRUE(Send(BuildVerifyFrame(215, 0xFFFFFF00)).empty());
  EXPECT_TRUE(std::ranges::all_of(instrument.Flash().Bytes(), [](std::uint8_t b) { return b == 0xFF; }));
  // The stream is in step again for the next good frame.
  EXPECT_EQ(Send(BuildConfigureFrame()).size(), 1u);
}

TEST_F(ConfigurationFlashTest, FpgaFramesAreFoundAmongNoiseAndDeviceFrames) {
  wire::Frame stream = {0x00, 0xD2, 0x13};
  const wire::Frame upload = BuildUploadFrame(0x200, Block(9));
  stream.insert(stream.end(), upload.begin(), upload.end());
  const wire::Frame read = wire::RequestRegistersFrame(63, 1);
  stream.insert(stream.end(), read.begin(), read.end());
  const std::vector<sim::Reply> replies = Send(stream);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].kind, sim::RequestKind::kFpga);
  EXPECT_EQ(replies[1].kind, sim::RequestKind::kRegisterRead);
  EXPECT_EQ(instrument.Flash().Bytes()[0x200], 9);
}

TEST(ConfigurationFlashOptionsTest, FlashSizeAndFpgaFaultsComeFromTheCommandLine) {
  const auto parse = [](std::vector<std::string_view> args) { return sim::ParseCommandLine(args); };
  EXPECT_EQ(parse({}).options->server.flashBytes, 2u << 20);
  EXPECT_EQ(parse({"--flash-size", "4M"}).options->server.flashBytes, 4u << 20);
  EXPECT_EQ(parse({"--flash-size=512K"}).options->server.flashBytes, 512u << 10);
  EXPECT_EQ(parse({"--flash-size", "4096"}).options->server.flashBytes, 4096u);
  for (const std::string_view wrong : {"0", "100", "1G", "K", "-1M", "999999M"}) {
    EXPECT_FALSE(parse({"--flash-size", wrong}).options) << wrong;
  }
  const auto faults = parse({"--fault-only", "fpga", "--drop", "1"});
  ASSERT_TRUE(faults.options);
  EXPECT_EQ(faults.options->server.faults.only, sim::RequestKind::kFpga);
}

TEST(ConfigurationFlashOptionsTest, FpgaFaultsSpareTheDeviceReplies) {
  sim::FaultInjector injector({.silent = true, .only = sim::RequestKind::kFpga});
  wire::Frame reply(9, 0);
  EXPECT_FALSE(injector.Apply(sim::RequestKind::kFpga, reply).send);
  EXPECT_TRUE(injector.Apply(sim::RequestKind::kRegisterRead, reply).send);
}

}  // namespace
}  // namespace korva
