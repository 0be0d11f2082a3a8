// The "FPGA" dialog on a virtual instrument: from the main window's
// Utility menu through upload, verify and configure back to a reconnected
// link, and on its own for Stop, Browse and the remembered folder.

#include "fpga/program_fpga_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "../support/virtual_instrument_ports.h"
#include "common/command_ids.h"
#include "devicelink/serial_event.h"
#include "devicelink/serial_port_event.h"
#include "devicelink/serial_port_window.h"
#include "fpga_test_support.h"
#include "scope/oscope_view.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

using test::DesignBytes;
using test::KbfFile;

constexpr std::size_t kFlashBytes = 256 * 1024;

std::unique_ptr<sim::PtyServer> Instrument(std::uint32_t baud) {
  sim::ServerOptions options;
  options.baud = baud;
  options.flashBytes = kFlashBytes;
  auto instrument = std::make_unique<sim::PtyServer>(options);
  instrument->Start();
  return instrument;
}

std::vector<std::string> LogLines(const CProgramFPGA& dialog) {
  std::vector<std::string> lines;
  const auto* list = dialog.findChild<QListWidget*>(QStringLiteral("log"));
  for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
  return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

QPushButton& Button(const QWidget& dialog, const QString& name) {
  return *dialog.findChild<QPushButton*>(name);
}

// The main window, shown, with its own prompt and settings and `instrument`
// in its port list.
struct MainWindowRig {
  explicit MainWindowRig(sim::PtyServer& instrument) {
    services.prompt = &prompt;
    services.settings = &settings;
    services.enumerate = test::VirtualInstrumentPorts(instrument);
    frame = std::make_unique<CMainFrame>(services);
    frame->show();
  }
  ~MainWindowRig() { frame->close(); }

  test::RecordingPrompt prompt;
  test::MemorySettingsStore settings;
  MainFrameServices services;
  std::unique_ptr<CMainFrame> frame;
};

TEST(FpgaFromTheMainWindow, UploadVerifyAndConfigureThenTheLinkComesBack) {
  auto instrument = Instrument(0);
  test::DesignFolder folder;
  const std::vector<std::uint8_t> body = DesignBytes(3000, 7);
  const auto design = folder.Write("design.kbf", KbfFile(body, 0x8000));

  MainWindowRig rig(*instrument);
  CMainFrame& frame = *rig.frame;
  const test::RecordingPrompt& prompt = rig.prompt;

  frame.Trigger(command::kFpga);
  EXPECT_EQ(prompt.errors, std::vector<std::string>{"No device is connected. Please, connect/reconect!"});
  EXPECT_EQ(frame.findChild<CProgramFPGA*>(), nullptr);

  frame.Trigger(command::kAutoConnect);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame.Session().Engine().DeviceAnswered(); }, 5000));

  // Clicks through the dialog while it runs modally: Upload, Verify,
  // Config FPGA, each once the one before has ended, then Close.
  std::vector<std::string> lines;
  int step = 0;
  QTimer script;
  script.callOnTimeout([&] {
    auto* dialog = frame.findChild<CProgramFPGA*>();
    if (dialog == nullptr || dialog->Transfer().IsBusy()) return;
    EXPECT_TRUE(frame.Session().SerialEventsSuppressed());
    EXPECT_FALSE(frame.Session().Engine().SpectrumPolling());
    const QStringList buttons = {"Upload", "Verify", "Config FPGA"};
    if (step == 0)
      dialog->findChild<QLineEdit*>(QStringLiteral("path"))->setText(QString::fromStdString(design.string()));
    if (step < buttons.size()) {
      Button(*dialog, buttons[step++]).click();
      return;
    }
    lines = LogLines(*dialog);
    Button(*dialog, "Close").click();
  });
  script.start(20);
  frame.Trigger(command::kFpga);
  script.stop();

  EXPECT_TRUE(Contains(lines, "Writing FPGA Flash: Done!"));
  EXPECT_TRUE(Contains(lines, "3072 Bytes Uploaded"));
  EXPECT_TRUE(Contains(lines, "Verifyed 3072 bytes...0 Errors Found!"));
  EXPECT_EQ(lines.size() >= 2 ? lines[lines.size() - 2] : "", "FPGA Configured!");
  instrument->Inspect([&](sim::VirtualInstrument& device) {
    const auto flash = device.Flash().Bytes().subspan(0x8000, body.size());
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), body.begin()));
  });

  // The program reconnects and polls again.
  EXPECT_FALSE(frame.Session().SerialEventsSuppressed());
  EXPECT_TRUE(frame.Session().Engine().SpectrumPolling());
  EXPECT_TRUE(QTest::qWaitFor([&] { return frame.Session().Engine().DeviceAnswered(); }, 5000));
  EXPECT_EQ(prompt.errors.size(), 1u);
}

// Opens the dialog from the Utility menu and closes it at once; returns
// whether the trace viewer ran while the dialog was open.
bool OpenAndCloseFpgaDialog(CMainFrame& frame, COscopeView& viewer) {
  bool viewerRan = true;
  QTimer closer;
  closer.callOnTimeout([&] {
    auto* dialog = frame.findChild<CProgramFPGA*>();
    if (dialog == nullptr) return;
    viewerRan = viewer.Cycle().IsRunning();
    Button(*dialog, "Close").click();
  });
  closer.start(20);
  frame.Trigger(command::kFpga);
  return viewerRan;
}

// Entering the dialog stops a running trace viewer; the reconnect after it
// leaves spectrum polling as the user had it, on or off.
TEST(FpgaFromTheMainWindow, EntryStopsTheTraceViewerAndPollingStaysAsTheUserHadIt) {
  auto instrument = Instrument(0);
  MainWindowRig rig(*instrument);
  CMainFrame& frame = *rig.frame;
  frame.Trigger(command::kAutoConnect);
  CommandEngine& engine = frame.Session().Engine();
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine.DeviceAnswered(); }, 5000));
  auto* viewer = frame.findChild<COscopeView*>();
  ASSERT_NE(viewer, nullptr);

  viewer->Cycle().ClickRun();
  ASSERT_TRUE(viewer->Cycle().IsRunning());
  EXPECT_FALSE(engine.SpectrumPolling()) << "a trace run holds the polling off";
  EXPECT_FALSE(OpenAndCloseFpgaDialog(frame, *viewer));
  EXPECT_FALSE(viewer->Cycle().IsRunning());
  EXPECT_EQ(viewer->Cycle().Caption(), RunCaption::kRun);
  EXPECT_TRUE(engine.SpectrumPolling()) << "the stopped run gives the polling back";
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine.DeviceAnswered(); }, 5000));

  engine.SetSpectrumPolling(false);
  OpenAndCloseFpgaDialog(frame, *viewer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return engine.DeviceAnswered(); }, 5000));
  EXPECT_FALSE(engine.SpectrumPolling()) << "polling the user had off stays off";
}

// Hands the port's received-characters notifications to the dialog's
// transfer, as the link does while the dialog is open.
class PortNotifications : public QObject {
 public:
  std::function<void()> onReplyBytes;

 protected:
  bool event(QEvent* event) override {
    if (event->type() != CSerialWnd::DefaultMessageType()) return QObject::event(event);
    const auto& note = static_cast<const SerialPortEvent&>(*event);
    if ((note.Events() & serial_event::kCharactersReceived) && onReplyBytes) onReplyBytes();
    return true;
  }
};

class ProgramFpgaDialogTest : public ::testing::Test {
 protected:
  void Open(std::uint32_t baud) {
    instrument_ = Instrument(baud);
    ASSERT_EQ(port_.Open(instrument_->DevicePath(), &notifications_), error_code::kSuccess);
    port_.Setup(921600, 8, CSerial::Parity::kNone, CSerial::StopBits::kOne);
    port_.SetEventMask(serial_event::kProgramMask);
    port_.SetReadTimeouts(CSerial::ReadTimeouts::kNonBlocking);
    dialog_ = std::make_unique<CProgramFPGA>(
        port_, prompt_, settings_,
        [this](QWidget*, const std::string& from) {
          browsedFrom_ = from;
          return chosen_;
        },
        nullptr);
    notifications_.onReplyBytes = [this] { dialog_->Transfer().OnReplyBytes(); };
    dialog_->show();
  }
  void TearDown() override {
    dialog_.reset();
    if (port_.IsOpen()) port_.Close();
  }
  QProgressBar& Progress() { return *dialog_->findChild<QProgressBar*>(QStringLiteral("progress")); }

  std::unique_ptr<sim::PtyServer> instrument_;
  test::RecordingPrompt prompt_;
  test::MemorySettingsStore settings_;
  PortNotifications notifications_;
  CSerialWnd port_;
  std::unique_ptr<CProgramFPGA> dialog_;
  std::optional<std::string> chosen_;
  std::string browsedFrom_;
  test::DesignFolder folder_;
};

TEST_F(ProgramFpgaDialogTest, StopEndsAnUploadHalfWayAndTheButtonsComeBack) {
  Open(115200);
  const auto design = folder_.Write("big.rbf", DesignBytes(40 * 1024));
  chosen_ = design.string();
  Button(*dialog_, "Browse").click();
  Button(*dialog_, "Upload").click();
  ASSERT_TRUE(dialog_->Transfer().IsBusy());
  for (const char* name : {"Upload", "Verify", "Config FPGA", "Browse"}) {
    EXPECT_FALSE(Button(*dialog_, name).isEnabled()) << name;
  }
  ASSERT_TRUE(QTest::qWaitFor([this] { return Progress().value() > Progress().maximum() / 3; }, 10000));
  // A block is always on its way while an upload runs: its reply comes
  // after the stop.
  int notificationsAfterStop = 0;
  notifications_.onReplyBytes = [this, &notificationsAfterStop] {
    ++notificationsAfterStop;
    dialog_->Transfer().OnReplyBytes();
  };
  Button(*dialog_, "Stop").click();
  EXPECT_FALSE(dialog_->Transfer().IsBusy());
  EXPECT_EQ(LogLines(*dialog_).back(), "Upload/Verification Cancelled. Please, reload/verify FPGA design!");
  EXPECT_EQ(Progress().value(), 0);
  for (const char* name : {"Upload", "Verify", "Config FPGA", "Browse"}) {
    EXPECT_TRUE(Button(*dialog_, name).isEnabled()) << name;
  }
  // Once the reply to the last block has come and gone, the next operation
  // runs clean; but the flash holds half a design, so Config FPGA asks
  // first, and No leaves the instrument alone.
  ASSERT_TRUE(QTest::qWaitFor([&] { return notificationsAfterStop > 0; }, 5000)) << "the last block's reply";
  const std::size_t linesBefore = LogLines(*dialog_).size();
  Button(*dialog_, "Config FPGA").click();
  EXPECT_EQ(prompt_.questions,
            std::vector<std::string>{"The last upload did not finish: the flash holds an "
                                     "incomplete design. Configure the FPGA from it anyway?"});
  EXPECT_FALSE(dialog_->Transfer().IsBusy());
  EXPECT_EQ(LogLines(*dialog_).size(), linesBefore);
  prompt_.answerYes = true;
  Button(*dialog_, "Config FPGA").click();
  EXPECT_TRUE(QTest::qWaitFor([this] { return !dialog_->Transfer().IsBusy(); }, 5000));
  EXPECT_EQ(LogLines(*dialog_).back(), std::string(38, '*'));
  EXPECT_EQ(prompt_.questions.size(), 2u);
}

// A finished upload makes the flash whole again: Config FPGA asks nothing.
TEST_F(ProgramFpgaDialogTest, ConfigAfterAFinishedUploadAsksNothing) {
  Open(0);
  dialog_->SetFlashIncomplete(true);
  chosen_ = folder_.Write("small.rbf", DesignBytes(2000)).string();
  Button(*dialog_, "Browse").click();
  Button(*dialog_, "Upload").click();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !dialog_->Transfer().IsBusy(); }, 5000));
  EXPECT_FALSE(dialog_->FlashIncomplete());
  Button(*dialog_, "Config FPGA").click();
  EXPECT_TRUE(prompt_.questions.empty());
  EXPECT_TRUE(QTest::qWaitFor([this] { return !dialog_->Transfer().IsBusy(); }, 5000));
  EXPECT_EQ(LogLines(*dialog_).back(), std::string(38, '*'));
}

TEST_F(ProgramFpgaDialogTest, BrowseStartsInTheLastFolderAndCloseKeepsTheNewOne) {
  settings_.WriteString("\\ConfigKorva\\LastPath", "FPGAFile", "/opt/designs");
  Open(0);
  EXPECT_EQ(dialog_->findChild<QLineEdit*>(QStringLiteral("path"))->text(), "*.kbf");
  const auto design = folder_.Write("tiny.kbf", KbfFile({}, 0));
  chosen_ = design.string();
  Button(*dialog_, "Browse").click();
  EXPECT_EQ(browsedFrom_, "/opt/designs");
  EXPECT_EQ(dialog_->findChild<QLineEdit*>(QStringLiteral("path"))->text().toStdString(), design.string());

  // A header alone is a valid design of one block.
  Button(*dialog_, "Upload").click();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !dialog_->Transfer().IsBusy(); }, 5000));
  EXPECT_TRUE(Contains(LogLines(*dialog_), "512 Bytes Uploaded"));

  // A damaged design is refused before anything is sent.
  std::vector<std::uint8_t> damaged = KbfFile(DesignBytes(100), 0);
  damaged.back() ^= 1;
  dialog_->findChild<QLineEdit*>(QStringLiteral("path"))
      ->setText(QString::fromStdString(folder_.Write("bad.kbf", damaged).string()));
  Button(*dialog_, "Verify").click();
  EXPECT_EQ(prompt_.errors, std::vector<std::string>{"Invalid or corrupted file!"});
  EXPECT_FALSE(dialog_->Transfer().IsBusy());

  Button(*dialog_, "Close").click();
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(settings_.ReadString("\\ConfigKorva\\LastPath", "FPGAFile"), folder_.Path().string());
}

}  // namespace
}  // namespace korva
