#include "devicelink/port_search.h"

#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "common/event_log.h"
#include "devicelink/device_image.h"
#include "devicelink/link_session.h"

namespace korva {

std::string FoundEntryText(const std::string& friendlyName, unsigned serialNumber) {
  char serial[32];
  std::snprintf(serial, sizeof serial, " -> SN: %05u", serialNumber);
  return friendlyName + serial;
}

PortSearch::PortSearch(LinkSession& session, EventLog& log, Enumerator enumerate, QObject* parent)
    : QObject(parent), session_(session), log_(log), enumerate_(std::move(enumerate)) {}

std::vector<PortSearch::Found> PortSearch::Run() {
  QTimer ticker;
  connect(&ticker, &QTimer::timeout, this, [this] { ++tickCounter_; });
  ticker.start(session_.Timings().probeTickMs);
  log_.AddLine("Find Timer Started");
  searching_ = true;

  CommandEngine& engine = session_.Engine();
  engine.SetSpectrumPolling(false);
  if (session_.Port().IsOpen()) session_.Port().Close();
  session_.SetBaudRate(LinkSession::kAutoConnectBaudRate);
  session_.SetSearching(true);

  const std::vector<SerialPortRecord> records = enumerate_();
  emit ProgressRangeChanged(static_cast<int>(records.size()) + 1);
  std::vector<Found> found;
  for (std::size_t i = 0; i < records.size() && searching_; ++i) {
    emit ProgressAdvanced(static_cast<int>(i) + 1);
    log_.AddLine("Searching...");
    Found instrument;
    if (ProbePort(records[i], instrument)) {
      found.push_back(instrument);
      emit InstrumentFound(QString::fromStdString(instrument.entryText));
    }
  }

  session_.SetSearching(false);
  ticker.stop();
  log_.AddLine("Find Timer Stopped");
  searching_ = false;
  return found;
}

bool PortSearch::ProbePort(const SerialPortRecord& record, Found& found) {
  CommandEngine& engine = session_.Engine();
  CSerialWnd& port = session_.Port();
  const std::string device = DevicePathFromFriendlyName(record.friendlyName);
  session_.SetPortName(device);
  if (port.Open(device, &session_, 0, 0, kProbeQueueSize, kProbeQueueSize) != error_code::kSuccess) {
    log_.AddLine("Unable to open: " + record.friendlyName);
    engine.PrepareConnect();
    return false;
  }
  engine.BeginProbe();
  session_.SetPortOpen(true);
  log_.AddLine("Trying: " + record.friendlyName);
  port.Setup(LinkSession::kAutoConnectBaudRate, 8, CSerial::Parity::kNone, CSerial::StopBits::kOne);
  port.SetEventMask(0x0081);
  port.SetHandshaking(CSerial::Handshake::kRtsCts);
  port.Purge();
  DrainLink(port);

  WaitMs(session_.Timings().portSettleMs);
  engine.RequestProbeRead();
  WaitTicks(kProbeTicks);

  const bool answered = !engine.HasError();
  if (answered) {
    found.friendlyName = record.friendlyName;
    found.entryText = FoundEntryText(record.friendlyName, engine.Image().serialNumber);
    log_.AddLine("Found: " + found.entryText);
  }
  engine.PrepareConnect();
  session_.SetPortOpen(false);
  port.Close();
  return answered;
}

void PortSearch::WaitMs(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

void PortSearch::WaitTicks(int ticks) {
  tickCounter_ = 0;
  QEventLoop loop;
  QTimer poll;
  connect(&poll, &QTimer::timeout, &loop, [&] {
    if (tickCounter_ >= ticks) loop.quit();
  });
  poll.start(20);
  loop.exec();
}

}  // namespace korva
