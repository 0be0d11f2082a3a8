#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "archive/archive_entry.h"
#include "archive/archive_filter.h"
#include "archive/archive_schema.h"
#include "archive/saved_file_description.h"
#include "common/files_saved.h"
#include "formats/kts_writer.h"
#include "formats/spectrum_csv.h"

namespace korva {
namespace {

TEST(ArchiveFilterTest, NarrowsOnlyByWhatIsGivenAndEscapesPatterns) {
  EXPECT_EQ(FilterSql({}).sql, "");
  ArchiveFilter filter;
  filter.since = "2026-06-01";
  filter.until = "2026-06-30";
  filter.kind = SavedKind::kAnalysisExport;
  filter.text = "H-3 100%_";
  const FilterClause clause = FilterSql(filter);
  EXPECT_EQ(clause.sql,
            "WHERE saved_at >= ? AND saved_at <= ? AND kind = ? AND search_text LIKE ? ESCAPE '\\'");
  ASSERT_EQ(clause.values.size(), 4u);
  // The last second of the last day still sorts before the bound.
  EXPECT_LT(std::string("2026-06-30T23:59:59Z"), clause.values[1]);
  EXPECT_EQ(clause.values[2], "analysis");
  EXPECT_EQ(clause.values[3], "%h-3 100\\%\\_%");
}

TEST(ArchiveFilterTest, DayTextsAreRealDays) {
  for (const char* good : {"2026-06-01", "2024-02-29", "2000-02-29"}) EXPECT_TRUE(IsDayText(good)) << good;
  for (const char* bad :
       {"", "2026-6-01", "2026-13-01", "2023-02-29", "1900-02-29", "2026-04-31", "abcd-ef-gh"})
    EXPECT_FALSE(IsDayText(bad)) << bad;
}

TEST(ArchiveEntryTest, KindNamesRoundTripAndUnknownNamesAreRefused) {
  for (const SavedKind kind : AllSavedKinds()) EXPECT_EQ(SavedKindNamed(SavedKindName(kind)), kind);
  EXPECT_EQ(AllSavedKinds().size(), 7u);
  EXPECT_EQ(SavedKindNamed("report"), SavedKind::kMeasurementReport);
  EXPECT_FALSE(SavedKindNamed("TDCR"));
}

TEST(ArchiveEntryTest, LiveInstrumentFillsOnlyGapsAndOffsetsOnlyForTheSameReference) {
  InstrumentProvenance file{"Veltra RQ3102", "00017", "", "", "UTC", {}, {}};
  const InstrumentProvenance live{"Veltra RQ3101", "00099", "1.20", "3.0", "UTC", 0.012, "pool.ntp.org"};
  FillInstrumentGaps(file, live);
  EXPECT_EQ(file.model, "Veltra RQ3102");
  EXPECT_EQ(file.serialNumber, "00017");
  EXPECT_EQ(file.firmwareVersion, "1.20");
  EXPECT_EQ(file.ntpOffsetSeconds, 0.012);
  EXPECT_EQ(file.ntpServer, "pool.ntp.org");
  InstrumentProvenance local{"", "", "", "", "LOCAL", {}, {}};
  FillInstrumentGaps(local, live);
  EXPECT_FALSE(local.ntpOffsetSeconds);
  EXPECT_EQ(local.ntpServer, "");
}

TEST(ArchiveSchemaTest, MigrationsAreNumberedInOrderAndDifferOnlyInTheKey) {
  const auto sqlite = ArchiveMigrations(SqlDialect::kSqlite);
  const auto postgres = ArchiveMigrations(SqlDialect::kPostgres);
  ASSERT_EQ(sqlite.size(), postgres.size());
  for (std::size_t i = 0; i < sqlite.size(); ++i) {
    EXPECT_EQ(sqlite[i].version, static_cast<int>(i) + 1);
    EXPECT_EQ(sqlite[i].statements.size(), postgres[i].statements.size());
  }
  EXPECT_EQ(CurrentSchemaVersion(), sqlite.back().version);
}

TEST(SavedFileDescriptionTest, SpectrumFilesGiveTagTimesAndTotalCounts) {
  CSpectrum spectrum;
  spectrum.tag = "H-3 vial 7 <std>";
  spectrum.image.serialNumber = 42;
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) spectrum.image.spectrum[i] = i < 10 ? 5 : 0;
  AcquisitionValues times{120.5, 118.25, 1.87, "09/12/2026  08:01:02", "START TIME: UTC"};
  const EntryDescription kts = DescribeSavedText(
      SavedKind::kSpectrum, KtsFileText(spectrum, KtsWriteContext{DeviceImage::kModelCodeRQ3102, times}));
  EXPECT_EQ(kts.record.tag, "H-3 vial 7 <std>");
  EXPECT_EQ(kts.instrument.model, "Veltra RQ3102");
  // The file's own serial number, not the one of whatever instrument is
  // connected when a spectrum opened from a file is saved again.
  EXPECT_EQ(kts.instrument.serialNumber, "00042");
  EXPECT_EQ(kts.result, "50 counts, live 118.2500 s, real 120.5000 s");

  const EntryDescription csv = DescribeSavedText(
      SavedKind::kSpectrumExport, SpectrumCsvText(spectrum, true, SpectrumCsvContext{"PMT A", times}));
  EXPECT_EQ(csv.record.tag, "H-3 vial 7 <std>");
  EXPECT_EQ(csv.instrument.timeReference, "UTC");
  EXPECT_EQ(csv.result, kts.result);
}

// The golden file's one completed run, N1 with extension 1: rates
// AB 30000/2.45, BC 31000/2.43, AC 32000/2.44, T 25000/2.42 counts/s;
// D = AB + BC + AC - 2 T = 17455.70/s, T/D = 0.59182. Raw counts would
// give 25000/38000 = 0.6579.
TEST(SavedFileDescriptionTest, MeasurementResultDividesRatesNotCounts) {
  std::ifstream in(KORVA_TDCR_GOLDEN_DIR "/meas.tdc", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(DescribeSavedText(SavedKind::kTdcrMeasurement, text).result, "1 runs, mean T/D 0.5918");
}

TEST(SavedFileDescriptionTest, ForeignTextGivesAnEmptyDescriptionNeverAFailure) {
  for (const SavedKind kind : AllSavedKinds()) {
    for (const char* text :
         {"", "\n\n\r", "<tag>", "Channel, Counts\n1, x\n2,", "<spectrum>\n<data>\n+\n-5\n1e999"}) {
      const EntryDescription d = DescribeSavedText(kind, text);
      EXPECT_TRUE(d.record.tag.empty());
    }
  }
}

TEST(SavedFileDescriptionTest, KtsElementsAreTakenOnlyWhenTheyOpenAndCloseTheirLine) {
  const auto tagOf = [](const std::string& line) {
    return DescribeSavedText(SavedKind::kSpectrum,
                             "<?xml version=\"1.0\"?>\n<M>\n<spectrum>\n" + line + "\n</spectrum>\n")
        .record.tag;
  };
  EXPECT_EQ(tagOf("  <tag>a b</tag>\r"), "a b");
  EXPECT_EQ(tagOf("<tag><tag></tag></tag>"), "<tag></tag>");
  for (const char* other : {"<tag>a</tag", "tag>a</tag>", "<tagx>a</tag>", "<tag>a</tagx>", "<tag>a<tag>",
                            "x<tag>a</tag>", "<tag>a</tag>x", "<tag>a/tag>", "<tag>"})
    EXPECT_EQ(tagOf(other), "") << other;
}

TEST(SavedFileDescriptionTest, KindsFollowNamesAndTheFirstLineOfACsv) {
  EXPECT_EQ(KindOfSavedFile("run.TDC", ""), SavedKind::kTdcrMeasurement);
  EXPECT_EQ(KindOfSavedFile("a.kts", ""), SavedKind::kSpectrum);
  EXPECT_EQ(KindOfSavedFile("a.rgv", ""), SavedKind::kRegisterFile);
  EXPECT_EQ(KindOfSavedFile("vial.PDF", ""), SavedKind::kMeasurementReport);
  EXPECT_EQ(KindOfSavedFile("a.json", ""), SavedKind::kAnalysisExport);
  EXPECT_EQ(KindOfSavedFile("a.csv", "Spectrum from Input,PMT A"), SavedKind::kSpectrumExport);
  EXPECT_EQ(KindOfSavedFile("a.csv", "korva-TDCR Trace Viewer: Captured Traces"), SavedKind::kTraceExport);
  // The CSV beside a .tdc belongs to the measurement's entry.
  EXPECT_FALSE(KindOfSavedFile("meas.csv", "TDCR MEASUREMENT"));
  EXPECT_FALSE(KindOfSavedFile("meas.xml", "<?xml"));
}

struct Recording : SavedFilesListener {
  std::vector<SavedFiles> told;
  void OnFilesSaved(const SavedFiles& saved) override { told.push_back(saved); }
};
struct Throwing : SavedFilesListener {
  void OnFilesSaved(const SavedFiles&) override { throw std::runtime_error("archive broke"); }
};

TEST(FilesSavedTest, EveryListenerIsToldAndAThrowingOneDoesNotStopTheOthers) {
  Recording first, last;
  Throwing broken;
  {
    const SavedFilesSubscription a(first), b(broken), c(last);
    AnnounceSavedFiles(SavedKind::kRegisterFile, {"/data/set.rgv"});
  }
  AnnounceSavedFiles(SavedKind::kRegisterFile, {"/data/after.rgv"});
  ASSERT_EQ(first.told.size(), 1u);
  ASSERT_EQ(last.told.size(), 1u);
  EXPECT_EQ(last.told.front().paths.front(), "/data/set.rgv");
}

}  // namespace
}  // namespace korva
