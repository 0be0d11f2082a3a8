#include "fpga/fpga_link_hold.h"

#include <QEventLoop>
#include <QTimer>

#include "devicelink/link_session.h"

namespace korva {

namespace {

// Processes events, the port's notifications among them, for `ms`.
void ProcessEventsFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

FpgaLinkHold::FpgaLinkHold(LinkSession& link, std::function<void()> onReplyBytes, bool reconnectAfterwards)
    : link_(link), reconnect_(reconnectAfterwards) {
  CommandEngine& engine = link_.Engine();
  pollingBefore_ = engine.SpectrumPolling();
  engine.SetSpectrumPolling(false);
  for (int round = 0; round < kIdleWaitRounds && engine.IsBusy(); ++round) ProcessEventsFor(kIdleWaitMs);
  engine.PrepareConnect();
  link_.SetSerialEventsSuppressed(true);
  link_.SetRawReplySink(std::move(onReplyBytes));
  link_.SetPortOpen(true);
}

FpgaLinkHold::~FpgaLinkHold() {
  link_.SetRawReplySink({});
  link_.SetSerialEventsSuppressed(false);
  // The connect sequence turns polling on; the choice from before the hold
  // is put back after it.
  if (!reconnect_ || link_.Connect()) link_.Engine().SetSpectrumPolling(pollingBefore_);
}

}  // namespace korva
