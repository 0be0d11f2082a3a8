#include "sim/pty_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "sim/paced_writer.h"
#include "tdcr_test_support.h"

namespace korva::sim {
namespace {

using namespace korva::wire;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The host's end of the line: the slave device opened with plain POSIX calls
// in raw mode, as a serial port would be.
class HostPort {
 public:
  explicit HostPort(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    termios settings{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
      ::cfmakeraw(&settings);
      ::tcsetattr(fd_, TCSANOW, &settings);
    }
  }
  ~HostPort() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool IsOpen() const { return fd_ >= 0; }
  void Send(const Frame& frame) {
    ASSERT_EQ(::write(fd_, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
  }

  // Waits until bytes are queued for the host; false after `timeout`.
  bool AwaitBytes(milliseconds timeout) {
    pollfd descriptor{fd_, POLLIN, 0};
    return ::poll(&descriptor, 1, static_cast<int>(timeout.count())) == 1;
  }

  // Collects bytes until `count` have come or `timeout` passes without them.
  Frame Receive(std::size_t count, milliseconds timeout) {
    Frame received;
    const auto deadline = Clock::now() + timeout;
    while (received.size() < count && Clock::now() < deadline) {
      pollfd descriptor{fd_, POLLIN, 0};
      if (::poll(&descriptor, 1, 10) <= 0) continue;
      std::array<std::uint8_t, 4096> buffer{};
      const ssize_t n = ::read(fd_, buffer.data(), std::min(buffer.size(), count - received.size()));
      if (n > 0) received.insert(received.end(), buffer.begin(), buffer.begin() + n);
    }
    return received;
  }

 private:
  int fd_;
};

ServerOptions Unpaced() {
  ServerOptions options;
  options.baud = 0;
  return options;
}

TEST(PtyServer, AnswersRequestsOnThePseudoTerminal) {
  PtyServer server(Unpaced());
  server.Start();
  HostPort port(server.DevicePath());
  ASSERT_TRUE(port.IsOpen()) << server.DevicePath();

  const Frame registers = RequestAllRegistersFrame();
  port.Send(registers);
  EXPECT_TRUE(CheckReply(registers, 279, port.Receive(279, milliseconds(2000))).Valid());

  const std::array<std::uint16_t, 2> thresholds{1234, 4321};
  port.Send(BuildWriteRequest(RegisterWriteAddress(80), thresholds));
  EXPECT_EQ(port.Receive(kWriteReplyLength, milliseconds(2000)).size(), kWriteReplyLength);
  server.Inspect([](VirtualInstrument& instrument) {
    EXPECT_EQ(instrument.Memory().registers[80], 1234);
    EXPECT_EQ(instrument.Memory().registers[81], 4321);
  });

  // A full chunk is more than the pseudo-terminal holds; the host starts
  // reading only once the reply is under way, so the server has to wait for
  // room part way through.
  const Frame chunk = RequestSpectrumChunkFrame(0);
  port.Send(chunk);
  ASSERT_TRUE(port.AwaitBytes(milliseconds(2000)));
  EXPECT_TRUE(CheckReply(chunk, 8225, port.Receive(8225, milliseconds(2000))).Valid());
}

TEST(PtyServer, PacedReplyTakesAtLeastItsWireTime) {
  ServerOptions options;
  options.baud = 38400;
  PtyServer server(options);
  server.Start();
  HostPort port(server.DevicePath());
  ASSERT_TRUE(port.IsOpen());

  const Frame trace = RequestTraceFrame();
  const auto sent = Clock::now();
  port.Send(trace);
  const Frame reply = port.Receive(1049, milliseconds(3000));
  const auto took = Clock::now() - sent;
  ASSERT_TRUE(CheckReply(trace, 1049, reply).Valid());

  const auto ideal = WireTime(1049, 38400);
  EXPECT_GE(took, ideal);
  const double ratio = std::chrono::duration<double>(took) / std::chrono::duration<double>(ideal);
  ::testing::Test::RecordProperty("wire_time_ratio", std::to_string(ratio));
}

TEST(PtyServer, FaultsSetThroughTheApiHitTheNextReplies) {
  PtyServer server(Unpaced());
  server.Start();
  HostPort port(server.DevicePath());
  ASSERT_TRUE(port.IsOpen());
  const Frame request = RequestRegistersFrame(63, 1);

  server.SetFaults({.silent = true, .next = 1});
  port.Send(request);
  EXPECT_TRUE(port.Receive(27, milliseconds(200)).empty());
  port.Send(request);
  EXPECT_TRUE(CheckReply(request, 27, port.Receive(27, milliseconds(2000))).Valid());

  server.SetFaults({.truncateProbability = 1.0, .only = RequestKind::kRegisterRead});
  port.Send(request);
  const Frame cut = port.Receive(27, milliseconds(200));
  EXPECT_FALSE(cut.empty());
  EXPECT_LT(cut.size(), 27u);
}

// A vial whose counting costs far more than the steady clock gives (2e7
// decays per second of wall time): the instrument's clock falls behind, but
// every request is still answered at once, and the run keeps counting
// between the requests.
TEST(PtyServer, AnswersPromptlyWhileAVialCountsSlowerThanRealTime) {
  ServerOptions options = Unpaced();
  options.tdcr.nuclide = "C-14";
  options.tdcr.activityBq = 1e6;
  options.tdcr.timeScale = 20.0;
  PtyServer server(options);
  server.Inspect([](VirtualInstrument& instrument) {
    testing::SetUpSequence(instrument, 1, 60000, 0);
    testing::WriteControl(instrument, testing::kStartWord);
  });
  server.Start();
  HostPort port(server.DevicePath());
  ASSERT_TRUE(port.IsOpen());

  const Frame registers = RequestAllRegistersFrame();
  Clock::duration slowest{0};
  const auto start = Clock::now();
  while (Clock::now() - start < milliseconds(1500)) {
    const auto sent = Clock::now();
    port.Send(registers);
    ASSERT_TRUE(CheckReply(registers, 279, port.Receive(279, milliseconds(2000))).Valid());
    slowest = std::max(slowest, Clock::now() - sent);
  }
  EXPECT_LT(slowest, milliseconds(400));

  const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  server.Inspect([&](VirtualInstrument& instrument) {
    const double countedMs = static_cast<double>(testing::RecordOf(instrument, 1)[tdcr_counter::kRealTime]);
    EXPECT_GT(countedMs, 0.0);
    EXPECT_LT(countedMs, 20.0 * wallMs);
  });
}

TEST(PacedWriter, WireTimeCountsTenBitsPerByte) {
  EXPECT_EQ(WireTime(8225, 921600), std::chrono::nanoseconds(89246962));
  EXPECT_EQ(WireTime(96, 9600), milliseconds(100));
  EXPECT_EQ(WireTime(1000, 0).count(), 0);
}

}  // namespace
}  // namespace korva::sim
