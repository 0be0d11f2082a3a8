#pragma once

#include <QObject>
#include <memory>

#include "devicelink/engine_links.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"
#include "spectrum/roi_marking.h"

class QLabel;

namespace korva {

class CSpectrumWnd;
class SpectrumFileDialogs;
class SpectrumPlotView;

// The spectrum windows in the main window: the spectrum pane, the cursor
// and ROI panes of the status bar, File > "Open Spectrum", "Save Spectrum
// As..." and Export Spectrum To > CSV File, and the Spectrum menu (soft
// sizes, colours, ROI mode, Copy ROI, zoom and scale). The buffer window
// is drawn again after every spectrum chunk and on the ticks while the
// spectrum is polled; the colours of both windows are kept in the settings.
class SpectrumFramePart : public QObject, public FramePart, public EngineObserver {
  Q_OBJECT

 public:
  // `dialogs` answers the file commands' questions; file dialogs when null.
  SpectrumFramePart(const FrameContext& context, SpectrumFileDialogs* dialogs);
  ~SpectrumFramePart() override;

  std::vector<FrameCommand> Commands() override;
  std::vector<FramePane> Panes() override;
  void OnTick() override;
  void RestoreSettings() override;
  void SaveSettings() override;

  void OnSpectrumChunk() override;

  CSpectrumWnd& Pane() { return *pane_; }
  QLabel& CursorPane() { return *cursorPane_; }
  QLabel& RoiPane() { return *roiPane_; }
  RoiMode& Mode() { return roiMode_; }

 private:
  std::vector<FrameCommand> FileCommands();
  std::vector<FrameCommand> ExchangeExportCommands();
  std::vector<FrameCommand> SpectrumCommands();
  std::vector<FrameCommand> ViewCommands();
  void OnOpenSpectrum();
  void OnColour();
  void CopyRoiBetween(bool fileToBuffer);
  void ShowReadouts();
  // The buffer window, when it is the one shown.
  SpectrumPlotView* ShownBufferWindow();

  FrameContext context_;
  std::unique_ptr<SpectrumFileDialogs> ownDialogs_;
  SpectrumFileDialogs& dialogs_;
  RoiMode roiMode_ = RoiMode::kMarkOver;
  std::unique_ptr<CSpectrumWnd> pane_;
  QLabel* cursorPane_;
  QLabel* roiPane_;
};

}  // namespace korva
