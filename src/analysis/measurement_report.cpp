#include "analysis/measurement_report.h"

#include <QBuffer>
#include <QDateTime>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include "analysis/gum_rounding.h"
#include "analysis/limits_report.h"
#include "analysis/nuclide_library.h"
#include "analysis/provenance_json.h"
#include "analysis/report_plot.h"
#include "common/files_saved.h"
#include "common/program_version.h"
#include "common/safe_file_writer.h"
#include "decay/nuclide.h"

namespace korva {

namespace {

constexpr std::array<const char*, TdcrRates::kCombinations> kCombinationNames = {"N1", "M1", "N2", "M2"};
const QSize kPlotPixels(1600, 700);

QString Html(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }
QString Fixed(double value, int decimals) { return QString::fromStdString(FixedText(value, decimals)); }
QString Known(const std::string& text) { return text.empty() ? QStringLiteral("not known") : Html(text); }

QString Row(const QStringList& cells, bool header = false) {
  const QString tag = header ? QStringLiteral("th") : QStringLiteral("td");
  QString row = QStringLiteral("<tr>");
  for (const QString& cell : cells) row += QStringLiteral("<%1>%2</%1>").arg(tag, cell);
  return row + QStringLiteral("</tr>");
}

// A two-column table of names and values.
QString Fields(const std::vector<std::pair<QString, QString>>& fields) {
  QString table = QStringLiteral("<table cellspacing='0' cellpadding='2'>");
  for (const auto& [name, value] : fields) table += Row({QStringLiteral("<b>%1</b>").arg(name), value});
  return table + QStringLiteral("</table>");
}

QString Table(const QStringList& header, const std::vector<QStringList>& rows) {
  QString table = QStringLiteral("<table border='1' cellspacing='0' cellpadding='3'>") + Row(header, true);
  for (const QStringList& row : rows) table += Row(row);
  return table + QStringLiteral("</table>");
}

QString Heading(const QString& text) { return QStringLiteral("<h3>%1</h3>").arg(text); }

QString Numbers(const auto& values, const char* unit) {
  QStringList texts;
  for (const double v : values) texts << QString::number(v);
  return texts.join(QStringLiteral(", ")) + QLatin1Char(' ') + QString::fromUtf8(unit);
}

// Where the nuclide's data come from: the evaluation its data file cites,
// the file and its version; a spectrum of the user's own has no such file.
QString NuclideDataSource(const std::string& name) {
  const Nuclide* nuclide = FindNuclide(name);
  if (nuclide == nullptr) return QStringLiteral("the user's own spectrum file");
  return QStringLiteral("%1 (%2, version %3)")
      .arg(QString::fromStdString(nuclide->source), QString::fromStdString(nuclide->file),
           QString::fromStdString(nuclide->version));
}

QString Title(const ReportSignatory& s, const QString& what) {
  return QStringLiteral("<h2>%1</h2>").arg(what) +
         Fields({{QStringLiteral("Laboratory"), Known(s.laboratory)},
                 {QStringLiteral("Operator"), Known(s.operatorName)},
                 {QStringLiteral("Report made"),
                  QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss 'UTC'"))}});
}

QString TimeReference(const InstrumentProvenance& i) {
  QString text = Known(i.timeReference);
  if (i.ntpOffsetSeconds) {
    text += QStringLiteral(", NTP server %1, offset %2 s").arg(Known(i.ntpServer)).arg(*i.ntpOffsetSeconds);
  }
  return text;
}

QString ResultLine(const MeasurementAnalysis& a) {
  const UncertaintyBudget& b = a.budget;
  const RoundedResult expanded = RoundedToUncertainty(a.activity, b.expanded);
  const RoundedResult standard = RoundedToUncertainty(a.activity, b.combined);
  QString text;
  if (a.limits && !a.limits->detected) {
    text = QStringLiteral("<p><b>Result: %1</b></p>").arg(Html(DetectionText(*a.limits)));
  }
  return text +
         QStringLiteral(
             "<p><b>Activity (%1, from D): A = %2 Bq, expanded uncertainty U = %3 Bq (coverage factor k = "
             "%4)</b><br>standard uncertainty u = %5 Bq (k = 1); reference time %6</p>")
             .arg(QLatin1String(kCombinationNames[a.main]), QString::fromStdString(expanded.value),
                  QString::fromStdString(expanded.uncertainty))
             .arg(b.coverageFactor)
             .arg(QString::fromStdString(standard.uncertainty), Html(FormatReferenceTime(a.referenceTime)));
}

QString LimitsSection(const CharacteristicLimits& l) {
  std::vector<std::pair<QString, QString>> rows;
  for (const auto& [label, value] : LimitsRows(l)) rows.emplace_back(Html(label), Html(value));
  return Heading(Html(LimitsHeading(l))) + Fields(rows);
}

QString BudgetSection(const UncertaintyBudget& b) {
  std::vector<QStringList> rows;
  for (const UncertaintyComponent& c : b.components) {
    if (!c.evaluated) {
      rows.push_back({Html(c.name), QLatin1String(kNotEvaluatedText), {}});
      continue;
    }
    rows.push_back(
        {Html(c.name), Fixed(c.standardUncertainty, 3), Fixed(100.0 * b.Relative(c.standardUncertainty), 3)});
  }
  rows.push_back(
      {QStringLiteral("combined (k = 1)"), Fixed(b.combined, 3), Fixed(100.0 * b.Relative(b.combined), 3)});
  return Heading(QStringLiteral("Uncertainty budget (standard uncertainties)")) +
         Table({QStringLiteral("Component"), QStringLiteral("u [Bq]"), QStringLiteral("u [%]")}, rows);
}

QString RunsSection(const CombinationAnalysis& c) {
  std::vector<QStringList> rows;
  for (const RunAnalysis& r : c.runs) {
    if (!r.used) {
      rows.push_back(
          {QString::number(r.run), {}, {}, {}, {}, {}, {}, QStringLiteral("not used: ") + Html(r.note)});
      continue;
    }
    rows.push_back({QString::number(r.run), Fixed(r.realTime, 1), Fixed(r.tdRatio, 5), Fixed(r.lambdas[0], 4),
                    Fixed(r.doublesEfficiency, 5), Fixed(r.activityD, 2), Fixed(r.activityDUncertainty, 2),
                    r.flagged ? QStringLiteral("more than 3 u from the mean") : QString()});
  }
  return Heading(QStringLiteral("Runs (%1)").arg(QLatin1String(kCombinationNames[c.combination]))) +
         Table({QStringLiteral("Run"), QStringLiteral("Real time [s]"), QStringLiteral("T/D"),
                QStringLiteral("λ"), QStringLiteral("ε_D"), QStringLiteral("A from D [Bq]"),
                QStringLiteral("u [Bq]"), QStringLiteral("Note")},
               rows);
}

QString Warnings(const std::vector<std::string>& warnings) {
  if (warnings.empty()) return {};
  QString list = Heading(QStringLiteral("Warnings")) + QStringLiteral("<ul>");
  for (const std::string& w : warnings) list += QStringLiteral("<li>%1</li>").arg(Html(w));
  return list + QStringLiteral("</ul>");
}

QString ProvenanceSection(const Provenance& p, const QString& nuclideSource) {
  std::vector<QStringList> rows;
  for (const ProvenanceInput& input : p.inputs) rows.push_back({Html(input.path), Known(input.sha256)});
  QString text =
      Heading(QStringLiteral("Provenance")) + Fields({{QStringLiteral("Program"), Html(p.programVersion)},
                                                      {QStringLiteral("Nuclide data"), nuclideSource}});
  return text + Table({QStringLiteral("Input file"), QStringLiteral("SHA-256")}, rows);
}

// Lines to fill in by hand: who measured and who checked, when, and their signatures.
QString Signatures() {
  const auto line = [](const char* who) {
    return Row({QStringLiteral("<b>%1</b>").arg(QLatin1String(who)),
                QStringLiteral("Name ____________________"), QStringLiteral("Date ____________"),
                QStringLiteral("Signature ____________________")});
  };
  return Heading(QStringLiteral("Signatures")) + QStringLiteral("<table cellspacing='0' cellpadding='12'>") +
         line("Measured by") + line("Checked by") + QStringLiteral("</table>");
}

QString Image(const QString& url) { return QStringLiteral("<p><img src='%1' width='600'></p>").arg(url); }

ResultPlotData RunPlot(const MeasurementAnalysis& a) {
  ResultPlotData d;
  for (const RunAnalysis& r : a.Main().runs) {
    if (r.used)
      d.points.push_back({static_cast<double>(r.run), r.activityD, r.activityDUncertainty, r.flagged});
  }
  d.mean = a.activity;
  d.band = a.budget.combined;
  d.xLabel = QStringLiteral("run");
  d.yLabel = QStringLiteral("activity from D [Bq]");
  return d;
}

}  // namespace

ResultPlotData VariationPlotData(const VariationStudy& s) {
  ResultPlotData d;
  for (const VariationPoint& p : s.points)
    d.points.push_back({p.Inefficiency(), p.activity, p.uncertainty, false});
  d.line = ResultPlotData::Line{s.intercept, s.slope};
  d.xLabel = QStringLiteral("(1 - ε_D) / ε_D");
  d.yLabel = QStringLiteral("activity [Bq]");
  return d;
}

Provenance VariationProvenance(const std::vector<VariationInput>& inputs, const AnalysisSettings& settings) {
  Provenance provenance =
      AnalysisProvenance(inputs.front().measurement, AnalysisInputs{inputs.front().label, {}, settings});
  for (std::size_t i = 1; i < inputs.size(); ++i) AddProvenanceInput(provenance, inputs[i].label);
  return provenance;
}

ReportDocument AnalysisReportDocument(const ReportSignatory& signatory, const AnalysisInputs& inputs,
                                      const TdcHeader& h, const MeasurementAnalysis& a, const Provenance& p) {
  ReportSignatory who = signatory;
  if (who.operatorName.empty()) who.operatorName = h.operatorName;
  QString html = Title(who, QStringLiteral("TDCR measurement report"));
  html += Heading(QStringLiteral("Sample")) +
          Fields({{QStringLiteral("Tag"), Known(h.tag)},
                  {QStringLiteral("Nuclide"), Html(a.nuclide)},
                  {QStringLiteral("Cocktail"), Known(h.cocktail)},
                  {QStringLiteral("kB"), QStringLiteral("%1 cm/MeV").arg(a.kb)},
                  {QStringLiteral("Model"), Html(std::string(DetectionModelName(a.model)))},
                  {QStringLiteral("Measurement file"), Html(inputs.sample)},
                  {QStringLiteral("Background file"),
                   inputs.background.empty() ? QStringLiteral("none") : Html(inputs.background)}});
  html += Heading(QStringLiteral("Instrument")) +
          Fields({{QStringLiteral("Model"), Known(h.hardware)},
                  {QStringLiteral("Serial number"), Known(h.serialNumber)},
                  {QStringLiteral("Firmware"), Known(h.firmware)},
                  {QStringLiteral("FPGA"), Known(h.fpga)},
                  {QStringLiteral("Time reference"), TimeReference(p.instrument)},
                  {QStringLiteral("Coincidence windows N, M"), Numbers(h.windowsNs, "ns")},
                  {QStringLiteral("Dead-time extensions 1, 2"), Numbers(h.extensionsUs, "µs")},
                  {QStringLiteral("Thresholds A, B, C"), Numbers(h.thresholdsMv, "mV")},
                  {QStringLiteral("High voltage"), Known(h.highVoltage)},
                  {QStringLiteral("Runs"), QStringLiteral("%1 of %2 completed, %3 s each")
                                               .arg(h.runsCompleted)
                                               .arg(h.presetRuns)
                                               .arg(h.timePerRun)}});
  html += Heading(QStringLiteral("Result")) + ResultLine(a);
  if (a.limits) html += LimitsSection(*a.limits);
  html += BudgetSection(a.budget) + RunsSection(a.Main()) + Image(QStringLiteral("plot:runs")) +
          Warnings(a.warnings) + ProvenanceSection(p, NuclideDataSource(a.nuclide)) + Signatures();
  return {html, {{QStringLiteral("plot:runs"), ResultPlotImage(RunPlot(a), kPlotPixels)}}};
}

ReportDocument VariationReportDocument(const ReportSignatory& signatory, const VariationStudy& s,
                                       const AnalysisSettings& settings, const Provenance& p) {
  QString html = Title(signatory, QStringLiteral("TDCR efficiency-variation report"));
  html += Fields({{QStringLiteral("Nuclide"), Html(settings.nuclide)},
                  {QStringLiteral("kB"), QStringLiteral("%1 cm/MeV").arg(settings.kb)},
                  {QStringLiteral("Model"), Html(std::string(DetectionModelName(settings.model)))},
                  {QStringLiteral("Reference time"), Html(FormatReferenceTime(s.referenceTime))}});
  std::vector<QStringList> rows;
  for (const VariationPoint& point : s.points) {
    rows.push_back({Html(point.label), Fixed(point.doublesEfficiency, 5), Fixed(point.Inefficiency(), 5),
                    Fixed(point.activity, 2), Fixed(point.uncertainty, 2)});
  }
  html += Heading(QStringLiteral("Measurements")) +
          Table({QStringLiteral("Measurement"), QStringLiteral("ε_D"), QStringLiteral("(1 - ε_D) / ε_D"),
                 QStringLiteral("A [Bq]"), QStringLiteral("u(A) [Bq]")},
                rows);
  const RoundedResult intercept = RoundedToUncertainty(s.intercept, s.interceptUncertainty);
  const RoundedResult mean = RoundedToUncertainty(s.mean.weightedMean, s.mean.Uncertainty());
  html +=
      Heading(QStringLiteral("Fit of A against (1 - ε_D) / ε_D")) +
      Fields(
          {{QStringLiteral("Slope"),
            QStringLiteral("%1 Bq ± %2 Bq (%3 standard uncertainties)")
                .arg(Fixed(s.slope, 2), Fixed(s.slopeUncertainty, 2), Fixed(s.slopeSigmas, 1))},
           {QStringLiteral("Activity at ε_D = 1"),
            QStringLiteral("%1 Bq, u = %2 Bq")
                .arg(QString::fromStdString(intercept.value), QString::fromStdString(intercept.uncertainty))},
           {QStringLiteral("Weighted mean"),
            QStringLiteral("%1 Bq, u = %2 Bq")
                .arg(QString::fromStdString(mean.value), QString::fromStdString(mean.uncertainty))},
           {QStringLiteral("Birge ratio"), Fixed(s.birgeRatio, 3)}});
  html += Image(QStringLiteral("plot:variation")) + Warnings(s.warnings) +
          ProvenanceSection(p, NuclideDataSource(settings.nuclide)) + Signatures();
  return {html, {{QStringLiteral("plot:variation"), ResultPlotImage(VariationPlotData(s), kPlotPixels)}}};
}

std::optional<std::string> WriteReportPdf(const std::filesystem::path& path, const ReportDocument& document) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                  QPageLayout::Millimeter));
    pdf.setTitle(QStringLiteral("TDCR measurement report"));
    pdf.setCreator(QStringLiteral("Korva-TDCR ") + QString::fromStdString(ProgramVersionText()));
    QTextDocument text;
    for (const auto& [url, image] : document.images)
      text.addResource(QTextDocument::ImageResource, QUrl(url), image);
    text.setHtml(document.html);
    text.print(&pdf);
  }
  SafeFileWriter writer(path);
  const QByteArray& bytes = buffer.data();
  if (!writer.Open() ||
      !writer.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))) ||
      !writer.Finish() || !writer.Commit()) {
    return "Unable to write the report " + path.string();
  }
  AnnounceSavedFiles(SavedKind::kMeasurementReport, {path});
  return std::nullopt;
}

}  // namespace korva
