#include "sim/tdcr_coincidence_window.h"

namespace korva::sim {

void TdcrCoincidenceWindow::Add(double timeNs, int channel) {
  CloseBefore(timeNs);
  if (channels_ == 0) openedAt_ = timeNs;
  channels_ = static_cast<std::uint8_t>(channels_ | 1u << channel);
}

void TdcrCoincidenceWindow::CloseBefore(double timeNs) {
  if (channels_ != 0 && timeNs > openedAt_ + windowNs_) Close();
}

void TdcrCoincidenceWindow::Close() {
  const bool a = channels_ & 1;
  const bool b = channels_ & 2;
  const bool c = channels_ & 4;
  counts_.ab += a && b;
  counts_.bc += b && c;
  counts_.ac += a && c;
  counts_.t += a && b && c;
  counts_.d += (a + b + c) >= 2;
  channels_ = 0;
}

}  // namespace korva::sim
