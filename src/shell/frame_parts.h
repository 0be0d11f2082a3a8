#pragma once

#include <memory>
#include <vector>

#include "forms/frame_context.h"
#include "forms/frame_part.h"

namespace korva {

struct MainFrameServices;

// Every subsystem's part of the main window, in the order their menus,
// panes and engine call-backs come.
std::vector<std::unique_ptr<FramePart>> CreateFrameParts(const FrameContext& context,
                                                         const MainFrameServices& services);

}  // namespace korva
