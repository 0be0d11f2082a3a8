#include "setup/amplifier_send.h"

namespace korva {

void SendAmplifierChange(CommandEngine& engine, AmplifierSetup& setup, AmplifierSpectrumFields& buffer,
                         bool bufferActive, RegisterBlock block, const AmplifierComposeHooks& hooks) {
  if (!bufferActive) return;
  EditRegisters(
      engine, [&](RegisterImage& registers) { setup.Compose(registers, buffer, hooks); }, block);
}

}  // namespace korva
