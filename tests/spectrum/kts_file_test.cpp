#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "../support/scratch_files.h"
#include "formats/kts_reader.h"
#include "formats/kts_writer.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

const fs::path kGoldenFolder = KORVA_SPECTRUM_GOLDEN_DIR;

// The spectrum of golden/upper_half.kts: the upper half selected (input
// " PMT C - PHA": register 18 bit 14, register 83 = 2), soft size 1024.
CSpectrum GoldenSpectrum() {
  CSpectrum spectrum;
  spectrum.image.serialNumber = 42;
  spectrum.image.firmwareVersion = 215;
  spectrum.image.temperature = -5;
  spectrum.image.slowAdc = 3.3;
  spectrum.image.registers[18] = 0x4000;
  spectrum.image.registers[83] = 2;
  spectrum.image.registers[127] = 65535;
  spectrum.DeriveHalfSelector();
  spectrum.SetSizes(2048, 1024);
  auto& counts = spectrum.image.spectrum;
  counts[0] = 1234;  // the lower half is not written
  counts[4096] = 7;
  counts[4097] = 4294967295u;
  counts[4196] = 5;
  counts[4197] = 6;
  counts[4198] = 7;
  counts[8191] = 9;
  counts[8192] = 77;  // nor are the run records
  spectrum.roiMarks[101] = spectrum.roiMarks[102] = 1;
  spectrum.tag = "Vial 7 & <blank>";
  CalibrationRecord& calibration = spectrum.FileCalibration(6);
  calibration.enabled = 1;
  calibration.units = 2;
  calibration.pointCount = 2;
  calibration.channel[0] = 400.0;
  calibration.energy[0] = 661.657;
  calibration.use[0] = 1;
  calibration.channel[1] = 1000.5;
  calibration.energy[1] = 1173.2;
  spectrum.FileCalibration(0).pointCount = 5;  // another input: not in the file
  return spectrum;
}

KtsWriteContext GoldenContext() {
  KtsWriteContext context;
  context.modelCode = 3;
  context.acquisition = {12.5, 10.25, 18.0, "07/03/2024  14:05:08", "START TIME: UTC"};
  return context;
}

// golden/upper_half.kts was composed by hand, line by line, from the file
// format; it is never rewritten from this program.
TEST(KtsFileTest, WriterMatchesTheHandWrittenGoldenFile) {
  const std::string golden = ReadFile(kGoldenFolder / "upper_half.kts");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(KtsFileText(GoldenSpectrum(), GoldenContext()), golden);

  test::ScratchFolder folder;
  CSpectrum spectrum = GoldenSpectrum();
  ASSERT_EQ(SaveSpectrumFile(spectrum, folder / "out.kts", GoldenContext()), SpectrumFileStatus::kDone);
  EXPECT_EQ(ReadFile(folder / "out.kts"), golden);
  EXPECT_EQ(spectrum.hardSize, 4096);

  KtsWriteContext firstModel = GoldenContext();
  firstModel.modelCode = 0;
  const std::string text = KtsFileText(GoldenSpectrum(), firstModel);
  EXPECT_EQ(text.substr(22, 16), "<Veltra RQ3101>\n");
  EXPECT_TRUE(text.ends_with("</Veltra RQ3101>\n"));
}

TEST(KtsFileTest, GoldenFileLoadsIntoTheUpperHalf) {
  CSpectrum spectrum;
  spectrum.image.spectrum[4100] = 99;  // from an earlier load
  ASSERT_EQ(LoadSpectrumFile(spectrum, kGoldenFolder / "upper_half.kts"), SpectrumFileStatus::kDone);
  EXPECT_FALSE(spectrum.image.lowerHalfSelected);
  EXPECT_EQ(spectrum.image.spectrum[4096], 7u);
  EXPECT_EQ(spectrum.image.spectrum[4097], 4294967295u);
  EXPECT_EQ(spectrum.image.spectrum[4100], 0u);
  EXPECT_EQ(spectrum.image.spectrum[8191], 9u);
  EXPECT_EQ(spectrum.image.spectrum[0], 0u);
  EXPECT_EQ(spectrum.Channel(102), 7u);
  EXPECT_EQ(spectrum.tag, "Vial 7 & <blank>");
  EXPECT_EQ(spectrum.caption, "FILE: upper_half.kts  (Vial 7 & <blank>)");
  EXPECT_EQ(spectrum.hardSize, 4096);
  EXPECT_EQ(spectrum.softSize, 1024);
  EXPECT_EQ(spectrum.CompressionFactor(), 4u);
  EXPECT_EQ(spectrum.image.compressed[25], 5u + 6u + 7u);  // channels 100-103
  EXPECT_EQ(spectrum.displayRoiMarks[25], 0);              // 100 and 103 are not marked
  EXPECT_EQ(spectrum.image.registers[127], 65535);
  EXPECT_EQ(spectrum.image.serialNumber, 42);
  EXPECT_EQ(spectrum.image.firmwareVersion, 215);
  EXPECT_EQ(spectrum.image.temperature, -5);
  EXPECT_DOUBLE_EQ(spectrum.image.slowAdc, 3.3);
  const CalibrationRecord& calibration = spectrum.FileCalibration(6);
  EXPECT_EQ(calibration.pointCount, 2);
  EXPECT_DOUBLE_EQ(calibration.energy[0], 661.657);
  EXPECT_EQ(calibration.use[0], 1);
  EXPECT_EQ(calibration.useAll, 1);  // "useall" is not read back
}

// What a write and a read bring back, and what they do not.
TEST(KtsFileTest, RoundTrip) {
  struct Case {
    const char* what;
    std::function<void(CSpectrum&)> prepare;
    std::function<void(const CSpectrum& written, CSpectrum& read)> expect;
  };
  const std::vector<Case> cases = {
      {"lower half of input E with ROI marks",
       [](CSpectrum& s) {
         s.image.registers[18] = 0x8000;
         for (std::size_t i = 0; i < 4096; ++i)
           s.image.spectrum[i] = static_cast<std::uint32_t>(i * 1000003u);
         s.image.spectrum[5000] = 5;
         for (std::size_t i = 300; i < 320; ++i) s.roiMarks[i] = 1;
       },
       [](const CSpectrum&, CSpectrum& r) {
         EXPECT_TRUE(r.image.lowerHalfSelected);
         EXPECT_EQ(r.image.spectrum[5000], 0u);
         EXPECT_EQ(r.roiMarks[299] + r.roiMarks[300] + r.roiMarks[319] + r.roiMarks[320], 2);
       }},
      {"upper half", [](CSpectrum& s) { s.image.spectrum[4096 + 17] = 170; },
       [](const CSpectrum&, CSpectrum& r) {
         EXPECT_FALSE(r.image.lowerHalfSelected);
         EXPECT_EQ(r.image.spectrum[4096 + 17], 170u);
       }},
      {"tag with markup, ampersands and line breaks", [](CSpectrum& s) { s.tag = " a<b>&amp;c\r\nd\ne\rf "; },
       [](const CSpectrum&, CSpectrum& r) { EXPECT_EQ(r.tag, " a<b>&amp;c d e f "); }},
      // The Tag dialog's longest tag, escaped to five times its length.
      {"tag of 100 ampersands", [](CSpectrum& s) { s.tag = std::string(100, '&'); },
       [](const CSpectrum&, CSpectrum& r) { EXPECT_EQ(r.tag, std::string(100, '&')); }},
      {"tag of 100 less-than signs", [](CSpectrum& s) { s.tag = std::string(100, '<'); },
       [](const CSpectrum&, CSpectrum& r) { EXPECT_EQ(r.tag, std::string(100, '<')); }},
      {"ten calibration points, selected",
       [](CSpectrum& s) {
         s.image.registers[83] = 1;  // " PMT B - DPP"
         CalibrationRecord& c = s.FileCalibration(1);
         c.pointCount = 10;
         c.useAll = 0;
         c.enabled = 1;
         c.units = 3;
         for (std::size_t k = 0; k < 10; ++k) {
           c.channel[k] = 100.0 * static_cast<double>(k) + 0.25;
           c.energy[k] = -1.5 * static_cast<double>(k);
           c.use[k] = static_cast<std::int32_t>(k % 2);
         }
       },
       [](const CSpectrum& w, CSpectrum& r) {
         const CalibrationRecord& c = r.FileCalibration(1);
         EXPECT_EQ(c.pointCount, 10);
         EXPECT_EQ(c.useAll, 1);
         EXPECT_EQ(c.units, 3);
         EXPECT_EQ(c.enabled, 1);
         for (std::size_t k = 0; k < 10; ++k) {
           EXPECT_EQ(c.channel[k], w.FileCalibration(1).channel[k]);
           EXPECT_EQ(c.energy[k], w.FileCalibration(1).energy[k]);
           EXPECT_EQ(c.use[k], w.FileCalibration(1).use[k]);
         }
       }},
      {"status values",
       [](CSpectrum& s) {
         s.image.serialNumber = 65535;
         s.image.firmwareVersion = 29;  // 0.29 × 100 is just below 29 in binary
         s.image.temperature = -40;
         s.image.slowAdc = 4.996;
       },
       [](const CSpectrum&, CSpectrum& r) {
         EXPECT_EQ(r.image.serialNumber, 65535);
         EXPECT_EQ(r.image.firmwareVersion, 29);
         EXPECT_EQ(r.image.temperature, -40);
         EXPECT_DOUBLE_EQ(r.image.slowAdc, 5.0);  // two decimals
       }},
      {"soft size 682", [](CSpectrum& s) { s.SetSizes(4096, 682); },
       [](const CSpectrum&, CSpectrum& r) {
         EXPECT_EQ(r.softSize, 682);
         EXPECT_EQ(r.CompressionFactor(), 6u);
       }},
      {"what is not carried",
       [](CSpectrum& s) {
         s.FileCalibration(4).pointCount = 3;  // another input
         s.DisplayCalibration(0).a = 2.0;      // set 2
       },
       [](const CSpectrum&, CSpectrum& r) {
         EXPECT_EQ(r.FileCalibration(4).pointCount, 0);
         EXPECT_EQ(r.DisplayCalibration(0).a, 0.0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CSpectrum written;
    for (std::size_t i = 0; i < 4096; ++i)
      written.image.spectrum[4096 + i] = static_cast<std::uint32_t>(i % 13);
    written.image.registers[40] = 4040;
    written.tag = "plain";
    c.prepare(written);
    written.DeriveHalfSelector();
    CSpectrum read;
    ReadSpectrumText(read, KtsFileText(written, GoldenContext()), "x.kts");
    for (std::size_t i = 0; i < 4096; ++i) {
      ASSERT_EQ(read.Channel(i), written.Channel(i)) << i;
      ASSERT_EQ(read.roiMarks[i], written.roiMarks[i]) << i;
    }
    EXPECT_EQ(read.image.registers, written.image.registers);
    c.expect(written, read);
  }
}

TEST(KtsFileTest, FailedSaveLeavesTheEarlierFile) {
  test::ScratchFolder folder;
  CSpectrum spectrum = GoldenSpectrum();
  const KtsWriteContext context = GoldenContext();
  EXPECT_EQ(SaveSpectrumFile(spectrum, folder / "missing" / "a.kts", context),
            SpectrumFileStatus::kCannotCreate);
  fs::create_directory(folder / "folder.kts");
  EXPECT_EQ(SaveSpectrumFile(spectrum, folder / "folder.kts", context), SpectrumFileStatus::kCannotCreate);

  WriteFile(folder / "a.kts", "earlier");
  {
    const test::FileSizeLimit limit(1000);
    EXPECT_EQ(SaveSpectrumFile(spectrum, folder / "a.kts", context), SpectrumFileStatus::kWriteFailed);
  }
  EXPECT_EQ(ReadFile(folder / "a.kts"), "earlier");
  EXPECT_EQ(test::Listing(folder.Path()), (std::set<std::string>{"a.kts", "folder.kts"}));
  EXPECT_STREQ(SpectrumFileMessage(SpectrumFileStatus::kWriteFailed), "Error Writing to File");
  EXPECT_STREQ(SpectrumFileMessage(SpectrumFileStatus::kCannotCreate), "Unable to Save File");
}

TEST(KtsFileTest, LoadFailsWhenTheFileCannotBeOpenedOrHoldsNoSpectrum) {
  test::ScratchFolder folder;
  CSpectrum spectrum;
  spectrum.tag = "kept";
  EXPECT_EQ(LoadSpectrumFile(spectrum, folder / "none.kts"), SpectrumFileStatus::kCannotOpen);
  EXPECT_EQ(LoadSpectrumFile(spectrum, folder.Path()), SpectrumFileStatus::kCannotOpen);
  EXPECT_EQ(spectrum.tag, "kept");
  EXPECT_STREQ(SpectrumFileMessage(SpectrumFileStatus::kCannotOpen), "Unable to Open File");

  // A spectrum block without counts is refused, and the record kept.
  WriteFile(folder / "no counts.kts", "<spectrum>\n<tag>ro</tag>\n</spectrum>\n");
  KtsReading reading;
  EXPECT_EQ(LoadSpectrumFile(spectrum, folder / "no counts.kts", &reading),
            SpectrumFileStatus::kNotASpectrum);
  EXPECT_EQ(reading.refusal, "no counts.kts has no counts in its spectrum block");
  EXPECT_EQ(spectrum.tag, "kept");

  // A file the user may only read opens like any other.
  WriteFile(folder / "read only.kts",
            "<spectrum>\n<tag>ro</tag>\n<offset>0</offset>\n<data>\n</data>\n</spectrum>\n");
  fs::permissions(folder / "read only.kts", fs::perms::owner_read);
  EXPECT_EQ(LoadSpectrumFile(spectrum, folder / "read only.kts"), SpectrumFileStatus::kDone);
  EXPECT_EQ(spectrum.tag, "ro");
  EXPECT_EQ(spectrum.caption, "FILE: read only.kts  (ro)");
}

}  // namespace
}  // namespace korva
