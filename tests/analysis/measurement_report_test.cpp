// The PDF report of an analysis read back with pdftotext (poppler-utils):
// every number it prints is the JSON's, rounded as the report says.

#include "analysis/measurement_report.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

#include "analysis/analysis_json.h"
#include "analysis/gum_rounding.h"
#include "common/files_saved.h"
#include "synthetic_measurement.h"

namespace korva {
namespace {

class SavedFilesRecord : public SavedFilesListener {
 public:
  void OnFilesSaved(const SavedFiles& saved) override { saves.push_back(saved); }
  std::vector<SavedFiles> saves;
};

QString Output(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  EXPECT_TRUE(process.waitForFinished(4000)) << program.toStdString();
  EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

std::string Printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

struct Report {
  QJsonObject json;
  std::string text;  // pdftotext of the PDF
};

// A 50 Bq tritium vial over 20 counts per second of background, or a blank
// with a given efficiency; analysed, reported as PDF and as JSON.
Report Reported(double activity, const QString& pdf, SavedFilesRecord& saves) {
  test::SyntheticVial vial;
  vial.activityBq = activity;
  vial.singlesRate = 0.0;
  vial.background = {20.0 / 3.0, 20.0 / 3.0, 20.0 / 3.0};
  vial.poisson = activity == 0.0;
  test::SyntheticVial blank = vial;
  blank.activityBq = 0.0;
  blank.seed = 2;
  const TdcMeasurement sample = test::MakeMeasurement(vial);
  const TdcMeasurement background = test::MakeMeasurement(blank);
  AnalysisInputs inputs{"vial.tdc", "blank.tdc", {}};
  if (activity == 0.0) inputs.settings.givenEfficiency = 0.5;
  const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(sample, &background, inputs.settings);
  EXPECT_TRUE(a) << a.error;
  Provenance provenance;
  provenance.programVersion = "7.0";
  provenance.inputs = {{"vial.tdc", std::string(64, 'a')}, {"blank.tdc", std::string(64, 'b')}};
  const SavedFilesSubscription subscription(saves);
  const auto error = WriteReportPdf(
      pdf.toStdString(),
      AnalysisReportDocument({"Low-Level Lab", "A. Tester"}, inputs, sample.header, *a, provenance));
  EXPECT_FALSE(error) << *error;
  return {AnalysisJson(inputs, sample.header, *a),
          Output(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
              .toStdString()};
}

void ExpectPrinted(const std::string& text, const std::string& number) {
  EXPECT_NE(text.find(number), std::string::npos) << number << " is not in the report";
}

TEST(MeasurementReport, EveryNumberOfTheReportIsTheJsons) {
  ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      << "scripts/install-deps";
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("vial.pdf"));
  SavedFilesRecord saves;
  const Report r = Reported(50.0, pdf, saves);
  const QJsonObject result = r.json["result"].toObject();
  // The result: U to two significant digits, A to the same place; u likewise.
  const double activity = result["activity"].toDouble();
  const RoundedResult expanded = RoundedToUncertainty(activity, result["expandedUncertainty"].toDouble());
  ExpectPrinted(r.text, "A = " + expanded.value + " Bq");
  ExpectPrinted(r.text, "U = " + expanded.uncertainty + " Bq");
  ExpectPrinted(
      r.text, "u = " + RoundedToUncertainty(activity, result["standardUncertainty"].toDouble()).uncertainty);
  ExpectPrinted(r.text, "k = 2");
  // The limits to three significant digits.
  const QJsonObject limits = result["characteristicLimits"].toObject();
  ASSERT_TRUE(limits["detected"].toBool());
  for (const char* key : {"decisionThreshold", "detectionLimit", "coverageLower", "coverageUpper"}) {
    ExpectPrinted(r.text, SignificantText(limits[key].toDouble(), 3) + " Bq");
  }
  // The budget to 0.001 Bq, the runs as their table prints them.
  for (const QJsonValue term : result["budget"].toArray()) {
    const QJsonValue u = term.toObject()["standardUncertainty"];
    if (!u.isNull()) ExpectPrinted(r.text, Printed("%.3f", u.toDouble()));
  }
  QJsonArray runs;  // of the main window and extension
  for (const QJsonValue c : r.json["combinations"].toArray()) {
    if (c.toObject()["combination"] == result["combination"]) runs = c.toObject()["runs"].toArray();
  }
  ASSERT_FALSE(runs.isEmpty());
  for (const QJsonValue run : runs) {
    const QJsonObject o = run.toObject();
    ExpectPrinted(r.text, Printed("%.5f", o["tdRatio"].toDouble()));
    ExpectPrinted(r.text, Printed("%.2f", o["activityD"].toDouble()));
    ExpectPrinted(r.text, Printed("%.2f", o["activityDUncertainty"].toDouble()));
  }
  ExpectPrinted(r.text, "Low-Level Lab");
  ExpectPrinted(r.text, "Measured by");
  std::string joined = r.text;  // a hash may wrap in its table cell
  std::erase_if(joined, [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
  ExpectPrinted(joined, std::string(64, 'a'));
  // Saved as a report, and the archive is told.
  ASSERT_EQ(saves.saves.size(), 1u);
  EXPECT_EQ(saves.saves[0].kind, SavedKind::kMeasurementReport);
  EXPECT_EQ(saves.saves[0].paths, std::vector<std::filesystem::path>{pdf.toStdString()});
  // pdftoppm renders every page.
  Output(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"), pdf,
                                      dir.filePath(QStringLiteral("page"))});
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("page-1.png"))));
}

TEST(MeasurementReport, ABlankReadsNotDetectedWithItsThreshold) {
  QTemporaryDir dir;
  SavedFilesRecord saves;
  const Report r = Reported(0.0, dir.filePath(QStringLiteral("blank.pdf")), saves);
  const QJsonObject limits = r.json["result"].toObject()["characteristicLimits"].toObject();
  ASSERT_FALSE(limits["detected"].toBool());
  ExpectPrinted(r.text, "Result: not detected (below the decision threshold of " +
                            SignificantText(limits["decisionThreshold"].toDouble(), 3) + " Bq)");
  EXPECT_EQ(r.text.find("coverage interval"), std::string::npos);
}

TEST(MeasurementReport, AnUnwritableReportNamesItsFile) {
  const auto error = WriteReportPdf("/nonexistent-folder/r.pdf", {QStringLiteral("<p>x</p>"), {}});
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("/nonexistent-folder/r.pdf"), std::string::npos);
}

}  // namespace
}  // namespace korva
