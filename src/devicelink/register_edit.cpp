#include "devicelink/register_edit.h"

namespace korva {

void EditRegisters(CommandEngine& engine, const std::function<void(RegisterImage&)>& change,
                   RegisterBlock block) {
  DeviceImage& image = engine.Image();
  image.acceptReadBack = false;
  change(image.registers);
  if (!engine.DeviceAnswered()) {
    image.acceptReadBack = true;
    return;
  }
  if (block == RegisterBlock::kAll) {
    engine.SendAllRegisters();
  } else {
    engine.SendSettingsRegisters();
  }
}

}  // namespace korva
