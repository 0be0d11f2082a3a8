#include "acquisition/acquisition_frame_part.h"

#include <QMainWindow>
#include <QPointer>

#include "acquisition/acquisition_run.h"
#include "acquisition/acquisition_view.h"
#include "common/command_ids.h"
#include "devicelink/instrument_session.h"
#include "devicelink/register_map.h"
#include "spectrum/spectrum_documents.h"
#include "timesync/system_time_services.h"
#include "timesync/time_stamp_dialog.h"

namespace korva {

namespace {

AcquisitionViewLinks LinksOf(const FrameContext& context) {
  return {context.instrument.Engine(), context.spectra, context.timeReference, context.instrument.Log(),
          [&reference = context.timeReference, &services = context.timeServices, &window = context.window] {
            ChooseTimeReference(reference, services.Tools(), &window);
          }};
}

}  // namespace

AcquisitionFramePart::AcquisitionFramePart(const FrameContext& context)
    : context_(context), pane_(std::make_unique<CDocableAcquisitionPane>(LinksOf(context), &context.window)) {
  context_.instrument.Engine().AddObserver(this);
  context_.spectra.activationListeners.push_back([view = QPointer<CAcquisitionView>(View())] {
    if (view) view->UpdateAcquisitionFromRegisters();
  });
  LinkSession& link = context_.instrument.Link();
  connect(&link, &LinkSession::Connected, this, [this] {
    if (CAcquisitionView* view = View()) view->OnConnected();
    pane_->show();
  });
  connect(&link, &LinkSession::Disconnected, this, [this] {
    if (CAcquisitionView* view = View()) view->OnDisconnected();
  });
}

AcquisitionFramePart::~AcquisitionFramePart() { context_.instrument.Engine().RemoveObserver(this); }

CAcquisitionView* AcquisitionFramePart::View() const { return pane_->AcquisitionView(); }

void AcquisitionFramePart::OnRegistersRead(bool) {
  if (CAcquisitionView* view = View()) view->UpdateAcquisitionFromRegisters();
}

void AcquisitionFramePart::OnSpectrumPollingChanged(bool on) {
  if (CAcquisitionView* view = View()) view->ShowAutoUpdate(on);
}

std::vector<FrameCommand> AcquisitionFramePart::Commands() {
  const auto run = [this](void (CAcquisitionView::*command)()) {
    return [this, command] {
      if (CAcquisitionView* view = View()) (view->*command)();
    };
  };
  const auto control = [this] { return context_.spectra.buffer.image.registers[reg::kControl]; };
  const auto canStart = [this, control] {
    return CanStartAcquisition(context_.instrument.Engine().IsConnected(), control(),
                               context_.spectra.BufferActive());
  };
  const auto canStop = [this, control] {
    return CanStopAcquisition(context_.instrument.Engine().IsConnected(), control(),
                              context_.spectra.BufferActive());
  };
  return {
      {command::kStartAcquisition,
       kSpectrumMenu,
       QStringLiteral("Start Spectrum Acquisition"),
       run(&CAcquisitionView::Start),
       {},
       QStyle::SP_MediaPlay,
       kHardwareToolBar,
       true,
       canStart},
      {command::kStopAcquisition,
       kSpectrumMenu,
       QStringLiteral("Stop Spectrum Acquisition"),
       run(&CAcquisitionView::Stop),
       {},
       QStyle::SP_MediaStop,
       kHardwareToolBar,
       false,
       canStop},
      {command::kEraseSpectrum,
       kSpectrumMenu,
       QStringLiteral("Erase Spectrum"),
       run(&CAcquisitionView::Erase),
       {},
       QStyle::SP_TrashIcon,
       kHardwareToolBar,
       false,
       [this] { return context_.spectra.BufferActive(); }},
  };
}

// Beside the TDCR panes, with the amplifier form beside it.
std::vector<FramePane> AcquisitionFramePart::Panes() {
  return {{pane_.get(), Qt::RightDockWidgetArea, nullptr}};
}

}  // namespace korva
