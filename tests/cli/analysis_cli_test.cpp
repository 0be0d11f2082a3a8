// The analysis commands of the headless tool, on the golden file and on a
// measurement of the virtual instrument's tritium vial.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>

#include "cli_tool.h"
#include "tritium_vial.h"

namespace korva {
namespace {

using test::Outcome;

// The analyses and the measurement run longer than most commands.
Outcome Tool(const QStringList& arguments) { return test::RunTool(arguments, 120000); }

QJsonObject JsonOf(const Outcome& output) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(output.out.toUtf8(), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << output.out.toStdString();
  return document.object();
}

const QString kGolden = QStringLiteral(KORVA_TDCR_GOLDEN_DIR "/meas.tdc");

// The golden file's one completed run holds too few coincidences to
// outlast the accidental ones: the tool says so and fails, in text and JSON.
TEST(AnalysisCommands, AnalyzeSaysWhyTheGoldenFileHasNoActivity) {
  for (const QStringList& extra :
       {QStringList{}, QStringList{"--json", "--window", "M", "--extension", "2"}}) {
    const Outcome output = Tool(QStringList{"analyze", kGolden, "--nuclide", "H-3"} + extra);
    EXPECT_EQ(output.exitCode, 1);
    EXPECT_TRUE(output.err.contains(": no run could be analysed: run 1, no net coincidences"))
        << output.err.toStdString();
    EXPECT_TRUE(output.out.isEmpty()) << output.out.toStdString();
  }
}

TEST(AnalysisCommands, EfficiencyGivesThePointOfTheCurveByRatioOrByLambda) {
  Outcome output = Tool({"efficiency", "--nuclide", "H-3", "--kb", "0.010", "--tdcr", "0.5"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const QJsonObject byRatio = JsonOf(output);
  EXPECT_NEAR(byRatio["tdRatio"].toDouble(), 0.5, 1e-6);
  EXPECT_NEAR(byRatio["triplesEfficiency"].toDouble() / byRatio["doublesEfficiency"].toDouble(), 0.5, 1e-6);
  EXPECT_EQ(byRatio["nuclide"].toString(), "H-3");
  EXPECT_EQ(byRatio["model"].toString(), "symmetric");

  output = Tool({"efficiency", "--nuclide", "H-3", "--kb", "0.010", "--lambda",
                 QString::number(byRatio["lambda"].toDouble(), 'g', 17)});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  EXPECT_NEAR(JsonOf(output)["doublesEfficiency"].toDouble(), byRatio["doublesEfficiency"].toDouble(), 1e-6);

  // A T/D no efficiency curve reaches is a failure, not a usage error.
  output = Tool({"efficiency", "--nuclide", "C-14", "--kb", "0.010", "--tdcr", "1.5"});
  EXPECT_EQ(output.exitCode, 1);
  EXPECT_FALSE(output.err.isEmpty());
}

TEST(AnalysisCommands, UsageErrorsExitWithTwoAndNameTheFault) {
  const std::vector<std::pair<QStringList, QString>> cases = {
      {{"analyze", "--nuclide", "H-3"}, "no .tdc file given"},
      {{"analyze", kGolden}, "--nuclide is required"},
      {{"analyze", kGolden, "--nuclide", "Xx-99"}, "unknown nuclide: Xx-99"},
      {{"analyze", kGolden, "--nuclide", "H-3", "--kb", "0.5"}, "kB"},
      {{"analyze", kGolden, "--nuclide", "H-3", "--window", "Q"}, "--window is one of N|M"},
      {{"analyze", kGolden, "--nuclide", "H-3", "--reference-time", "2024-02-30T00:00:00"}, "not a time"},
      {{"analyze", kGolden, kGolden, "--nuclide", "H-3"}, "unexpected argument"},
      {{"efficiency", "--nuclide", "H-3", "--tdcr", "0.5"}, "--kb is required"},
      {{"efficiency", "--nuclide", "H-3", "--kb", "0.01"}, "give one of --tdcr and --lambda"},
      {{"efficiency", "--nuclide", "H-3", "--kb", "0.01", "--tdcr", "0.5", "--lambda", "1"}, "give one of"},
      {{"efficiency", "--nuclide", "H-3", "--kb", "0.01", "--tdcr", "0.5", "--model", "asymmetric"},
       "symmetric model"},
  };
  for (const auto& [arguments, message] : cases) {
    const Outcome output = Tool(arguments);
    EXPECT_EQ(output.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(output.err.contains(message)) << output.err.toStdString();
  }
  const Outcome missing = Tool({"analyze", "/nonexistent/m.tdc", "--nuclide", "H-3"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.contains("/nonexistent/m.tdc"));
}

// A folder and a device without an end are refused with their path, in
// bounded time and memory, never by an abort.
TEST(AnalysisCommands, AnalyzeRefusesAFolderAndAnEndlessDevice) {
  const QTemporaryDir folder;
  const std::vector<std::pair<QString, QString>> cases = {
      {folder.path(), folder.path() + ": is a folder"},
      {"/dev/zero", "/dev/zero: larger than any measurement file"},
  };
  for (const auto& [path, message] : cases) {
    const Outcome output = Tool({"analyze", path, "--nuclide", "H-3"});
    EXPECT_EQ(output.exitCode, 1) << path.toStdString();
    EXPECT_TRUE(output.err.contains(message)) << output.err.toStdString();
    EXPECT_TRUE(output.out.isEmpty());
  }
}

// The tool measures the instrument's 5000 Bq tritium vial, then analyses
// its own file: the activity is found within its expanded uncertainty.
TEST(AnalysisCommands, AnalyzeFindsTheVirtualVialsActivityInAMeasurementOfTheTool) {
  const auto instrument = test::StartTritiumVial();
  QTemporaryDir folder;
  const QString base = folder.filePath("vial");
  Outcome output = Tool({"measure", "--port", QString::fromStdString(instrument->DevicePath()), "--out", base,
                         "--runs", "4", "--time", "5", "--gap", "0.1"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();

  output = Tool({"analyze", base + ".tdc", "--nuclide", "H-3"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  EXPECT_TRUE(output.out.contains("Instrument: Veltra RQ3102, serial number ")) << output.out.toStdString();
  EXPECT_TRUE(output.out.contains("Window N (10 ns), extension 1 (N1)\n")) << output.out.toStdString();
  EXPECT_TRUE(output.out.contains("counting statistics"));
  EXPECT_TRUE(output.out.contains("expanded (k = 2)"));

  output = Tool({"analyze", base + ".tdc", "--nuclide", "H-3", "--json"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const QJsonObject json = JsonOf(output);
  EXPECT_EQ(json["program"].toString(), "Korva-TDCR, Version 7.0");
  EXPECT_EQ(json["instrument"]["hardware"].toString(), "Veltra RQ3102");
  EXPECT_EQ(json["inputs"]["sample"].toString(), base + ".tdc");
  EXPECT_TRUE(json["inputs"]["referenceTimeIsRunStart"].toBool());
  EXPECT_EQ(json["combinations"].toArray().size(), 4);
  const QJsonObject result = json["result"].toObject();
  const double activity = result["activity"].toDouble();
  const double expanded = result["expandedUncertainty"].toDouble();
  EXPECT_NEAR(activity, 5000.0, expanded);
  EXPECT_EQ(result["runsUsed"].toInt(), 4);
  EXPECT_GT(result["birgeRatio"].toDouble(), 0.0);
  RecordProperty("activity", std::to_string(activity) + " +- " + std::to_string(expanded));
  // The instrument's windows are both 10 ns: the window term is not
  // evaluated, null in the budget, and the warnings say so and why.
  const QJsonArray notEvaluated = result["termsNotEvaluated"].toArray();
  EXPECT_TRUE(notEvaluated.contains(QStringLiteral("coincidence window N vs M")));
  const QJsonArray warnings = json["warnings"].toArray();
  const auto warned = [&](const QString& text) {
    return std::ranges::any_of(warnings, [&](const QJsonValue& w) { return w.toString().contains(text); });
  };
  EXPECT_TRUE(warned(QStringLiteral("shorter than 40 ns")));
  for (const QJsonValue& name : notEvaluated) {
    EXPECT_TRUE(warned("\"" + name.toString() + "\" was not evaluated")) << name.toString().toStdString();
    for (const QJsonValue& term : result["budget"].toArray()) {
      if (term["name"] == name) {
        EXPECT_TRUE(term["standardUncertainty"].isNull());
      }
    }
  }

  // Referred back to the year 2000, two tritium half-lives before any run
  // of today: the activity then was some four times larger.
  output = Tool(
      {"analyze", base + ".tdc", "--nuclide", "H-3", "--json", "--reference-time", "2000-01-01T00:00:00"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const double then = JsonOf(output)["result"].toObject()["activity"].toDouble();
  EXPECT_GT(then / activity, 3.0);
  EXPECT_LT(then / activity, 5.0);
}

}  // namespace
}  // namespace korva
