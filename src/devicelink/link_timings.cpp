#include "devicelink/link_timings.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "common/settings_store.h"

namespace korva {

namespace {

// A stored value in 1..`largest`, or `fallback` when it is absent or zero.
template <typename T>
T StoredOr(SettingsStore& store, std::string_view name, T fallback, std::uint32_t largest) {
  const std::optional<std::uint32_t> value = store.ReadDword(kLinkSettingsPath, name);
  if (!value || *value == 0) return fallback;
  return static_cast<T>(std::min(*value, largest));
}

}  // namespace

LinkTimings ReadLinkTimings(SettingsStore& store) {
  constexpr std::uint32_t kLongestMs = 600000;
  const LinkTimings defaults;
  LinkTimings timings;
  timings.minimumReplyTicks = StoredOr(store, "ReplyTimeoutTicks", defaults.minimumReplyTicks,
                                       std::numeric_limits<std::uint16_t>::max());
  timings.repeatPauseMs = StoredOr(store, "RepeatPauseMs", defaults.repeatPauseMs, kLongestMs);
  timings.portSettleMs = StoredOr(store, "PortSettleMs", defaults.portSettleMs, kLongestMs);
  timings.probeTickMs = StoredOr(store, "ProbeTickMs", defaults.probeTickMs, kLongestMs);
  return timings;
}

}  // namespace korva
