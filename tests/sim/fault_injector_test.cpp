#include "sim/fault_injector.h"

#include <gtest/gtest.h>

#include <numeric>

namespace korva::sim {
namespace {

using namespace korva::wire;

Frame SpectrumReply() {
  Frame reply(ExpectedReadReplyLength(4 * 2050), 0x11);
  reply.back() = Checksum(std::span<const std::uint8_t>(reply).first(reply.size() - 1));
  return reply;
}

bool ChecksumHolds(const Frame& frame) {
  return static_cast<std::uint8_t>(std::accumulate(frame.begin(), frame.end(), 0u)) == kChecksumTarget;
}

TEST(FaultInjector, CorruptedRepliesKeepTheirLengthButFailTheChecksumAndTruncatedOnesAreShort) {
  FaultInjector injector({.corruptProbability = 1.0, .seed = 9});
  for (int i = 0; i < 50; ++i) {
    Frame reply = SpectrumReply();
    ASSERT_TRUE(injector.Apply(RequestKind::kSpectrumRead, reply).send);
    ASSERT_EQ(reply.size(), SpectrumReply().size());
    ASSERT_FALSE(ChecksumHolds(reply));
  }
  injector.Configure({.truncateProbability = 1.0});
  for (int i = 0; i < 50; ++i) {
    Frame reply = SpectrumReply();
    injector.Apply(RequestKind::kSpectrumRead, reply);
    ASSERT_GE(reply.size(), 1u);
    ASSERT_LT(reply.size(), SpectrumReply().size());
  }
}

TEST(FaultInjector, ProbabilitiesApplyToAboutTheirShareOfReplies) {
  FaultInjector injector({.dropProbability = 0.25, .seed = 5});
  int dropped = 0;
  for (int i = 0; i < 4000; ++i) {
    Frame reply(kWriteReplyLength, 0);
    if (!injector.Apply(RequestKind::kRegisterRead, reply).send) ++dropped;
  }
  EXPECT_NEAR(dropped, 1000, 150);
}

TEST(FaultInjector, TargetingLimitsFaultsToOneKindAndToTheNextReplies) {
  FaultInjector injector(
      {.delay = std::chrono::milliseconds(30), .silent = true, .next = 2, .only = RequestKind::kTraceRead});
  Frame reply = SpectrumReply();
  EXPECT_TRUE(injector.Apply(RequestKind::kRegisterWrite, reply).send) << "other kinds are spared";
  EXPECT_TRUE(injector.Apply(RequestKind::kRegisterRead, reply).send);

  const Delivery first = injector.Apply(RequestKind::kTraceRead, reply);
  EXPECT_FALSE(first.send);
  EXPECT_EQ(first.delay.count(), 30);
  EXPECT_FALSE(injector.Apply(RequestKind::kTraceRead, reply).send);
  const Delivery third = injector.Apply(RequestKind::kTraceRead, reply);
  EXPECT_TRUE(third.send) << "the fault budget is spent";
  EXPECT_EQ(third.delay.count(), 0);

  injector.Configure({.silent = true, .next = 1});
  EXPECT_FALSE(injector.Apply(RequestKind::kRegisterRead, reply).send) << "configuring refills the budget";
  EXPECT_TRUE(injector.Apply(RequestKind::kRegisterRead, reply).send);
}

}  // namespace
}  // namespace korva::sim
