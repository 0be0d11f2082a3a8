#pragma once

#include <cstdint>

namespace korva {

// The range a scroll bar shows: minimum ... maximum, page size, position.
struct ScrollBarState {
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;

  bool operator==(const ScrollBarState&) const = default;
};

// The horizontal window of a spectrum display: the displayed channels
// first ... last (span of them) out of the soft size, and the cursor,
// which stays within the window.
class VisibleWindow {
 public:
  static constexpr int kMinSpan = 32;

  // How SetVisibleWindow places the window: keeping `first`, or centring
  // it on the cursor.
  enum class Anchor { kFirst, kCursor };

  // The whole soft size shown, the cursor in its middle.
  void Reset(int softSize);
  // Holds the span within 32 ... soft size and the window within the soft
  // size. Centred on the cursor, a window pushed back from the right end
  // moves the cursor to its centre (soft size − span ÷ 2 − 1).
  void SetVisibleWindow(Anchor anchor);

  void ExpandAroundCursor() { Respan(span_ / 2, Anchor::kCursor); }
  void CompressAroundCursor() { Respan(span_ * 2, Anchor::kCursor); }
  void ExpandFromLeft() { Respan(span_ / 2, Anchor::kFirst); }
  void CompressFromLeft() { Respan(span_ * 2, Anchor::kFirst); }
  void ShowFullSpectrum() { Respan(softSize_, Anchor::kCursor); }

  // Scroll bar actions: a line is span ÷ 16 channels, a page span ÷ 2;
  // `direction` is −1 (left) or +1 (right).
  void ScrollLine(int direction) { ScrollTo(first_ + direction * (span_ / 16)); }
  void ScrollPage(int direction) { ScrollTo(first_ + direction * (span_ / 2)); }
  void ScrollTo(int first);

  // Moves the cursor, held within the soft size; a cursor leaving the
  // window drags the window along.
  void MoveCursorTo(int channel);
  void MoveCursorBy(int channels) { MoveCursorTo(cursor_ + channels); }

  int First() const { return first_; }
  int Last() const { return last_; }
  int Span() const { return span_; }
  int Cursor() const { return cursor_; }
  int SoftSize() const { return softSize_; }
  // Range 0 ... soft size, page span, position first.
  ScrollBarState ScrollBar() const { return {0, softSize_, span_, first_}; }

 private:
  void Respan(int span, Anchor anchor);

  int softSize_ = 4096;
  int first_ = 0;
  int last_ = 4095;
  int span_ = 4096;
  int cursor_ = 2048;
};

}  // namespace korva
