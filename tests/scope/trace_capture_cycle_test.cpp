// The trace viewer's capture cycle without a window: when its settings
// reach the registers, the trigger radios' side effects, the averaging
// modes over successive traces, RUN without a link, and the export command
// with its questions and its failure.

#include "scope/trace_capture_cycle.h"

#include <gtest/gtest.h>

#include "../support/fake_serial_link.h"
#include "../support/recording_prompt.h"
#include "../support/scratch_files.h"
#include "common/event_log.h"
#include "devicelink/command_engine.h"
#include "scope/trace_export_flow.h"

namespace korva {
namespace {

struct IdleHost : EngineHost {
  bool IsPortOpen() const override { return true; }
  void RunDisconnectSequence() override {}
  void ScheduleAfter(int, std::function<void()>) override {}
};
struct StillClock : LocalClock {
  std::optional<LocalCalendar> Now() override { return LocalCalendar{}; }
};

// A cycle on an engine whose instrument has not answered: sends stay in
// the image.
struct CycleRig : ::testing::Test {
  CycleRig() { engine.SetTraceViewer(&cycle); }
  ~CycleRig() override { engine.SetTraceViewer(nullptr); }

  std::uint16_t Register(std::size_t index) const { return image.registers[index]; }
  // A record whose analog samples all hold `value`.
  static std::vector<std::uint8_t> Record(std::int16_t value) {
    std::vector<std::uint8_t> record(kTraceRecordBytes);
    for (std::size_t i = 0; i < kTraceSamples; ++i) {
      record[4 * i] = static_cast<std::uint8_t>(value & 0xFF);
      record[4 * i + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    }
    return record;
  }

  StillClock clock;
  EventLog log{clock};
  test::FakeSerialLink link;
  DeviceImage image;
  test::RecordingPrompt prompt;
  IdleHost host;
  CommandEngine engine{link, image, log, prompt, host};
  int runChanges = 0;
  int traces = 0;
  TraceCaptureCycle cycle{engine, {[this] { ++traces; }, [this] { ++runChanges; }, {}}};
};

TEST_F(CycleRig, SettingsReachRegister26OnlyOnceValidAndTheTriggerRadiosHaveTheirSideEffects) {
  cycle.SelectInput(kTraceAdc);
  EXPECT_EQ(Register(26), 0) << "nothing before the first read-back";

  cycle.SetSettingsValid(true);
  cycle.SelectTrigger(kInputRLine);
  EXPECT_EQ(Register(26) & 0x3F, (6u << 3) | kTraceAdc);
  EXPECT_FALSE(cycle.Controls().coincidenceDisplay) << "the first click only selects INPUT R";
  cycle.SelectTrigger(kInputRLine);
  EXPECT_TRUE(cycle.Controls().coincidenceDisplay);
  EXPECT_TRUE(Register(26) & (1u << 2));
  cycle.SelectTrigger(kInputRLine);
  EXPECT_FALSE(Register(26) & (1u << 2)) << "a third click toggles it back";
  EXPECT_TRUE(image.acceptReadBack) << "no instrument to send to: read-backs accepted again";

  // ROI-SCA takes the region at the cursor, times the compression.
  image.compressionFactor = 2;
  cycle.SelectTrigger(kRoiScaLine, ChannelWindow{100, 180});
  EXPECT_EQ(Register(27), 200);
  EXPECT_EQ(Register(28), 360);
  cycle.SelectTrigger(kRoiScaLine, std::nullopt);
  EXPECT_EQ(Register(28), 360) << "no region at the cursor keeps the window";

  // RND: random trigger bit, clipping at 248, and "RANDOM" in the export.
  cycle.SetMode(TraceMode::kRnd);
  EXPECT_TRUE(Register(26) & (1u << 7));
  EXPECT_EQ(cycle.Display(4, 0).clipLimit, 248);
  const std::string text = TraceExportText(cycle.ExportSource(), TraceExportKind::kRaw);
  EXPECT_NE(text.find("Trigger Source: RANDOM\n"), std::string::npos) << text;
  cycle.AdvanceMode();
  EXPECT_FALSE(Register(26) & (1u << 7));
}

TEST_F(CycleRig, AveragingShowsTheMeanOfTheLastTracesAndRunRestartsIt) {
  cycle.SetMode(TraceMode::kAv4);
  for (std::int16_t k = 1; k <= 4; ++k) cycle.TakeTrace(Record(static_cast<std::int16_t>(100 * k)));
  EXPECT_EQ(cycle.Shown()[0].analog, 250) << "mean of 100..400";
  cycle.TakeTrace(Record(500));
  EXPECT_EQ(cycle.Shown()[255].analog, 350) << "mean of 200..500";
  EXPECT_EQ(cycle.ExportSource().trace[7].analog, 350) << "the export writes the average";

  cycle.TakeTrace(std::vector<std::uint8_t>(1000));
  EXPECT_EQ(cycle.TracesTaken(), 5) << "a short record is dropped";

  cycle.ClickRun();  // no link: stays idle, but the average starts over
  EXPECT_EQ(cycle.Caption(), RunCaption::kRun);
  EXPECT_FALSE(cycle.IsRunning());
  EXPECT_TRUE(engine.SpectrumPolling()) << "AUTO UPDATE follows the opposite of running";
  cycle.TakeTrace(Record(400));
  EXPECT_EQ(cycle.Shown()[0].analog, 100) << "a fresh ring: one trace of four";

  cycle.SetMode(TraceMode::kNrm);
  cycle.TakeTrace(Record(-7));
  EXPECT_EQ(cycle.Shown()[0].analog, -7);
  EXPECT_EQ(traces, 7);
}

TEST_F(CycleRig, RunStartsAndStopsOnALinkAndSglArmsTwoReads) {
  engine.PrepareConnect();
  engine.CompleteConnect();
  cycle.ClickRun();
  EXPECT_TRUE(cycle.IsRunning());
  EXPECT_EQ(cycle.Caption(), RunCaption::kStop);
  EXPECT_FALSE(engine.SpectrumPolling());
  EXPECT_TRUE(engine.IsPending(CommandEngine::kTraceSlot)) << "a trace is asked for at once";

  cycle.SetMode(TraceMode::kSgl);
  EXPECT_FALSE(cycle.IsRunning()) << "SGL ends the continuous run";
  EXPECT_EQ(cycle.Caption(), RunCaption::kRun);
  EXPECT_TRUE(engine.SpectrumPolling());

  cycle.ClickRun();
  EXPECT_EQ(cycle.Caption(), RunCaption::kAcq);
  EXPECT_EQ(cycle.SingleShotCount(), 2);
  cycle.Stop();
  EXPECT_EQ(cycle.SingleShotCount(), 0);
  EXPECT_EQ(cycle.Caption(), RunCaption::kRun);
}

// The read RUN requests at once returns the trace held from before the new
// settings: it is neither counted, nor shown, nor averaged.
TEST_F(CycleRig, ARunDropsTheTraceCapturedBeforeItsSettings) {
  engine.PrepareConnect();
  engine.CompleteConnect();
  for (const TraceMode mode : {TraceMode::kNrm, TraceMode::kAv4}) {
    cycle.SetMode(mode);
    cycle.ClickRun();
    ASSERT_TRUE(cycle.IsRunning());
    const int before = cycle.TracesTaken();
    cycle.TakeTrace(Record(1000));
    EXPECT_EQ(cycle.TracesTaken(), before) << "the stale trace is not counted";
    cycle.TakeTrace(Record(200));
    cycle.TakeTrace(Record(400));
    EXPECT_EQ(cycle.TracesTaken(), before + 2);
    EXPECT_EQ(cycle.Shown()[0].analog, mode == TraceMode::kNrm ? 400 : 150)
        << "Av4 of 200, 400 and two empty";
    cycle.ClickRun();
    EXPECT_FALSE(cycle.IsRunning());
  }
  // A single capture discards its first read itself (the engine never hands
  // it over); a run stopped before its first trace leaves nothing to drop.
  cycle.SetMode(TraceMode::kNrm);
  cycle.ClickRun();
  cycle.SetMode(TraceMode::kSgl);
  cycle.ClickRun();
  const int before = cycle.TracesTaken();
  cycle.TakeTrace(Record(9));
  EXPECT_EQ(cycle.TracesTaken(), before + 1);
  EXPECT_EQ(cycle.Shown()[0].analog, 9);
}

TEST(RoiAroundCursor, FindsTheMarkedRunWithinTheSoftSize) {
  std::vector<std::uint8_t> marks(32, 0);
  for (int i = 5; i <= 9; ++i) marks[static_cast<std::size_t>(i)] = 1;
  for (int i = 28; i < 32; ++i) marks[static_cast<std::size_t>(i)] = 1;
  const auto roi = RoiAroundCursor(marks, 32, 7);
  ASSERT_TRUE(roi);
  EXPECT_EQ(roi->low, 5u);
  EXPECT_EQ(roi->high, 9u);
  EXPECT_FALSE(RoiAroundCursor(marks, 32, 10));
  EXPECT_FALSE(RoiAroundCursor(marks, 32, -1));
  EXPECT_EQ(RoiAroundCursor(marks, 30, 29)->high, 29u) << "ends at the soft size";
  EXPECT_FALSE(RoiAroundCursor(marks, 28, 29));
}

// Answers the export's questions from a script and records them.
struct ScriptedExportDialogs : TraceExportDialogs {
  std::optional<std::string> target;
  bool overwrite = false;
  std::vector<std::string> asked;
  std::optional<std::string> ChooseExportTarget() override { return target; }
  bool ConfirmOverwrite(std::string_view question) override {
    asked.emplace_back(question);
    return overwrite;
  }
};

TEST(TraceExportCommand, AsksBeforeReplacingAndAFailedWriteKeepsTheEarlierFile) {
  test::ScratchFolder folder;
  test::RecordingPrompt prompt;
  ScriptedExportDialogs dialogs;
  const TraceExportSource source;
  EXPECT_EQ(ExportTraces(dialogs, prompt, source, TraceExportKind::kRaw), TraceExportOutcome::kCancelled);

  dialogs.target = (folder / "run7").string();
  std::string written;
  ASSERT_EQ(ExportTraces(dialogs, prompt, source, TraceExportKind::kRaw, &written),
            TraceExportOutcome::kWritten);
  EXPECT_EQ(written, (folder / "run7.csv").string());
  EXPECT_TRUE(dialogs.asked.empty());

  test::WriteFile(folder / "run7.csv", "earlier");
  EXPECT_EQ(ExportTraces(dialogs, prompt, source, TraceExportKind::kRaw), TraceExportOutcome::kCancelled);
  ASSERT_EQ(dialogs.asked.size(), 1u);
  EXPECT_EQ(dialogs.asked[0], "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?");
  EXPECT_EQ(test::ReadFile(folder / "run7.csv"), "earlier");

  dialogs.overwrite = true;
  {
    test::FileSizeLimit limit(1000);  // the disk fills up half way
    EXPECT_EQ(ExportTraces(dialogs, prompt, source, TraceExportKind::kRaw), TraceExportOutcome::kFailed);
  }
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "Error opening the file\nand saving the traces!");
  EXPECT_EQ(test::ReadFile(folder / "run7.csv"), "earlier");
  EXPECT_EQ(test::Listing(folder.Path()).size(), 1u) << "no temporary file is left behind";
}

}  // namespace
}  // namespace korva
