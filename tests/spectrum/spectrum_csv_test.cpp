#include "formats/spectrum_csv.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "../support/scratch_files.h"

namespace korva {
namespace {

SpectrumCsvContext Context() {
  SpectrumCsvContext context;
  context.inputName = " PMT B - DPP";
  context.acquisition = {12.5, 10.25, 18.0, "07/03/2024  14:05:08", "START TIME: UTC"};
  return context;
}

// Channel i of the upper half holds i + 1.
CSpectrum Counting() {
  CSpectrum spectrum;
  for (std::size_t i = 0; i < 4096; ++i)
    spectrum.image.spectrum[4096 + i] = static_cast<std::uint32_t>(i + 1);
  spectrum.image.lowerHalfSelected = false;
  spectrum.tag = "Vial 7";
  return spectrum;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(SpectrumCsvTest, HeaderAndHardSizeRows) {
  CSpectrum spectrum = Counting();
  spectrum.SetSizes(4096, 2048);
  const std::string text = SpectrumCsvText(spectrum, true, Context());
  const std::string header =
      "Spectrum from Input, PMT B - DPP\n"
      "Date [dd/mm/yyyy], UTC,07/03/2024\n"
      "Time [hh:mm:ss], UTC, 14:05:08\n"
      "TAG,Vial 7\n"
      "Real Time[s],    12.5000\n"
      "Live Time[s],    10.2500\n"
      "\n"
      "Channel, Counts\n"
      "0, 1\n"
      "1, 2\n";
  EXPECT_EQ(text.substr(0, header.size()), header);
  EXPECT_TRUE(text.ends_with("\n4095, 4096\n"));
  EXPECT_EQ(LinesOf(text).size(), 8u + 4096u);
}

TEST(SpectrumCsvTest, SoftSizeRowsAreTheCompressedSums) {
  struct Case {
    std::int32_t soft;
    std::uint32_t factor;
  };
  for (const Case& c :
       {Case{4096, 1}, Case{2048, 2}, Case{1365, 3}, Case{1024, 4}, Case{682, 6}, Case{512, 8}}) {
    SCOPED_TRACE(c.soft);
    CSpectrum spectrum = Counting();
    spectrum.SetSizes(4096, c.soft);
    spectrum.image.spectrum[4096] = 1000;  // changed after the last rebuild: the export sums afresh
    const std::vector<std::string> lines = LinesOf(SpectrumCsvText(spectrum, false, Context()));
    ASSERT_EQ(lines.size(), 8u + static_cast<std::size_t>(c.soft));
    // Row k sums channels k·f ... k·f + f − 1, which hold k·f + 1 ... k·f + f.
    const auto sum = [&](std::uint32_t row) {
      std::uint32_t total = 0;
      for (std::uint32_t i = row * c.factor; i < (row + 1) * c.factor; ++i) total += i == 0 ? 1000 : i + 1;
      return total;
    };
    EXPECT_EQ(lines[8], "0, " + std::to_string(sum(0)));
    const auto last = static_cast<std::uint32_t>(c.soft - 1);
    EXPECT_EQ(lines.back(), std::to_string(last) + ", " + std::to_string(sum(last)));
  }
}

TEST(SpectrumCsvTest, SizesAreClampedAndFreeTextsStayOneField) {
  CSpectrum spectrum = Counting();
  spectrum.hardSize = 9000;
  spectrum.softSize = 100;
  spectrum.tag = "A, \"B\"";
  SpectrumCsvContext context = Context();
  context.acquisition.startDateTime = "WAITING FOR START";
  context.acquisition.startTimeLabel = "START TIME";
  const std::vector<std::string> lines = LinesOf(SpectrumCsvText(spectrum, false, context));
  EXPECT_EQ(spectrum.hardSize, 4096);
  EXPECT_EQ(spectrum.softSize, 512);
  EXPECT_EQ(lines[1], "Date [dd/mm/yyyy],,WAITING");
  EXPECT_EQ(lines[2], "Time [hh:mm:ss],,FOR START");
  EXPECT_EQ(lines[3], "TAG,\"A, \"\"B\"\"\"");
}

TEST(SpectrumCsvTest, FailedExportLeavesTheEarlierFile) {
  test::ScratchFolder folder;
  CSpectrum spectrum = Counting();
  EXPECT_EQ(ExportSpectrumCsv(spectrum, folder / "none" / "a.csv", true, Context()),
            SpectrumFileStatus::kCannotCreate);
  test::WriteFile(folder / "a.csv", "earlier");
  {
    const test::FileSizeLimit limit(2000);
    EXPECT_EQ(ExportSpectrumCsv(spectrum, folder / "a.csv", true, Context()),
              SpectrumFileStatus::kWriteFailed);
  }
  EXPECT_EQ(test::ReadFile(folder / "a.csv"), "earlier");
  EXPECT_EQ(test::Listing(folder.Path()).size(), 1u);
  ASSERT_EQ(ExportSpectrumCsv(spectrum, folder / "a.csv", false, Context()), SpectrumFileStatus::kDone);
  EXPECT_EQ(LinesOf(test::ReadFile(folder / "a.csv")).size(), 8u + 4096u);
}

}  // namespace
}  // namespace korva
