#include "devicelink/serial_port.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest/QTest>
#include <array>
#include <chrono>
#include <functional>
#include <numeric>
#include <thread>
#include <vector>

#include "devicelink/serial_port_error.h"
#include "pseudo_terminal_pair.h"

namespace korva {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class SerialPortTest : public ::testing::Test {
 protected:
  // Opens the port with the settings the program uses on every connect.
  void OpenAsTheProgramDoes() {
    ASSERT_EQ(port.Open(pty.SlavePath(), 2000, 2000), error_code::kSuccess);
    ASSERT_EQ(port.Setup(921600, 8, CSerial::Parity::kNone, CSerial::StopBits::kOne), error_code::kSuccess);
    ASSERT_EQ(port.SetHandshaking(CSerial::Handshake::kRtsCts), error_code::kSuccess);
    ASSERT_EQ(port.SetEventMask(serial_event::kProgramMask), error_code::kSuccess);
  }

  // Reads until `count` bytes have come or 300 ms passed.
  Bytes ReadFromPort(std::size_t count) {
    Bytes bytes;
    // Whether all came or not, the bytes read are the answer.
    static_cast<void>(QTest::qWaitFor(
        [&] {
          std::array<std::uint8_t, 64> chunk{};
          std::size_t got = 0;
          EXPECT_EQ(port.Read(chunk, got), error_code::kSuccess);
          bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
          return bytes.size() >= count;
        },
        300));
    return bytes;
  }

  test::PseudoTerminalPair pty;
  CSerial port;
};

TEST_F(SerialPortTest, OnlyOneOwnerAtATimeOpensAPort) {
  OpenAsTheProgramDoes();
  EXPECT_EQ(port.Open(pty.SlavePath(), 0, 0), error_code::kAlreadyInitialized);
  EXPECT_EQ(port.LastError(), error_code::kAlreadyInitialized);
  EXPECT_EQ(port.EventMask(), serial_event::kProgramMask) << "the open port is left untouched";
  EXPECT_EQ(port.Write(Bytes{0x64, 0x00}, 100), error_code::kSuccess);
  EXPECT_EQ(pty.Receive(2, 1000), (Bytes{0x64, 0x00}));

  CSerial second;
  EXPECT_EQ(second.Open(pty.SlavePath(), 2000, 2000), error_code::kPortInUse);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(static_cast<int>(CSerial().Open(pty.SlavePath(), 2000, 2000)));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), error_code::kPortInUse);

  EXPECT_EQ(port.Close(), error_code::kSuccess);
  EXPECT_EQ(second.Open(pty.SlavePath(), 2000, 2000), error_code::kSuccess);
  EXPECT_EQ(port.Open("/dev/null", 2000, 2000), error_code::kNotSupported) << "not a serial line";
}

TEST_F(SerialPortTest, EveryOperationOnAClosedPortFailsWithInvalidHandle) {
  std::array<std::uint8_t, 4> buffer{};
  std::size_t bytesRead = 99;
  const std::vector<std::function<long()>> operations = {
      [&] { return port.Close(); },
      [&] { return port.Setup(9600, 8, CSerial::Parity::kNone, CSerial::StopBits::kOne); },
      [&] { return port.SetHandshaking(CSerial::Handshake::kRtsCts); },
      [&] { return port.SetEventMask(serial_event::kDefaultMask); },
      [&] { return port.SetReadTimeouts(CSerial::ReadTimeouts::kBlocking); },
      [&] { return port.Write(buffer, 100); },
      [&] { return port.Read(buffer, bytesRead); },
      [&] { return port.Purge(); },
      [&] { return port.Break(); },
  };
  OpenAsTheProgramDoes();
  ASSERT_EQ(port.Close(), error_code::kSuccess);
  for (std::size_t i = 0; i < operations.size(); ++i) {
    EXPECT_EQ(port.Open("/dev/no-such-port"), error_code::kFileNotFound);
    EXPECT_EQ(operations[i](), error_code::kInvalidHandle) << "operation " << i;
    EXPECT_EQ(port.LastError(), error_code::kInvalidHandle) << "operation " << i;
  }
  EXPECT_EQ(bytesRead, 0u);
  EXPECT_EQ(port.EventMask(), serial_event::kProgramMask);
}

TEST_F(SerialPortTest, EveryByteValuePassesUnchangedInBothDirections) {
  OpenAsTheProgramDoes();
  Bytes everyByte(256);
  std::iota(everyByte.begin(), everyByte.end(), std::uint8_t{0});
  EXPECT_TRUE(ReadFromPort(1).empty()) << "a read with nothing queued returns nothing";

  EXPECT_EQ(port.Write(everyByte, 1000), error_code::kSuccess);
  EXPECT_EQ(pty.Receive(257, 300), everyByte) << "no output processing";
  pty.Send(everyByte);
  EXPECT_EQ(ReadFromPort(257), everyByte) << "no input processing or software flow control";
  EXPECT_TRUE(pty.Receive(1, 50).empty()) << "no echo";
}

TEST_F(SerialPortTest, AWriteTheLineCannotTakeTimesOutAndIsDiscarded) {
  OpenAsTheProgramDoes();
  const auto start = Clock::now();
  EXPECT_EQ(port.Write(Bytes(1 << 20, 0x55), 50), error_code::kTimeout);  // the device never reads
  EXPECT_LT(Clock::now() - start, milliseconds(1000));
  // The unsent rest is gone, so the next frame goes out at once.
  EXPECT_EQ(port.Write(Bytes{0x6E, 0x01}, 50), error_code::kSuccess);
}

TEST_F(SerialPortTest, PurgeDiscardsQueuedInput) {
  OpenAsTheProgramDoes();
  pty.Send(Bytes(40, 0xAA));
  std::array<std::uint8_t, 1> first{};
  std::size_t got = 0;
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return port.Read(first, got) == error_code::kSuccess && got == 1; }, 2000))
      << "the bytes are queued at the port";
  EXPECT_EQ(port.Purge(), error_code::kSuccess);
  pty.Send(Bytes{0x5A});
  EXPECT_EQ(ReadFromPort(2), Bytes{0x5A});
}

TEST_F(SerialPortTest, BreakHoldsTheLineForAbout100Ms) {
  OpenAsTheProgramDoes();
  const auto start = Clock::now();
  const long code = port.Break();
  const auto held = Clock::now() - start;
  EXPECT_LT(held, milliseconds(1000));
  if (code == error_code::kSuccess) {
    EXPECT_GE(held, milliseconds(100));
  }
  EXPECT_EQ(port.Write(Bytes{0x01}, 100), error_code::kSuccess);
}

TEST_F(SerialPortTest, ABlockingReadWaitsForAFullBufferOrAHangUp) {
  OpenAsTheProgramDoes();
  ASSERT_EQ(port.SetReadTimeouts(CSerial::ReadTimeouts::kBlocking), error_code::kSuccess);
  std::thread device([this] {
    for (const Bytes& part : {Bytes{1, 2}, Bytes{3, 4}, Bytes{5}}) {
      pty.Send(part);
      std::this_thread::sleep_for(milliseconds(50));
    }
    pty.CloseMaster();
  });
  std::array<std::uint8_t, 4> buffer{};
  std::size_t bytesRead = 0;
  EXPECT_EQ(port.Read(buffer, bytesRead), error_code::kSuccess);
  EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(port.Read(buffer, bytesRead), error_code::kSuccess);
  EXPECT_EQ(bytesRead, 1u);
  device.join();
}

}  // namespace
}  // namespace korva
