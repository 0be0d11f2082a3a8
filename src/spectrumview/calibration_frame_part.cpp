#include "spectrumview/calibration_frame_part.h"

#include <QMainWindow>
#include <QPointer>

#include "acquisition/acquisition_settings.h"
#include "acquisition/acquisition_view.h"
#include "common/command_ids.h"
#include "forms/clipboard_picture.h"
#include "spectrum/calibration_settings.h"
#include "spectrum/spectrum_calibration.h"
#include "spectrum/spectrum_documents.h"
#include "spectrum/spectrum_info.h"
#include "spectrumview/calibration_view.h"
#include "spectrumview/spectrum_info_view.h"
#include "spectrumview/spectrum_plot_view.h"
#include "spectrumview/spectrum_wnd.h"

namespace korva {

namespace {

CalibrationViewLinks LinksOf(const FrameContext& context, CSpectrumWnd& pane) {
  return {context.spectra, context.prompt, [&pane] { return pane.ActiveWindow().isVisible(); },
          [&pane] { return pane.ActiveWindow().Display().Window().Cursor(); },
          [&pane] { pane.ActiveWindow().Apply(Repaint::kFull); }};
}

}  // namespace

CalibrationFramePart::CalibrationFramePart(const FrameContext& context, CSpectrumWnd& spectrumPane,
                                           CAcquisitionView* acquisition)
    : context_(context),
      spectrumPane_(spectrumPane),
      calibrationPane_(
          std::make_unique<CDocableCalibrationPane>(LinksOf(context, spectrumPane), &context.window)),
      infoPane_(std::make_unique<CDocableSpectrumInfoPane>(&context.window)) {
  ConnectViews(acquisition);
}

CalibrationFramePart::~CalibrationFramePart() = default;

CCalibrationView* CalibrationFramePart::CalibrationView() const {
  return calibrationPane_->CalibrationView();
}

CSpectrumInfoView* CalibrationFramePart::InfoView() const { return infoPane_->SpectrumInfoView(); }

// The two forms are built when first needed; each, once built, shows the
// spectrum as it then is, and building one builds the other, which it is
// connected to.
void CalibrationFramePart::ConnectViews(CAcquisitionView* acquisition) {
  SpectrumDocuments& spectra = context_.spectra;
  spectra.activationListeners.push_back([pane = QPointer<CDocableCalibrationPane>(calibrationPane_.get())] {
    if (CCalibrationView* view = pane ? pane->CalibrationView() : nullptr) view->LoadPointsIntoView();
  });
  spectra.beforeSaveListeners.push_back([pane = QPointer<CDocableCalibrationPane>(calibrationPane_.get())] {
    if (auto* view = qobject_cast<CCalibrationView*>(pane ? pane->BuiltView() : nullptr)) {
      view->ApplyCheckStatesToSets();
    }
  });
  connect(&spectrumPane_, &CSpectrumWnd::ReadoutsChanged, this, &CalibrationFramePart::UpdateSpectrumInfo);
  connect(calibrationPane_.get(), &DockPane::ViewCreated, this, [this](QWidget* created) {
    auto* calibration = static_cast<CCalibrationView*>(created);
    calibration->LoadPointsIntoView();
    if (CSpectrumInfoView* info = InfoView()) {
      connect(calibration, &CCalibrationView::EnabledChanged, info,
              &CSpectrumInfoView::ShowCalibrationEnabled);
      connect(info, &CSpectrumInfoView::CalibrationClicked, calibration, &CCalibrationView::ClickEnable);
    }
  });
  connect(infoPane_.get(), &DockPane::ViewCreated, this, [this, acquisition](QWidget* created) {
    auto* info = static_cast<CSpectrumInfoView*>(created);
    if (acquisition != nullptr) {
      connect(acquisition, &CAcquisitionView::Decoded, info,
              [info, acquisition] { info->ShowTimesAndRates(acquisition->Readout()); });
    }
    UpdateSpectrumInfo();
    CalibrationView();
  });
}

std::vector<FrameCommand> CalibrationFramePart::Commands() {
  std::vector<FrameCommand> commands;
  for (const bool fileToBuffer : {true, false}) {
    FrameCommand command{
        fileToBuffer ? command::kCopyCalibrationFileToBuffer : command::kCopyCalibrationBufferToFile,
        kSpectrumMenu, fileToBuffer ? QStringLiteral("File to Buffer") : QStringLiteral("Buffer to File"),
        [this, fileToBuffer] { CopyCalibrationBetween(fileToBuffer); }};
    command.submenu = {QStringLiteral("Copy Calibration")};
    commands.push_back(std::move(command));
  }
  FrameCommand plot{command::kCopySpectrumPlot, kEditMenu, QStringLiteral("Spectrum"),
                    [this] { CopyPictureToClipboard(*spectrumPane_.ActiveWindow().viewport()); }};
  FrameCommand window{command::kCopySpectrumWindow, kEditMenu, QStringLiteral("Window"),
                      [this] { CopyPictureToClipboard(spectrumPane_); }};
  plot.submenu = window.submenu = {QStringLiteral("Copy Spectrum")};
  commands.push_back(std::move(plot));
  commands.push_back(std::move(window));
  return commands;
}

// Beside the acquisition and set-up forms.
std::vector<FramePane> CalibrationFramePart::Panes() {
  return {{calibrationPane_.get(), Qt::RightDockWidgetArea, nullptr},
          {infoPane_.get(), Qt::RightDockWidgetArea, nullptr}};
}

// The destination takes the source's records of their current inputs; when
// it is the spectrum in view, the form reloads from it.
void CalibrationFramePart::CopyCalibrationBetween(bool fileToBuffer) {
  SpectrumDocuments& spectra = context_.spectra;
  CSpectrum& from = fileToBuffer ? spectra.file : spectra.buffer;
  CSpectrum& to = fileToBuffer ? spectra.buffer : spectra.file;
  CopyCalibration(from, to);
  if (&to != spectra.active) return;
  if (CCalibrationView* view = CalibrationView()) {
    view->LoadPointsIntoView();
  } else {
    LoadCurrentCalibration(to);
    spectrumPane_.ActiveWindow().Apply(Repaint::kFull);
  }
}

void CalibrationFramePart::UpdateSpectrumInfo() {
  auto* info = qobject_cast<CSpectrumInfoView*>(infoPane_->BuiltView());
  if (info == nullptr) return;
  SpectrumPlotView& window = spectrumPane_.ActiveWindow();
  info->ShowSpectrumInfo(ReadSpectrumInfo(window.Spectrum(), window.Display().Window().Cursor()));
}

// An input changed by the amplifier form reaches the calibration form here.
void CalibrationFramePart::OnTick() {
  if (CCalibrationView* view = CalibrationView()) view->FollowActiveSpectrum();
  UpdateSpectrumInfo();
}

void CalibrationFramePart::RestoreSettings() {
  RestoreCalibration(context_.settings, context_.spectra.buffer);
  if (!context_.spectra.BufferActive()) return;
  if (auto* view = qobject_cast<CCalibrationView*>(calibrationPane_->BuiltView())) view->LoadPointsIntoView();
}

// Check boxes ticked since the last edit are kept too.
void CalibrationFramePart::SaveSettings() {
  if (auto* view = qobject_cast<CCalibrationView*>(calibrationPane_->BuiltView());
      view != nullptr && context_.spectra.BufferActive()) {
    view->ApplyCheckStatesToSets();
  }
  SaveCalibration(context_.settings, context_.spectra.buffer);
}

}  // namespace korva
