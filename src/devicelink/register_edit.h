#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "devicelink/command_engine.h"

namespace korva {

using RegisterImage = std::array<std::uint16_t, wire::kRegisterCount>;

// How a view changes a setting, so that a register read already under way
// cannot undo the user's edit: read-backs are refused while the image is
// changed, and accepted again once the write is actually on the line (or at
// once when there is no instrument to send it to).
enum class RegisterBlock { kSettings, kAll };

void EditRegisters(CommandEngine& engine, const std::function<void(RegisterImage&)>& change,
                   RegisterBlock block = RegisterBlock::kSettings);

}  // namespace korva
