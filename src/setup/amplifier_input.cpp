#include "setup/amplifier_input.h"

#include "devicelink/register_map.h"

namespace korva {

namespace {
// The list holds four inputs per class, in the order of the register field.
constexpr unsigned kInputNumberMask = reg::tdcr_control::kMcaInputMask;
}  // namespace

McaInput McaInputOfListIndex(int listIndex) {
  if (listIndex < 0 || listIndex >= static_cast<int>(kMcaInputTexts.size())) listIndex = 0;
  return McaInput{static_cast<int>(static_cast<unsigned>(listIndex) & kInputNumberMask),
                  listIndex >= kFirstPhaListIndex && listIndex < kInputEListIndex,
                  listIndex == kInputEListIndex};
}

int ListIndexOfMcaInput(const McaInput& input) {
  if (input.inputE) return kInputEListIndex;
  const int number = static_cast<int>(static_cast<unsigned>(input.number) & kInputNumberMask);
  return input.pha ? number + kFirstPhaListIndex : number;
}

std::uint16_t WithMcaInputNumber(std::uint16_t register83, int number) {
  return static_cast<std::uint16_t>((register83 & ~kInputNumberMask) |
                                    (static_cast<unsigned>(number) & kInputNumberMask));
}

int McaInputNumber(std::uint16_t register83) { return static_cast<int>(register83 & kInputNumberMask); }

}  // namespace korva
