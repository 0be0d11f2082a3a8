// The spectrum pane in the main window: files opened and saved through the
// File commands with scripted dialogs, the status bar readouts under the
// keyboard, and the cached plot kept equal to a fresh drawing.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QPixmap>
#include <QTabWidget>
#include <QtTest/QTest>

#include "../support/memory_settings_store.h"
#include "../support/recording_prompt.h"
#include "../support/scratch_files.h"
#include "common/command_ids.h"
#include "formats/kts_reader.h"
#include "formats/kts_writer.h"
#include "formats/spectrum_file_dialogs.h"
#include "shell/main_frame.h"
#include "spectrumview/spectrum_plot_view.h"
#include "spectrumview/spectrum_wnd.h"

namespace korva {
namespace {

class ScriptedSpectrumDialogs : public SpectrumFileDialogs {
 public:
  std::string openTarget;
  std::string saveTarget;
  bool overwrite = false;
  std::optional<std::string> tag;
  std::vector<SpectrumSaveKind> asked;
  int overwriteQuestions = 0;

  std::optional<std::string> ChooseOpenTarget() override { return openTarget; }
  std::optional<std::string> ChooseSaveTarget(SpectrumSaveKind kind) override {
    asked.push_back(kind);
    return saveTarget;
  }
  bool ConfirmOverwrite(std::string_view) override {
    ++overwriteQuestions;
    return overwrite;
  }
  std::optional<std::string> EditTag(std::string_view) override { return tag; }
};

// A tritium-like hump over the lower channels of the selected half.
void FillHump(CSpectrum& spectrum, std::uint32_t height) {
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    const double x = static_cast<double>(i) / 400.0;
    spectrum.image.spectrum[spectrum.HalfOffset() + i] =
        static_cast<std::uint32_t>(height * x * std::exp(-x));
  }
  spectrum.RebuildCompressedSpectrum();
}

class SpectrumWindow : public ::testing::Test {
 protected:
  SpectrumWindow() {
    services_.prompt = &prompt_;
    services_.settings = &settings_;
    services_.spectrumDialogs = &dialogs_;
    services_.enumerate = [] { return std::vector<SerialPortRecord>{}; };
    frame_ = std::make_unique<CMainFrame>(services_);
    frame_->resize(1200, 800);
    frame_->show();
    pane_ = frame_->findChild<CSpectrumWnd*>();
  }
  ~SpectrumWindow() override { frame_->close(); }

  QString StatusText(const char* name) const {
    return frame_->findChild<QLabel*>(QString::fromLatin1(name))->text();
  }

  test::ScratchFolder folder_;
  test::RecordingPrompt prompt_;
  test::MemorySettingsStore settings_;
  ScriptedSpectrumDialogs dialogs_;
  MainFrameServices services_;
  std::unique_ptr<CMainFrame> frame_;
  CSpectrumWnd* pane_ = nullptr;
};

TEST_F(SpectrumWindow, ConnectAsksBeforeItReplacesUnsavedCountsInTheBuffer) {
  CSpectrum& buffer = frame_->Spectra().buffer;
  FillHump(buffer, 1000);  // an acquisition's counts, kept after its link ended
  const std::vector<std::uint32_t> counts = buffer.image.spectrum;

  prompt_.answerYes = false;
  frame_->Trigger(command::kConnect);
  ASSERT_EQ(prompt_.questions.size(), 1u);
  EXPECT_NE(prompt_.questions[0].find("not saved"), std::string::npos) << prompt_.questions[0];
  EXPECT_TRUE(prompt_.errors.empty()) << "no port was opened";
  EXPECT_EQ(buffer.image.spectrum, counts);
  frame_->Trigger(command::kAutoConnect);
  EXPECT_EQ(prompt_.questions.size(), 2u);
  EXPECT_EQ(buffer.image.spectrum, counts);

  dialogs_.saveTarget = (folder_ / "kept.kts").string();
  frame_->Trigger(command::kSaveSpectrumAs);
  ASSERT_TRUE(std::filesystem::exists(folder_ / "kept.kts"));
  frame_->Trigger(command::kConnect);
  EXPECT_EQ(prompt_.questions.size(), 2u) << "saved counts need no question";
  EXPECT_FALSE(prompt_.errors.empty()) << "the connect was tried (no port here)";
}

TEST_F(SpectrumWindow, OpenSpectrumShowsTheFileTabAtFullSoftSize) {
  CSpectrum written;
  written.DeriveHalfSelector();  // the half its registers select, as a recorded spectrum has it
  FillHump(written, 1000);
  written.softSize = 1024;
  for (std::size_t i = 600; i < 700; ++i) written.roiMarks[i] = 1;
  written.tag = "H-3 vial";
  ASSERT_EQ(SaveSpectrumFile(written, folder_ / "vial.kts", {}), SpectrumFileStatus::kDone);
  dialogs_.openTarget = (folder_ / "vial.kts").string();

  frame_->Trigger(command::kOpenSpectrum);

  ASSERT_TRUE(prompt_.errors.empty());
  EXPECT_TRUE(frame_->Spectra().FileActive());
  EXPECT_EQ(pane_->Tabs().currentIndex(), CSpectrumWnd::kFileTab);
  EXPECT_EQ(frame_->windowTitle(), "PMT A - DPP @ FILE: vial.kts  (H-3 vial)");
  EXPECT_EQ(pane_->windowTitle(), "FILE: vial.kts  (H-3 vial)");
  EXPECT_EQ(frame_->Spectra().file.softSize, 4096);
  EXPECT_EQ(frame_->Spectra().file.Channel(2048), written.Channel(2048));
  const std::uint32_t underCursor = written.Channel(2048);
  EXPECT_EQ(StatusText("CursorPane"), QStringLiteral("CURSOR: 2048    COUNTS: %1").arg(underCursor, -10));
  EXPECT_TRUE(frame_->Action(command::kSoftSize4096)->isChecked());

  pane_->Tabs().setCurrentIndex(CSpectrumWnd::kBufferTab);
  EXPECT_TRUE(frame_->Spectra().BufferActive());
  EXPECT_EQ(frame_->windowTitle(), "PMT A - DPP");
  EXPECT_EQ(pane_->windowTitle(), "Korva-TDCR spectrum");
}

TEST_F(SpectrumWindow, SaveAsWritesTheActiveSpectrumAndAsksBeforeReplacing) {
  CSpectrum& buffer = frame_->Spectra().buffer;
  FillHump(buffer, 500);
  buffer.roiMarks[700] = 1;
  dialogs_.saveTarget = (folder_ / "run").string();
  dialogs_.tag = "Edited tag";

  frame_->Trigger(command::kSaveSpectrumAs);
  ASSERT_TRUE(prompt_.errors.empty());
  ASSERT_EQ(dialogs_.asked, std::vector<SpectrumSaveKind>{SpectrumSaveKind::kSpectrumFile});
  EXPECT_EQ(dialogs_.overwriteQuestions, 0);
  CSpectrum loaded;
  ASSERT_EQ(LoadSpectrumFile(loaded, folder_ / "run.kts"), SpectrumFileStatus::kDone);
  EXPECT_EQ(loaded.tag, "Edited tag");
  EXPECT_EQ(loaded.Channel(400), buffer.Channel(400));
  EXPECT_EQ(loaded.roiMarks[700], 1);

  // Cancel on the question leaves the earlier file as it was.
  const std::string before = test::ReadFile(folder_ / "run.kts");
  buffer.image.spectrum[buffer.HalfOffset() + 400] += 1;
  frame_->Trigger(command::kSaveSpectrumAs);
  EXPECT_EQ(dialogs_.overwriteQuestions, 1);
  EXPECT_EQ(test::ReadFile(folder_ / "run.kts"), before);

  // Cancel on the tag dialog names the spectrum by its start stamp.
  dialogs_.overwrite = true;
  dialogs_.tag.reset();
  frame_->Trigger(command::kSaveSpectrumAs);
  ASSERT_EQ(LoadSpectrumFile(loaded, folder_ / "run.kts"), SpectrumFileStatus::kDone);
  EXPECT_EQ(loaded.tag, "WAITING FOR START");
  EXPECT_EQ(loaded.Channel(400), buffer.Channel(400));
}

TEST_F(SpectrumWindow, FailedSavesAndOpensAreReportedAndChangeNothing) {
  dialogs_.saveTarget = (folder_ / "missing-folder" / "run.kts").string();
  dialogs_.tag = "t";
  frame_->Trigger(command::kSaveSpectrumAs);
  frame_->Trigger(command::kExportCsvSoftSize);
  EXPECT_EQ(prompt_.errors, (std::vector<std::string>{"Unable to Save File", "Unable to Save File"}));
  EXPECT_EQ(prompt_.errorCaptions, (std::vector<std::string>{"Error", "Error"}));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "missing-folder"));

  prompt_.errors.clear();
  prompt_.errorCaptions.clear();
  dialogs_.openTarget = (folder_ / "absent.kts").string();
  frame_->Trigger(command::kOpenSpectrum);
  EXPECT_EQ(prompt_.errors,
            std::vector<std::string>{"Unable to Open File\n" + (folder_ / "absent.kts").string() +
                                     ": No such file or directory"});
  EXPECT_EQ(prompt_.errorCaptions, std::vector<std::string>{"Error"});
  EXPECT_TRUE(frame_->Spectra().BufferActive());
  EXPECT_EQ(pane_->Tabs().currentIndex(), CSpectrumWnd::kBufferTab);
}

TEST_F(SpectrumWindow, ArrowKeysMoveTheCursorAndShiftMarksARegion) {
  FillHump(frame_->Spectra().buffer, 800);
  SpectrumPlotView& window = pane_->BufferWindow();
  window.setFocus();
  QTest::keyClick(&window, Qt::Key_Right);
  const std::uint32_t counts = frame_->Spectra().buffer.image.compressed[2049];
  EXPECT_EQ(StatusText("CursorPane"), QStringLiteral("CURSOR: 2049    COUNTS: %1").arg(counts, -10));
  EXPECT_EQ(StatusText("RoiPane"), " ");

  QTest::keyPress(&window, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyPress(&window, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyRelease(&window, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(StatusText("RoiPane"), "ROI:   2049 to 2051    W: 2     ");
  EXPECT_NE(frame_->Spectra().buffer.roiMarks[2050], 0);
}

// Whatever has changed in between, the cached plot after an incremental
// update is the plot a full drawing gives.
TEST_F(SpectrumWindow, IncrementalRedrawsMatchAFullDrawingInEveryStyle) {
  CSpectrum& buffer = frame_->Spectra().buffer;
  SpectrumPlotView& window = pane_->BufferWindow();
  for (int style = 0; style < SpectrumDisplay::kDrawStyles; ++style) {
    FillHump(buffer, 300);
    window.Apply(Repaint::kFull);
    window.RenderNow();
    for (std::size_t i = 1000; i < 1100; ++i) buffer.image.spectrum[buffer.HalfOffset() + i] += 120;
    buffer.image.spectrum[buffer.HalfOffset() + 3000] = 200;
    buffer.RebuildCompressedSpectrum();
    buffer.displayRoiMarks[1500] = 1;
    window.RefreshBars();
    const QImage incremental = window.PlotImage().copy();
    window.Apply(Repaint::kFull);
    window.RenderNow();
    EXPECT_TRUE(incremental == window.PlotImage()) << "draw style " << window.Display().DrawStyle();
    window.Apply(window.Display().KeyDown(SpectrumKey::kSpace));
  }
}

TEST_F(SpectrumWindow, ColoursAreKeptUnderTheSpectrumKey) {
  SpectrumColours colours;
  colours.background = 0x102030;
  pane_->FileWindow().SetColours(colours);
  frame_->close();
  EXPECT_EQ(settings_.dwords.at(test::MemorySettingsStore::Key("\\Korva-TDCR\\Spectrum", "FileBkgColor")),
            0x102030u);
  CMainFrame second(services_);
  EXPECT_EQ(second.findChild<CSpectrumWnd*>()->FileWindow().Colours().background, 0x102030u);
  EXPECT_EQ(second.findChild<CSpectrumWnd*>()->BufferWindow().Colours(), SpectrumColours{});
}

}  // namespace
}  // namespace korva
