#include "devicelink/instrument_session.h"

namespace korva {

InstrumentSession::InstrumentSession(DeviceImage& image, Prompt& prompt, QObject* parent)
    : QObject(parent), log_(clock_), link_(image, log_, prompt) {
  connect(&timer_, &QTimer::timeout, this, [this] {
    link_.Engine().OnTick();
    emit Ticked();
  });
}

}  // namespace korva
