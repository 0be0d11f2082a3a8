#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <array>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "devicelink/serial_port_error.h"
#include "devicelink/serial_port_frame_window.h"
#include "pseudo_terminal_pair.h"

namespace korva {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Note {
  QEvent::Type type;
  std::uint16_t events;
  qintptr parameter;
  QThread* thread;
};

// Records the port notifications it is sent and the thread they arrive on;
// `onNote` plays the program's handler.
template <typename Base>
class Recorder : public Base {
 public:
  std::vector<Note> notes;
  std::function<void()> onNote;

 protected:
  void customEvent(QEvent* event) override {
    if (const auto* note = dynamic_cast<const SerialPortEvent*>(event)) {
      notes.push_back({event->type(), note->Events(), note->SecondParameter(), QThread::currentThread()});
      if (onNote) onNote();
    }
  }
};

// CPU time the process uses while the test thread idles in the event loop:
// only a spinning listener can use it up.
milliseconds CpuTimeWhileIdle(int ms) {
  auto cpuTime = [] {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return milliseconds(now.tv_sec * 1000 + now.tv_nsec / 1000000);
  };
  const milliseconds before = cpuTime();
  QTest::qWait(ms);
  return cpuTime() - before;
}

class SerialListenerTest : public ::testing::Test {
 protected:
  void OpenPort(qintptr parameter = 0) {
    ASSERT_EQ(port.Open(pty.SlavePath(), &target, 0, parameter, 2000, 2000), error_code::kSuccess);
    ASSERT_EQ(port.SetEventMask(serial_event::kProgramMask), error_code::kSuccess);
  }

  std::size_t Read(std::size_t max) {
    std::array<std::uint8_t, 64> buffer{};
    std::size_t got = 0;
    EXPECT_EQ(port.Read(std::span(buffer).first(max), got), error_code::kSuccess);
    return got;
  }

  bool WaitForNotes(std::size_t count) {
    return QTest::qWaitFor([&] { return target.notes.size() >= count; }, 2000);
  }

  test::PseudoTerminalPair pty;
  Recorder<QObject> target;
  CSerialWnd port;
};

TEST_F(SerialListenerTest, QueuedBytesAreReportedOnTheUserInterfaceThreadOnceUntilTheyAreRead) {
  OpenPort(42);
  pty.Send(Bytes(5, 0x42));
  ASSERT_TRUE(WaitForNotes(1));
  const Note& note = target.notes.front();
  EXPECT_EQ(note.type, CSerialWnd::DefaultMessageType());
  EXPECT_EQ(note.events, serial_event::kCharactersReceived);
  EXPECT_EQ(note.parameter, 42);
  EXPECT_EQ(note.thread, QCoreApplication::instance()->thread());
  EXPECT_LT(CpuTimeWhileIdle(300), milliseconds(100));
  EXPECT_EQ(target.notes.size(), 1u) << "unread bytes are not reported again";

  EXPECT_EQ(Read(2), 2u);
  ASSERT_TRUE(WaitForNotes(2)) << "bytes left after a read are reported again";
  EXPECT_EQ(Read(64), 3u);
  pty.Send(Bytes{1});
  EXPECT_TRUE(WaitForNotes(3));
  EXPECT_EQ(target.notes.size(), 3u) << "nothing was reported between the last read and the new byte";
}

// A notification the program ignores (the FPGA transfer suppresses them)
// must not silence the port: the next request written brings a new report.
TEST_F(SerialListenerTest, AWriteAfterAnIgnoredNotificationReportsQueuedBytesAgain) {
  OpenPort();
  pty.Send(Bytes(3, 0x42));
  ASSERT_TRUE(WaitForNotes(1));
  ASSERT_EQ(port.Write(Bytes{0x64}, 100), error_code::kSuccess);
  EXPECT_TRUE(WaitForNotes(2));
}

TEST_F(SerialListenerTest, AHandlerThatReadsOnEveryNotificationGetsEveryByte) {
  std::size_t received = 0;
  target.onNote = [&] {
    for (std::size_t got = Read(64); got > 0; got = Read(64)) received += got;
  };
  OpenPort();
  for (int chunk = 0; chunk < 50; ++chunk) {
    pty.Send(Bytes(37, static_cast<std::uint8_t>(chunk)));
    // Some chunks arrive while a report is on its way, others after it was handled.
    if (chunk % 3 != 0) QCoreApplication::processEvents();
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return received == 50 * 37; }, 3000)) << received;
}

TEST_F(SerialListenerTest, AHangUpIsReportedOnceAndTheListenerGoesQuiet) {
  OpenPort(7);
  pty.CloseMaster();
  ASSERT_TRUE(WaitForNotes(1));
  EXPECT_LT(CpuTimeWhileIdle(500), milliseconds(100));
  ASSERT_EQ(target.notes.size(), 1u);
  EXPECT_EQ(target.notes.front().type, CSerialWnd::HangupMessageType());
  EXPECT_EQ(target.notes.front().parameter, 7);
  EXPECT_EQ(target.notes.front().thread, QCoreApplication::instance()->thread());
}

TEST_F(SerialListenerTest, ClosingEndsTheWaitingListenerAtOnceAndTheNextOpenListensAgain) {
  OpenPort();
  Recorder<QObject> other;
  EXPECT_EQ(port.Open(pty.SlavePath(), &other, 0, 0, 2000, 2000), error_code::kAlreadyInitialized);
  // A byte reported and read: the listener is up and waits again.
  pty.Send(Bytes{9});
  ASSERT_TRUE(WaitForNotes(1));
  EXPECT_EQ(Read(64), 1u);
  target.notes.clear();
  const auto start = Clock::now();
  EXPECT_EQ(port.Close(), error_code::kSuccess);
  EXPECT_LT(Clock::now() - start, milliseconds(1000));

  OpenPort();
  pty.Send(Bytes{1});
  EXPECT_TRUE(WaitForNotes(1));
  EXPECT_TRUE(other.notes.empty()) << "a refused open keeps the first target";
}

TEST_F(SerialListenerTest, AFrameWindowReceivesNotificationsOfItsOwnType) {
  Recorder<QWidget> window;
  CSerialMFC framePort;
  EXPECT_EQ(framePort.Open(pty.SlavePath(), nullptr), error_code::kInvalidParameter);
  EXPECT_EQ(framePort.Open(pty.SlavePath(), &window, QEvent::Timer), error_code::kInvalidParameter);
  const auto own = static_cast<QEvent::Type>(QEvent::registerEventType());
  ASSERT_EQ(framePort.Open(pty.SlavePath(), &window, own, 0, 2000, 2000), error_code::kSuccess);
  pty.Send(Bytes{1});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.notes.empty(); }, 2000));
  EXPECT_EQ(window.notes.front().type, own);
  EXPECT_EQ(window.notes.front().thread, QCoreApplication::instance()->thread());
}

}  // namespace
}  // namespace korva
