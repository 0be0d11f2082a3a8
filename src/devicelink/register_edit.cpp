#include "devicelink/register_edit.h"

namespace korva {

void EditRegisters(CommandEngine& engine, const std::function<void(RegisterImage&)>& change,
                   RegisterBlock block) {
  const CommandEngine::ReadBackHold hold(engine);
  change(engine.Image().registers);
  if (!engine.DeviceAnswered()) return;
  if (block == RegisterBlock::kAll) {
    engine.SendAllRegisters();
  } else {
    engine.SendSettingsRegisters();
  }
}

}  // namespace korva
