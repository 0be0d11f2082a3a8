#include "scope/trace_export.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "../support/scratch_files.h"

namespace korva {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TraceExportSource Source() {
  TraceExportSource source;
  source.timeBaseCode = 8;
  source.delay = 12;
  for (int i = 0; i < 256; ++i)
    source.trace[static_cast<std::size_t>(i)].analog = static_cast<std::int16_t>(i - 3);
  source.trace[0].lines = 0x0005;
  source.trace[255].lines = 0x80;
  return source;
}

TEST(TraceExportText, RawLayoutAndTimeColumn) {
  const auto lines = Lines(TraceExportText(Source(), TraceExportKind::kRaw));
  ASSERT_EQ(lines.size(), 7u + 256u);
  EXPECT_EQ(lines[0], "korva-TDCR Trace Viewer: Captured Traces");
  EXPECT_EQ(lines[1], "Digital Signal: SLOW (RAW DATA)");
  EXPECT_EQ(lines[2], "Traces Averaged: SINGLE TRACE");
  EXPECT_EQ(lines[3], "Trigger Source: F LLD");
  EXPECT_EQ(lines[4], "Trigger Delay: 12 samples (0.0960 us)");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "Sample,Time [us],SLOW,F LLD,S LLD,PKDT,STORE,PUR,INHIBIT,INPUT R,ROI-SCA");
  EXPECT_EQ(lines[7], "0,-0.0960,-3,1,0,1,0,0,0,0,0");
  EXPECT_EQ(lines[7 + 12], "12,0.0000,9,0,0,0,0,0,0,0,0");
  EXPECT_EQ(lines[7 + 255], "255,1.9440,252,0,0,0,0,0,0,0,1");
}

TEST(TraceExportText, HeaderFollowsModeAndDisplay) {
  TraceExportSource source = Source();
  source.input = kTraceFast;
  source.triggerSource = kInputRLine;
  source.coincidenceDisplay = true;
  source.mode = TraceMode::kSgl;
  auto lines = Lines(TraceExportText(source, TraceExportKind::kNormalized));
  EXPECT_EQ(lines[1], "Digital Signal: FAST (NORMALIZED DATA)");
  EXPECT_EQ(lines[2], "Traces Averaged: SINGLE TRACE");
  EXPECT_EQ(lines[3], "Trigger Source: COINC S");
  EXPECT_EQ(lines[6], "Sample,Time [us],FAST,F LLD,S LLD,PKDT,STORE,PUR,COINC W,COINC S,ROI-SCA");

  source.mode = TraceMode::kAv8;
  source.timeBaseCode = 60;  // 50 sample periods a sample
  source.delay = 2;
  lines = Lines(TraceExportText(source, TraceExportKind::kRaw));
  EXPECT_EQ(lines[2], "Traces Averaged: 8");
  EXPECT_EQ(lines[4], "Trigger Delay: 2 samples (0.8000 us)");
  EXPECT_EQ(lines[7].substr(0, 10), "0,-0.8000,");

  source.mode = TraceMode::kRnd;
  EXPECT_EQ(Lines(TraceExportText(source, TraceExportKind::kRaw))[3], "Trigger Source: RANDOM");
}

TEST(TraceExportText, NormalizedValuesTruncateTowardZero) {
  TraceExportSource source;
  source.slowShift = 9;
  source.slowRise = 240;
  source.fastShift = 3;
  source.fastRise = 0;  // counts as 1
  const auto normalized = TraceExportKind::kNormalized;
  EXPECT_EQ(TraceExportValue(100, source, normalized), 213);
  EXPECT_EQ(TraceExportValue(-100, source, normalized), -213);
  EXPECT_EQ(TraceExportValue(-100, source, TraceExportKind::kRaw), -100);
  source.input = kTraceFast;
  EXPECT_EQ(TraceExportValue(-7, source, normalized), -56);
  source.input = kTraceAdc;
  EXPECT_EQ(TraceExportValue(-32768, source, normalized), -65536);
  source.input = kTraceAux;
  source.slowShift = 15;
  source.slowRise = 0;
  EXPECT_EQ(TraceExportValue(32767, source, normalized), 32767LL * 32768);
}

TEST(TraceExportFile, ExtensionRule) {
  EXPECT_EQ(TraceExportNameFor("/data/trace"), "/data/trace.csv");
  EXPECT_EQ(TraceExportNameFor("/data/trace.txt"), "/data/trace.txt");
  EXPECT_EQ(TraceExportNameFor("/data/trace.v2.dat"), "/data/trace.v2.dat");
  EXPECT_EQ(TraceExportNameFor("/data.d/trace"), "/data.d/trace.csv");
}

TEST(TraceExportFile, WritesOrKeepsTheEarlierFile) {
  test::ScratchFolder folder;
  const auto target = folder / "trace.csv";
  ASSERT_EQ(SaveTraceExport(target, Source(), TraceExportKind::kRaw), TraceExportStatus::kDone);
  EXPECT_EQ(test::ReadFile(target), TraceExportText(Source(), TraceExportKind::kRaw));
  EXPECT_TRUE(TraceExportMessage(TraceExportStatus::kDone).empty());

  test::WriteFile(target, "earlier");
  {
    test::FileSizeLimit limit(1000);
    const auto status = SaveTraceExport(target, Source(), TraceExportKind::kRaw);
    EXPECT_EQ(status, TraceExportStatus::kWriteFailed);
    EXPECT_EQ(TraceExportMessage(status), "Error opening the file\nand saving the traces!");
  }
  EXPECT_EQ(test::ReadFile(target), "earlier");
  EXPECT_EQ(test::Listing(folder.Path()).size(), 1u);

  EXPECT_EQ(SaveTraceExport(folder / "missing" / "trace.csv", Source(), TraceExportKind::kRaw),
            TraceExportStatus::kCreateFailed);
}

}  // namespace
}  // namespace korva
