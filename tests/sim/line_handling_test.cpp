#include <gtest/gtest.h>

#include <random>

#include "sim/virtual_instrument.h"
#include "sim_test_support.h"

namespace korva::sim {
namespace {

using namespace korva::wire;
using namespace korva::sim::testing;

class LineHandlingTest : public ::testing::Test {
 protected:
  // Feeds `noise` followed by a good register read and expects exactly the
  // good read to be answered.
  void ExpectOnlyTheGoodFrameAnswered(const Frame& noise) {
    instrument.Receive(noise);
    const Frame good = RequestRegistersFrame(1, 4);
    instrument.Receive(good);
    instrument.Advance(VirtualInstrument::kLineIdleTimeout);
    const std::vector<Reply> replies = instrument.TakeReplies();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(CheckReply(good, 33, replies[0].bytes).Valid());
  }

  VirtualInstrument instrument{InstrumentIdentity{}, 3};
};

TEST_F(LineHandlingTest, NoiseAndDamagedFramesAreIgnoredAndTheNextGoodFrameIsAnswered) {
  Frame badChecksum = RequestAllRegistersFrame();
  badChecksum.back() ^= 0x01;
  Frame badSecondByte = RequestAllRegistersFrame();
  badSecondByte[1] = 1;
  badSecondByte.back() = Checksum(std::span<const std::uint8_t>(badSecondByte).first(10));
  const std::array<std::uint16_t, 1> word{1};

  const std::vector<std::pair<const char*, Frame>> cases = {
      {"bytes that start no frame", {0x00, 0xFF, 0x13, 0x37, 0x65}},
      {"bad checksum", badChecksum},
      {"second byte not 0", badSecondByte},
      {"unknown address", BuildReadRequest(0x123456, 4)},
      {"write outside the registers", BuildWriteRequest(0xC00010, word)},
      {"read of 0 bytes", BuildReadRequest(RegisterReadAddress(1), 0)},
      {"frame start whose claimed length never arrives", {0x6E, 0x00, 0x41, 0x00, 0x01}},
  };
  for (const auto& [what, noise] : cases) {
    SCOPED_TRACE(what);
    ExpectOnlyTheGoodFrameAnswered(noise);
  }
}

TEST_F(LineHandlingTest, RequestArrivingInPiecesIsAnsweredOnceComplete) {
  const std::array<std::uint16_t, 3> words{11, 22, 33};
  const Frame write = BuildWriteRequest(RegisterWriteAddress(80), words);
  for (std::size_t i = 0; i + 1 < write.size(); ++i) {
    instrument.Receive(std::span<const std::uint8_t>(write).subspan(i, 1));
    ASSERT_TRUE(instrument.TakeReplies().empty()) << "after byte " << i;
  }
  instrument.Receive(std::span<const std::uint8_t>(write).last(1));
  ASSERT_EQ(instrument.TakeReplies().size(), 1u);
  EXPECT_EQ(ReadRegisters(instrument, 80, 3), (std::vector<std::uint16_t>{11, 22, 33}));
}

TEST_F(LineHandlingTest, BackToBackRequestsInOneChunkAreAnsweredInOrder) {
  Frame both = RequestTraceFrame();
  const Frame registers = RequestRegistersFrame(63, 1);
  both.insert(both.end(), registers.begin(), registers.end());
  const std::vector<Reply> replies = Exchange(instrument, both);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].kind, RequestKind::kTraceRead);
  EXPECT_EQ(replies[1].kind, RequestKind::kRegisterRead);
}

TEST_F(LineHandlingTest, RandomBytesNeverBreakTheInstrument) {
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> chunk(1, 700);
  // Bytes biased towards frame starts, so the framer's waiting paths get exercised too.
  const std::array<std::uint8_t, 4> likely{0x64, 0x6E, 0x00, 0x0B};
  for (int round = 0; round < 200; ++round) {
    Frame noise(chunk(random));
    for (auto& b : noise)
      b = byte(random) < 64 ? likely[static_cast<std::size_t>(byte(random)) % 4]
                            : static_cast<std::uint8_t>(byte(random));
    instrument.Receive(noise);
    for (const Reply& reply : instrument.TakeReplies()) {
      ASSERT_GE(reply.bytes.size(), kWriteReplyLength);
      ASSERT_EQ(ReadU16(reply.bytes, 2), reply.bytes.size());
    }
  }
  instrument.Advance(VirtualInstrument::kLineIdleTimeout);
  instrument.TakeReplies();
  ExpectOnlyTheGoodFrameAnswered({});
}

}  // namespace
}  // namespace korva::sim
