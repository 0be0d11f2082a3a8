#include "setup/register_debug_table.h"

#include <algorithm>

namespace korva {

RegisterDebugTable::RegisterDebugTable() {
  for (std::size_t i = 0; i < values_.size(); ++i) values_[i] = static_cast<std::uint16_t>(i * 10);
}

void RegisterDebugTable::Select(std::size_t index) { selected_ = std::min(index, values_.size() - 1); }

RegisterFieldTexts RegisterDebugTable::Show(long value) {
  RegisterFieldTexts texts = RegisterFieldTextsFor(value);
  values_[selected_] = texts.value;
  return texts;
}

bool RegisterDebugTable::CopyFromImage(std::span<const std::uint16_t, kRegisterFileEntries> image,
                                       bool forced) {
  if (!autoRead && !forced) return false;
  std::ranges::copy(image, values_.begin());
  return true;
}

}  // namespace korva
