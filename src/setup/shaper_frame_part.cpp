#include "setup/shaper_frame_part.h"

#include <QMainWindow>
#include <QPointer>

#include "devicelink/instrument_session.h"
#include "setup/pha_view.h"
#include "setup/shaper_view.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

ShaperFramePart::ShaperFramePart(const FrameContext& context)
    : context_(context),
      shaperPane_(std::make_unique<CDocableShaperPane>(context.instrument.Engine(), context.spectra,
                                                       &context.window)),
      phaPane_(
          std::make_unique<CDocablePHAPane>(context.instrument.Engine(), context.spectra, &context.window)) {
  // The shaper is the form of the instrument's usual mode; the first
  // register read shows the pane of its actual mode.
  phaPane_->hide();
  context_.instrument.Engine().AddObserver(this);
  SetupLinks& links = context_.spectra.setupLinks;
  links.normalisationCompose = [this](RegisterImage& registers) {
    if (CShaperView* shaper = ShaperView()) shaper->ComposeNormalisation(registers);
  };
  links.inputClassChanged = [this](bool inputE) { OnInputClassChanged(inputE); };
  connect(phaPane_.get(), &DockPane::ViewCreated, this, [this](QWidget* pha) {
    static_cast<CPHAView*>(pha)->onBlrApplied = [this](int value, bool sym) {
      if (CShaperView* shaper = ShaperView()) {
        shaper->Setup().TakeBlrSlow(value, sym);
        shaper->Show();
      }
    };
  });
  // The listener may outlive the forms (the documents outlive the panes).
  // The thresholds are shown again whatever their cache holds: the newly
  // active spectrum, or its new soft size, may have another channel width.
  context_.spectra.activationListeners.push_back(
      [shaperPane = QPointer<CDocableShaperPane>(shaperPane_.get()),
       phaPane = QPointer<CDocablePHAPane>(phaPane_.get())] {
        if (CShaperView* shaper = shaperPane ? shaperPane->ShaperView() : nullptr) {
          shaper->Setup().MarkThresholds();
          shaper->Refresh();
        }
        if (CPHAView* pha = phaPane ? phaPane->PhaView() : nullptr) {
          pha->Setup().MarkThreshold();
          pha->UpdatePhaFromRegisters();
        }
      });
  connect(&context_.instrument.Link(), &LinkSession::Connected, this, [this] {
    if (CShaperView* shaper = ShaperView()) shaper->Setup().MarkFullRefresh();
    if (CPHAView* pha = PhaView()) pha->Setup().MarkThreshold();
  });
}

ShaperFramePart::~ShaperFramePart() {
  context_.instrument.Engine().RemoveObserver(this);
  SetupLinks& links = context_.spectra.setupLinks;
  links.normalisationCompose = nullptr;
  links.inputClassChanged = nullptr;
}

CShaperView* ShaperFramePart::ShaperView() const { return shaperPane_->ShaperView(); }
CPHAView* ShaperFramePart::PhaView() const { return phaPane_->PhaView(); }

// A form that could not be created shows its failure text in its pane; the
// other form still decodes, and no copy is made.
void ShaperFramePart::OnRegistersRead(bool phaMode) {
  ShowMode(phaMode);
  CShaperView* shaper = ShaperView();
  CPHAView* pha = PhaView();
  if (phaMode) {
    if (pha) pha->UpdatePhaFromRegisters();
    if (pha && shaper) {
      shaper->Setup().TakeSlowThreshold(pha->Setup().Controls().threshold);
      shaper->Show();
    }
  } else {
    if (shaper) shaper->Refresh();
    if (pha && shaper) {
      pha->Setup().TakeThreshold(shaper->Setup().Controls().Field(ShaperField::kSlowThreshold));
      pha->Show();
    }
  }
}

// The panes change only when the mode does, so a pane the user closed
// stays closed while the mode holds.
void ShaperFramePart::ShowMode(bool phaMode) {
  if (phaMode_ == phaMode) return;
  phaMode_ = phaMode;
  phaPane_->setVisible(phaMode);
  shaperPane_->setVisible(!phaMode);
  (phaMode ? static_cast<QWidget*>(phaPane_.get()) : shaperPane_.get())->raise();
}

// The amplifier's input class changed: the shaper shows that class's
// unfolding set, and the form of the new mode re-shows its threshold.
void ShaperFramePart::OnInputClassChanged(bool inputE) {
  CShaperView* shaper = ShaperView();
  if (context_.spectra.active->amplifier.pha) {
    if (CPHAView* pha = PhaView()) pha->Setup().MarkThreshold();
  } else if (shaper != nullptr) {
    shaper->Setup().MarkThresholds();
  }
  if (shaper != nullptr) shaper->SetUnfoldingSet(inputE);
}

// Beside the amplifier form, one of the two shown at a time.
std::vector<FramePane> ShaperFramePart::Panes() {
  return {{shaperPane_.get(), Qt::RightDockWidgetArea, nullptr},
          {phaPane_.get(), Qt::RightDockWidgetArea, nullptr}};
}

}  // namespace korva
