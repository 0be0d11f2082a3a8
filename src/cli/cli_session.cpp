#include "cli/cli_session.h"

#include <QEventLoop>
#include <iostream>

#include "devicelink/link_timings.h"
#include "qtadapters/qt_settings_store.h"
#include "timesync/time_stamp_session.h"

namespace korva {

namespace {

// Three calibration rounds of 18 register reads, with room for slow links.
constexpr int kCalibrationWaitMs = 120000;
constexpr int kFirstAnswerWaitMs = 60000;

}  // namespace

bool ReportFailure(const std::string& message) {
  std::cerr << message << '\n';
  return false;
}

CliSession::CliSession() : instrument_(buffer_.image, prompt_), console_(instrument_.Log()) {
  QtSettingsStore settings;
  Link().SetTimings(ReadLinkTimings(settings));
  QObject::connect(&Link(), &LinkSession::LineHungUp, [this] { lineHungUp_ = true; });
  instrument_.StartTicking();
}

bool CliSession::ConnectAndWait(const std::string& device, std::uint32_t baudRate) {
  Link().SetPortName(device);
  Link().SetBaudRate(baudRate);
  if (!Link().Connect()) return false;
  return WaitUntil([this] { return Engine().DeviceAnswered(); }, kFirstAnswerWaitMs);
}

bool CliSession::SettleThresholdCalibration() {
  CommandEngine& engine = Engine();
  engine.SetSpectrumPolling(false);
  const bool settled = WaitUntil(
      [&engine] {
        if (engine.Image().calibration.Settled()) return true;
        if (!engine.IsBusy() && !engine.IsRepeatPending()) engine.RequestAllRegisters();
        return false;
      },
      kCalibrationWaitMs);
  engine.SetSpectrumPolling(true);
  if (settled) engine.RequestSpectrumChunk();
  return settled;
}

bool CliSession::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  if (done()) return true;
  if (LinkGivenUp()) return false;
  QEventLoop loop;
  bool held = false;
  const auto examine = [&] {
    held = done();
    if (held || LinkGivenUp()) loop.quit();
  };
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&instrument_, &InstrumentSession::Ticked, &loop, examine);
  QObject::connect(&Link(), &LinkSession::SerialNotificationHandled, &loop, examine);
  deadline.start(timeoutMs);
  loop.exec();
  return held;
}

bool CliSession::SettleWrites(const std::function<int()>& registerReads) {
  CommandEngine& engine = Engine();
  const bool sent = WaitUntil(
      [&engine] {
        return !engine.WritePending() &&
               !(engine.IsBusy() && engine.Kind() == CommandEngine::TransactionKind::kRegisterWrite);
      },
      kReplyWaitMs);
  if (!sent) return false;
  const int readsBefore = registerReads();
  return WaitUntil([&] { return registerReads() >= readsBefore + 2; }, kReplyWaitMs);
}

void CliSession::Disconnect() {
  if (Link().IsPortOpen()) Link().Disconnect();
}

bool CliSession::ChooseReference(TimeReferenceKind kind, const std::string& ntpServer) {
  if (kind != TimeReferenceKind::kUtc) {
    reference_.Choose(kind, 0);
    return true;
  }
  TimeStampSession query(services_.Tools());
  for (const std::string& line : query.GetUtc(ntpServer)) std::cerr << line << '\n';
  if (!query.QueryGood()) return ReportFailure("Failed to retreive time from: " + ntpServer);
  reference_.Choose(TimeReferenceKind::kUtc, query.LastOffset(), query.LastServer());
  return true;
}

InstrumentProvenance CliSession::InstrumentNow() {
  CommandEngine& engine = Engine();
  InstrumentProvenance now = engine.DeviceAnswered() ? InstrumentOf(engine.Image()) : InstrumentProvenance{};
  if (!reference_.MustChoose()) SetTimeReference(now, reference_);
  return now;
}

}  // namespace korva
