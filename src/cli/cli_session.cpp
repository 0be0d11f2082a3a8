#include "cli/cli_session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace korva {

CliSession::CliSession() : log_(clock_), console_(log_), link_(buffer_.image, log_, prompt_) {
  QObject::connect(&ticker_, &QTimer::timeout, [this] { link_.Engine().OnTick(); });
  ticker_.start(200);
}

bool CliSession::ConnectAndWait(const std::string& device, std::uint32_t baudRate) {
  link_.SetPortName(device);
  link_.SetBaudRate(baudRate);
  if (!link_.Connect()) return false;
  return WaitUntil([this] { return link_.Engine().DeviceAnswered(); }, 60000);
}

bool CliSession::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (!done()) {
    if (LinkGivenUp() || elapsed.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

}  // namespace korva
