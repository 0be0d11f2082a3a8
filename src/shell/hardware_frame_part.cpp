#include "shell/hardware_frame_part.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "common/command_ids.h"
#include "common/prompt.h"
#include "devicelink/hardware_identity.h"
#include "devicelink/instrument_session.h"
#include "devicelink/port_dialog.h"
#include "devicelink/port_finder_dialog.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

namespace {

constexpr const char* kReplaceUnsavedQuestion =
    "The buffer spectrum holds counts that are not saved.\n"
    "Connecting loads the instrument's memory in their place. Connect anyway?";

}  // namespace

HardwareFramePart::HardwareFramePart(const FrameContext& context, Enumerator enumerate)
    : context_(context), enumerate_(std::move(enumerate)), linkState_(new QLabel(&context.window)) {
  // A permanent pane: a menu's status tip replaces the temporary message,
  // never the link state.
  linkState_->setObjectName(QStringLiteral("linkState"));
  linkState_->setMinimumWidth(1);  // takes its text's width when there is room, never widens the window
  context_.window.statusBar()->insertPermanentWidget(0, linkState_);
  LinkSession& link = context_.instrument.Link();
  connect(&link, &LinkSession::Connected, this, &HardwareFramePart::ShowLinkState);
  connect(&link, &LinkSession::Disconnected, this, &HardwareFramePart::ShowLinkState);
  ShowLinkState();
}

bool HardwareFramePart::Connected() const { return context_.instrument.Engine().IsConnected(); }

std::vector<FrameCommand> HardwareFramePart::Commands() {
  const SpectrumDocuments& spectra = context_.spectra;
  auto bufferActive = [&spectra] { return spectra.BufferActive(); };
  return {
      {command::kPort, kHardwareMenu, QStringLiteral("&Port"), [this] { OnPort(); },
       QKeySequence(Qt::CTRL | Qt::Key_P), QStyle::SP_DriveNetIcon, kHardwareToolBar, false, bufferActive},
      {command::kAutoConnect, kHardwareMenu, QStringLiteral("&AutoConnect"), [this] { OnAutoConnect(); },
       QKeySequence(Qt::CTRL | Qt::Key_A), QStyle::SP_BrowserReload, kHardwareToolBar, false,
       [this, bufferActive] { return !Connected() && bufferActive(); }},
      {command::kConnect, kHardwareMenu, QStringLiteral("&Connect"), [this] { OnConnect(); },
       QKeySequence(Qt::CTRL | Qt::Key_C), QStyle::SP_DialogApplyButton, kHardwareToolBar, false,
       [this, bufferActive] { return !Connected() && bufferActive(); }},
      {command::kDisconnect, kHardwareMenu, QStringLiteral("&Disconnect"), [this] { OnDisconnect(); },
       QKeySequence(Qt::CTRL | Qt::Key_D), QStyle::SP_DialogCancelButton, kHardwareToolBar, false,
       [this, bufferActive] { return Connected() && bufferActive(); }},
      {command::kAboutHardware,
       kHardwareMenu,
       QStringLiteral("About Hardware"),
       [this] { OnAboutHardware(); },
       {},
       QStyle::SP_MessageBoxInformation,
       kStandardToolBar,
       true,
       [this, &spectra] { return Connected() || spectra.FileActive(); }},
  };
}

void HardwareFramePart::ShowLinkState() {
  linkState_->setText(Connected() ? QStringLiteral("Connected to %1")
                                        .arg(QString::fromStdString(context_.instrument.Link().PortName()))
                                  : QStringLiteral("Not connected"));
}

void HardwareFramePart::OnPort() {
  if (portDialog_ == nullptr) portDialog_ = new CComPortDlg(enumerate_, &context_.window);
  if (portDialog_->exec() != QDialog::Accepted) return;
  LinkSession& link = context_.instrument.Link();
  link.SetPortName(portDialog_->PortName());
  link.SetBaudRate(portDialog_->BaudText().toUInt());
  context_.instrument.Log().AddLine("Set port: " + portDialog_->PortName());
}

void HardwareFramePart::OnAutoConnect() {
  if (!MayReplaceBuffer()) return;
  LinkSession& link = context_.instrument.Link();
  link.SetSerialEventsSuppressed(false);
  {
    const CommandEngine::ReadBackHold hold(link.Engine());
    CFindComPort finder(link, context_.instrument.Log(), enumerate_, &context_.window);
    if (finder.exec() != QDialog::Accepted) return;
    link.SetPortName(finder.PortName());
  }
  context_.instrument.Log().AddLine(link.PortName());
  link.SetBaudRate(LinkSession::kAutoConnectBaudRate);
  link.Connect();
}

void HardwareFramePart::OnConnect() {
  if (MayReplaceBuffer()) context_.instrument.Link().Connect();
}

bool HardwareFramePart::MayReplaceBuffer() {
  return !context_.spectra.BufferHoldsUnsavedCounts() || context_.prompt.AskYesNo(kReplaceUnsavedQuestion);
}

void HardwareFramePart::OnDisconnect() { context_.instrument.Link().Disconnect(); }

void HardwareFramePart::OnAboutHardware() {
  const AboutHardwareMessage message =
      AboutHardware(context_.spectra.active->image, context_.spectra.buffer.image);
  context_.prompt.ShowMessage(message.title, message.text);
}

// Read-backs stop before the link closes, so nothing half-read reaches the
// image while the computer sleeps.
void HardwareFramePart::OnSuspend() {
  LinkSession& link = context_.instrument.Link();
  const CommandEngine::ReadBackHold hold(link.Engine());
  if (link.IsPortOpen() || link.Engine().IsConnected()) link.RunDisconnectSequence();
}

}  // namespace korva
