#pragma once

#include <array>

namespace korva {

// The nine visual styles of View > Application Look, by command id.
struct ApplicationLook {
  int commandId;
  const char* menuText;
};

inline constexpr std::array<ApplicationLook, 9> kApplicationLooks = {{
    {32865, "Style &1"},
    {32866, "Style &2"},
    {32868, "Style &3"},
    {32871, "Style &4"},
    {32876, "Style &5"},
    {32877, "&Blue Style"},
    {32878, "B&lack Style"},
    {32879, "&Silver Style"},
    {32880, "&Aqua Style"},
}};

inline constexpr int kDefaultApplicationLook = 32878;

bool IsApplicationLook(int commandId);

// Applies the style to the whole application (Fusion with the look's palette).
void ApplyApplicationLook(int commandId);

}  // namespace korva
