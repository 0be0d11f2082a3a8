#include "setup/amplifier_frame_part.h"

#include <QMainWindow>
#include <QPointer>

#include "devicelink/instrument_session.h"
#include "setup/amplifier_view.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

AmplifierFramePart::AmplifierFramePart(const FrameContext& context)
    : context_(context),
      pane_(std::make_unique<CDocableAmplifierPane>(context.instrument.Engine(), context.spectra,
                                                    &context.window)) {
  context_.instrument.Engine().AddObserver(this);
  context_.spectra.activationListeners.push_back([pane = QPointer<CDocableAmplifierPane>(pane_.get())] {
    if (CAmplifierView* view = pane ? pane->AmplifierView() : nullptr) view->Refresh();
  });
  connect(&context_.instrument.Link(), &LinkSession::Connected, this, [this] {
    if (CAmplifierView* view = View()) view->OnConnected();
    pane_->show();
  });
}

AmplifierFramePart::~AmplifierFramePart() { context_.instrument.Engine().RemoveObserver(this); }

CAmplifierView* AmplifierFramePart::View() const { return pane_->AmplifierView(); }

void AmplifierFramePart::OnRegistersRead(bool) {
  if (CAmplifierView* view = View()) view->Refresh();
}

// Beside the acquisition form.
std::vector<FramePane> AmplifierFramePart::Panes() {
  return {{pane_.get(), Qt::RightDockWidgetArea, nullptr}};
}

}  // namespace korva
