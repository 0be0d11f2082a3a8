// What the main window says about its link to the instrument: while menus
// are hovered, and at once when the instrument goes away mid-measurement.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest/QTest>
#include <memory>

#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "../support/time_stamp_answers.h"
#include "../support/unpaced_instrument.h"
#include "../support/virtual_instrument_ports.h"
#include "common/command_ids.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"
#include "tdcr/tdcr_panes.h"
#include "tdcr/tdcr_view.h"

namespace korva {
namespace {

class MainWindowLink : public ::testing::Test {
 protected:
  MainWindowLink() : instrument(std::make_unique<sim::PtyServer>(test::UnpacedInstrument())) {
    instrument->Start();
    path = QString::fromStdString(instrument->DevicePath());
    services.prompt = &prompt;
    services.settings = &settings;
    services.enumerate = test::VirtualInstrumentPorts(*instrument);
    frame = std::make_unique<CMainFrame>(services);
    frame->show();
    test::AnswerTimeStampDialogs(frame.get());
  }
  ~MainWindowLink() override {
    frame->close();
    frame.reset();
  }

  QString LinkState() const {
    return frame->statusBar()->findChild<QLabel*>(QStringLiteral("linkState"))->text();
  }
  QString Status() const {
    return frame->findChild<CTDCRWnd*>()
        ->TdcrView()
        ->findChild<QLineEdit*>(QStringLiteral("STATUS"))
        ->text()
        .trimmed();
  }

  test::RecordingPrompt prompt;
  test::MemorySettingsStore settings;
  std::unique_ptr<sim::PtyServer> instrument;
  QString path;
  MainFrameServices services;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainWindowLink, TheLinkStateStaysWhileAMenuEntryIsHovered) {
  frame->Trigger(command::kAutoConnect);
  ASSERT_TRUE(frame->Session().Engine().IsConnected());
  EXPECT_EQ(LinkState(), "Connected to " + path);
  QMenu* hardware = nullptr;
  for (QAction* menu : frame->menuBar()->actions()) {
    if (menu->text() == QStringLiteral("&Hardware")) hardware = menu->menu();
  }
  ASSERT_NE(hardware, nullptr);
  hardware->popup(frame->mapToGlobal(QPoint(10, 10)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(hardware));
  QAction* entry = hardware->actions().front();
  entry->setStatusTip(QStringLiteral("Choose the port"));
  QTest::mouseMove(hardware, hardware->actionGeometry(entry).center());
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return frame->statusBar()->currentMessage() == "Choose the port"; }, 2000));
  hardware->close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return frame->statusBar()->currentMessage().isEmpty(); }, 2000));
  EXPECT_EQ(LinkState(), "Connected to " + path) << "the menu's status tip took the link state away";
  EXPECT_TRUE(frame->statusBar()->findChild<QLabel*>(QStringLiteral("linkState"))->isVisible());
}

TEST_F(MainWindowLink, AHungUpLineEndsTheMeasurementsLinkAtOnceAndSaysWhy) {
  frame->Trigger(command::kAutoConnect);
  ASSERT_TRUE(frame->Session().Engine().IsConnected());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == "Reset - Idle"; }, 5000)) << Status().toStdString();
  frame->findChild<CTDCRWnd*>()->TdcrView()->findChild<QPushButton*>(QStringLiteral("START"))->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == "In Progress - RUN 1"; }, 5000))
      << Status().toStdString();
  auto* autoUpdate = frame->findChild<QCheckBox*>(QStringLiteral("AUTO UPDATE"));
  ASSERT_TRUE(autoUpdate->isChecked());

  instrument.reset();  // the instrument's end of the line closes
  ASSERT_TRUE(QTest::qWaitFor([&] { return LinkState() == "Not connected"; }, 3000))
      << LinkState().toStdString();
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_TRUE(QString::fromStdString(prompt.errors[0]).contains(path)) << prompt.errors[0];
  EXPECT_EQ(Status(), "Not Connected") << "no run goes on without the instrument";
  EXPECT_FALSE(autoUpdate->isChecked());
  EXPECT_FALSE(frame->Session().Engine().SpectrumPolling()) << "the box says what the link does";
}

}  // namespace
}  // namespace korva
