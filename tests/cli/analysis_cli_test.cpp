// The analysis commands of the headless tool, on the golden file and on a
// measurement of the virtual instrument's tritium vial.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
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

TEST(AnalysisCommands, NuclidesListsEveryNuclideWithItsDataFile) {
  Outcome output = Tool({"nuclides"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  EXPECT_TRUE(output.out.contains(QRegularExpression("\\nFe-55 +EC +2.747 a +DDEP +Fe-55.nuclide \\(")))
      << output.out.toStdString();
  EXPECT_TRUE(output.out.contains(QRegularExpression("\\nTl-204 +beta-, EC ")));
  output = Tool({"nuclides", "--json"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const QJsonArray nuclides = JsonOf(output)["nuclides"].toArray();
  const auto pair = std::ranges::find_if(
      nuclides, [](const QJsonValue& n) { return n.toObject()["name"] == "Sr-90+Y-90"; });
  ASSERT_NE(pair, nuclides.end());
  const QJsonObject found = pair->toObject();
  EXPECT_EQ(found["branches"].toArray().size(), 2);
  EXPECT_EQ(found["branches"].toArray()[1].toObject()["daughterZ"].toInt(), 40);
  EXPECT_TRUE(found["file"].toString().endsWith("Sr-90+Y-90.nuclide"));
}

// Every built-in nuclide has an efficiency curve; a cocktail is named
// without regard to case; a user's spectrum takes a known nuclide's half-life.
TEST(AnalysisCommands, EfficiencyWorksForEveryNuclideCocktailAndAUsersSpectrum) {
  for (const char* nuclide :
       {"Ca-45", "Cl-36", "Sr-89", "Sr-90", "Y-90", "Sr-90+Y-90", "Tc-99", "Pu-241", "Tl-204", "Fe-55"}) {
    const Outcome output = Tool({"efficiency", "--nuclide", nuclide, "--kb", "0.010", "--tdcr", "0.6"});
    ASSERT_EQ(output.exitCode, 0) << nuclide << output.err.toStdString();
    EXPECT_NEAR(JsonOf(output)["tdRatio"].toDouble(), 0.6, 1e-6) << nuclide;
  }
  Outcome gold =
      Tool({"efficiency", "--nuclide", "H-3", "--kb", "0.010", "--tdcr", "0.5", "--cocktail", "ultima gold"});
  ASSERT_EQ(gold.exitCode, 0) << gold.err.toStdString();
  EXPECT_EQ(JsonOf(gold)["cocktail"].toString(), "Ultima Gold");
  EXPECT_TRUE(JsonOf(gold)["nuclideData"].toObject()["file"].toString().endsWith("H-3.nuclide"));

  QTemporaryDir folder;
  const QString path = folder.filePath("flat.txt");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("# a flat spectrum to 100 keV\n0 1\n100 1\n");
  file.close();
  const Outcome own =
      Tool({"efficiency", "--spectrum", path, "--half-life", "1 d", "--kb", "0.010", "--lambda", "1000"});
  ASSERT_EQ(own.exitCode, 0) << own.err.toStdString();
  // Only the electrons of the first few eV, 1e-4 of a flat spectrum, escape a yield of 1000 per keV.
  EXPECT_NEAR(JsonOf(own)["doublesEfficiency"].toDouble(), 1.0, 1e-3);
  EXPECT_EQ(JsonOf(own)["nuclide"].toString(), "flat");
  const Outcome bad =
      Tool({"efficiency", "--spectrum", kGolden, "--nuclide", "H-3", "--kb", "0.01", "--tdcr", "0.5"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(bad.err.contains(kGolden + ":1: expected two columns")) << bad.err.toStdString();
}

TEST(AnalysisCommands, UsageErrorsExitWithTwoAndNameTheFault) {
  const std::vector<std::pair<QStringList, QString>> cases = {
      {{"analyze", "--nuclide", "H-3"}, "no .tdc file given"},
      {{"analyze", kGolden}, "--nuclide is required"},
      {{"analyze", kGolden, "--nuclide", "Xx-99"}, "unknown nuclide: Xx-99"},
      {{"analyze", kGolden, "--nuclide", "H-3", "--kb", "0.5"}, "kB"},
      {{"analyze", kGolden, "--nuclide", "H-3", "--window", "Q"}, "--window is one of N|M"},
      {{"analyze", kGolden, "--nuclide", "H-3", "--mode2", "XDT"}, "--mode2 is one of IDT|CDT, not XDT"},
      {{"analyze", kGolden, "--nuclide", "H-3", "--reference-time", "2024-02-30T00:00:00"}, "not a time"},
      {{"analyze", kGolden, kGolden, "--nuclide", "H-3"}, "unexpected argument"},
      {{"efficiency", "--nuclide", "H-3", "--tdcr", "0.5"}, "--kb is required"},
      {{"efficiency", "--nuclide", "H-3", "--kb", "0.01"}, "give one of --tdcr and --lambda"},
      {{"efficiency", "--nuclide", "H-3", "--kb", "0.01", "--tdcr", "0.5", "--lambda", "1"}, "give one of"},
      {{"efficiency", "--nuclide", "H-3", "--kb", "0.01", "--tdcr", "0.5", "--model", "asymmetric"},
       "symmetric model"},
      {{"efficiency", "--nuclide", "H-3", "--kb", "0.01", "--tdcr", "0.5", "--cocktail", "Brand X"},
       "unknown cocktail: Brand X; known are toluene, Ultima Gold"},
      {{"efficiency", "--spectrum", "s.txt", "--kb", "0.01", "--tdcr", "0.5"}, "--spectrum needs one of"},
      {{"efficiency", "--spectrum", "s.txt", "--half-life", "3 weeks", "--kb", "0.01", "--tdcr", "0.5"},
       "--half-life: the half-life's unit is s, min, h, d or a"},
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

  // Without the modes the gate's blocked pulses are not evaluated in any
  // window; told IDT (the instrument's modes here) there are none.
  for (const QJsonValue& c : json["combinations"].toArray()) {
    EXPECT_TRUE(c["rates"]["blocked"].isNull());
    EXPECT_EQ(c["rates"]["blockedNote"].toString(), "not evaluated");
    EXPECT_GT(c["rates"]["corrected"]["D"].toDouble(), 0.0);
  }
  EXPECT_TRUE(notEvaluated.contains(QStringLiteral("pulses blocked by a CDT gate")));
  output = Tool({"analyze", base + ".tdc", "--nuclide", "H-3", "--json", "--mode1", "IDT", "--mode2", "IDT"});
  ASSERT_EQ(output.exitCode, 0) << output.err.toStdString();
  const QJsonObject told = JsonOf(output);
  EXPECT_EQ(told["inputs"]["deadTimeModes"].toArray(), (QJsonArray{"IDT", "IDT"}));
  EXPECT_EQ(told["combinations"][3]["rates"]["blockedNote"].toString(), "none in IDT");
  EXPECT_FALSE(
      told["result"]["termsNotEvaluated"].toArray().contains(QStringLiteral("pulses blocked by a CDT gate")));

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
