#pragma once

#include <functional>
#include <string>

#include "forms/dock_pane.h"
#include "spectrum/roi_marking.h"
#include "spectrum/spectrum_documents.h"

class QTabWidget;

namespace korva {

class SpectrumPlotView;

// The spectrum pane: the "BUFFER" and "FILE" tabs, one spectrum window
// each. Showing a tab (or giving its window the focus) makes its record the
// active spectrum. The pane caption is the active spectrum's caption; the
// main window's caption names what is shown: the input name, then " @ "
// and the connection for the buffer spectrum of a connected instrument, or
// " @ " and the file spectrum's caption.
class CSpectrumWnd : public DockPane {
  Q_OBJECT

 public:
  static constexpr int kBufferTab = 0;
  static constexpr int kFileTab = 1;

  // `connection` gives the connection text of a connected instrument, or an
  // empty text. The pane docks in `mainWindow` and keeps its caption.
  CSpectrumWnd(SpectrumDocuments& spectra, const RoiMode& roiMode, std::function<std::string()> connection,
               QWidget& mainWindow);

  QTabWidget& Tabs() const;
  SpectrumPlotView& BufferWindow() const;
  SpectrumPlotView& FileWindow() const;
  // The window of the active spectrum.
  SpectrumPlotView& ActiveWindow() const;

  // After "Open Spectrum": the FILE tab at hard and soft size 4096.
  void ShowFileSpectrum();
  void ActivateWindow(SpectrumPlotView& window);
  void UpdateCaption();

 signals:
  // The cursor, the counts under it or the marks of the shown window changed.
  void ReadoutsChanged();

 private:
  SpectrumPlotView& Window(int tab) const;

  std::string MainWindowCaption() const;

  SpectrumDocuments& spectra_;
  std::function<std::string()> connection_;
  QWidget& mainWindow_;
};

}  // namespace korva
