#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measurement_fixture.h"

namespace korva {
namespace {

using test::ReadFile;

const std::filesystem::path kGoldenFolder = KORVA_TDCR_GOLDEN_DIR;

// Records of an RFC 4180 text: CR LF ends a record, commas separate fields,
// a field in double quotes may hold commas, line breaks and doubled quotes.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += text[++i];
      } else {
        quoted = false;
      }
    } else if (c == '"' && field.empty()) {
      quoted = true;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      record.push_back(std::move(field));
      field.clear();
      records.push_back(std::move(record));
      record.clear();
      ++i;
    } else {
      field += c;
    }
  }
  EXPECT_TRUE(field.empty() && record.empty() && !quoted) << "the last record has no line end";
  return records;
}

bool HasLine(const std::string& text, const std::string& line) {
  return text.find("\n" + line + "\r\n") != std::string::npos;
}

class MeasurementFilesTest : public ::testing::Test, protected test::MeasurementFixture {};

// The golden copies were checked line by line against the file formats.
// KORVA_UPDATE_GOLDEN=1 rewrites them from this build, to be checked again.
TEST_F(MeasurementFilesTest, FilesMatchTheGoldenCopies) {
  tdcr.SelectViewRun(2);
  ASSERT_EQ(saver.SaveMeasurement(), SaveOutcome::kSaved);
  for (const char* name : {"meas.tdc", "meas.csv", "meas.xml"}) {
    const std::string written = ReadFile(folder / name);
    if (std::getenv("KORVA_UPDATE_GOLDEN") != nullptr) test::WriteFile(kGoldenFolder / name, written);
    EXPECT_EQ(written, ReadFile(kGoldenFolder / name)) << name;
  }
  EXPECT_EQ(tdcr.ViewRun(), 2);

  // What the golden copies must go on showing when they are rewritten.
  const std::string tdc = ReadFile(folder / "meas.tdc");
  EXPECT_TRUE(HasLine(tdc, "Run1: PMT A Raw [counts], 6000000123"));
  EXPECT_TRUE(HasLine(tdc, "Runs Completed, 1"));
  EXPECT_TRUE(HasLine(tdc, "Run2: START TIME: UTC,07/03/2024  14:05:11.623"));
  EXPECT_TRUE(HasLine(tdc, "Run3: START TIME: UTC,07/03/2024  14:05:12.916"));
  const std::string csv = ReadFile(folder / "meas.csv");
  EXPECT_TRUE(csv.find("\r\n1,0.000000,") != std::string::npos);
  // Gap 0: each run starts after the real times of the runs before it, each
  // followed by 0.0001 x K x 1000 s (run 1: 2.5 s, run 2 stopped at 1.293 s).
  EXPECT_TRUE(csv.find("\r\n2,2.500138,") != std::string::npos);
  EXPECT_TRUE(csv.find("\r\n3,3.793225,") != std::string::npos);
}

TEST_F(MeasurementFilesTest, CsvKeepsItsColumnsAndValuesForACsvReader) {
  tdcr.SetRecordTexts({"Doe, \"JD\"", "H-3", "two\r\nlines", ""});
  ASSERT_EQ(saver.SaveMeasurement(), SaveOutcome::kSaved);
  const auto records = ReadCsv(ReadFile(folder / "meas.csv"));
  ASSERT_EQ(records.size(), 24u + 3u);
  EXPECT_EQ(records[7], (std::vector<std::string>{"Operator", "Doe, \"JD\""}));
  EXPECT_EQ(records[9], (std::vector<std::string>{"LS Coctail", "two\r\nlines"}));
  EXPECT_EQ(records[10], (std::vector<std::string>{"High Voltage", ""}));
  for (std::size_t line = 1; line < 23; ++line) EXPECT_LE(records[line].size(), 3u) << line;

  const std::vector<std::string>& header = records[23];
  ASSERT_EQ(header.size(), 23u);
  EXPECT_EQ(header[3], "AB-N1[cps]");
  EXPECT_EQ(header[22], "T-M2[cps]");
  for (int run = 1; run <= 3; ++run) {
    const std::vector<std::string>& row = records[23 + static_cast<std::size_t>(run)];
    ASSERT_EQ(row.size(), header.size() + 1) << run;
    EXPECT_EQ(row.back(), "");
    EXPECT_EQ(row[0], std::to_string(run));
    tdcr.SelectViewRun(run);
    const TdcrRateTexts& shown = tdcr.Form().readings;
    EXPECT_EQ(row[2], shown.realTime);
    EXPECT_EQ(row[6], shown.rates[TdcrRates::kN1][TdcrRates::kD]);
    EXPECT_EQ(row[7], shown.rates[TdcrRates::kN1][TdcrRates::kT]);
    EXPECT_EQ(row[22], shown.rates[TdcrRates::kM2][TdcrRates::kT]);
  }
}

}  // namespace
}  // namespace korva
