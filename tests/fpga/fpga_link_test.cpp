// The FPGA transfer through the real serial port against the virtual
// instrument on a pseudo-terminal, driven as a dialog or a command drives
// it: by the port's notifications and a timer on the Qt event loop.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../support/recording_prompt.h"
#include "devicelink/serial_event.h"
#include "devicelink/serial_port_event.h"
#include "devicelink/serial_port_window.h"
#include "fpga/fpga_transfer.h"
#include "fpga_test_support.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

using test::DesignBytes;
using test::KbfFile;

const std::string kTildes(30, '~');

// A line paced at `baud` (0: unpaced) whose replies suffer `faults`.
sim::ServerOptions Line(std::uint32_t baud, const sim::FaultOptions& faults = {}) {
  sim::ServerOptions options;
  options.baud = baud;
  options.faults = faults;
  return options;
}

// Hands the port's received-characters notifications to the transfer and
// tells the test when an operation ends.
class TransferDriver : public QObject, public FpgaTransferObserver {
 public:
  explicit TransferDriver(FpgaTransfer& transfer) : transfer_(transfer) { transfer_.SetObserver(this); }

  std::vector<FpgaOutcome> outcomes;
  std::function<void()> onFinished;

  void OnFinished(FpgaOperation, FpgaOutcome outcome) override {
    outcomes.push_back(outcome);
    if (onFinished) onFinished();
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != CSerialWnd::DefaultMessageType()) return QObject::event(event);
    const auto& note = static_cast<const SerialPortEvent&>(*event);
    if (note.Events() & serial_event::kCharactersReceived) transfer_.OnReplyBytes();
    return true;
  }

 private:
  FpgaTransfer& transfer_;
};

class FpgaOverLink : public ::testing::Test {
 protected:
  void TearDown() override {
    if (port.IsOpen()) port.Close();
  }

  void StartInstrument(sim::ServerOptions options) {
    options.flashBytes = 256 * 1024;
    instrument = std::make_unique<sim::PtyServer>(options);
    instrument->Start();
    ASSERT_EQ(port.Open(instrument->DevicePath(), &driver), error_code::kSuccess);
    port.Setup(921600, 8, CSerial::Parity::kNone, CSerial::StopBits::kOne);
    port.SetEventMask(serial_event::kProgramMask);
    port.SetReadTimeouts(CSerial::ReadTimeouts::kNonBlocking);
  }

  // Runs the event loop with the transfer's timer ticking every `tickMs`
  // until the operation under way ends; the outcome, or none after `limitMs`.
  std::optional<FpgaOutcome> RunToEnd(int tickMs = FpgaTransfer::kTickMs, int limitMs = 20000) {
    const std::size_t before = driver.outcomes.size();
    QEventLoop loop;
    QTimer ticker;
    ticker.callOnTimeout([this] { transfer.OnTick(); });
    ticker.start(tickMs);
    driver.onFinished = [&] { loop.quit(); };
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    if (transfer.IsBusy()) loop.exec();
    driver.onFinished = nullptr;
    if (driver.outcomes.size() == before) return std::nullopt;
    return driver.outcomes.back();
  }

  std::vector<std::string> LastLines(std::size_t count) const {
    const auto& lines = transfer.Log().Lines();
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
  }

  std::vector<std::uint8_t> FlashBytes(std::size_t address, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    instrument->Inspect([&](sim::VirtualInstrument& device) {
      const auto flash = device.Flash().Bytes().subspan(address, count);
      bytes.assign(flash.begin(), flash.end());
    });
    return bytes;
  }

  // Outlives the port, so the port always closes before its line hangs up.
  std::unique_ptr<sim::PtyServer> instrument;
  test::RecordingPrompt prompt;
  CSerialWnd port;
  FpgaTransfer transfer{port, prompt};
  TransferDriver driver{transfer};
  test::DesignFolder folder;
};

TEST_F(FpgaOverLink, RawFileUploadedAtLineSpeedVerifiesWithoutErrors) {
  StartInstrument(Line(921600));
  const std::vector<std::uint8_t> design = DesignBytes(1000);
  const auto path = folder.Write("design.rbf", design);

  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  EXPECT_EQ(RunToEnd(), FpgaOutcome::kDone);
  EXPECT_EQ(LastLines(2)[0], "1024 Bytes Uploaded");
  EXPECT_EQ(FlashBytes(0, 1000), test::Reversed(design));

  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  EXPECT_EQ(RunToEnd(), FpgaOutcome::kDone);
  EXPECT_EQ(LastLines(2)[0], "Verifyed 1024 bytes...0 Errors Found!");
}

TEST_F(FpgaOverLink, KbfDesignUploadVerifyAndConfigure) {
  StartInstrument(Line(0));
  const std::vector<std::uint8_t> body = DesignBytes(40000, 4);
  const auto path = folder.Write("design.kbf", KbfFile(body, 0x10000));

  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  EXPECT_EQ(RunToEnd(), FpgaOutcome::kDone);
  EXPECT_EQ(FlashBytes(0x10000, body.size()), body);
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  EXPECT_EQ(RunToEnd(), FpgaOutcome::kDone);
  EXPECT_EQ(transfer.VerifyErrors(), 0u);
  ASSERT_EQ(transfer.Configure(), FpgaStart::kStarted);
  EXPECT_EQ(RunToEnd(), FpgaOutcome::kDone);
  EXPECT_EQ(LastLines(2)[0], "FPGA Configured!");
}

TEST_F(FpgaOverLink, NoReplyTimesOutAfterAboutTwoSeconds) {
  StartInstrument(Line(0, {.silent = true, .only = sim::RequestKind::kFpga}));
  const auto path = folder.Write("design.rbf", DesignBytes(2000));
  QElapsedTimer elapsed;
  elapsed.start();
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  EXPECT_EQ(RunToEnd(), FpgaOutcome::kTimedOut);
  EXPECT_GE(elapsed.elapsed(), 2200);
  EXPECT_LT(elapsed.elapsed(), 4000);
  EXPECT_EQ(LastLines(3), (std::vector<std::string>{kTildes, "Error: Communication Time Out", kTildes}));
  EXPECT_FALSE(transfer.IsBusy());
}

TEST_F(FpgaOverLink, LostOrCutReplyEndsTheTransferWithATimeOut) {
  for (sim::FaultOptions fault : {sim::FaultOptions{.dropProbability = 1.0}, {.truncateProbability = 1.0}}) {
    fault.next = 1;
    fault.only = sim::RequestKind::kFpga;
    StartInstrument(Line(0));
    const auto path = folder.Write("design.rbf", DesignBytes(5000));
    ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
    ASSERT_EQ(RunToEnd(), FpgaOutcome::kDone);

    instrument->SetFaults(fault);  // the next reply is lost, or cut short
    ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
    EXPECT_EQ(RunToEnd(10), FpgaOutcome::kTimedOut);
    EXPECT_EQ(LastLines(2)[0], "Error: Communication Time Out");
    port.Close();
    instrument.reset();
  }
}

TEST_F(FpgaOverLink, DamagedReplyIsReportedAndEndsTheTransfer) {
  StartInstrument(Line(0));
  const auto path = folder.Write("design.rbf", DesignBytes(3000));
  ASSERT_EQ(transfer.Upload(path), FpgaStart::kStarted);
  ASSERT_EQ(RunToEnd(), FpgaOutcome::kDone);

  instrument->SetFaults({.corruptProbability = 1.0, .next = 1, .only = sim::RequestKind::kFpga});
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  const auto outcome = RunToEnd(10);
  ASSERT_TRUE(outcome == FpgaOutcome::kBadChecksum || outcome == FpgaOutcome::kBadReply);
  const std::string last = LastLines(1)[0];
  EXPECT_TRUE(last == "Check Sum Error Reading Data from Serial Port" ||
              last == "Error Reading Data from Serial Port")
      << last;

  // The instrument answers again, so the next verify runs clean.
  ASSERT_EQ(transfer.Verify(path), FpgaStart::kStarted);
  EXPECT_EQ(RunToEnd(), FpgaOutcome::kDone);
  EXPECT_EQ(transfer.VerifyErrors(), 0u);
}

}  // namespace
}  // namespace korva
