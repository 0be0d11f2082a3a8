// The whole device link against the virtual instrument: a LinkSession with
// its real serial port and command engine, an in-process instrument serving a
// pseudo-terminal, and the Qt event loop carrying the port's notifications.

#include <gtest/gtest.h>
#include <time.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../support/recording_prompt.h"
#include "common/event_log.h"
#include "devicelink/device_image.h"
#include "devicelink/hardware_identity.h"
#include "devicelink/link_session.h"
#include "devicelink/register_edit.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

using std::chrono::milliseconds;

// Marks a register read in the sequence of accepted replies; a spectrum chunk
// appears as its start entry.
constexpr int kRegisters = -1;

// The replies the engine accepted, in order, as the views would hear of them.
class AcceptedReplies : public EngineObserver {
 public:
  explicit AcceptedReplies(const CommandEngine& engine) : engine_(engine) {}

  std::vector<int> sequence;
  int writes = 0;
  std::function<void()> onChange;

  void OnSpectrumChunk() override { Add(static_cast<int>(engine_.SpectrumChunkStart())); }
  void OnRegistersRead(bool) override { Add(kRegisters); }
  void OnRegistersWritten() override {
    ++writes;
    if (onChange) onChange();
  }

  int RegisterReads() const { return static_cast<int>(std::ranges::count(sequence, kRegisters)); }

 private:
  void Add(int reply) {
    sequence.push_back(reply);
    if (onChange) onChange();
  }

  const CommandEngine& engine_;
};

// Counts the port's notifications on their way to the session.
class NotificationCounter : public QObject {
 public:
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == CSerialWnd::DefaultMessageType()) ++count;
    return false;
  }
};

// A data memory no acquisition would produce, so that every entry tells
// where it was read from.
std::vector<std::uint32_t> MemoryPattern() {
  std::vector<std::uint32_t> pattern(wire::kSpectrumEntries);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint32_t>(i * 2654435761u);
  return pattern;
}

sim::ServerOptions Unpaced(const sim::FaultOptions& faults = {}) {
  sim::ServerOptions options;
  options.baud = 0;
  options.faults = faults;
  return options;
}

// CPU time the whole process uses while this thread idles in the event loop.
milliseconds CpuTimeWhileIdle(milliseconds idle) {
  auto cpuTime = [] {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return milliseconds(now.tv_sec * 1000 + now.tv_nsec / 1'000'000);
  };
  const milliseconds before = cpuTime();
  QTest::qWait(static_cast<int>(idle.count()));
  return cpuTime() - before;
}

class LinkAgainstInstrument : public ::testing::Test {
 protected:
  // Ticks this much faster than the main timer's 200 ms, so that time-outs
  // come within a test's patience while a reply still beats its 22 ticks.
  static constexpr int kFastTickMs = 5;

  void SetUp() override { session.Engine().AddObserver(&accepted); }

  void StartInstrument(const sim::ServerOptions& options) {
    instrument = std::make_unique<sim::PtyServer>(options);
    instrument->Start();
    session.SetPortName(instrument->DevicePath());
  }

  void FillInstrumentMemory(const std::vector<std::uint32_t>& pattern) {
    instrument->Inspect([&](sim::VirtualInstrument& device) { device.Memory().data = pattern; });
  }

  // Connects and waits for the first register read to be accepted.
  void ConnectAndWaitForAnswer() {
    ASSERT_TRUE(session.Connect());
    ASSERT_TRUE(RunUntilAccepted([this] { return session.Engine().DeviceAnswered(); }));
  }

  // Runs the event loop, as the program does, until `done` holds after an
  // accepted reply.
  bool RunUntilAccepted(const std::function<bool()>& done, int timeoutMs = 5000) {
    if (done()) return true;
    QEventLoop loop;
    accepted.onChange = [&] {
      if (done()) loop.quit();
    };
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    accepted.onChange = nullptr;
    return done();
  }

  bool WaitForAccepted(std::size_t count, int timeoutMs = 5000) {
    return RunUntilAccepted([&] { return accepted.sequence.size() >= count; }, timeoutMs);
  }

  // Runs the engine's time-out on fast ticks until `done` holds.
  bool TickUntil(const std::function<bool()>& done, int timeoutMs) {
    QTimer ticker;
    ticker.callOnTimeout([this] { session.Engine().OnTick(); });
    ticker.start(kFastTickMs);
    return QTest::qWaitFor(done, timeoutMs);
  }

  bool Disconnected() const { return !session.IsPortOpen(); }

  // The event-log messages from line `first` on, without their time stamps.
  std::vector<std::string> Messages(std::size_t first = 0) const {
    std::vector<std::string> messages;
    for (std::size_t i = first; i < log.Lines().size(); ++i) {
      const std::string& line = log.Lines()[i];
      messages.push_back(line.substr(line.find(">> ") + 3));
    }
    return messages;
  }

  long Count(const std::string& message) const { return std::ranges::count(Messages(), message); }

  const std::vector<std::string> kGiveUpLines = {
      "Repeat Read Command",           "Repeat Read Command",
      "Repeat Read Command",           "Max Number of Repeat Read Reached",
      "Communication Time Out- Timer", "Disconnected from hardware"};

  // Outlives the session, so the port always closes before its line hangs up.
  std::unique_ptr<sim::PtyServer> instrument;
  SystemLocalClock clock;
  EventLog log{clock};
  test::RecordingPrompt prompt;
  DeviceImage image;
  LinkSession session{image, log, prompt};
  AcceptedReplies accepted{session.Engine()};
};

TEST_F(LinkAgainstInstrument, FirstReadBringsTheIdentityAndAnEditReachesTheInstrument) {
  sim::ServerOptions options = Unpaced();
  options.identity = {
      .serialNumber = 817, .model = sim::Model::kRQ3101, .firmwareVersionX100 = 307, .fpgaVersionX10 = 42};
  StartInstrument(options);
  ConnectAndWaitForAnswer();

  EXPECT_EQ(accepted.sequence.front(), kRegisters);
  EXPECT_EQ(SerialNumberText(image), "00817");
  EXPECT_EQ(ModelName(image), "Veltra RQ3101");
  EXPECT_EQ(FirmwareVersionText(image), "3.07");
  EXPECT_EQ(image.registers[63], 42);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Connected to: " + instrument->DevicePath()});

  // The edit is made while polling keeps the engine busy, so the write goes
  // out from the pending scan.
  EditRegisters(session.Engine(), [](RegisterImage& registers) { registers[80] = 0x5A3C; });
  ASSERT_TRUE(RunUntilAccepted([this] { return accepted.writes == 1; }));
  instrument->Inspect(
      [](sim::VirtualInstrument& device) { EXPECT_EQ(device.Memory().registers[80], 0x5A3C); });

  // Only the instrument still holds the value; the next register read brings it back.
  image.registers[80] = 0;
  const int readsBefore = accepted.RegisterReads();
  ASSERT_TRUE(RunUntilAccepted([&] { return accepted.RegisterReads() > readsBefore; }))
      << "no register read reached the image after the write";
  EXPECT_EQ(image.registers[80], 0x5A3C);
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(LinkAgainstInstrument, PollingWalksTheWholeMemoryWithARegisterReadAfterEveryFourChunks) {
  StartInstrument(Unpaced());
  const std::vector<std::uint32_t> pattern = MemoryPattern();
  FillInstrumentMemory(pattern);
  ConnectAndWaitForAnswer();
  ASSERT_TRUE(WaitForAccepted(21));

  const std::vector<int> cycle = {2050, 4100, 6150, 8200, kRegisters, 10250, 12300, 14350, 0, kRegisters};
  std::vector<int> expected = {kRegisters};
  expected.insert(expected.end(), cycle.begin(), cycle.end());
  expected.insert(expected.end(), cycle.begin(), cycle.end());
  EXPECT_EQ(std::vector<int>(accepted.sequence.begin(), accepted.sequence.begin() + 21), expected);
  EXPECT_TRUE(image.spectrum == pattern) << "the image does not hold the instrument's memory";
  EXPECT_EQ(Count("Repeat Read Command"), 0);
}

// The instrument paces a chunk's 8225 bytes over 89 ms in bursts a
// millisecond apart; read burst by burst, each chunk would cost the program
// about 90 notifications and as many wake-ups.
TEST_F(LinkAgainstInstrument, PacedChunksArriveInAFewLargeReads) {
  StartInstrument(sim::ServerOptions{});
  NotificationCounter notifications;
  session.installEventFilter(&notifications);
  ConnectAndWaitForAnswer();
  const int atFirstChunk = notifications.count;
  ASSERT_TRUE(WaitForAccepted(5));
  EXPECT_LT(notifications.count - atFirstChunk, 4 * 20) << "notifications for four chunks";
}

// An 8225-byte chunk (8237 bytes with its request) needs 1.43 s on the
// wire at 57600 baud, longer than a least time-out shortened to 4 ticks
// (800 ms): the engine waits for it on the program's 200 ms timer all the
// same.
TEST_F(LinkAgainstInstrument, AChunkLongerOnTheWireThanTheLeastTimeOutArrivesWithoutARepeat) {
  sim::ServerOptions options;
  options.baud = 57600;
  StartInstrument(options);
  session.SetBaudRate(57600);
  session.SetTimings({.minimumReplyTicks = 4});
  QTimer ticker;
  ticker.callOnTimeout([this] { session.Engine().OnTick(); });
  ticker.start(200);
  ConnectAndWaitForAnswer();
  ASSERT_TRUE(WaitForAccepted(2, 10000));
  EXPECT_EQ(accepted.sequence[1], 2050);
  EXPECT_EQ(Count("Repeat Read Command"), 0);
}

TEST_F(LinkAgainstInstrument, CorruptedChunkIsReadAgainAndNeverReachesTheImage) {
  StartInstrument(Unpaced({.corruptProbability = 1.0, .next = 1, .only = sim::RequestKind::kSpectrumRead}));
  const std::vector<std::uint32_t> pattern = MemoryPattern();
  FillInstrumentMemory(pattern);
  ConnectAndWaitForAnswer();
  ASSERT_TRUE(WaitForAccepted(11));

  EXPECT_EQ(Count("Repeat Read Command"), 1);
  EXPECT_EQ(accepted.sequence[1], 2050) << "the repeat asks for the same chunk";
  EXPECT_TRUE(image.spectrum == pattern) << "a damaged chunk reached the image";
  EXPECT_EQ(session.Engine().RepeatCount(), 1u);
}

TEST_F(LinkAgainstInstrument, LostReplyIsAskedForAgainWhenTheTimeOutRunsOut) {
  StartInstrument(Unpaced({.dropProbability = 1.0, .next = 1}));
  ASSERT_TRUE(session.Connect());

  for (int tick = 0; tick < CommandEngine::kTimeoutTicks; ++tick) {
    QCoreApplication::processEvents();
    session.Engine().OnTick();
  }
  EXPECT_EQ(Count("Repeat Read Command"), 0);
  session.Engine().OnTick();
  EXPECT_EQ(Count("Repeat Read Command"), 1);
  EXPECT_TRUE(accepted.sequence.empty()) << "the first reply was not lost";

  EXPECT_TRUE(RunUntilAccepted([this] { return session.Engine().DeviceAnswered(); }, 3000));
  EXPECT_TRUE(WaitForAccepted(3)) << "polling did not resume";
}

TEST_F(LinkAgainstInstrument, SilentInstrumentIsGivenUpAndTheLinkClosed) {
  StartInstrument(Unpaced());
  ConnectAndWaitForAnswer();
  ASSERT_TRUE(WaitForAccepted(3));
  const std::size_t mark = log.Lines().size();
  instrument->SetFaults({.silent = true});
  session.SetTimings({.repeatPauseMs = 50});

  ASSERT_TRUE(TickUntil([this] { return Disconnected(); }, 10000));
  EXPECT_EQ(Messages(mark), kGiveUpLines);
  EXPECT_FALSE(session.Port().IsOpen());
  EXPECT_FALSE(session.Engine().IsConnected());
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(LinkAgainstInstrument, VanishedInstrumentEndsTheLinkAtOnceWithAReasonAndAFreshOneConnects) {
  StartInstrument(Unpaced());
  ConnectAndWaitForAnswer();
  ASSERT_TRUE(WaitForAccepted(3));
  const std::string path = instrument->DevicePath();
  QSignalSpy hungUp(&session, &LinkSession::LineHungUp);
  const std::size_t mark = log.Lines().size();

  instrument.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return hungUp.count() == 1; }, 2000));
  EXPECT_LT(CpuTimeWhileIdle(milliseconds(1000)), milliseconds(50)) << "the hung-up link spins";
  EXPECT_EQ(hungUp.count(), 1);

  EXPECT_TRUE(Disconnected()) << "no repeats and time-out on a dead line";
  EXPECT_EQ(Messages(mark),
            (std::vector<std::string>{"Line hung up: " + path, "Disconnected from hardware"}));
  EXPECT_FALSE(session.Port().IsOpen());
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_NE(prompt.errors[0].find(path), std::string::npos) << prompt.errors[0];
  EXPECT_NE(prompt.errors[0].find("hung up"), std::string::npos) << prompt.errors[0];

  sim::ServerOptions fresh = Unpaced();
  fresh.identity.serialNumber = 2;
  StartInstrument(fresh);
  accepted.sequence.clear();
  ConnectAndWaitForAnswer();
  EXPECT_EQ(image.serialNumber, 2);
  EXPECT_TRUE(WaitForAccepted(3)) << "polling did not start on the fresh instrument";
}

}  // namespace
}  // namespace korva
