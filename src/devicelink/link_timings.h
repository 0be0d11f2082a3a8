#pragma once

#include <cstdint>
#include <string_view>

#include "devicelink/reply_timeout.h"

namespace korva {

class SettingsStore;

// How long the link waits before it repeats a request, gives an instrument
// up, or takes a probed port's silence for "no instrument here". The
// defaults are the program's own; a settings store may shorten them (the
// test suite does, so that a give-up takes a fraction of a second instead
// of twenty).
struct LinkTimings {
  // 200 ms ticks a request may wait for its reply at least (longer when the
  // line's wire time needs it, see ReplyTimeoutTicks).
  std::uint16_t minimumReplyTicks = kMinimumReplyTimeoutTicks;
  // The pause before a request is repeated.
  int repeatPauseMs = 1000;
  // Port Finder: a freshly opened port settles this long before its probe,
  // and the probe then waits four ticks of `probeTickMs` for its reply.
  int portSettleMs = 2000;
  int probeTickMs = 300;
};

// Where the link keeps its timings: DWORD values "ReplyTimeoutTicks",
// "RepeatPauseMs", "PortSettleMs" and "ProbeTickMs". None is written by the
// program; an absent or zero value keeps the default.
inline constexpr std::string_view kLinkSettingsPath = "\\Korva-TDCR\\Link";

LinkTimings ReadLinkTimings(SettingsStore& store);

}  // namespace korva
