#include "analysis/analysis_frame_part.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>

#include "analysis/analysis_export.h"
#include "analysis/analysis_json.h"
#include "analysis/analysis_report.h"
#include "analysis/analysis_settings_store.h"
#include "analysis/analysis_view.h"
#include "analysis/measurement_report.h"
#include "analysis/provenance_json.h"
#include "analysis/spectrum_file.h"
#include "analysis/variation_dialog.h"
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
          QStringLiteral("Failed in creating TDCR Analysis View"), &context.window,
          DockPane::ViewCreation::kWhenNeeded)) {
  connect(pane_.get(), &DockPane::ViewCreated, this, [this](QWidget* created) {
    auto* view = static_cast<AnalysisView*>(created);
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
    connect(view, &AnalysisView::ChooseSpectrum, this, &AnalysisFramePart::ChooseSpectrum);
    connect(view, &AnalysisView::ReportRequested, this, &AnalysisFramePart::ExportReport);
    connect(view, &AnalysisView::VariationRequested, this, &AnalysisFramePart::OpenVariation);
    view->ShowSettings(LoadAnalysisSettings(settings_));
    live_.SetSettings(view->Settings());
    Show();
  });
  connect(&context.instrument.Link(), &LinkSession::Connected, pane_.get(), &QWidget::show);
  engine_.AddObserver(this);
}

AnalysisFramePart::~AnalysisFramePart() { engine_.RemoveObserver(this); }

AnalysisView* AnalysisFramePart::View() const { return qobject_cast<AnalysisView*>(pane_->View()); }

std::vector<FrameCommand> AnalysisFramePart::Commands() {
  return {{command::kOpenTdcrMeasurement, kFileMenu, QStringLiteral("Open TDCR Measurement..."),
           [this] {
             const std::filesystem::path path = ChooseFile(false, QStringLiteral("Open TDCR Measurement"));
             if (!path.empty()) OpenMeasurement(path);
           }},
          {command::kFollowLiveAnalysis,
           kFileMenu,
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
          {command::kExportAnalysis, kFileMenu, QStringLiteral("Export Analysis..."),
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

// The view, once built, shows these settings and hands back its own reading of them.
void AnalysisFramePart::RestoreSettings() { live_.SetSettings(LoadAnalysisSettings(settings_)); }

void AnalysisFramePart::SaveSettings() {
  // A view never built has not changed the settings.
  if (const auto* view = qobject_cast<const AnalysisView*>(pane_->BuiltView())) {
    SaveAnalysisSettings(settings_, view->Settings());
  }
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

void AnalysisFramePart::ChooseSpectrum() {
  AnalysisView* view = View();
  const QString file =
      QFileDialog::getOpenFileName(&window_, QStringLiteral("Beta Spectrum"), {},
                                   QStringLiteral("Beta spectrum (*.txt *.dat *.csv);;All files (*)"));
  bool ok = false;
  const QString halfLife =
      file.isEmpty()
          ? QString()
          : QInputDialog::getText(&window_, QStringLiteral("Beta Spectrum"),
                                  QStringLiteral("The spectrum's nuclide (a known name) or its half-life, "
                                                 "VALUE [UNCERTAINTY] UNIT (s, min, h, d or a):"),
                                  QLineEdit::Normal, {}, &ok);
  if (!ok || !LoadSpectrum(file.toStdString(), halfLife.toStdString())) view->RestoreNuclideChoice();
}

bool AnalysisFramePart::LoadSpectrum(const std::filesystem::path& file, const std::string& halfLife) {
  Checked<Nuclide> own = LoadOwnSpectrum(file, halfLife);
  AnalysisView* view = View();
  if (!own || view == nullptr) {
    prompt_.ShowError(own ? std::string("the analysis pane could not be created") : own.error);
    return false;
  }
  view->ShowOwnNuclide(*own);
  return true;
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
  const Provenance provenance = CurrentProvenance();
  QJsonObject json = AnalysisJson(live_.Inputs(), header, *result);
  json["provenance"] = ProvenanceJson(provenance);
  const auto error =
      WriteAnalysisExport(AnalysisExportNamesFor(chosen),
                          AnalysisReportText(live_.Inputs(), header, *result, provenance), JsonText(json));
  if (error) prompt_.ShowError(*error);
  return !error;
}

Provenance AnalysisFramePart::CurrentProvenance() const {
  Provenance provenance = AnalysisProvenance(*live_.Sample(), live_.Inputs());
  // A live sample is the measurement the instrument is making: its start
  // stamps follow the reference chosen now, with that query's offset and
  // server. A saved one states its own.
  if (!live_.ShowsSaved()) {
    InstrumentProvenance now;
    SetTimeReference(now, timeReference_);
    FillInstrumentGaps(provenance.instrument, now);
  }
  return provenance;
}

// Asks for the laboratory and the operator (kept for the next report) and the file.
void AnalysisFramePart::ExportReport() {
  QDialog ask(&window_);
  ask.setWindowTitle(QStringLiteral("Export Report"));
  ReportSignatory signatory = LoadReportSignatory(settings_);
  auto* laboratory = new QLineEdit(QString::fromStdString(signatory.laboratory), &ask);
  auto* operatorName = new QLineEdit(QString::fromStdString(signatory.operatorName), &ask);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
  auto* form = new QFormLayout(&ask);
  form->addRow(QStringLiteral("Laboratory"), laboratory);
  form->addRow(QStringLiteral("Operator"), operatorName);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
  if (ask.exec() != QDialog::Accepted) return;
  SaveReportSignatory(settings_, {laboratory->text().toStdString(), operatorName->text().toStdString()});
  const QString name = QFileDialog::getSaveFileName(&window_, QStringLiteral("Export Report"), {},
                                                    QStringLiteral("Measurement report (*.pdf)"));
  if (!name.isEmpty()) ReportTo(name.toStdString());
}

bool AnalysisFramePart::ReportTo(const std::filesystem::path& pdf) {
  live_.Recompute();
  Show();
  const Checked<MeasurementAnalysis>& result = live_.Result();
  if (!result) {
    prompt_.ShowError("Nothing to report: " + result.error);
    return false;
  }
  const auto error =
      WriteReportPdf(pdf, AnalysisReportDocument(LoadReportSignatory(settings_), live_.Inputs(),
                                                 live_.Sample()->header, *result, CurrentProvenance()));
  if (error) prompt_.ShowError(*error);
  return !error;
}

void AnalysisFramePart::OpenVariation() {
  const AnalysisView* view = View();
  if (view == nullptr) return;
  const auto choose = [this](bool forReport) {
    std::vector<std::filesystem::path> paths;
    if (forReport) {
      const QString name = QFileDialog::getSaveFileName(&window_, QStringLiteral("Export Report"), {},
                                                        QStringLiteral("Measurement report (*.pdf)"));
      if (!name.isEmpty()) paths.push_back(name.toStdString());
      return paths;
    }
    for (const QString& name :
         QFileDialog::getOpenFileNames(&window_, QStringLiteral("Measurements of the Vial"), {},
                                       QStringLiteral("TDCR measurement (*.tdc)"))) {
      paths.push_back(name.toStdString());
    }
    return paths;
  };
  VariationDialog dialog(view->Settings(), LoadReportSignatory(settings_), choose, &window_);
  dialog.exec();
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
