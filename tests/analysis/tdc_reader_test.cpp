#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "../fuzz/tdc_reader_harness.h"
#include "measurement_snapshot_builder.h"
#include "tdcr/measurement_files.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva {
namespace {

const std::filesystem::path kGolden = std::filesystem::path(KORVA_TDCR_GOLDEN_DIR) / "meas.tdc";

std::string GoldenText() {
  std::ifstream in(kGolden, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string WithLfEnds(std::string text) {
  std::erase(text, '\r');
  return text;
}

TEST(TdcReader, TheGoldenFileReadsBackEveryFieldAndCounterBeyond32Bits) {
  const TdcReadResult read = ReadTdcFile(kGolden);
  ASSERT_TRUE(read.measurement) << read.error;
  const TdcMeasurement& m = *read.measurement;
  EXPECT_EQ(m.header.hardware, "Veltra RQ3102");
  EXPECT_EQ(m.header.serialNumber, "00417");
  EXPECT_EQ(m.header.firmware, "2.13");
  EXPECT_EQ(m.header.fpga, "2.5");
  EXPECT_EQ(m.header.tag, "Vial 7");
  EXPECT_EQ(m.header.nuclides, "H-3 & C-14");
  EXPECT_EQ(m.header.thresholdsMv[2], 262.60);
  EXPECT_EQ(m.header.extensionsUs[1], 8.016);
  EXPECT_EQ(m.header.windowsNs[0], 30.0);
  EXPECT_EQ(m.header.windowsNs[1], 120.0);
  EXPECT_EQ(m.header.windowTexts[1], "120");
  EXPECT_EQ(m.header.presetRuns, 3);
  EXPECT_EQ(m.header.timePerRun, 2.5);
  EXPECT_EQ(m.header.stopTimer, " LIVE A1");
  EXPECT_EQ(m.header.runsCompleted, 1);
  ASSERT_EQ(m.runs.size(), 3u);

  const TdcRun& run1 = m.runs[0];
  EXPECT_EQ(run1.startLabel, "START TIME: UTC");
  EXPECT_EQ(run1.start, (StampTime{2024, 3, 7, 14, 5, 9, 123}));
  EXPECT_EQ(run1.realTime, 2.5);
  EXPECT_EQ(run1.singleLiveTimes[1][1], 2.31);  // B, extension 2
  EXPECT_EQ(run1.singles[0][0].counts, 6000000123u);
  EXPECT_EQ(run1.singles[2][2].counts, 40500u);  // C Ext2
  EXPECT_EQ(run1.coincidenceLiveTimes[1][TdcrRates::kT], 2.32);
  EXPECT_EQ(run1.coincidences[TdcrRates::kM1][TdcrRates::kD].counts, 41000u);
  EXPECT_EQ(run1.coincidences[TdcrRates::kN2][TdcrRates::kT].counts, 24000u);
  EXPECT_EQ(run1.coincidences[TdcrRates::kM2][TdcrRates::kAC].cps, 14529.697);
  EXPECT_EQ(m.runs[1].start, (StampTime{2024, 3, 7, 14, 5, 11, 623}));
  EXPECT_EQ(m.runs[2].realTime, 0.0);

  const TdcReadResult lf = ReadTdcText(WithLfEnds(GoldenText()));
  ASSERT_TRUE(lf.measurement) << lf.error;
  EXPECT_EQ(lf.measurement->runs[1].coincidences[TdcrRates::kM2][TdcrRates::kT].counts,
            m.runs[1].coincidences[TdcrRates::kM2][TdcrRates::kT].counts);
}

// A record whose every counter differs, from `base` up.
TdcrRunRecord Record(std::uint64_t base) {
  TdcrRunRecord record;
  for (std::size_t i = 0; i < record.counters.size(); ++i) record.counters[i] = base + 37 * i;
  record.counters[static_cast<std::size_t>(TdcrCounter::kRealTime)] = 2000;
  for (const TdcrCounter live : {TdcrCounter::kLiveA1, TdcrCounter::kLiveB2, TdcrCounter::kLiveAb1,
                                 TdcrCounter::kLiveT2, TdcrCounter::kLiveAc2}) {
    record.counters[static_cast<std::size_t>(live)] = 1900;
  }
  return record;
}

struct RoundTrip {
  const char* what;
  std::vector<TdcrRunRecord> records;
  test::SnapshotSettings settings;
};

TEST(TdcReader, WhatTheWriterWritesReadsBackTheSame) {
  test::SnapshotSettings quoted;
  quoted.tag = "Vial \"7\", second try\r\nafter a spill";
  quoted.record.operatorName = "Doe, J.";
  quoted.record.cocktail = "\"";
  test::SnapshotSettings partial;
  partial.presetRuns = 4;
  partial.completedRuns = 1;
  partial.windows = {"10", "200"};
  const std::vector<RoundTrip> cases = {
      {"one run", {Record(1000)}, {}},
      {"counts beyond 32 bits, three runs", {Record(5'000'000'000), Record(7), Record(0)}, {}},
      {"quoted free texts", {Record(99)}, quoted},
      {"runs after the completed one are empty", {Record(500)}, partial},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.what);
    const MeasurementSnapshot snapshot = test::SnapshotOf(c.records, c.settings);
    const TdcReadResult read = ReadTdcText(TdcFileText(snapshot));
    ASSERT_TRUE(read.measurement) << read.error;
    const TdcMeasurement& m = *read.measurement;
    EXPECT_EQ(m.header.tag, c.settings.tag);
    EXPECT_EQ(m.header.operatorName, c.settings.record.operatorName);
    EXPECT_EQ(m.header.cocktail, c.settings.record.cocktail);
    EXPECT_EQ(m.header.windowTexts, c.settings.windows);
    EXPECT_EQ(m.header.runsCompleted, snapshot.settings.completedRuns);
    ASSERT_EQ(m.runs.size(), snapshot.runs.size());
    for (std::size_t r = 0; r < m.runs.size(); ++r) {
      const TdcRun& run = m.runs[r];
      const MeasurementRun& written = snapshot.runs[r];
      EXPECT_EQ(run.start, written.start);
      for (std::size_t k = 0; k < TdcrRates::kKinds; ++k) {
        for (std::size_t comb = 0; comb < TdcrRates::kCombinations; ++comb) {
          EXPECT_EQ(std::to_string(run.coincidences[comb][k].counts), written.counters.coincidences[comb][k]);
          EXPECT_EQ(test::Printed("%10.3f", run.coincidences[comb][k].cps), written.readings.rates[comb][k]);
        }
      }
      EXPECT_EQ(std::to_string(run.singles[1][2].counts), written.counters.pmts[2].ext1);
      EXPECT_EQ(test::Printed("%10.3f", run.coincidenceLiveTimes[1][TdcrRates::kAB]),
                written.readings.liveTimes[1][TdcrRates::kAB]);
    }
  }
}

struct Malformed {
  const char* what;
  std::string text;
  std::string expected;  // part of the message
};

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(TdcReader, MalformedTextsAreRefusedWithTheLineAndTheReason) {
  const std::string golden = GoldenText();
  const std::vector<Malformed> cases = {
      {"empty", "", "line 1: the file ends where \"Hardware,\" should come"},
      {"another file", "TDCR Measurement\r\n",
       "line 1: expected \"Hardware,\" but found \"TDCR Measurement\""},
      {"count with a letter", Replaced(golden, "PMT B Raw [counts], 41000", "PMT B Raw [counts], 41O00"),
       "\"41O00\" after \"Run1: PMT B Raw [counts],\" is not a count"},
      {"count beyond 64 bits", Replaced(golden, "6000000123", "99999999999999999999"), "is not a count"},
      {"rate not a number", Replaced(golden, "Run1: Real Time [s],     2.500", "Run1: Real Time [s], two"),
       "line 27: \"two\" after \"Run1: Real Time [s],\" is not a number"},
      {"bad date", Replaced(golden, "07/03/2024  14:05:11.623", "31/13/2024  14:05:11.623"),
       "is not a start date and time"},
      {"lines out of order",
       Replaced(golden, "Run1: Live Time PMT A E1 [s],     2.400", "Run1: Live Time PMT A E2 [s],     2.400"),
       "line 28: expected \"Run1: Live Time PMT A E1 [s],\""},
      {"too many preset runs", Replaced(golden, "Preset Sequential Runs,3", "Preset Sequential Runs,65"),
       "is not a whole number from 1 to 64"},
      {"more completed than preset", Replaced(golden, "Runs Completed, 1", "Runs Completed, 4"),
       "is not a whole number from 0 to 3"},
      {"cut short in a run", golden.substr(0, golden.find("Run2: Coincidence T_M1")), "should come"},
      {"a run missing", golden.substr(0, golden.find("Run3: START")),
       "the file ends after 2 of 3 preset runs"},
      {"a run too many", golden + golden.substr(golden.find("Run3: START")),
       "follows the last of the 3 preset runs"},
      {"unterminated quote", Replaced(golden, "Operator,J. Doe", "Operator,\"J. Doe"),
       "the quoted text of \"Operator,\" never ends"},
      {"text after a quote", Replaced(golden, "Operator,J. Doe", "Operator,\"J.\" Doe"),
       "after the quoted text of \"Operator,\""},
  };
  for (const Malformed& c : cases) {
    const TdcReadResult read = ReadTdcText(c.text);
    EXPECT_FALSE(read.measurement) << c.what;
    EXPECT_NE(read.error.find(c.expected), std::string::npos) << c.what << ": " << read.error;
  }
  EXPECT_EQ(ReadTdcFile("/nonexistent/meas.tdc").error,
            "cannot open /nonexistent/meas.tdc: No such file or directory");
}

// The fuzz harness on seeded mutations of the golden file: bytes changed,
// inserted and deleted, lines doubled or dropped, the text cut, line ends
// changed. Catches crashes and broken invariants in the sanitizer tree too.
TEST(TdcReader, MutatedGoldenFilesNeverBreakTheReader) {
  const std::string golden = GoldenText();
  std::mt19937 random(20240307);
  const auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  };
  constexpr std::string_view kTricky = "0123456789 ,.\"\r\n-+eE:/xN";
  const auto start = std::chrono::steady_clock::now();
  int accepted = 0;
  constexpr int kMutants = 400;
  for (int i = 0; i < kMutants; ++i) {
    std::string text = i % 7 == 0 ? WithLfEnds(golden) : golden;
    for (std::size_t edits = 1 + below(4); edits > 0 && !text.empty(); --edits) {
      const std::size_t at = below(text.size());
      switch (below(6)) {
        case 0:
          text[at] = kTricky[below(kTricky.size())];
          break;
        case 1:
          text.insert(at, 1, static_cast<char>(below(256)));
          break;
        case 2:
          text.erase(at, 1 + below(40));
          break;
        case 3:
          text.resize(at);
          break;
        case 4: {
          const std::size_t lineStart =
              text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
          const std::size_t lineEnd = text.find('\n', at);
          text.insert(lineStart,
                      text.substr(lineStart, lineEnd == std::string::npos ? std::string::npos
                                                                          : lineEnd + 1 - lineStart));
          break;
        }
        default:
          text[at] = static_cast<char>(below(256));
          break;
      }
    }
    const fuzz::ReaderCheck check =
        fuzz::ExerciseTdcReader({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    ASSERT_TRUE(check.broken.empty()) << "mutant " << i << ": " << check.broken;
    accepted += check.read;
  }
  EXPECT_GT(accepted, 0) << "some mutants (a changed digit) are still .tdc files";
  EXPECT_LT(accepted, kMutants);
  RecordProperty(
      "mutation_loop_ms",
      std::to_string(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count()));
}

}  // namespace
}  // namespace korva
