#include "spectrum/roi_marking.h"

#include <gtest/gtest.h>

#include <numeric>

#include "spectrum/spectrum_display.h"

namespace korva {
namespace {

// A plot 1024 pixels wide, so that at soft size 1024 every displayed
// channel is one pixel column and the mouse can point at each.
constexpr ClientRect kClient{0, 0, 1054, 400};

int MarkedHardware(const CSpectrum& spectrum) {
  return std::accumulate(spectrum.roiMarks.begin(), spectrum.roiMarks.end(), 0);
}

// Displayed channels first ... last all marked, and their neighbours not.
::testing::AssertionResult MarkedExactly(const CSpectrum& spectrum, int first, int last) {
  for (int channel = std::max(first - 3, 0); channel <= last + 3; ++channel) {
    const bool inside = channel >= first && channel <= last;
    if ((spectrum.displayRoiMarks[static_cast<std::size_t>(channel)] != 0) != inside) {
      return ::testing::AssertionFailure() << "channel " << channel << (inside ? " not marked" : " marked");
    }
  }
  return ::testing::AssertionSuccess();
}

class RoiMarkingTest : public ::testing::Test {
 protected:
  RoiMarkingTest() {
    display.SetClientRect(kClient);
    display.SetSpectrumSizes(4096, 1024);
  }

  int X(int channel) const {
    const VisibleWindow& window = display.Window();
    return display.Geometry().CursorX(channel, window.First(), window.Span());
  }
  // Presses `first` then `second` at `from`, drags to each of `path`, and
  // lets go.
  void Drag(MouseButton first, MouseButton second, int from, std::initializer_list<int> path) {
    display.ButtonDown(first, X(from));
    display.ButtonDown(second, X(from));
    for (const int channel : path) display.MouseMove(X(channel));
    display.ButtonUp(second);
    display.ButtonUp(first);
  }

  CSpectrum spectrum;
  RoiMode mode = RoiMode::kMarkOver;
  SpectrumDisplay display{spectrum, mode};
};

TEST_F(RoiMarkingTest, ADisplayedChannelCarriesItsHardwareChannels) {
  MarkDisplayedChannel(spectrum, 10, true);
  EXPECT_EQ(MarkedHardware(spectrum), 4);
  EXPECT_EQ(spectrum.roiMarks[40] + spectrum.roiMarks[43], 2);
  EXPECT_TRUE(MarkedExactly(spectrum, 10, 10));
  MarkDisplayedChannel(spectrum, 10, false);
  EXPECT_EQ(MarkedHardware(spectrum), 0);
  MarkDisplayedChannel(spectrum, 1024, true);  // beyond the soft size
  EXPECT_EQ(MarkedHardware(spectrum), 0);

  // At another soft size the display marks are derived again: a bin is
  // marked only when all its hardware channels are.
  MarkDisplayedChannel(spectrum, 0, true);
  display.SetSpectrumSizes(4096, 512);
  EXPECT_EQ(spectrum.displayRoiMarks[0], 0);
  display.SetSpectrumSizes(4096, 4096);
  EXPECT_TRUE(MarkedExactly(spectrum, 0, 3));
}

TEST_F(RoiMarkingTest, MouseMarksOverAndUnmarks) {
  Drag(MouseButton::kLeft, MouseButton::kRight, 100, {110, 105});
  EXPECT_TRUE(MarkedExactly(spectrum, 100, 110));
  EXPECT_EQ(MarkedHardware(spectrum), 11 * 4);
  Drag(MouseButton::kRight, MouseButton::kLeft, 108, {103});
  EXPECT_TRUE(MarkedExactly(spectrum, 100, 102));
  EXPECT_TRUE(MarkedExactly(spectrum, 109, 110));

  // One button alone only moves the cursor.
  display.ButtonDown(MouseButton::kLeft, X(200));
  EXPECT_EQ(display.MouseMove(X(210)), Repaint::kCursor);
  display.ButtonUp(MouseButton::kLeft);
  EXPECT_EQ(spectrum.displayRoiMarks[205], 0);
}

TEST_F(RoiMarkingTest, FromCursorFollowsTheCursorAndStopsAtAnotherRegion) {
  mode = RoiMode::kFromCursor;
  for (int channel = 120; channel <= 125; ++channel) MarkDisplayedChannel(spectrum, channel, true);
  display.ButtonDown(MouseButton::kLeft, X(100));
  display.ButtonDown(MouseButton::kRight, X(100));
  display.MouseMove(X(110));
  EXPECT_TRUE(MarkedExactly(spectrum, 100, 110));
  EXPECT_EQ(display.MouseMove(X(105)), Repaint::kBars);
  EXPECT_TRUE(MarkedExactly(spectrum, 100, 105));
  display.MouseMove(X(130));
  EXPECT_TRUE(MarkedExactly(spectrum, 100, 125));  // 100-119 and the other region, untouched
  display.MouseMove(X(95));
  EXPECT_TRUE(MarkedExactly(spectrum, 95, 100));
  EXPECT_TRUE(MarkedExactly(spectrum, 120, 125));
  display.ButtonUp(MouseButton::kRight);
  display.ButtonUp(MouseButton::kLeft);

  // From inside a region the drag extends it.
  Drag(MouseButton::kLeft, MouseButton::kRight, 122, {128});
  EXPECT_TRUE(MarkedExactly(spectrum, 120, 128));
  // Unmarking works as over.
  Drag(MouseButton::kRight, MouseButton::kLeft, 126, {130, 124});
  EXPECT_TRUE(MarkedExactly(spectrum, 120, 123));
}

TEST_F(RoiMarkingTest, ShiftArrowsMarkCtrlArrowsUnmark) {
  const int start = display.Window().Cursor();
  for (int i = 0; i < 5; ++i) display.KeyDown(SpectrumKey::kRight, {.shift = true});
  EXPECT_TRUE(MarkedExactly(spectrum, start, start + 5));
  display.KeyUp();
  display.KeyDown(SpectrumKey::kLeft);  // plain arrows mark nothing
  display.KeyDown(SpectrumKey::kLeft, {.control = true});
  display.KeyDown(SpectrumKey::kLeft, {.control = true});
  EXPECT_TRUE(MarkedExactly(spectrum, start, start + 1));
  EXPECT_EQ(spectrum.displayRoiMarks[static_cast<std::size_t>(start + 4)], 0);
  display.KeyUp();
  display.KeyDown(SpectrumKey::kRight, {.shift = true});
  EXPECT_EQ(spectrum.displayRoiMarks[static_cast<std::size_t>(start + 2)], 1);
}

TEST(CopyRoiTest, CopiesTheMarksAndRebuildsTheDestinationsDisplay) {
  CSpectrum buffer;
  CSpectrum file;
  file.SetSizes(4096, 512);
  for (std::size_t i = 8; i < 16; ++i) buffer.roiMarks[i] = 1;
  buffer.roiMarks[20] = 1;
  file.roiMarks[100] = 1;
  CopyRoi(buffer, file);
  EXPECT_EQ(file.roiMarks, buffer.roiMarks);
  EXPECT_EQ(file.displayRoiMarks[1], 1);
  EXPECT_EQ(file.displayRoiMarks[2], 0);
  EXPECT_EQ(std::accumulate(file.displayRoiMarks.begin(), file.displayRoiMarks.end(), 0), 1);
}

}  // namespace
}  // namespace korva
