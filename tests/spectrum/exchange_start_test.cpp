#include <gtest/gtest.h>

#include <algorithm>

#include "../support/scratch_files.h"
#include "acquisition/acquisition_settings.h"
#include "formats/exchange_file.h"
#include "formats/kts_writer.h"
#include "formats/spectrum_file_context.h"
#include "spectrum/acquisition_start_stamp.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

ExchangeSpectrum OddSecondSpectrum(const char* start, const char* reference) {
  ExchangeSpectrum spectrum;
  spectrum.counts = {5, 7, 11};
  spectrum.realSeconds = 10.0;
  spectrum.liveSeconds = 9.5;
  spectrum.start = ParseIsoDateTime(start);
  spectrum.timeReference = reference;
  return spectrum;
}

struct StartCase {
  const char* name;  // the file's extension, then words for the test name
  ExchangeFormat format;
  const char* start;
  const char* reference;
  const char* shown;  // the date-time field, worked out by hand
};

class ExchangeStart : public ::testing::TestWithParam<StartCase> {};

// The instrument's registers hold seconds in steps of 2; an imported start
// on an odd second is shown and exported again on that second, through
// two exports and imports, while the registers still hold the 2 s step.
TEST_P(ExchangeStart, AnOddSecondSurvivesExportAndReopening) {
  test::ScratchFolder folder;
  const StartCase& c = GetParam();
  const std::string extension = std::string(c.name).substr(0, 4);
  const fs::path first = folder.Path() / ("first" + extension);
  const fs::path second = folder.Path() / ("second" + extension);
  ASSERT_EQ(SaveExchangeFile(OddSecondSpectrum(c.start, c.reference), c.format, first),
            SpectrumFileStatus::kDone);
  CSpectrum opened;
  ASSERT_EQ(LoadAnySpectrumFile(opened, first), "");
  EXPECT_EQ(AcquisitionValuesOf(opened).startDateTime, c.shown);
  EXPECT_EQ(ReadAcquisition(opened).startStamp, c.shown);
  // 07:24:53 in the registers: 53 / 2 = 26, + 32 x 24, + 2048 x 7.
  EXPECT_EQ(opened.image.registers[23], 26 + 32 * 24 + 2048 * 7);
  EXPECT_FALSE(ReadAcquisitionSettings(opened.image.registers).digitalPulser) << "a measured spectrum";

  ASSERT_EQ(SaveExchangeFile(ExchangeSpectrumOf(opened, {}), c.format, second), SpectrumFileStatus::kDone);
  CSpectrum reopened;
  ASSERT_EQ(LoadAnySpectrumFile(reopened, second), "");
  EXPECT_EQ(AcquisitionValuesOf(reopened).startDateTime, c.shown);
  ASSERT_TRUE(ExchangeSpectrumOf(reopened, {}).start);
  EXPECT_EQ(ExchangeSpectrumOf(reopened, {}).start->wall.second, 53);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExchangeStart,
                         ::testing::Values(StartCase{".n42", ExchangeFormat::kN42, "2026-12-09T07:24:53Z",
                                                     "UTC", "09/12/2026  07:24:53"},
                                           StartCase{".spe", ExchangeFormat::kSpe, "2026-12-09T07:24:53Z",
                                                     "UTC", "09/12/2026  07:24:53"},
                                           StartCase{".n42 with an offset", ExchangeFormat::kN42,
                                                     "2026-12-09T08:24:53+01:00", "SYSTEM",
                                                     "09/12/2026  07:24:53"}),
                         [](const auto& test) {
                           std::string name = test.param.name + 1;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

// What the record keeps beside the registers gives way to them: a new
// stamp in the registers, and a .kts file, which holds only the registers.
TEST(ExchangeStartKept, TheRegistersWinOnceTheyHoldAnotherStart) {
  test::ScratchFolder folder;
  const fs::path spe = folder.Path() / "odd.spe";
  ASSERT_EQ(SaveExchangeFile(OddSecondSpectrum("2026-12-09T07:24:53Z", "UTC"), ExchangeFormat::kSpe, spe),
            SpectrumFileStatus::kDone);
  CSpectrum spectrum;
  ASSERT_EQ(LoadAnySpectrumFile(spectrum, spe), "");

  const fs::path kts = folder.Path() / "odd.kts";
  ASSERT_EQ(SaveSpectrumFile(spectrum, kts, KtsContextOf(spectrum, 3)), SpectrumFileStatus::kDone);
  CSpectrum fromKts = spectrum;
  ASSERT_EQ(LoadAnySpectrumFile(fromKts, kts), "");
  EXPECT_EQ(AcquisitionValuesOf(fromKts).startDateTime, "09/12/2026  07:24:52") << "the registers' 2 s step";

  spectrum.image.registers[23] = 0 + 32 * 25 + 2048 * 7;
  EXPECT_EQ(AcquisitionValuesOf(spectrum).startDateTime, "09/12/2026  07:25:00");
  spectrum.image.registers[22] = 0;
  EXPECT_EQ(AcquisitionValuesOf(spectrum).startDateTime, "WAITING FOR START");
  EXPECT_FALSE(ExchangeSpectrumOf(spectrum, {}).start);
}

}  // namespace
}  // namespace korva
