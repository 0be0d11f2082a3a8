#include "spectrum/spectrum_display.h"

#include <gtest/gtest.h>

#include "memory_settings_store.h"
#include "spectrum/spectrum_colours.h"

namespace korva {
namespace {

// A 1000 × 400 window: the plot is 970 pixels wide from x = 20 to 990 and
// 355 high above the baseline at y = 375.
constexpr ClientRect kClient{0, 0, 1000, 400};

class SpectrumDisplayTest : public ::testing::Test {
 protected:
  SpectrumDisplayTest() { display.SetClientRect(kClient); }

  void Fill(std::uint32_t value) {
    for (std::size_t i = 0; i < 4096; ++i) spectrum.image.spectrum[i] = value;
    spectrum.RebuildCompressedSpectrum();
  }

  CSpectrum spectrum;
  RoiMode mode = RoiMode::kMarkOver;
  SpectrumDisplay display{spectrum, mode};
};

TEST(PlotGeometryTest, MarginsAndChannelColumns) {
  const PlotGeometry plot(kClient);
  EXPECT_EQ(plot.Left(), 20);
  EXPECT_EQ(plot.Right(), 990);
  EXPECT_EQ(plot.Width(), 970);
  EXPECT_EQ(plot.Baseline(), 375);
  EXPECT_EQ(plot.Height(), 355);
  EXPECT_EQ(plot.PixelsPerChannel(512), 1);
  EXPECT_EQ(plot.ChannelX(0, 0, 512), 21);
  EXPECT_EQ(plot.ChannelX(511, 0, 512), 989);
  EXPECT_EQ(plot.ChannelX(700, 0, 512), 990);  // held within the plot
  EXPECT_EQ(plot.CursorX(2048, 0, 4096), 505);
  EXPECT_EQ(plot.ChannelAtX(505, 0, 4096), 2048);
  EXPECT_EQ(plot.ChannelAtX(505, 100, 4096), 2148);

  const PlotGeometry tiny(ClientRect{0, 0, 10, 10});
  EXPECT_EQ(tiny.Width(), 1);
  EXPECT_EQ(tiny.Height(), 4);
  EXPECT_EQ(tiny.ChannelAtX(15, 0, 4096), -20480);  // no division by zero
}

TEST_F(SpectrumDisplayTest, SoftSizesSetFactorAndWindow) {
  struct Case {
    std::int32_t hard;
    std::int32_t soft;
    std::int32_t hardAfter;
    std::uint32_t factor;
  };
  for (const Case& c : {Case{4096, 2048, 4096, 2}, Case{4096, 1365, 4096, 3}, Case{4096, 682, 4096, 6},
                        Case{4096, 512, 4096, 8}, Case{1024, 2048, 2048, 1}, Case{4096, 4096, 4096, 1}}) {
    SCOPED_TRACE(c.soft);
    EXPECT_EQ(display.SetSpectrumSizes(c.hard, c.soft), Repaint::kFull);
    EXPECT_EQ(spectrum.hardSize, c.hardAfter);
    EXPECT_EQ(spectrum.CompressionFactor(), c.factor);
    EXPECT_EQ(display.Window().Span(), c.soft);
    EXPECT_EQ(display.Window().Last(), c.soft - 1);
    EXPECT_EQ(display.Window().Cursor(), c.soft / 2);
  }
  // A soft size the record got from a file is followed at the next paint.
  spectrum.SetSizes(4096, 1024);
  display.Columns();
  EXPECT_EQ(display.Window().Last(), 1023);
}

TEST(VisibleWindowTest, SpanStaysWithin32AndTheSoftSize) {
  VisibleWindow window;
  window.CompressAroundCursor();
  EXPECT_EQ(window.Span(), 4096);
  EXPECT_EQ(window.First(), 0);
  for (int i = 0; i < 10; ++i) window.ExpandAroundCursor();
  EXPECT_EQ(window.Span(), 32);
  EXPECT_EQ(window.First(), 2048 - 16);
  window.ShowFullSpectrum();
  EXPECT_EQ(window.Span(), 4096);

  window.Reset(1365);
  window.ExpandFromLeft();
  EXPECT_EQ(window.Span(), 682);
  EXPECT_EQ(window.First(), 0);
  window.CompressFromLeft();
  EXPECT_EQ(window.Span(), 1364);
  window.CompressFromLeft();
  EXPECT_EQ(window.Span(), 1365);
}

TEST(VisibleWindowTest, CentringNearTheEndMovesTheCursor) {
  VisibleWindow window;
  for (int i = 0; i < 3; ++i) window.ExpandFromLeft();
  window.MoveCursorTo(4000);  // the window follows the cursor
  EXPECT_EQ(window.Last(), 4000);
  EXPECT_EQ(window.First(), 3489);
  window.SetVisibleWindow(VisibleWindow::Anchor::kCursor);
  EXPECT_EQ(window.First(), 3584);
  EXPECT_EQ(window.Last(), 4095);
  EXPECT_EQ(window.Cursor(), 3839);
  EXPECT_EQ(window.ScrollBar(), (ScrollBarState{0, 4096, 512, 3584}));
}

TEST(VisibleWindowTest, ScrollingKeepsTheWindowAndCursorInside) {
  VisibleWindow window;
  for (int i = 0; i < 3; ++i) window.ExpandFromLeft();  // span 512 from 0, cursor 2048 → held at 511
  EXPECT_EQ(window.Cursor(), 511);
  window.ScrollLine(-1);
  EXPECT_EQ(window.First(), 0);
  window.ScrollLine(1);
  EXPECT_EQ(window.First(), 32);
  EXPECT_EQ(window.Cursor(), 511);
  window.ScrollPage(1);
  EXPECT_EQ(window.First(), 288);
  EXPECT_EQ(window.Cursor(), 511);
  window.ScrollTo(5000);
  EXPECT_EQ(window.First(), 3584);
  EXPECT_EQ(window.Cursor(), 3584);
  window.MoveCursorTo(100);
  EXPECT_EQ(window.First(), 100);
  window.MoveCursorTo(-5);
  EXPECT_EQ(window.Cursor(), 0);
  EXPECT_EQ(window.First(), 0);
}

TEST_F(SpectrumDisplayTest, ArrowKeysSpeedUpWhileHeld) {
  for (int i = 0; i < 16; ++i) display.KeyDown(SpectrumKey::kRight);
  EXPECT_EQ(display.Window().Cursor(), 2048 + 16);
  EXPECT_EQ(display.KeyDown(SpectrumKey::kRight), Repaint::kCursor);
  EXPECT_EQ(display.Window().Cursor(), 2048 + 18);
  display.KeyUp();
  display.KeyDown(SpectrumKey::kLeft);
  EXPECT_EQ(display.Window().Cursor(), 2048 + 17);
  for (int i = 0; i < 40; ++i) display.KeyDown(SpectrumKey::kLeft);
  display.KeyDown(SpectrumKey::kOther);  // another key starts the count again
  display.KeyDown(SpectrumKey::kLeft);
  const int cursor = display.Window().Cursor();
  display.KeyDown(SpectrumKey::kLeft);
  EXPECT_EQ(display.Window().Cursor(), cursor - 1);
}

TEST_F(SpectrumDisplayTest, KeysAndDoubleClicksZoom) {
  EXPECT_EQ(display.KeyDown(SpectrumKey::kI), Repaint::kFull);
  EXPECT_EQ(display.Window().Span(), 2048);
  display.DoubleClick(MouseButton::kLeft);
  EXPECT_EQ(display.Window().Span(), 1024);
  display.DoubleClick(MouseButton::kRight);
  display.KeyDown(SpectrumKey::kO);
  EXPECT_EQ(display.Window().Span(), 4096);
  EXPECT_EQ(display.KeyDown(SpectrumKey::kO), Repaint::kNone);
  display.ExpandFromLeft();
  display.KeyDown(SpectrumKey::kHome);
  EXPECT_EQ(display.Window().Span(), 4096);
  display.KeyDown(SpectrumKey::kUp);
  EXPECT_EQ(display.Scale().LinearIndex(), 8);
  display.KeyDown(SpectrumKey::kDown);
  display.KeyDown(SpectrumKey::kDown);
  EXPECT_EQ(display.Scale().LinearIndex(), 10);
}

TEST_F(SpectrumDisplayTest, HeldMouseMovesTheCursorAndScrollsAtTheEdges) {
  display.ButtonDown(MouseButton::kLeft, 505);
  EXPECT_EQ(display.Window().Cursor(), 2048);
  EXPECT_TRUE(display.PointerHidden());
  display.ButtonUp(MouseButton::kLeft);
  EXPECT_FALSE(display.PointerHidden());
  EXPECT_EQ(display.MouseMove(100), Repaint::kNone);

  for (int i = 0; i < 3; ++i) display.ExpandFromLeft();  // span 512 from 0
  display.ButtonDown(MouseButton::kRight, 100);
  EXPECT_EQ(display.Window().Cursor(), 42);
  EXPECT_EQ(display.MouseMove(995), Repaint::kFull);
  EXPECT_EQ(display.Window().First(), 8);
  EXPECT_EQ(display.Window().Cursor(), 519);
  display.MouseMove(-3);
  display.MouseMove(-3);
  EXPECT_EQ(display.Window().First(), 0);
  EXPECT_EQ(display.Window().Cursor(), 0);
}

TEST(VerticalScaleTest, HeightsAndLabels) {
  VerticalScale scale;
  EXPECT_EQ(scale.BarHeight(512, 355), 355);
  EXPECT_EQ(scale.BarHeight(1000, 355), 693);
  EXPECT_EQ(scale.Label(), " 512  ");
  scale.SetIndex(0);
  // Exact however large: no fallback that divides by 2^index ÷ height.
  EXPECT_EQ(scale.BarHeight(4294967295u, 355), 4294967295LL * 355);
  EXPECT_EQ(scale.Label(), "   1  ");
  scale.SetIndex(17);
  EXPECT_EQ(scale.Label(), "130k  ");
  scale.SetIndex(99);
  EXPECT_EQ(scale.LinearIndex(), 31);
  EXPECT_EQ(scale.Label(), "  2B  ");
  scale.Wheel(-240);
  EXPECT_EQ(scale.LinearIndex(), 29);

  scale.SetLogarithmic();
  EXPECT_EQ(scale.Label(), "LOG  ");
  EXPECT_EQ(scale.BarHeight(0, 355), VerticalScale::kNoBar);
  EXPECT_EQ(scale.BarHeight(1, 355), 0);
  EXPECT_EQ(scale.BarHeight(65536, 355), 355);
  scale.Compress();
  scale.Compress();
  EXPECT_EQ(scale.LogIndex(), 1);
  EXPECT_EQ(scale.BarHeight(65536, 355), 177);
  EXPECT_EQ(scale.ScrollBar(), (ScrollBarState{0, 1, 0, 1}));
  EXPECT_EQ(scale.LinearIndex(), 29);
}

TEST(VerticalScaleTest, AutomaticScaleSwitches) {
  VerticalScale scale;
  scale.SetLogarithmic();
  scale.ToggleAutomatic();
  EXPECT_FALSE(scale.Automatic());
  scale.SetLinear();
  scale.ToggleAutomatic();
  EXPECT_TRUE(scale.Automatic());
  scale.Expand();
  EXPECT_FALSE(scale.Automatic());
  scale.ToggleAutomatic();
  scale.SetLogarithmic();
  EXPECT_FALSE(scale.Automatic());
  scale.SetLinear();
  scale.ToggleAutomatic();
  scale.ToggleAutomatic();
  EXPECT_FALSE(scale.Automatic());
}

TEST_F(SpectrumDisplayTest, AutomaticScaleFitsTheHighestBar) {
  struct Case {
    std::uint32_t counts;
    int index;
  };
  for (const Case& c :
       {Case{1000, 10}, Case{520, 10}, Case{512, 9}, Case{10, 4}, Case{0, 1}, Case{2000000000, 31}}) {
    SCOPED_TRACE(c.counts);
    display.SetLinearScale();
    display.VerticalScroll(ScrollAction::kThumb, 9);
    display.ToggleAutomaticScale();
    Fill(c.counts);
    display.Columns();
    EXPECT_EQ(display.Scale().LinearIndex(), c.index);
    EXPECT_LE(display.Columns()[0].height, 355);
  }
}

TEST_F(SpectrumDisplayTest, ColumnsKeepTheTallestChannelAndReportChanges) {
  spectrum.image.compressed[1000] = 400;
  spectrum.displayRoiMarks[1000] = 1;
  const std::span<const PlotColumn> columns = display.Columns();
  ASSERT_LE(columns.size(), 970u);
  ASSERT_GE(columns.size(), 960u);
  int lastX = 0;
  for (const PlotColumn& column : columns) {
    EXPECT_GT(column.x, lastX);
    lastX = column.x;
    if (column.height != 0) {
      EXPECT_EQ(column.channel, 1000);
      EXPECT_EQ(column.height, 277);
      EXPECT_TRUE(column.roi);
    }
  }

  spectrum.image.compressed[3000] = 100;
  spectrum.image.compressed[3001] = 10;  // shares a column with 3000 (or is lower anyway)
  const auto changes = display.ColumnChanges();
  ASSERT_TRUE(changes);
  ASSERT_EQ(changes->size(), 1u);
  EXPECT_EQ((*changes)[0].before.height, 0);
  EXPECT_EQ((*changes)[0].after.height, 69);
  EXPECT_EQ((*changes)[0].after.channel, 3000);
  EXPECT_TRUE(display.ColumnChanges()->empty());

  display.ExpandAroundCursor();
  EXPECT_FALSE(display.ColumnChanges());

  display.SetLogarithmicScale();
  for (const PlotColumn& column : display.Columns()) {
    EXPECT_EQ(column.height == VerticalScale::kNoBar, spectrum.image.compressed[column.channel] == 0);
  }
}

TEST_F(SpectrumDisplayTest, AxisLabelsAndPens) {
  CalibrationRecord calibration;
  AxisLabels labels = display.Labels(calibration);
  EXPECT_EQ(labels.left, "0      ");
  EXPECT_EQ(labels.middle, "  2048 ");
  EXPECT_EQ(labels.right, "  4095 ");
  calibration.enabled = 1;
  calibration.b = 2.0;
  calibration.c = 1.0;
  calibration.units = 2;
  labels = display.Labels(calibration);
  EXPECT_EQ(labels.left, "1.00 keV      ");
  EXPECT_EQ(labels.middle, "  4097.00 keV ");
  EXPECT_EQ(labels.right, "  8191.00 keV ");
  calibration.units = 1;
  EXPECT_EQ(display.Labels(calibration).right, "  8191.00 eV ") << "the unit list's blank is not shown";

  EXPECT_EQ(display.PenWidth(), 1);
  for (int i = 0; i < 3; ++i) display.KeyDown(SpectrumKey::kSpace);
  EXPECT_EQ(display.DrawStyle(), 0);
  EXPECT_EQ(display.PenWidth(), 1);
  for (int i = 0; i < 7; ++i) display.ExpandAroundCursor();
  EXPECT_EQ(display.PenWidth(), 20);
  display.KeyDown(SpectrumKey::kSpace);
  EXPECT_EQ(display.PenWidth(), 1);
}

TEST(SpectrumColoursTest, StoredPerWindowAndAllFourOrNone) {
  test::MemorySettingsStore store;
  const SpectrumColours chosen{1, 2, 0x00FFFFFF, 4};
  SaveSpectrumColours(store, true, chosen);
  EXPECT_EQ(store.dwords.at("\\Korva-TDCR\\Spectrum|BufferBkgColor"), 0x00FFFFFFu);
  EXPECT_EQ(LoadSpectrumColours(store, true), chosen);
  EXPECT_EQ(LoadSpectrumColours(store, false), SpectrumColours{});
  SaveSpectrumColours(store, false, chosen);
  store.dwords.erase("\\Korva-TDCR\\Spectrum|FileROIColor");
  EXPECT_EQ(LoadSpectrumColours(store, false), SpectrumColours{});
  EXPECT_EQ(ExclusiveOrPen(chosen, chosen.cursor), 0x00FFFFFEu);
}

}  // namespace
}  // namespace korva
