#include "shell/main_frame.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QtTest/QTest>
#include <functional>
#include <memory>

#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "common/command_ids.h"
#include "devicelink/link_session.h"
#include "devicelink/port_dialog.h"
#include "devicelink/port_finder_dialog.h"
#include "devicelink/serial_port_record.h"
#include "shell/event_log_pane.h"
#include "sim/pty_server.h"

namespace korva {
namespace {

SerialPortRecord RecordFor(const std::string& devicePath) {
  SerialPortRecord record;
  record.devicePath = devicePath;
  record.portName = devicePath.substr(5);  // "pts/N"
  record.friendlyName = MakeFriendlyName("Veltra virtual instrument", record.portName);
  CompleteRecord(record);
  return record;
}

std::unique_ptr<sim::PtyServer> StartInstrument(std::uint16_t serialNumber) {
  sim::ServerOptions options;
  options.identity.serialNumber = serialNumber;
  options.baud = 0;
  auto server = std::make_unique<sim::PtyServer>(options);
  server->Start();
  return server;
}

// Runs `check` on the Port Finder once its search has ended, then closes it.
void WhenSearchEnds(const std::function<void(CFindComPort&)>& check) {
  auto* poll = new QTimer(QApplication::instance());
  QObject::connect(poll, &QTimer::timeout, [poll, check] {
    auto* finder = qobject_cast<CFindComPort*>(QApplication::activeModalWidget());
    if (finder == nullptr || !finder->FindButton()->isEnabled()) return;
    poll->stop();
    poll->deleteLater();
    check(*finder);
    finder->reject();
  });
  poll->start(50);
}

class MainFrameTest : public ::testing::Test {
 protected:
  std::unique_ptr<CMainFrame> MakeFrame() {
    MainFrameServices services;
    services.prompt = &prompt;
    services.settings = &settings;
    services.enumerate = [this] { return ports; };
    auto frame = std::make_unique<CMainFrame>(services);
    frame->show();
    QApplication::processEvents();
    return frame;
  }
  std::vector<std::string> Messages(CMainFrame& frame) {
    std::vector<std::string> messages;
    for (const std::string& line : frame.Log().Lines()) messages.push_back(line.substr(line.find(">> ") + 3));
    return messages;
  }

  test::RecordingPrompt prompt;
  test::MemorySettingsStore settings;
  std::vector<SerialPortRecord> ports;
};

TEST_F(MainFrameTest, CtrlCCopiesASelectedEventsLineAndOtherwiseConnects) {
  auto frame = MakeFrame();
  QApplication::setActiveWindow(frame.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
  auto* list = frame->findChild<COutputWnd*>()->findChild<QListWidget*>();
  list->setFocus();
  list->setCurrentRow(0);
  QApplication::clipboard()->clear();
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), list->item(0)->text());
  EXPECT_TRUE(prompt.errors.empty()) << "Connect ran instead of the copy";

  list->clearSelection();
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(prompt.errors.size(), 1u) << "without a selection Ctrl+C is Connect (no port chosen here)";
}

TEST_F(MainFrameTest, StartsWithAnEmptySettingsStore) {
  auto frame = MakeFrame();
  // The shown buffer spectrum names the window: its input, no connection.
  EXPECT_EQ(frame->windowTitle(), "PMT A - DPP");
  EXPECT_EQ(frame->ApplicationLookId(), 32878);
  EXPECT_EQ(Messages(*frame), std::vector<std::string>{"Start Application"});
  EXPECT_TRUE(frame->Action(32895)->isEnabled());   // Connect
  EXPECT_FALSE(frame->Action(32893)->isEnabled());  // Disconnect
  EXPECT_FALSE(frame->Action(32860)->isEnabled());  // About Hardware
  EXPECT_TRUE(QTest::qWaitFor([&] { return frame->TimerRunning(); }, 5000));
}

TEST_F(MainFrameTest, ConnectWithoutAPortFailsCleanly) {
  auto frame = MakeFrame();
  frame->Trigger(command::kConnect);
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "Unable to open COM-port\n(no port chosen): No such file or directory");
  EXPECT_EQ(Messages(*frame), (std::vector<std::string>{"Start Application", "Unable to open COM-port",
                                                        "(no port chosen): No such file or directory",
                                                        "Disconnected from hardware"}));
  EXPECT_FALSE(frame->Session().Engine().IsConnected());
}

TEST_F(MainFrameTest, PortFinderWithoutPortsSaysNoneWereFound) {
  auto frame = MakeFrame();
  QString status;
  WhenSearchEnds([&](CFindComPort& finder) { status = finder.StatusLine()->text(); });
  frame->Trigger(command::kAutoConnect);
  EXPECT_EQ(status, "No Korva devices were found... Please, reconnect the device and press FIND.");
  EXPECT_FALSE(frame->Session().Engine().IsConnected());
}

TEST_F(MainFrameTest, PortFinderListsTwoInstrumentsAndWaitsForAChoice) {
  auto first = StartInstrument(101);
  auto second = StartInstrument(202);
  ports = {RecordFor(first->DevicePath()), RecordFor(second->DevicePath())};
  auto frame = MakeFrame();
  QStringList entries;
  int selected = -1;
  QString status;
  WhenSearchEnds([&](CFindComPort& finder) {
    for (int i = 0; i < finder.FoundList()->count(); ++i) entries << finder.FoundList()->itemText(i);
    selected = finder.FoundList()->currentIndex();
    status = finder.StatusLine()->text();
  });
  frame->Trigger(command::kAutoConnect);
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0], QString::fromStdString(ports[0].friendlyName) + " -> SN: 00101");
  EXPECT_EQ(entries[1], QString::fromStdString(ports[1].friendlyName) + " -> SN: 00202");
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(status, "Found multiple Korva devices... Please, select port and press OK.");
  EXPECT_FALSE(frame->Session().Engine().IsConnected());
}

TEST_F(MainFrameTest, ASingleInstrumentIsConnectedAt921600WhateverThePortDialogChose) {
  auto instrument = StartInstrument(4242);
  ports = {RecordFor(instrument->DevicePath())};
  auto frame = MakeFrame();
  frame->Session().SetBaudRate(2400);
  frame->Trigger(command::kAutoConnect);
  EXPECT_TRUE(frame->Session().Engine().IsConnected());
  EXPECT_EQ(frame->Session().BaudRate(), 921600u);
  EXPECT_EQ(Messages(*frame).back(), "Connected to: " + instrument->DevicePath());
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->Session().Engine().DeviceAnswered(); }, 3000));
  EXPECT_EQ(frame->BufferSpectrum().image.serialNumber, 4242);
  EXPECT_TRUE(frame->Action(32893)->isEnabled());

  // Closing the window while connected ends the link and frees the port.
  frame->close();
  EXPECT_EQ(Messages(*frame).back(), "Disconnected from hardware");
  EXPECT_FALSE(frame->Session().Port().IsOpen());
}

// Runs `act` on the port dialog as soon as it is shown modally.
void WhenPortDialogShows(const std::function<void(CComPortDlg&)>& act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<CComPortDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

TEST_F(MainFrameTest, PortDialogChoiceIsUsedByConnectAndAboutHardwareDescribesTheInstrument) {
  auto instrument = StartInstrument(77);
  ports = {RecordFor(instrument->DevicePath())};
  auto frame = MakeFrame();
  WhenPortDialogShows([](CComPortDlg& dialog) {
    dialog.BaudCombo()->setCurrentText("2400");
    dialog.findChild<QComboBox*>("combo189")->setCurrentText("Odd");  // has no effect on the line
    dialog.accept();
  });
  frame->Trigger(command::kPort);
  EXPECT_EQ(frame->Session().BaudRate(), 2400u);
  EXPECT_EQ(Messages(*frame).back(), "Set port: " + instrument->DevicePath());

  frame->Trigger(command::kConnect);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->Session().Engine().DeviceAnswered(); }, 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->BufferSpectrum().image.calibration.valid; }, 5000));
  frame->Trigger(command::kAboutHardware);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0],
            "Veltra RQ3102|Serial Number:\t00077\nFirmware Version:\t2.15\nFPGA Version:\t  3.1\n\n"
            "TDCR Thresholds:\tCalibrated\nCalibration Date:\t14-MAR-2024");
  frame->Trigger(command::kDisconnect);

  // The selections are remembered; a port whose name has no parentheses
  // gives a device that does not open.
  ports = {SerialPortRecord{"", "", "Mystery port", "Mystery port", false}};
  WhenPortDialogShows([](CComPortDlg& dialog) {
    EXPECT_EQ(dialog.BaudCombo()->currentText(), "2400");
    dialog.accept();
  });
  frame->Trigger(command::kPort);
  frame->Trigger(command::kConnect);
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_TRUE(prompt.errors[0].starts_with("Unable to open COM-port\n")) << prompt.errors[0];
}

// Without a saved placement the window takes most of the screen, so the
// measurement settings are in view.
TEST_F(MainFrameTest, AFirstStartTakesMostOfTheScreen) {
  auto frame = MakeFrame();
  const QSize available = frame->screen()->availableGeometry().size();
  EXPECT_GE(frame->width(), available.width() * 8 / 10);
  EXPECT_GE(frame->height(), available.height() * 8 / 10);
}

// The pane of the right dock that is in front, or null.
QDockWidget* FrontOfRightDock(CMainFrame& frame) {
  for (QDockWidget* pane : frame.findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly)) {
    if (pane->isVisible() && !pane->isFloating() && frame.dockWidgetArea(pane) == Qt::RightDockWidgetArea &&
        !pane->visibleRegion().isEmpty())
      return pane;
  }
  return nullptr;
}

int RightDockWidth(CMainFrame& frame) {
  QDockWidget* pane = FrontOfRightDock(frame);
  return pane != nullptr ? pane->width() : -1;
}

// Lets the window handle what it queued for itself (geometry changes from
// the platform, the layout requests that follow them), then waits until
// `holds` is true; false when it is not within 5 s.
bool Settles(const std::function<bool()>& holds) {
  QApplication::processEvents();
  QApplication::sendPostedEvents();
  QApplication::processEvents();
  return QTest::qWaitFor(holds, 5000);
}

// Resizes the window and waits until the platform has given it that size.
void ResizeTo(CMainFrame& frame, QSize size) {
  frame.resize(size);
  ASSERT_TRUE(Settles([&] { return frame.size() == size; })) << size.width() << " x " << size.height();
}

void SendMouse(CMainFrame& frame, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QMouseEvent event(type, at, frame.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(&frame, &event);
  // The window moves a dragged separator on a zero timer.
  QApplication::processEvents();
}

// Drags the separator on the left of the right dock with the mouse until
// the dock is `width` wide.
void DragRightDockTo(CMainFrame& frame, int width) {
  const QRect pane = FrontOfRightDock(frame)->geometry();
  const int separator = frame.style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, &frame);
  const QPoint from(pane.left() - (separator + 1) / 2, pane.center().y());
  const QPoint to = from + QPoint(pane.width() - width, 0);
  SendMouse(frame, QEvent::MouseButtonPress, from, Qt::LeftButton);
  SendMouse(frame, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
  SendMouse(frame, QEvent::MouseMove, to, Qt::LeftButton);
  SendMouse(frame, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

// The forms on the right keep the width the user dragged them to, whichever
// pane is in front on top, at the bottom or in the right dock itself, however
// often the window lays its panes out again, and get it back once a window
// that was too narrow for it is wide again.
TEST_F(MainFrameTest, TheRightDockKeepsTheWidthTheUserGaveIt) {
  for (const auto& [size, wanted] : {std::pair{QSize(1920, 1080), 560}, std::pair{QSize(1366, 768), 300}}) {
    SCOPED_TRACE(::testing::Message() << size.width() << " x " << size.height());
    auto frame = MakeFrame();
    ResizeTo(*frame, size);
    ASSERT_TRUE(Settles([&] { return FrontOfRightDock(*frame) != nullptr; }));
    DragRightDockTo(*frame, wanted);
    ASSERT_TRUE(Settles([&] { return RightDockWidth(*frame) == wanted; })) << RightDockWidth(*frame);

    for (const char* front :
         {"SpectrumPane", "TdcrAnalysisPane", "TdcrPane", "HistoryPane", "TraceViewerPane", "DebugPane",
          "SpectrumPane", "EventsPane", "CalibrationPane", "ShaperPane", "AcquisitionPane",
          "TdcrCountersPane", "SpectrumPane", "TdcrPane"}) {
      frame->findChild<QDockWidget*>(QString::fromLatin1(front))->raise();
      EXPECT_TRUE(Settles([&] { return RightDockWidth(*frame) == wanted; }))
          << front << " in front: " << RightDockWidth(*frame);
    }
    for (int pass = 0; pass < 20; ++pass) {
      frame->layout()->invalidate();
      frame->layout()->activate();
    }
    EXPECT_EQ(RightDockWidth(*frame), wanted) << "after the layout was made again and again";

    // Too narrow for the dock beside the panes on top; a click on the
    // window (not a drag) there does not make the squeezed width the one kept.
    ResizeTo(*frame, QSize(600, size.height()));
    EXPECT_TRUE(Settles([&] { return RightDockWidth(*frame) < wanted; })) << RightDockWidth(*frame);
    const QPoint aside(frame->width() / 2, frame->height() - 2);
    SendMouse(*frame, QEvent::MouseButtonPress, aside, Qt::LeftButton);
    SendMouse(*frame, QEvent::MouseButtonRelease, aside, Qt::NoButton);
    ResizeTo(*frame, size);
    EXPECT_TRUE(Settles([&] { return RightDockWidth(*frame) == wanted; }))
        << "once the window is wide again: " << RightDockWidth(*frame);

    // "Default Layout" gives the forms a first start's share of the width.
    frame->OnDefaultLayout();
    EXPECT_TRUE(Settles([&] {
      const int width = RightDockWidth(*frame);
      return width >= size.width() * 26 / 100 && width <= size.width() * 30 / 100;
    })) << RightDockWidth(*frame);
  }
}

// In a full HD window every pane shows all of its controls without
// scrolling, whichever pane is in front; lists, texts and the spectrum plot
// scroll by design.
TEST_F(MainFrameTest, EveryPaneFitsAFullHdWindowWithoutScrolling) {
  auto frame = MakeFrame();
  ResizeTo(*frame, QSize(1920, 1080));
  frame->OnDefaultLayout();  // the layout of a first start at this size
  for (QDockWidget* pane : frame->findChildren<QDockWidget*>()) {
    if (!pane->toggleViewAction()->isChecked()) continue;
    pane->raise();
    ASSERT_TRUE(Settles([&] { return !pane->visibleRegion().isEmpty(); }))
        << pane->objectName().toStdString();
    for (const QAbstractScrollArea* area : pane->findChildren<QAbstractScrollArea*>()) {
      if (!area->isVisible() || area->inherits("QTextEdit") || area->inherits("QPlainTextEdit") ||
          area->inherits("QAbstractItemView") || area->inherits("korva::SpectrumPlotView"))
        continue;
      EXPECT_FALSE(area->horizontalScrollBar()->isVisible())
          << pane->objectName().toStdString() << " scrolls sideways";
      EXPECT_FALSE(area->verticalScrollBar()->isVisible())
          << pane->objectName().toStdString() << " scrolls down";
    }
  }
}

TEST_F(MainFrameTest, PlacementLayoutAndLookSurviveARestart) {
  {
    auto frame = MakeFrame();
    frame->OnApplicationLook(32880);
    frame->findChild<QToolBar*>("StandardToolBar")->hide();
    frame->findChild<QDockWidget*>("EventsPane")->setFloating(true);
    frame->Action(command::kStatusBar)->trigger();
    frame->resize(1200, 900);
    frame->close();
  }
  auto frame = MakeFrame();
  EXPECT_EQ(frame->ApplicationLookId(), 32880);
  EXPECT_FALSE(frame->statusBar()->isVisible());
  EXPECT_FALSE(frame->Action(command::kStatusBar)->isChecked());
  EXPECT_FALSE(frame->findChild<QToolBar*>("StandardToolBar")->isVisible());
  EXPECT_TRUE(frame->findChild<QDockWidget*>("EventsPane")->isFloating());
  EXPECT_EQ(frame->size(), QSize(1200, 900));

  frame->OnDefaultLayout();
  EXPECT_TRUE(frame->findChild<QToolBar*>("StandardToolBar")->isVisible());
  EXPECT_FALSE(frame->findChild<QDockWidget*>("EventsPane")->isFloating());
}

}  // namespace
}  // namespace korva
