// The trace viewer in the main window against a virtual instrument: RUN
// shows traces and hands the spectrum polling back, SGL shows one trace
// and returns to RUN, the INPUT R radio toggles the coincidence display,
// and the RND mode reaches register 26 and the export.

#include "scope/oscope_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDockWidget>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest/QTest>
#include <algorithm>
#include <memory>

#include "../support/instrument_window.h"
#include "../support/register_read_counter.h"
#include "../support/scratch_files.h"
#include "common/command_ids.h"
#include "devicelink/link_session.h"
#include "scope/trace_export_flow.h"
#include "scope/trace_plot.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"
#include "spectrumview/spectrum_plot_view.h"
#include "spectrumview/spectrum_wnd.h"

namespace korva {
namespace {

struct ScriptedExportDialogs : TraceExportDialogs {
  std::optional<std::string> target;
  std::optional<std::string> ChooseExportTarget() override { return target; }
  bool ConfirmOverwrite(std::string_view) override { return true; }
};

// The main window connected to an unpaced virtual instrument, the trace
// viewer's settings valid after the first register read.
struct TraceViewer : ::testing::Test, test::InstrumentWindow {
  TraceViewer() {
    services.traceDialogs = &dialogs;
    Open();
  }
  // The window goes before the dialogs it was given.
  ~TraceViewer() override { Close(); }

  void Connect() {
    frame->Trigger(command::kAutoConnect);
    ASSERT_TRUE(frame->Session().Engine().IsConnected());
    view = frame->findChild<COscopeView*>();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->Cycle().SettingsValid(); }, 5000));
    reads = std::make_unique<test::RegisterReadCounter>(frame->Session().Engine());
  }
  template <typename T>
  T* Control(const char* name) {
    return view->findChild<T*>(QString::fromLatin1(name));
  }
  QPushButton* Button(const char* name) { return Control<QPushButton>(name); }
  std::uint16_t Register(std::size_t index) const { return frame->BufferSpectrum().image.registers[index]; }
  QString RunCaptionShown() { return Button("RUN")->text(); }
  bool AutoUpdateTicked() { return frame->findChild<QCheckBox*>(QStringLiteral("AUTO UPDATE"))->isChecked(); }
  void ClickMode(TraceMode mode) {
    while (view->Cycle().Controls().mode != mode) Button("MODE")->click();
  }
  void StepVerticalTo(int index) {
    while (view->VerticalIndex() > index) Button("VERTICAL -")->click();
    while (view->VerticalIndex() < index) Button("VERTICAL +")->click();
  }
  void StepTimeBaseTo(int index) {
    while (view->Cycle().Controls().timeBaseIndex > index) Button("TIME BASE -")->click();
    while (view->Cycle().Controls().timeBaseIndex < index) Button("TIME BASE +")->click();
  }
  // Runs until a new trace arrives whose highest drawn point lies at least
  // `height` display units above the lowest and below the clipping limit,
  // with `pulses` steep rises (40 units from one sample to the next), then
  // stops.
  void RunUntilPulse(int height, int pulses = 1) {
    const int before = view->Cycle().TracesTaken();
    Button("RUN")->click();
    ASSERT_EQ(RunCaptionShown(), "STOP");
    const auto tall = [&] {
      const auto& values = view->Plot().Picture().values;
      const auto [low, high] = std::minmax_element(values.begin(), values.end());
      int rises = 0;
      for (std::size_t i = 1; i < values.size(); ++i) rises += values[i] - values[i - 1] > 40 ? 1 : 0;
      return view->Cycle().TracesTaken() > before && *high - *low >= height && *high < 240 &&
             (pulses <= 1 || rises >= pulses);
    };
    ASSERT_TRUE(QTest::qWaitFor(tall, 30000));
    Button("RUN")->click();
    ASSERT_EQ(RunCaptionShown(), "RUN");
  }

  ScriptedExportDialogs dialogs;
  COscopeView* view = nullptr;
  std::unique_ptr<test::RegisterReadCounter> reads;
};

// A large square shows the 512-point plot scaled: the centre lines in the
// middle, the frame at the edge, lines one pixel wide.
TEST(TracePlotScaling, ThePlotFillsItsSquareWithTheGridOf512Points) {
  EXPECT_EQ(TracePlotPixels(100), 256);
  EXPECT_EQ(TracePlotPixels(805), 800);
  const TracePlotColours colours;
  QImage image(800, 800, QImage::Format_RGB32);
  QPainter painter(&image);
  PaintTracePlot(painter, 800, TracePicture{}, colours);
  painter.end();
  EXPECT_EQ(QColor(image.pixel(400, 7)), colours.centre) << "vertical centre line";
  EXPECT_EQ(QColor(image.pixel(401, 7)), colours.background) << "one pixel wide";
  EXPECT_EQ(QColor(image.pixel(7, 400)), colours.centre) << "horizontal centre line";
  EXPECT_EQ(QColor(image.pixel(798, 7)), colours.grid) << "the frame at the square's edge";
  // A quarter division of a 512-point plot is 8 points: 12.5 pixels here.
  EXPECT_EQ(QColor(image.pixel(425, 401)), colours.centre) << "tick on the centre line";
}

TEST_F(TraceViewer, ThePlotGrowsWithThePane) {
  Connect();
  auto* pane = frame->findChild<QDockWidget*>(QStringLiteral("TraceViewerPane"));
  pane->setFloating(true);
  pane->resize(1400, 900);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->Plot().Side() >= 700; }, 5000)) << view->Plot().Side();
  const int large = view->Plot().Side();
  EXPECT_EQ(large % 16, 0);
  pane->resize(700, 400);
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->Plot().Side() < large; }, 5000)) << view->Plot().Side();
}

TEST_F(TraceViewer, RunShowsTracesAndSglShowsTheSecondTraceThenReturnsToRun) {
  Connect();
  EXPECT_TRUE(AutoUpdateTicked());
  Button("RUN")->click();
  EXPECT_EQ(RunCaptionShown(), "STOP");
  EXPECT_TRUE(Button("RUN")->isChecked());
  EXPECT_FALSE(AutoUpdateTicked()) << "the spectrum is not polled while traces run";
  EXPECT_FALSE(frame->Session().Engine().SpectrumPolling());
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->Cycle().TracesTaken() >= 5; }, 10000));
  Button("RUN")->click();
  EXPECT_EQ(RunCaptionShown(), "RUN");
  EXPECT_FALSE(Button("RUN")->isChecked());
  EXPECT_TRUE(AutoUpdateTicked());
  ASSERT_TRUE(reads->AwaitMore(2)) << "a trace read under way has landed";
  const int taken = view->Cycle().TracesTaken();
  ASSERT_TRUE(reads->AwaitMore(2));
  EXPECT_EQ(view->Cycle().TracesTaken(), taken) << "stopped";

  ClickMode(TraceMode::kSgl);
  EXPECT_EQ(Button("MODE")->text(), "SGL");
  Button("RUN")->click();
  EXPECT_EQ(RunCaptionShown(), "ACQ");
  ASSERT_TRUE(QTest::qWaitFor([&] { return RunCaptionShown() == "RUN"; }, 10000));
  EXPECT_FALSE(Button("RUN")->isChecked());
  EXPECT_EQ(view->Cycle().SingleShotCount(), 0);
  EXPECT_EQ(view->Cycle().TracesTaken(), taken + 1) << "the first trace after arming is discarded";
  ASSERT_TRUE(reads->AwaitMore(2));
  EXPECT_EQ(view->Cycle().TracesTaken(), taken + 1);

  // A run ends with its link.
  ClickMode(TraceMode::kAv2);
  Button("RUN")->click();
  EXPECT_EQ(RunCaptionShown(), "STOP");
  frame->Trigger(command::kDisconnect);
  EXPECT_EQ(RunCaptionShown(), "RUN");
  EXPECT_FALSE(view->Cycle().IsRunning());
  EXPECT_FALSE(frame->Session().Engine().SpectrumPolling());
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(TraceViewer, InputRTwiceTogglesTheCoincidenceLegendAndRndReachesRegisterAndExport) {
  Connect();
  auto* inputR = Control<QRadioButton>("INPUT R");
  inputR->click();
  EXPECT_FALSE(Register(26) & (1u << 2));
  inputR->click();
  EXPECT_TRUE(Register(26) & (1u << 2));
  EXPECT_EQ(inputR->text(), "COINC S");
  EXPECT_EQ(Control<QRadioButton>("INHIBIT")->text(), "COINC W");
  EXPECT_EQ(Control<QRadioButton>("STORE")->text(), "STORE") << "no TDCR-EXT storage";
  const auto instrumentRegister26 = [&] {
    std::uint16_t value = 0;
    instrument.Inspect([&](sim::VirtualInstrument& unit) { value = unit.Memory().registers[26]; });
    return value;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return (instrumentRegister26() & (1u << 2)) != 0; }, 5000))
      << "written to the instrument";
  inputR->click();
  EXPECT_EQ(inputR->text(), "INPUT R");

  // ROI-SCA takes the region of interest under the buffer window's cursor.
  CSpectrum& buffer = frame->BufferSpectrum();
  const int cursor = frame->findChild<CSpectrumWnd*>()->BufferWindow().Display().Window().Cursor();
  for (int channel = cursor - 5; channel <= cursor + 7; ++channel) {
    buffer.displayRoiMarks[static_cast<std::size_t>(channel)] = 1;
  }
  Control<QRadioButton>("ROI-SCA")->click();
  EXPECT_EQ(Control<QSpinBox>("ROI-SCA LOW")->value(), cursor - 5);
  EXPECT_EQ(Control<QSpinBox>("ROI-SCA HIGH")->value(), cursor + 7);
  EXPECT_EQ(Register(27), cursor - 5);
  EXPECT_EQ(Register(28), cursor + 7);

  ClickMode(TraceMode::kRnd);
  EXPECT_EQ(Button("MODE")->text(), "RND");
  EXPECT_TRUE(Register(26) & (1u << 7));
  Button("RUN")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->Cycle().TracesTaken() >= 2; }, 10000));
  Button("RUN")->click();

  test::ScratchFolder folder;
  dialogs.target = (folder / "random").string();
  frame->Trigger(command::kExportTracesRaw);
  const std::string text = test::ReadFile(folder / "random.csv");

  // The pictures: the plot alone, and the whole viewer.
  frame->Trigger(command::kCopyTraceTraces);
  EXPECT_EQ(QApplication::clipboard()->pixmap().size(), view->Plot().size());
  frame->Trigger(command::kCopyTraceViewer);
  EXPECT_EQ(QApplication::clipboard()->pixmap().size(), view->size());
  EXPECT_NE(text.find("Trigger Source: RANDOM\n"), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(text.find("Traces Averaged: SINGLE TRACE\n"), std::string::npos);
  EXPECT_TRUE(prompt.errors.empty());
}

// The slow shaper triggered by S LLD shows a whole pulse.
TEST_F(TraceViewer, TheSlowShaperTriggeredByItsThresholdShowsAPulse) {
  Connect();
  Control<QRadioButton>("S LLD")->click();
  StepVerticalTo(9);
  RunUntilPulse(120);
  EXPECT_TRUE(prompt.errors.empty());
}

// The raw ADC with the random trigger over a longer time base shows several
// pulses about its baseline, the baseline on the centre line.
TEST_F(TraceViewer, TheRawAdcOnARandomTriggerShowsSeveralPulses) {
  Connect();
  Control<QRadioButton>("ADC")->click();
  ClickMode(TraceMode::kRnd);
  StepTimeBaseTo(12);
  StepVerticalTo(8);
  Control<QSlider>("OFFSET")->setValue(25);  // the ADC baseline of 200 on the centre line
  EXPECT_EQ(view->Offset(), 400);
  RunUntilPulse(60, 3);
  EXPECT_TRUE(prompt.errors.empty());
}

}  // namespace
}  // namespace korva
