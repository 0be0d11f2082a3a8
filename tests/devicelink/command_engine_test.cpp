#include "devicelink/command_engine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../support/fake_serial_link.h"
#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "common/event_log.h"
#include "common/prompt.h"
#include "devicelink/link_timings.h"
#include "devicelink/register_edit.h"

namespace korva {
namespace {

using test::FakeSerialLink;
using test::FilledReadReplyTo;
using test::RecordingPrompt;
using test::WriteAckTo;

class FixedClock : public LocalClock {
 public:
  std::optional<LocalCalendar> Now() override { return LocalCalendar{2024, 3, 7, 14, 5, 9}; }
};

// The shell around the engine: a port-open flag, the disconnect sequence's
// log line, and a scheduler the test runs by hand.
class FakeHost : public EngineHost {
 public:
  CommandEngine* engine = nullptr;
  EventLog* log = nullptr;
  bool portOpen = true;
  std::vector<std::function<void()>> scheduled;
  std::vector<int> delays;

  bool IsPortOpen() const override { return portOpen; }
  void RunDisconnectSequence() override {
    engine->OnDisconnect();
    portOpen = false;
    log->AddLine("Disconnected from hardware");
  }
  void ScheduleAfter(int delayMs, std::function<void()> action) override {
    delays.push_back(delayMs);
    scheduled.push_back(std::move(action));
  }
  void RunScheduled() {
    auto actions = std::move(scheduled);
    scheduled.clear();
    for (auto& action : actions) action();
  }
};

struct Observer : EngineObserver {
  int chunks = 0;
  int registerReads = 0;
  int writes = 0;
  bool lastPhaMode = false;
  void OnSpectrumChunk() override { ++chunks; }
  void OnRegistersRead(bool phaMode) override {
    ++registerReads;
    lastPhaMode = phaMode;
  }
  void OnRegistersWritten() override { ++writes; }
};

class CommandEngineTest : public ::testing::Test {
 protected:
  CommandEngineTest() : log(clock), engine(link, image, log, prompt, host) {
    host.engine = &engine;
    host.log = &log;
    engine.AddObserver(&observer);
  }

  // Connects and answers the first register read, leaving the engine idle.
  void ConnectAndAnswer() {
    engine.PrepareConnect();
    engine.CompleteConnect();
    AnswerLast();
  }

  void Reply(const wire::Frame& reply) {
    link.Queue(reply);
    engine.OnReplyBytes();
  }
  void AnswerLast() {
    const wire::Frame& request = link.Last();
    Reply(request[0] == wire::kReadCommand ? FilledReadReplyTo(request) : WriteAckTo(request));
  }
  std::vector<std::string> LogMessages() const {
    std::vector<std::string> messages;
    for (const std::string& line : log.Lines()) messages.push_back(line.substr(line.find(">> ") + 3));
    return messages;
  }
  std::uint32_t LastAddress() const { return wire::ReadU32(link.Last(), 4); }

  FixedClock clock;
  EventLog log;
  FakeSerialLink link;
  DeviceImage image;
  RecordingPrompt prompt;
  FakeHost host;
  Observer observer;
  CommandEngine engine;
};

TEST_F(CommandEngineTest, RequestsWithoutALinkShowTheirNumberedMessage) {
  engine.RequestTrace();
  engine.RequestSpectrumChunk();
  engine.RequestAllRegisters();
  engine.SendSettingsRegisters();
  engine.SendAllRegisters();
  EXPECT_EQ(prompt.errors,
            (std::vector<std::string>{"1-Hardware not connected!", "2-Hardware not connected!",
                                      "5-Hardware not connected!", "6-Hardware not connected!"}));
  EXPECT_TRUE(link.written.empty());
}

TEST_F(CommandEngineTest, PollingWalksTheMemoryInChunksWithARegisterReadEveryFourth) {
  ConnectAndAnswer();
  engine.SetSpectrumPolling(true);
  engine.RequestSpectrumChunk();
  std::vector<std::uint32_t> starts;
  int registerReads = 0;
  while (starts.size() < 10) {
    const std::uint32_t address = LastAddress();
    if (address == wire::RegisterReadAddress(1)) {
      ++registerReads;
      EXPECT_EQ(starts.size() % 4, 0u);
    } else {
      starts.push_back((address - wire::kSpectrumRegion) / 2);
      if (starts.back() == 14350) {
        EXPECT_EQ(wire::ReadU16(link.Last(), 8), 4 * 2034);
      }
    }
    AnswerLast();
  }
  EXPECT_EQ(starts, (std::vector<std::uint32_t>{2050, 4100, 6150, 8200, 10250, 12300, 14350, 0, 2050, 4100}));
  EXPECT_EQ(registerReads, 2);
  EXPECT_EQ(observer.chunks, 10);
}

TEST_F(CommandEngineTest, TwoSettingsWritesDuringAChunkBecomeOneWrite) {
  ConnectAndAnswer();
  engine.RequestSpectrumChunk();
  const std::size_t sentBefore = link.written.size();
  engine.SendSettingsRegisters();
  engine.SendSettingsRegisters();
  EXPECT_EQ(link.written.size(), sentBefore);
  EXPECT_TRUE(engine.IsPending(CommandEngine::kSendSettingsSlot));
  AnswerLast();  // the chunk; the pending scan starts the write
  ASSERT_EQ(link.written.size(), sentBefore + 1);
  EXPECT_EQ(LastAddress(), 0xC0800Cu);
  AnswerLast();
  EXPECT_EQ(link.written.size(), sentBefore + 1);
  EXPECT_FALSE(engine.IsBusy());
  EXPECT_EQ(observer.writes, 1);
}

TEST_F(CommandEngineTest, PendingRequestsAreServedRoundRobin) {
  ConnectAndAnswer();  // no pending request has been served yet
  engine.RequestSpectrumChunk();
  engine.SendSettingsRegisters();  // slot 3
  engine.RequestTrace();           // slot 8
  engine.SendAllRegisters();       // slot 4
  std::vector<std::uint32_t> order;
  for (int i = 0; i < 3; ++i) {
    AnswerLast();
    order.push_back(LastAddress());
  }
  // The scan starts after slot 0: slot 3, then 4, then 8.
  EXPECT_EQ(order, (std::vector<std::uint32_t>{0xC0800C, 0xC08000, 0x8000}));

  // Now the last served slot is 8: a register read (12) comes before a
  // settings write (3) even though it was asked for later.
  AnswerLast();
  engine.RequestSpectrumChunk();
  engine.SendSettingsRegisters();
  engine.RequestRegisters(80, 4);
  AnswerLast();
  EXPECT_EQ(LastAddress(), wire::RegisterReadAddress(80));
  AnswerLast();
  EXPECT_EQ(LastAddress(), 0xC0800Cu);
}

TEST_F(CommandEngineTest, AReplyInPiecesIsHandledOnceWhenComplete) {
  ConnectAndAnswer();
  engine.RequestSpectrumChunk();
  const wire::Frame reply = FilledReadReplyTo(link.Last(), 0x01);
  const int chunksBefore = observer.chunks;
  for (std::size_t offset = 0; offset < reply.size(); offset += 1000) {
    link.Queue(wire::Frame(reply.begin() + static_cast<long>(offset),
                           reply.begin() + static_cast<long>(std::min(reply.size(), offset + 1000))));
    engine.OnReplyBytes();
    if (offset + 1000 < reply.size()) {
      EXPECT_EQ(observer.chunks, chunksBefore);
    }
  }
  EXPECT_EQ(observer.chunks, chunksBefore + 1);
  EXPECT_EQ(image.spectrum[2050], 0x01010101u);
}

TEST_F(CommandEngineTest, BadChecksumIsRepeatedAfterAPauseAndTheGoodRepeatAccepted) {
  ConnectAndAnswer();
  engine.RequestRegisters(80, 3);
  wire::Frame bad = FilledReadReplyTo(link.Last());
  bad.back() ^= 0xFF;
  const std::size_t sent = link.written.size();
  Reply(bad);
  EXPECT_EQ(LogMessages().back(), "Repeat Read Command");
  EXPECT_EQ(host.delays, std::vector<int>{1000});
  // Nothing goes out during the pause, not even a request a view makes.
  engine.SendSettingsRegisters();
  engine.OnTick();
  EXPECT_EQ(link.written.size(), sent);
  host.RunScheduled();
  ASSERT_EQ(link.written.size(), sent + 1);
  EXPECT_EQ(link.Last(), link.written[sent - 1]);
  EXPECT_EQ(engine.RepeatCount(), 2u);
  AnswerLast();
  EXPECT_FALSE(engine.HasError());
  // The pending write starts fresh.
  EXPECT_EQ(LastAddress(), 0xC0800Cu);
  EXPECT_EQ(engine.RepeatCount(), 1u);
}

TEST_F(CommandEngineTest, WriteAcknowledgeWithBadChecksumIsRepeated) {
  ConnectAndAnswer();
  engine.SendSettingsRegisters();
  wire::Frame ack = WriteAckTo(link.Last());
  ack.back() ^= 0x10;
  Reply(ack);
  EXPECT_EQ(LogMessages().back(), "Repeat Write Command");
  host.RunScheduled();
  AnswerLast();
  EXPECT_EQ(observer.writes, 1);
  EXPECT_EQ(image.registers[16] & 0x34, 0x10);
}

TEST_F(CommandEngineTest, SilentInstrumentIsGivenUpAndDisconnected) {
  engine.PrepareConnect();
  engine.CompleteConnect();
  int ticks = 0;
  std::vector<int> repeatsAt;
  while (engine.IsConnected() && ticks < 200) {
    engine.OnTick();
    ++ticks;
    if (!host.scheduled.empty()) {
      repeatsAt.push_back(ticks);
      host.RunScheduled();  // the 1000 ms pause has passed
    }
  }
  // Each time-out comes 23 ticks after its transmission.
  EXPECT_EQ(repeatsAt, (std::vector<int>{23, 46, 69}));
  EXPECT_EQ(ticks, 92);
  EXPECT_EQ(link.written.size(), 4u);
  EXPECT_EQ(LogMessages(),
            (std::vector<std::string>{"Repeat Read Command", "Repeat Read Command", "Repeat Read Command",
                                      "Max Number of Repeat Read Reached", "Communication Time Out- Timer",
                                      "Disconnected from hardware"}));
  EXPECT_FALSE(engine.IsBusy());
  EXPECT_TRUE(engine.HasError());
}

TEST(ReplyTimeoutTest, SlowLinksWaitTwiceTheWireTimeAndFastOnesTheFixedTicks) {
  // A full spectrum chunk: 12-byte request, 8225-byte reply.
  EXPECT_EQ(ReplyTimeoutTicks(12, 8225, 921600), 22);
  EXPECT_EQ(ReplyTimeoutTicks(12, 8225, 9600), 86);   // 8.58 s on the wire
  EXPECT_EQ(ReplyTimeoutTicks(12, 8225, 2400), 344);  // 34.3 s on the wire
  EXPECT_EQ(ReplyTimeoutTicks(12, 8225, 0), 22);
  EXPECT_EQ(ReplyTimeoutTicks(1u << 30, 0, 1), 65535);
}

TEST_F(CommandEngineTest, AChunkAtLowBaudWaitsForItsWireTimeBeforeRepeating) {
  engine.SetBaudRate(9600);
  ConnectAndAnswer();
  engine.SetSpectrumPolling(true);
  engine.RequestSpectrumChunk();
  for (int tick = 0; tick < 86; ++tick) engine.OnTick();
  EXPECT_TRUE(host.scheduled.empty());
  engine.OnTick();
  EXPECT_EQ(LogMessages().back(), "Repeat Read Command");
}

// The link's timings come from the settings store; what is not there (or
// zero) keeps the program's own: 22 ticks, 1 s before a repeat, 2 s of
// settling and 300 ms probe ticks in the Port Finder.
TEST(LinkTimingsTest, TheSettingsShortenTheTimingsAndAbsentValuesKeepTheDefaults) {
  test::MemorySettingsStore store;
  store.dwords.clear();  // a user's store, without the test machine's timings
  LinkTimings timings = ReadLinkTimings(store);
  EXPECT_EQ(timings.minimumReplyTicks, 22);
  EXPECT_EQ(timings.repeatPauseMs, 1000);
  EXPECT_EQ(timings.portSettleMs, 2000);
  EXPECT_EQ(timings.probeTickMs, 300);

  store.WriteDword("\\Korva-TDCR\\Link", "ReplyTimeoutTicks", 3);
  store.WriteDword("\\Korva-TDCR\\Link", "RepeatPauseMs", 0);
  store.WriteDword("\\Korva-TDCR\\Link", "PortSettleMs", 100);
  timings = ReadLinkTimings(store);
  EXPECT_EQ(timings.minimumReplyTicks, 3);
  EXPECT_EQ(timings.repeatPauseMs, 1000) << "zero keeps the default";
  EXPECT_EQ(timings.portSettleMs, 100);
  EXPECT_EQ(timings.probeTickMs, 300);
  store.WriteDword("\\Korva-TDCR\\Link", "ReplyTimeoutTicks", 70000);
  EXPECT_EQ(ReadLinkTimings(store).minimumReplyTicks, 65535) << "held to what the tick counter holds";
}

// Shortened timings: a lost reply is repeated after 3 ticks and a 50 ms
// pause, while a long reply at a low baud rate still gets its wire time.
TEST_F(CommandEngineTest, ShortenedTimingsRepeatSoonerButStillCoverTheWireTime) {
  engine.SetTimings({.minimumReplyTicks = 3, .repeatPauseMs = 50});
  ConnectAndAnswer();
  engine.RequestRegisters(1, 4);
  for (int tick = 0; tick < 3; ++tick) engine.OnTick();
  EXPECT_TRUE(host.scheduled.empty());
  engine.OnTick();
  EXPECT_EQ(LogMessages().back(), "Repeat Read Command");
  EXPECT_EQ(host.delays.back(), 50);
  EXPECT_EQ(ReplyTimeoutTicks(12, 8225, 9600, 3), 86);
}

// A hold ends by restoring what was before it, unless the write it led to
// still waits for the line: that write accepts read-backs when it goes out.
TEST_F(CommandEngineTest, AReadBackHoldEndsWithItsWriteOnTheLine) {
  ConnectAndAnswer();
  engine.RequestRegisters(1, 4);  // in flight: the write must wait
  {
    const CommandEngine::ReadBackHold outer(engine);
    {
      const CommandEngine::ReadBackHold inner(engine);
      EXPECT_FALSE(image.acceptReadBack);
    }
    EXPECT_FALSE(image.acceptReadBack) << "the inner hold ended inside the outer one";
    engine.SendSettingsRegisters();
  }
  EXPECT_FALSE(image.acceptReadBack) << "accepted before the write went out";
  AnswerLast();
  EXPECT_EQ(link.Last()[0], wire::kWriteCommand);
  EXPECT_TRUE(image.acceptReadBack);
  { const CommandEngine::ReadBackHold unused(engine); }
  EXPECT_TRUE(image.acceptReadBack);
}

// A start composed under a hold that spans a dialog: an earlier edit's
// write goes out while the dialog is open, a register read follows it, and
// the start's own write must wait for that read. The read carries the
// instrument before the start and must not take the run bit back out of
// the image, or the start never reaches the instrument.
TEST_F(CommandEngineTest, AnEarlierWriteGoingOutDuringAHoldDoesNotLetAStaleReadUndoTheHoldsChange) {
  ConnectAndAnswer();
  engine.RequestRegisters(1, 127);                                                    // in flight
  EditRegisters(engine, [](RegisterImage& registers) { registers[16] |= 1u << 2; });  // an erase waits
  {
    const CommandEngine::ReadBackHold start(engine);
    AnswerLast();  // the read; the erase write goes out
    ASSERT_EQ(link.Last()[0], wire::kWriteCommand);
    EXPECT_FALSE(image.acceptReadBack) << "the start is still being composed";
    AnswerLast();                  // the erase is acknowledged
    engine.RequestAllRegisters();  // in flight, from before the start
    image.registers[16] |= 1u;
    engine.SendSettingsRegisters();
    EXPECT_TRUE(engine.WritePending());
  }
  EXPECT_FALSE(image.acceptReadBack);
  Reply(FilledReadReplyTo(link.Last(), 0));  // the stale read: run bit clear
  EXPECT_EQ(image.registers[16] & 1u, 1u) << "the start survives the stale read";
  ASSERT_EQ(link.Last()[0], wire::kWriteCommand);
  EXPECT_EQ(wire::ReadU16(link.Last(), 8 + 2 * (16 - 12)) & 1u, 1u) << "the start goes out";
  EXPECT_TRUE(image.acceptReadBack);
}

// A hold that begins while an earlier write waits and whose own write goes
// straight out leaves read-backs accepted: the image follows the
// instrument again.
TEST_F(CommandEngineTest, AHoldBegunWhileAWriteWaitedEndsWithReadBacksAccepted) {
  ConnectAndAnswer();
  engine.RequestRegisters(1, 4);  // in flight
  EditRegisters(engine, [](RegisterImage& registers) { registers[80] = 5; });
  {
    const CommandEngine::ReadBackHold start(engine);
    AnswerLast();  // the read; the waiting write goes out
    AnswerLast();  // and is acknowledged: the engine is idle
    ASSERT_FALSE(engine.IsBusy());
    image.registers[16] |= 1u;
    engine.SendSettingsRegisters();  // straight onto the line
  }
  EXPECT_TRUE(image.acceptReadBack);
}

// A write that times out on the line is not taken for success: the missing
// reply runs into the time-out and the request goes out again.
TEST_F(CommandEngineTest, AWriteThatFailsOnTheLineIsRepeatedAfterItsTimeOut) {
  ConnectAndAnswer();
  link.writeError = error_code::kTimeout;
  const std::size_t sent = link.written.size();
  engine.RequestRegisters(1, 4);
  EXPECT_EQ(link.written.size(), sent);
  link.writeError = error_code::kSuccess;
  for (int tick = 0; tick <= CommandEngine::kTimeoutTicks; ++tick) engine.OnTick();
  EXPECT_EQ(LogMessages().back(), "Repeat Read Command");
  host.RunScheduled();
  ASSERT_EQ(link.written.size(), sent + 1);
  AnswerLast();
  EXPECT_FALSE(engine.IsBusy());
}

TEST_F(CommandEngineTest, AnAbandonedProbeLeavesNoTimeOutOrRepeatBehind) {
  engine.BeginProbe();
  engine.RequestProbeRead();
  for (int tick = 0; tick < 4; ++tick) engine.OnTick();
  engine.PrepareConnect();
  for (int tick = 0; tick < 200; ++tick) {
    engine.OnTick();
    host.RunScheduled();
  }
  EXPECT_FALSE(engine.IsBusy());
  EXPECT_TRUE(LogMessages().empty());
  EXPECT_EQ(link.written.size(), 1u);
}

TEST_F(CommandEngineTest, FourBadRepliesGiveUpAndTheNextTimeOutDisconnects) {
  ConnectAndAnswer();
  engine.RequestRegisters(1, 4);
  for (int attempt = 0; attempt < 4; ++attempt) {
    wire::Frame bad = FilledReadReplyTo(link.Last());
    bad[5] ^= 1;
    Reply(bad);
    host.RunScheduled();
  }
  EXPECT_EQ(LogMessages().back(), "Max Number of Repeat Read Reached");
  EXPECT_FALSE(engine.DeviceAnswered());
  EXPECT_TRUE(engine.IsBusy());
  for (int tick = 0; tick < 23; ++tick) engine.OnTick();
  EXPECT_EQ(LogMessages().back(), "Disconnected from hardware");
  EXPECT_FALSE(engine.IsConnected());
}

TEST_F(CommandEngineTest, AViewEditIsNotUndoneByARegisterReadInFlight) {
  ConnectAndAnswer();
  engine.RequestAllRegisters();  // in flight, carries the old value 0
  const wire::Frame staleRead = link.Last();
  EditRegisters(engine, [](RegisterImage& registers) { registers[80] = 1234; });
  EXPECT_TRUE(engine.IsPending(CommandEngine::kSendSettingsSlot));
  Reply(FilledReadReplyTo(staleRead, 0));  // the stale read-back arrives
  EXPECT_EQ(image.registers[80], 1234);
  // The write went out and carries the edit; read-backs are accepted again.
  EXPECT_EQ(LastAddress(), 0xC0800Cu);
  EXPECT_EQ(wire::ReadU16(link.Last(), 8 + 2 * (80 - 12)), 1234);
  EXPECT_TRUE(image.acceptReadBack);
}

TEST_F(CommandEngineTest, EditWithoutAnAnsweringInstrumentOnlyChangesTheImage) {
  EditRegisters(engine, [](RegisterImage& registers) { registers[84] = 7; });
  EXPECT_EQ(image.registers[84], 7);
  EXPECT_TRUE(image.acceptReadBack);
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(CommandEngineTest, RegisterReadChoosesThePaneModeAndAcknowledgesTheControlWord) {
  ConnectAndAnswer();
  std::vector<std::uint8_t> registers(254, 0);
  wire::WriteU16(registers, 2 * (18 - 1), 1u << 14);
  wire::WriteU16(registers, 2 * (16 - 1), (1u << 2) | (1u << 5));
  engine.RequestAllRegisters();
  Reply(test::ReadReplyTo(link.Last(), registers));
  EXPECT_TRUE(observer.lastPhaMode);
  EXPECT_EQ(image.registers[16], 1u << 4);

  wire::WriteU16(registers, 2 * (62 - 1), 0x0010);
  engine.RequestAllRegisters();
  Reply(test::ReadReplyTo(link.Last(), registers));
  EXPECT_FALSE(observer.lastPhaMode);
}

TEST_F(CommandEngineTest, AProbeReadLeavesTheImageAlone) {
  engine.PrepareConnect();
  engine.BeginProbe();
  engine.RequestProbeRead();
  Reply(FilledReadReplyTo(link.Last(), 0xAB));
  EXPECT_TRUE(engine.DeviceAnswered());
  EXPECT_EQ(image.registers[1], 0);
  EXPECT_EQ(observer.registerReads, 0);
}

}  // namespace
}  // namespace korva
