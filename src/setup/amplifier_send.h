#pragma once

#include "devicelink/register_edit.h"
#include "setup/amplifier_setup.h"

namespace korva {

// The send sequence every amplifier control change ends with. Only the
// buffer spectrum's settings can be changed: with a file spectrum active
// nothing is composed or sent. Otherwise the state is composed into the
// engine's register image and sent with `block` through the register-edit
// sequence (read-backs refused meanwhile; nothing sent, and read-backs
// accepted again at once, when the instrument has not answered).
void SendAmplifierChange(CommandEngine& engine, AmplifierSetup& setup, AmplifierSpectrumFields& buffer,
                         bool bufferActive, RegisterBlock block, const AmplifierComposeHooks& hooks = {});

}  // namespace korva
