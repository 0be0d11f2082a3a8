#include "spectrum/visible_window.h"

#include <algorithm>

namespace korva {

void VisibleWindow::Reset(int softSize) {
  softSize_ = std::max(softSize, kMinSpan);
  span_ = softSize_;
  first_ = 0;
  last_ = softSize_ - 1;
  cursor_ = softSize_ / 2;
}

void VisibleWindow::SetVisibleWindow(Anchor anchor) {
  span_ = std::clamp(span_, kMinSpan, softSize_);
  if (anchor == Anchor::kCursor) first_ = cursor_ - span_ / 2;
  first_ = std::max(first_, 0);
  last_ = first_ + span_ - 1;
  if (last_ >= softSize_) {
    last_ = softSize_ - 1;
    first_ = softSize_ - span_;
    if (anchor == Anchor::kCursor) cursor_ = softSize_ - span_ / 2 - 1;
  }
  cursor_ = std::clamp(cursor_, first_, last_);
}

void VisibleWindow::Respan(int span, Anchor anchor) {
  span_ = span;
  SetVisibleWindow(anchor);
}

void VisibleWindow::ScrollTo(int first) {
  first_ = first;
  SetVisibleWindow(Anchor::kFirst);
}

void VisibleWindow::MoveCursorTo(int channel) {
  cursor_ = std::clamp(channel, 0, softSize_ - 1);
  if (cursor_ < first_) {
    first_ = cursor_;
  } else if (cursor_ > last_) {
    first_ = cursor_ - span_ + 1;
  } else {
    return;
  }
  SetVisibleWindow(Anchor::kFirst);
}

}  // namespace korva
