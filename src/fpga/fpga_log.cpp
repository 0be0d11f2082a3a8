#include "fpga/fpga_log.h"

namespace korva {

void FpgaLog::Add(std::string_view line) {
  lines_.emplace_back(line);
  if (listener_ != nullptr) listener_->OnLineAdded(lines_.back());
  if (lines_.size() <= kMaxLines) return;
  lines_.pop_front();
  if (listener_ != nullptr) listener_->OnFirstLineRemoved();
}

}  // namespace korva
