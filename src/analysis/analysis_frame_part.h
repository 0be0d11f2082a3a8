#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>

#include "analysis/live_analysis.h"
#include "analysis/provenance.h"
#include "devicelink/engine_links.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"

namespace korva {

class SettingsStore;

class AnalysisView;
class CommandEngine;
class DockPane;
class TdcrWorkbench;

// The TDCR analysis in the main window: the "TDCR ANALYSIS" pane, which
// follows the live measurement (taken again after each spectrum chunk that
// changed the completed runs) or shows a saved one opened by File > "Open
// TDCR Measurement..." or from HISTORY, and File > "Export Analysis...".
class AnalysisFramePart : public QObject, public FramePart, private EngineObserver {
  Q_OBJECT

 public:
  // Asks for a file: the background to open, or the export's name; an
  // empty path when the user cancels.
  using FileChooser = std::function<std::filesystem::path(bool forExport)>;

  // `tdcr` is the TDCR part's workbench, built on the same engine; the
  // file dialogs when `chooseFile` is empty.
  AnalysisFramePart(const FrameContext& context, TdcrWorkbench& tdcr, FileChooser chooseFile = {});
  ~AnalysisFramePart() override;

  std::vector<FrameCommand> Commands() override;
  std::vector<FramePane> Panes() override;
  void RestoreSettings() override;
  void SaveSettings() override;

  DockPane& Pane() { return *pane_; }
  // The form, or null when it could not be created.
  AnalysisView* View() const;
  const LiveAnalysis& Analysis() const { return live_; }

  // Shows a saved measurement's analysis in the pane in place of the live
  // one; false after the reason it could not be read was shown.
  bool OpenMeasurement(const std::filesystem::path& tdcFile);

  // The export's two files from the chosen name; false after the failure
  // was shown.
  bool ExportTo(const std::filesystem::path& chosen);
  // The PDF report of the analysis shown; false after the failure was shown.
  bool ReportTo(const std::filesystem::path& pdf);

  // A user's beta spectrum from `file`, with the half-life (or the known
  // nuclide) `halfLife` names, becomes the nuclide analysed; false after
  // the failure was shown.
  bool LoadSpectrum(const std::filesystem::path& file, const std::string& halfLife);

 private:
  void OnSpectrumChunk() override;
  void Show();
  void ShowSampleInTitle();
  void ExportAnalysis();
  void ExportReport();
  void OpenVariation();
  Provenance CurrentProvenance() const;
  void BrowseBackground();
  void ChooseSpectrum();
  std::filesystem::path ChooseFile(bool forExport, const QString& openTitle = {});

  CommandEngine& engine_;
  Prompt& prompt_;
  SettingsStore& settings_;
  QWidget& window_;
  const TimeReferenceState& timeReference_;
  FileChooser chooseFile_;
  LiveAnalysis live_;
  std::unique_ptr<DockPane> pane_;
};

}  // namespace korva
