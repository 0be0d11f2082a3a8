#include "analysis/analysis_frame_part.h"

#include <QFileDialog>
#include <QMainWindow>

#include "analysis/analysis_export.h"
#include "analysis/analysis_json.h"
#include "analysis/analysis_report.h"
#include "analysis/analysis_settings_store.h"
#include "analysis/analysis_view.h"
#include "analysis/provenance_json.h"
#include "common/command_ids.h"
#include "common/prompt.h"
#include "devicelink/instrument_session.h"
#include "forms/dock_pane.h"
#include "tdcr/tdcr_workbench.h"
#include "timesync/time_reference.h"

namespace korva {

AnalysisFramePart::AnalysisFramePart(const FrameContext& context, TdcrWorkbench& tdcr, FileChooser chooseFile)
    : engine_(context.instrument.Engine()),
      prompt_(context.prompt),
      settings_(context.settings),
      window_(context.window),
      timeReference_(context.timeReference),
      chooseFile_(std::move(chooseFile)),
      live_(tdcr.Measurement(), engine_.Image()),
      pane_(std::make_unique<DockPane>(
          QStringLiteral("TDCR ANALYSIS"), QStringLiteral("TdcrAnalysisPane"),
          [](QWidget* parent) { return new AnalysisView(parent); },
          QStringLiteral("Failed in creating TDCR Analysis View"), &context.window)) {
  if (AnalysisView* view = View()) {
    connect(view, &AnalysisView::SettingsChanged, this, [this, view] {
      live_.SetSettings(view->Settings());
      Show();
    });
    connect(view, &AnalysisView::BrowseBackground, this, &AnalysisFramePart::BrowseBackground);
    connect(view, &AnalysisView::ClearBackground, this, [this] {
      live_.ClearBackground();
      Show();
    });
    connect(view, &AnalysisView::ExportRequested, this, &AnalysisFramePart::ExportAnalysis);
    live_.SetSettings(view->Settings());
    Show();
  }
  connect(&context.instrument.Link(), &LinkSession::Connected, pane_.get(), &QWidget::show);
  engine_.AddObserver(this);
}

AnalysisFramePart::~AnalysisFramePart() { engine_.RemoveObserver(this); }

AnalysisView* AnalysisFramePart::View() const { return qobject_cast<AnalysisView*>(pane_->View()); }

std::vector<FrameCommand> AnalysisFramePart::Commands() {
  return {{command::kOpenTdcrMeasurement, QStringLiteral("&File"), QStringLiteral("Open TDCR Measurement..."),
           [this] {
             const std::filesystem::path path = ChooseFile(false, QStringLiteral("Open TDCR Measurement"));
             if (!path.empty()) OpenMeasurement(path);
           }},
          {command::kFollowLiveAnalysis,
           QStringLiteral("&File"),
           QStringLiteral("Analyse Live Measurement"),
           [this] {
             live_.FollowLive();
             ShowSampleInTitle();
             Show();
           },
           {},
           std::nullopt,
           {},
           false,
           [this] { return live_.ShowsSaved(); }},
          {command::kExportAnalysis, QStringLiteral("&File"), QStringLiteral("Export Analysis..."),
           [this] { ExportAnalysis(); }}};
}

bool AnalysisFramePart::OpenMeasurement(const std::filesystem::path& tdcFile) {
  if (const auto error = live_.OpenSaved(tdcFile)) {
    prompt_.ShowError("Cannot open the TDCR measurement " + *error);
    return false;
  }
  ShowSampleInTitle();
  Show();
  pane_->show();
  pane_->raise();
  return true;
}

// The pane's caption names the saved measurement it shows.
void AnalysisFramePart::ShowSampleInTitle() {
  const QString title = QStringLiteral("TDCR ANALYSIS");
  pane_->setWindowTitle(live_.ShowsSaved()
                            ? title + QStringLiteral(": ") + QString::fromStdString(live_.Inputs().sample)
                            : title);
}

void AnalysisFramePart::RestoreSettings() {
  AnalysisView* view = View();
  if (view == nullptr) return;
  view->ShowSettings(LoadAnalysisSettings(settings_));
  live_.SetSettings(view->Settings());
  Show();
}

void AnalysisFramePart::SaveSettings() {
  if (const AnalysisView* view = View()) SaveAnalysisSettings(settings_, view->Settings());
}

std::vector<FramePane> AnalysisFramePart::Panes() { return {{pane_.get(), Qt::TopDockWidgetArea, nullptr}}; }

// The workbench, an observer added before this one, has already refreshed
// the measurement from the chunk.
void AnalysisFramePart::OnSpectrumChunk() {
  if (live_.Update()) Show();
}

void AnalysisFramePart::Show() {
  if (AnalysisView* view = View()) view->ShowAnalysis(live_.Result());
}

void AnalysisFramePart::BrowseBackground() {
  const std::filesystem::path path = ChooseFile(false, QStringLiteral("Background Measurement"));
  if (path.empty()) return;
  if (const auto error = live_.LoadBackground(path)) {
    prompt_.ShowError(*error);
    return;
  }
  if (AnalysisView* view = View()) view->ShowBackground(QString::fromStdString(path.string()));
  Show();
}

void AnalysisFramePart::ExportAnalysis() {
  const std::filesystem::path path = ChooseFile(true);
  if (!path.empty()) ExportTo(path);
}

bool AnalysisFramePart::ExportTo(const std::filesystem::path& chosen) {
  live_.Recompute();
  Show();
  const Checked<MeasurementAnalysis>& result = live_.Result();
  if (!result) {
    prompt_.ShowError("Nothing to export: " + result.error);
    return false;
  }
  const TdcHeader& header = live_.Sample()->header;
  Provenance provenance = AnalysisProvenance(*live_.Sample(), live_.Inputs());
  // A live sample is the measurement the instrument is making: its start
  // stamps follow the reference chosen now, with that query's offset and
  // server. A saved one states its own.
  if (!live_.ShowsSaved()) {
    InstrumentProvenance now;
    SetTimeReference(now, timeReference_);
    FillInstrumentGaps(provenance.instrument, now);
  }
  QJsonObject json = AnalysisJson(live_.Inputs(), header, *result);
  json["provenance"] = ProvenanceJson(provenance);
  const auto error =
      WriteAnalysisExport(AnalysisExportNamesFor(chosen),
                          AnalysisReportText(live_.Inputs(), header, *result, provenance), JsonText(json));
  if (error) prompt_.ShowError(*error);
  return !error;
}

std::filesystem::path AnalysisFramePart::ChooseFile(bool forExport, const QString& openTitle) {
  if (chooseFile_) return chooseFile_(forExport);
  const QString name =
      forExport
          ? QFileDialog::getSaveFileName(&window_, QStringLiteral("Export Analysis"), {},
                                         QStringLiteral("Analysis report (*.txt *.json)"))
          : QFileDialog::getOpenFileName(&window_, openTitle, {}, QStringLiteral("TDCR measurement (*.tdc)"));
  return name.toStdString();
}

}  // namespace korva
