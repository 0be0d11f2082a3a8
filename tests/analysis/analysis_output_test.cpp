// What an analysis is made from and what it writes: the reference time
// option, the export's files, the report, and when a live analysis is due.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "../support/memory_settings_store.h"
#include "analysis/analysis_export.h"
#include "analysis/analysis_inputs.h"
#include "analysis/analysis_report.h"
#include "analysis/analysis_settings_store.h"
#include "analysis/live_measurement.h"
#include "synthetic_measurement.h"
#include "tdcr/measurement_tdc_reader.h"
#include "tdcr/tdcr_run_record.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A folder of its own, removed afterwards.
struct ScratchFolder {
  ScratchFolder() : path(fs::temp_directory_path() / ("korva-analysis-" + std::to_string(::getpid()))) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~ScratchFolder() { fs::remove_all(path); }
  fs::path path;
};

TEST(ReferenceTime, ReadsTheCalendarTimeAndRefusesAnyOtherText) {
  const auto time = ParseReferenceTime("2024-03-07T14:05:09");
  ASSERT_TRUE(time);
  EXPECT_EQ(*time, (StampTime{2024, 3, 7, 14, 5, 9, 0}));
  EXPECT_EQ(ParseReferenceTime("2024-02-29T23:59:59.250"), (StampTime{2024, 2, 29, 23, 59, 59, 250}));
  EXPECT_EQ(FormatReferenceTime(*ParseReferenceTime("2024-02-29T23:59:59.250")), "2024-02-29T23:59:59.250");
  for (const char* text :
       {"", "2024-03-07 14:05:09", "2024-3-7T14:05:09", "2023-02-29T00:00:00", "2024-03-07T24:00:00",
        "2024-03-07T14:60:00", "+024-03-07T14:05:09", "2024-03-07T14:05:09.", "2024-03-07T14:05:09.12x",
        "2024-03-07T14:05:09Z", "1600-12-31T00:00:00"}) {
    EXPECT_FALSE(ParseReferenceTime(text)) << text;
  }
}

TEST(AnalysisExport, NamesAndWritesTheReportAndTheJsonTogether) {
  EXPECT_EQ(AnalysisExportNamesFor("/a/b.TXT").report, "/a/b.txt");
  EXPECT_EQ(AnalysisExportNamesFor("/a/b.Json").json, "/a/b.json");
  EXPECT_EQ(AnalysisExportNamesFor("/a.v2/run.tdc").report, "/a.v2/run.tdc.txt");

  ScratchFolder folder;
  const AnalysisExportNames names = AnalysisExportNamesFor(folder.path / "vial");
  ASSERT_FALSE(WriteAnalysisExport(names, "report\n", "{}\n"));
  EXPECT_EQ(Contents(names.report), "report\n");
  EXPECT_EQ(Contents(names.json), "{}\n");

  // The JSON cannot replace a folder: nothing is replaced, the earlier
  // report stays, and the message names the file.
  fs::remove(names.json);
  fs::create_directory(names.json);
  const auto error = WriteAnalysisExport(names, "second\n", "{}\n");
  ASSERT_TRUE(error);
  EXPECT_NE(error->find(names.json.string()), std::string::npos) << *error;
  EXPECT_EQ(Contents(names.report), "report\n");
  EXPECT_TRUE(WriteAnalysisExport(AnalysisExportNamesFor("/nonexistent/vial"), "r", "j"));
}

TEST(AnalysisReport, NamesTheInstrumentTheInputsEveryRunAndTheBudget) {
  test::SyntheticVial vial;
  vial.poisson = true;
  TdcMeasurement m = test::MakeMeasurement(vial);
  m.header.serialNumber = "00417";
  m.header.firmware = "2.13";
  m.header.fpga = "  2.5";
  AnalysisInputs inputs{"vial.tdc", "", {}};
  inputs.settings.window = 1;
  const Checked<MeasurementAnalysis> a = AnalyzeMeasurement(m, nullptr, inputs.settings);
  ASSERT_TRUE(a) << a.error;
  const std::string text = AnalysisReportText(inputs, m.header, *a);
  for (const std::string& line :
       {std::string("Korva-TDCR, Version 7.0 - TDCR analysis\n"),
        std::string("Instrument: Veltra RQ3102, serial number 00417, firmware 2.13, FPGA   2.5\n"),
        std::string("Sample: vial.tdc\nBackground: none\n"),
        std::string("Window M (200 ns), extension 1 (M1)\n"), std::string(" (start of run 1)\n"),
        std::string("Activity (M1, from D): ")}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  for (const UncertaintyComponent& c : a->budget.components) EXPECT_NE(text.find(c.name), std::string::npos);
  // A term named longer than the column keeps every figure of the budget in line.
  MeasurementAnalysis longNamed = *a;
  longNamed.budget.components.push_back(
      {"Coulomb function lambda_2 of the first forbidden unique shape", 0.5});
  const std::string result = AnalysisResultText(longNamed);
  std::istringstream budget(result.substr(result.find("Uncertainty budget")));
  std::set<std::size_t> unitColumns;
  std::string line;
  std::getline(budget, line);  // the heading
  while (std::getline(budget, line) && line.starts_with("  ")) {
    if (line.find(" Bq ") != std::string::npos) unitColumns.insert(line.find(" Bq "));
  }
  EXPECT_EQ(unitColumns.size(), 1u) << result;
  // The rates of every window and extension, two lines each; the modes
  // were not given, so the gate's blocked pulses are not evaluated.
  EXPECT_NE(text.find("Dead-time modes: extension 1 not known, extension 2 not known\n"), std::string::npos);
  const std::string rates = AnalysisRatesTable(*a);
  EXPECT_EQ(std::count(rates.begin(), rates.end(), '\n'), 2 + 2 * 4) << rates;
  EXPECT_NE(rates.find("  M2  200 ns not known "), std::string::npos) << rates;
  EXPECT_NE(text.find(rates), std::string::npos);
  inputs.settings.deadTimeModes = {DeadTimeMode::kCommon, DeadTimeMode::kIndividual};
  const Checked<MeasurementAnalysis> told = AnalyzeMeasurement(m, nullptr, inputs.settings);
  ASSERT_TRUE(told) << told.error;
  const std::string toldRates = AnalysisRatesTable(*told);
  EXPECT_EQ(toldRates.find("not evaluated"), std::string::npos) << toldRates;
  EXPECT_NE(toldRates.find("  N2   40 ns IDT "), std::string::npos) << toldRates;
  EXPECT_NE(toldRates.find("none in IDT"), std::string::npos) << toldRates;
  // One table line per run, after the heading.
  const std::string table = AnalysisRunTable(a->Main());
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), vial.runs + 1);
}

TEST(CompletedRunsWatch, SeesTheCountAndTheCompletedRecordsOnly) {
  std::vector<std::uint32_t> memory(kFirstRunRecordEntry + kRunCount * kRunRecordEntries);
  CompletedRunsWatch watch;
  EXPECT_TRUE(watch.Changed(0, memory));
  EXPECT_FALSE(watch.Changed(0, memory));
  memory[kFirstRunRecordEntry] = 7;  // run 1, not completed yet
  EXPECT_FALSE(watch.Changed(0, memory));
  EXPECT_TRUE(watch.Changed(1, memory));
  EXPECT_FALSE(watch.Changed(1, memory));
  // The last record of a completed run arrives a chunk later.
  memory[kFirstRunRecordEntry + kRunRecordEntries - 1] = 9;
  EXPECT_TRUE(watch.Changed(1, memory));
  memory[kFirstRunRecordEntry + kRunRecordEntries] = 3;  // run 2 still running
  EXPECT_FALSE(watch.Changed(1, memory));
  // A memory too short for the records, or a count beyond 64, is no fault.
  EXPECT_TRUE(watch.Changed(99, std::span<const std::uint32_t>(memory).first(100)));
  EXPECT_FALSE(watch.Changed(99, std::span<const std::uint32_t>(memory).first(100)));
}

// The pane's choices come back after a restart; values that make no
// sense fall back to the defaults instead of reaching the model.
TEST(AnalysisSettingsStore, ChoicesComeBackAndNonsenseGivesTheDefaults) {
  test::MemorySettingsStore store;
  AnalysisSettings chosen;
  chosen.nuclide = "C-14";
  chosen.kb = 0.012;
  chosen.model = DetectionModel::kAsymmetric;
  chosen.window = 1;
  chosen.extension = 1;
  SaveAnalysisSettings(store, chosen);
  const AnalysisSettings back = LoadAnalysisSettings(store);
  EXPECT_EQ(back.nuclide, "C-14");
  EXPECT_DOUBLE_EQ(back.kb, 0.012);
  EXPECT_EQ(back.model, DetectionModel::kAsymmetric);
  EXPECT_EQ(back.window, 1u);
  EXPECT_EQ(back.extension, 1u);

  const std::string path = "\\Korva-TDCR\\Analysis";
  store.strings[test::MemorySettingsStore::Key(path, "Nuclide")] = "Xx-999";
  store.dwords[test::MemorySettingsStore::Key(path, "KbMicro")] = 90000;
  store.dwords[test::MemorySettingsStore::Key(path, "Window")] = 7;
  const AnalysisSettings defaults;
  const AnalysisSettings repaired = LoadAnalysisSettings(store);
  EXPECT_EQ(repaired.nuclide, defaults.nuclide);
  EXPECT_DOUBLE_EQ(repaired.kb, defaults.kb);
  EXPECT_EQ(repaired.window, defaults.window);
  EXPECT_EQ(repaired.extension, 1u);
}

}  // namespace
}  // namespace korva
