#pragma once

#include <functional>

namespace korva {

class LinkSession;

// The FPGA programming borrows the instrument's port from the command
// engine for the lifetime of a hold. Taking it: spectrum polling off; up to
// 10 rounds of 100 ms of event processing while a transaction is still in
// flight; then the engine is stopped outright (nothing pending, nothing in
// flight), so a late time-out can neither send a repeat into the transfer
// nor close the port under it; serial events suppressed, and the port's
// received-characters notifications handed to `onReplyBytes`. Giving it
// back: the notifications return to the engine, serial events are no
// longer suppressed, polling is as it was before the hold, and Connect
// runs when asked for (the program reconnects; the headless tool just
// closes the link).
//
// The caller has checked that the instrument answered since the connect.
class FpgaLinkHold {
 public:
  static constexpr int kIdleWaitRounds = 10;
  static constexpr int kIdleWaitMs = 100;

  FpgaLinkHold(LinkSession& link, std::function<void()> onReplyBytes, bool reconnectAfterwards);
  ~FpgaLinkHold();
  FpgaLinkHold(const FpgaLinkHold&) = delete;
  FpgaLinkHold& operator=(const FpgaLinkHold&) = delete;

 private:
  LinkSession& link_;
  bool reconnect_;
  bool pollingBefore_ = true;
};

}  // namespace korva
