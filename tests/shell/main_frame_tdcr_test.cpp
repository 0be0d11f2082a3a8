// A TDCR measurement the way a user makes one: in the main window, on a
// virtual instrument, from the form's controls to the saved files.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include "../support/instrument_window.h"
#include "../support/scripted_save_dialogs.h"
#include "common/command_ids.h"
#include "devicelink/link_session.h"
#include "forms/numeric_edit.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"
#include "tdcr/measurement_save_dialogs.h"
#include "tdcr/tdcr_control_word.h"
#include "tdcr/tdcr_panes.h"
#include "tdcr/tdcr_settings.h"
#include "tdcr/tdcr_view.h"
#include "timesync/time_stamp_dialog.h"

namespace korva {
namespace {

TEST(MainWindowMeasurement, TwoShortRunsFromTheFormToTheSavedFiles) {
  sim::ServerOptions options;
  options.baud = 0;
  options.tdcr.timeScale = 10.0;
  QTemporaryDir folder;
  test::ScriptedSaveDialogs saveDialogs;
  saveDialogs.tag = "Two short runs";
  saveDialogs.target = folder.filePath("two-runs").toStdString();
  test::InstrumentWindow window(options);
  window.services.saveDialogs = &saveDialogs;
  CMainFrame& frame = window.Open();
  const test::RecordingPrompt& prompt = window.prompt;

  frame.Trigger(command::kAutoConnect);
  ASSERT_TRUE(frame.Session().Engine().IsConnected());
  CTDCRView& form = *frame.findChild<CTDCRWnd*>()->TdcrView();
  auto status = [&] { return form.findChild<QLineEdit*>(QStringLiteral("STATUS"))->text().trimmed(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Reset - Idle"; }, 5000)) << status().toStdString();

  form.findChild<QComboBox*>(QStringLiteral("SEQUENTIAL RUNS"))->setCurrentIndex(1);
  auto* timePerRun = form.findChild<NumericEdit*>(QStringLiteral("TIME PER RUN [s]"));
  timePerRun->setFocus();
  timePerRun->selectAll();
  QTest::keyClicks(timePerRun, "0.5");
  QTest::keyClick(timePerRun, Qt::Key_Return);

  form.findChild<QPushButton*>(QStringLiteral("START"))->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Completed - Not Saved"; }, 20000))
      << status().toStdString();
  // The last record reaches the window with a later walk through the memory.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return window.InstrumentData(wire::kSpectrumEntries) == frame.BufferSpectrum().image.spectrum; },
      5000));
  form.findChild<QPushButton*>(QStringLiteral("SAVE"))->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Completed - Saved"; }, 5000))
      << status().toStdString();

  form.findChild<QPushButton*>(QStringLiteral("START"))->click();
  ASSERT_EQ(prompt.messages.size(), 1u) << "START on a held measurement says why nothing starts";
  EXPECT_NE(prompt.messages[0].find("press RESET first"), std::string::npos) << prompt.messages[0];
  EXPECT_EQ(status(), "Completed - Saved");

  QFile tdc(folder.filePath("two-runs.tdc"));
  ASSERT_TRUE(tdc.open(QIODevice::ReadOnly));
  const QByteArray text = tdc.readAll();
  EXPECT_TRUE(text.contains("Measurement Tag,Two short runs\r\n"));
  EXPECT_TRUE(text.contains("Preset Sequential Runs,2\r\n"));
  EXPECT_TRUE(text.contains("Preset Time per Run [s],  0.500\r\n"));
  EXPECT_TRUE(QFile::exists(folder.filePath("two-runs.csv")));
  EXPECT_TRUE(QFile::exists(folder.filePath("two-runs.xml")));
  EXPECT_TRUE(prompt.errors.empty());
  frame.close();
}

TEST(MainWindowMeasurement, ClosingTheTimeStampDialogStartsNothing) {
  test::InstrumentWindow window;
  window.answerTimeStamps = false;
  CMainFrame& frame = window.Open();
  frame.Trigger(command::kAutoConnect);
  ASSERT_TRUE(frame.Session().Engine().IsConnected());
  CTDCRView& form = *frame.findChild<CTDCRWnd*>()->TdcrView();
  auto status = [&] { return form.findChild<QLineEdit*>(QStringLiteral("STATUS"))->text().trimmed(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return status() == "Reset - Idle"; }, 5000)) << status().toStdString();

  int escaped = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<CTimeUTC*>(QApplication::activeModalWidget())) {
      ++escaped;
      QTest::keyClick(dialog, Qt::Key_Escape);
    }
  });
  poll.start(20);
  form.findChild<QPushButton*>(QStringLiteral("START"))->click();
  poll.stop();
  EXPECT_EQ(escaped, 1);
  const TdcrControlWord control(frame.Session().Engine().Image().registers[83]);
  EXPECT_FALSE(control.Running()) << "no START reached the image";
  EXPECT_TRUE(control.Idle());
  EXPECT_TRUE(window.prompt.errors.empty());
}

}  // namespace
}  // namespace korva
