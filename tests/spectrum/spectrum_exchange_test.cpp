#include <gtest/gtest.h>

#include <regex>

#include "../support/scratch_files.h"
#include "devicelink/hardware_identity.h"
#include "devicelink/register_edit.h"
#include "formats/exchange_file.h"
#include "formats/kts_writer.h"
#include "formats/n42_reader.h"
#include "formats/n42_writer.h"
#include "formats/spe_reader.h"
#include "formats/spe_writer.h"
#include "formats/spectrum_file_context.h"
#include "spectrum/spectrum_calibration.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

const fs::path kGoldenFolder = KORVA_SPECTRUM_GOLDEN_DIR;

// The spectrum of golden/bi207.n42 and golden/bi207.spe.
ExchangeSpectrum GoldenExchange() {
  ExchangeSpectrum spectrum;
  spectrum.maker = "Korva";
  spectrum.model = "Veltra RQ3102";
  spectrum.serialNumber = "00042";
  spectrum.firmwareVersion = "2.15";
  spectrum.fpgaVersion = "3.1";
  spectrum.inputName = "PMT A - DPP";
  spectrum.tag = "Bi-207 & <vial 3>";
  for (std::uint32_t i = 0; i < 16; ++i) spectrum.counts.push_back(i);
  spectrum.counts.insert(spectrum.counts.end(), {4294967295u, 0, 17});
  spectrum.realSeconds = 5.0000128;
  spectrum.liveSeconds = 4.75;
  spectrum.start = ParseIsoDateTime("2026-12-09T07:24:52Z");
  spectrum.timeReference = "UTC";
  spectrum.ntpOffsetSeconds = -0.0125;
  spectrum.calibration = KeVPolynomial{-12.5, 0.5, 0.0};
  return spectrum;
}

void ExpectSameExchange(const ExchangeSpectrum& read, const ExchangeSpectrum& expected) {
  EXPECT_EQ(read.counts, expected.counts);
  EXPECT_DOUBLE_EQ(read.realSeconds, expected.realSeconds);
  EXPECT_DOUBLE_EQ(read.liveSeconds, expected.liveSeconds);
  ASSERT_TRUE(read.start);
  EXPECT_EQ(read.start->wall, expected.start->wall);
  EXPECT_EQ(read.start->utcOffsetMinutes, expected.start->utcOffsetMinutes);
  EXPECT_EQ(read.tag, expected.tag);
  EXPECT_EQ(read.timeReference, expected.timeReference);
  EXPECT_EQ(read.ntpOffsetSeconds, expected.ntpOffsetSeconds);
  EXPECT_EQ(read.calibration, expected.calibration);
}

TEST(ExchangeGolden, N42TextIsTheHandWrittenDocument) {
  const std::string written = N42FileText(GoldenExchange(), "Korva-TDCR 7.0");
  std::smatch id;
  ASSERT_TRUE(std::regex_search(
      written, id,
      std::regex("n42DocUUID=\"([0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-8[0-9a-f]{3}-[0-9a-f]{12})\"")));
  std::string expected = ReadFile(kGoldenFolder / "bi207.n42");
  expected.replace(expected.find("@UUID@"), 6, id[1].str());
  EXPECT_EQ(written, expected);
  EXPECT_EQ(N42FileText(GoldenExchange(), "Korva-TDCR 7.0"), written)
      << "the document id follows the content";
}

TEST(ExchangeGolden, SpeTextIsTheHandWrittenFile) {
  EXPECT_EQ(SpeFileText(GoldenExchange()), ReadFile(kGoldenFolder / "bi207.spe"));
}

TEST(ExchangeGolden, BothReadersGiveBackWhatWasWritten) {
  const ExchangeRead n42 = ReadN42Text(ReadFile(kGoldenFolder / "bi207.n42"));
  ASSERT_TRUE(n42.spectrum) << n42.error;
  ExpectSameExchange(*n42.spectrum, GoldenExchange());
  EXPECT_EQ(n42.spectrum->serialNumber, "00042");
  EXPECT_EQ(n42.spectrum->firmwareVersion, "2.15");
  EXPECT_EQ(n42.spectrum->fpgaVersion, "3.1");
  const ExchangeRead spe = ReadSpeText(ReadFile(kGoldenFolder / "bi207.spe"));
  ASSERT_TRUE(spe.spectrum) << spe.error;
  ExpectSameExchange(*spe.spectrum, GoldenExchange());
}

// A Bi-207 spectrum as the instrument leaves it: counts in the upper half
// (input PMT A), 5 s real time, a UTC start, calibrated on the two K lines.
CSpectrum Bi207Spectrum() {
  CSpectrum spectrum;
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    spectrum.image.spectrum[CSpectrum::kChannels + i] = static_cast<std::uint32_t>((i * 7919) % 1000);
  }
  RegisterImage& registers = spectrum.image.registers;
  registers[56] = 500;
  registers[60] = 100;
  registers[58] = 475;
  registers[22] = 9 + 32 * 12 + 512 * 26;
  registers[23] = 26 + 32 * 24 + 2048 * 7;
  registers[16] = (1u << 10) | (1u << 9);
  registers[83] = 3;  // input PMT A+B+C
  registers[15] = 3 << 12;
  registers[63] = 31;
  spectrum.image.serialNumber = 42;
  spectrum.image.firmwareVersion = 215;
  spectrum.DeriveHalfSelector();
  spectrum.SetSizes(4096, 4096, true);
  spectrum.tag = "Bi-207 5 s";
  CalibrationRecord& calibration = spectrum.FileCalibration(spectrum.CurrentInput());
  calibration = CalibrationRecord{};
  calibration.channel[0] = 1400.0;
  calibration.energy[0] = 481.6935;
  calibration.channel[1] = 2800.5;
  calibration.energy[1] = 975.651;
  calibration.use = {1, 1};
  calibration.pointCount = 2;
  calibration.useAll = 1;
  calibration.units = 2;
  calibration.enabled = 1;
  return spectrum;
}

struct RoundTrip {
  const char* name;
  ExchangeFormat format;
};

class ExchangeRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ExchangeRoundTrip, KtsToExchangeAndBackKeepsCountsTimesStartAndCalibration) {
  test::ScratchFolder folder;
  CSpectrum original = Bi207Spectrum();
  const fs::path kts = folder.Path() / "bi207.kts";
  ASSERT_EQ(SaveSpectrumFile(original, kts, KtsContextOf(original, 3)), SpectrumFileStatus::kDone);
  CSpectrum fromKts;
  ASSERT_EQ(LoadAnySpectrumFile(fromKts, kts), "");
  const fs::path exported = folder.Path() / (std::string("bi207") + GetParam().name);
  ASSERT_EQ(SaveExchangeFile(ExchangeSpectrumOf(fromKts, {0.004}), GetParam().format, exported),
            SpectrumFileStatus::kDone);

  CSpectrum imported;
  ASSERT_EQ(LoadAnySpectrumFile(imported, exported), "");
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i)
    ASSERT_EQ(imported.Channel(i), original.Channel(i)) << i;
  const AcquisitionValues before = AcquisitionValuesOf(original);
  const AcquisitionValues after = AcquisitionValuesOf(imported);
  EXPECT_DOUBLE_EQ(after.realTime, before.realTime);
  EXPECT_DOUBLE_EQ(after.liveTime, before.liveTime);
  EXPECT_EQ(after.startDateTime, "09/12/2026  07:24:52");
  EXPECT_EQ(after.startTimeLabel, before.startTimeLabel);
  EXPECT_EQ(imported.tag, "Bi-207 5 s");
  // The instrument from its block (N42) or this program's remark (SPE), the
  // input the file names, and no pulser: the settings the file states.
  EXPECT_EQ(ModelName(imported.image), "Veltra RQ3102");
  EXPECT_EQ(SerialNumberText(imported.image), "00042");
  EXPECT_EQ(FirmwareVersionText(imported.image), "2.15");
  EXPECT_EQ(InputNameOf(imported), " PMT A+B+C-DPP");
  EXPECT_NE(imported.image.registers[16] & (1u << 9), 0u);

  LoadCurrentCalibration(original);
  LoadCurrentCalibration(imported);
  const CalibrationRecord& want = original.DisplayCalibration(original.CurrentInput());
  const CalibrationRecord& got = imported.DisplayCalibration(imported.CurrentInput());
  // The calibration view holds energies to four decimals: the curves agree
  // to that over every channel.
  for (const double channel : {0.0, 1400.0, 2800.5, 4095.0}) {
    EXPECT_NEAR(got.a * channel * channel + got.b * channel + got.c,
                want.a * channel * channel + want.b * channel + want.c, 1e-4)
        << channel;
  }
  EXPECT_EQ(got.units, 2);
  EXPECT_EQ(got.enabled, 1);
}

INSTANTIATE_TEST_SUITE_P(Formats, ExchangeRoundTrip,
                         ::testing::Values(RoundTrip{".n42", ExchangeFormat::kN42},
                                           RoundTrip{".spe", ExchangeFormat::kSpe}),
                         [](const auto& test) { return std::string(test.param.name + 1); });

TEST(ExchangeImport, AnSpeFileThatNamesNoInstrumentShowsItAsUnknown) {
  test::ScratchFolder folder;
  const fs::path spe = folder.Path() / "foreign.spe";
  test::WriteFile(spe, "$SPEC_ID:\r\nforeign\r\n$MEAS_TIM:\r\n10 12\r\n$DATA:\r\n0 3\r\n1 2 3 4\r\n");
  CSpectrum imported;
  ASSERT_EQ(LoadAnySpectrumFile(imported, spe), "");
  EXPECT_EQ(ModelName(imported.image), "unknown");
  EXPECT_EQ(SerialNumberText(imported.image), "unknown");
  EXPECT_EQ(FirmwareVersionText(imported.image), "unknown");
  EXPECT_EQ(imported.CurrentInput(), 0u);
}

TEST(ExchangeExport, SoftSizeChannelsAndOnlyEnergyCalibrationsAreExported) {
  CSpectrum spectrum = Bi207Spectrum();
  spectrum.SetSizes(4096, 1024, true);
  ExchangeSpectrum exported = ExchangeSpectrumOf(spectrum, {0.5});
  ASSERT_EQ(exported.counts.size(), 1024u);
  EXPECT_EQ(exported.counts[1],
            spectrum.Channel(4) + spectrum.Channel(5) + spectrum.Channel(6) + spectrum.Channel(7));
  spectrum.image.spectrum[CSpectrum::kChannels + 8] = 4294967295u;
  EXPECT_EQ(ExchangeSpectrumOf(spectrum, {}).counts[2], 4294967295u) << "a sum too large for a count is held";
  ASSERT_TRUE(exported.calibration);
  EXPECT_NEAR((*exported.calibration)[0] + (*exported.calibration)[1] * 350.0, 481.6935, 1e-9);
  EXPECT_EQ(exported.ntpOffsetSeconds, 0.5);

  spectrum.FileCalibration(spectrum.CurrentInput()).units = 4;  // "Volt"
  EXPECT_FALSE(ExchangeSpectrumOf(spectrum, {}).calibration);
  spectrum.FileCalibration(spectrum.CurrentInput()).units = 3;  // "MeV"
  EXPECT_NEAR((*ExchangeSpectrumOf(spectrum, {}).calibration)[1], 1000 * (*exported.calibration)[1], 1e-9);
  spectrum.FileCalibration(spectrum.CurrentInput()).enabled = 0;
  EXPECT_FALSE(ExchangeSpectrumOf(spectrum, {}).calibration);

  spectrum.image.registers[16] = 1u << 11;
  EXPECT_FALSE(ExchangeSpectrumOf(spectrum, {0.5}).ntpOffsetSeconds) << "only a UTC start was corrected";
  spectrum.image.registers[22] = 0;
  EXPECT_FALSE(ExchangeSpectrumOf(spectrum, {}).start) << "never started";
}

TEST(ExchangeImport, ForeignFilesFollowTheirZoneAndQuadraticCurve) {
  const std::string n42 =
      "<?xml version='1.0'?><!DOCTYPE x [<!ENTITY e 'no'>]><n42:RadInstrumentData xmlns:n42='urn:x'>"
      "<n42:EnergyCalibration id='c'><n42:CoefficientValues>1 0.25 1e-5 0</n42:CoefficientValues>"
      "</n42:EnergyCalibration><n42:RadMeasurement><n42:StartDateTime>2025-03-01T23:30:00.5-01:00"
      "</n42:StartDateTime><n42:RealTimeDuration>P1DT1H1M1.5S</n42:RealTimeDuration><n42:Spectrum "
      "energyCalibrationReference='c'><n42:ChannelData compressionCode='CountedZeroes'>5 0 3 7<![CDATA[ 9]]>"
      "</n42:ChannelData></n42:Spectrum></n42:RadMeasurement></n42:RadInstrumentData>";
  const ExchangeRead read = ReadN42Text(n42);
  ASSERT_TRUE(read.spectrum) << read.error;
  EXPECT_EQ(read.spectrum->counts, (std::vector<std::uint32_t>{5, 0, 0, 0, 7, 9}));
  EXPECT_DOUBLE_EQ(read.spectrum->realSeconds, 90061.5);
  EXPECT_DOUBLE_EQ(read.spectrum->liveSeconds, 90061.5) << "no live time: the real time";
  EXPECT_EQ(read.spectrum->start->wall.millisecond, 500);
  EXPECT_EQ(read.spectrum->start->utcOffsetMinutes, -60);

  CSpectrum spectrum;
  ASSERT_EQ(LoadExchangeSpectrum(spectrum, *read.spectrum, "foreign.n42"), "");
  EXPECT_EQ(AcquisitionValuesOf(spectrum).startTimeLabel, "START TIME: LOCAL");
  EXPECT_EQ(AcquisitionValuesOf(spectrum).startDateTime, "01/03/2025  23:30:00") << "wall time as written";
  EXPECT_EQ(spectrum.caption, "FILE: foreign.n42  (foreign.n42)");
  LoadCurrentCalibration(spectrum);
  const CalibrationRecord& curve = spectrum.DisplayCalibration(spectrum.CurrentInput());
  EXPECT_NEAR(curve.c, 1.0, 1e-4);
  EXPECT_NEAR(curve.b, 0.25, 1e-7);
  EXPECT_NEAR(curve.a, 1e-5, 1e-11);

  ExchangeSpectrum utcLater = *read.spectrum;
  utcLater.timeReference = "UTC";
  ASSERT_EQ(LoadExchangeSpectrum(spectrum, utcLater, "foreign.n42"), "");
  EXPECT_EQ(AcquisitionValuesOf(spectrum).startDateTime, "02/03/2025  00:30:00") << "a UTC stamp holds UTC";
}

TEST(ExchangeImport, BadFilesAreRefusedWithTheirReason) {
  const std::pair<const char*, const char*> n42Cases[] = {
      {"not xml at all", "not an XML document"},
      {"<a><b></a>", "does not match"},
      {"<RadInstrumentData><RadMeasurement/></RadInstrumentData>", "holds no spectrum"},
      {"<Other/>", "the root is <Other>"},
      {"<RadInstrumentData><RadMeasurement><RealTimeDuration>PT1S</RealTimeDuration><Spectrum><ChannelData>1 "
       "-2"
       "</ChannelData></Spectrum></RadMeasurement></RadInstrumentData>",
       "negative"},
      {"<RadInstrumentData><RadMeasurement><RealTimeDuration>1 s</RealTimeDuration><Spectrum><ChannelData>1"
       "</ChannelData></Spectrum></RadMeasurement></RadInstrumentData>",
       "RealTimeDuration"},
      {"<RadInstrumentData><RadMeasurement><StartDateTime>2025-02-29T00:00:00Z</StartDateTime>"
       "<RealTimeDuration>PT1S</RealTimeDuration><Spectrum><ChannelData>1</ChannelData></Spectrum>"
       "</RadMeasurement></RadInstrumentData>",
       "StartDateTime"},
      {"<a>&bogus;</a>", "entity"},
  };
  for (const auto& [text, reason] : n42Cases) {
    const ExchangeRead read = ReadN42Text(text);
    EXPECT_FALSE(read.spectrum) << text;
    EXPECT_NE(read.error.find(reason), std::string::npos) << text << " gave: " << read.error;
  }
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += "<a>";
  EXPECT_NE(ReadN42Text(deep).error.find("deeper"), std::string::npos);

  const std::pair<const char*, const char*> speCases[] = {
      {"$SPEC_ID:\nx\n", "no $DATA"},
      {"$DATA:\n0 3\n1\n2\n$MEAS_TIM:\n1 1\n", "fewer counts"},
      {"$DATA:\n0 1\n1 2.5\n$MEAS_TIM:\n1 1\n", "whole number"},
      {"$DATA:\n0 0\n1\n", "$MEAS_TIM"},
      {"$DATA:\n0 0\n1\n$MEAS_TIM:\n1 1\n$MCA_CAL:\n2\n0 1 Volt\n", "no energy"},
      {"$DATA:\n0 0\n1\n$MEAS_TIM:\n1 1\n$DATE_MEA:\n13/40/2020 10:00:00\n", "$DATE_MEA"},
  };
  for (const auto& [text, reason] : speCases) {
    const ExchangeRead read = ReadSpeText(text);
    EXPECT_FALSE(read.spectrum) << text;
    EXPECT_NE(read.error.find(reason), std::string::npos) << text << " gave: " << read.error;
  }
}

TEST(ExchangeImport, TooManyChannelsLeaveTheFileSpectrumAsItWas) {
  test::ScratchFolder folder;
  std::string spe = "$MEAS_TIM:\n1 1\n$DATA:\n0 8191\n";
  for (int i = 0; i < 8192; ++i) spe += "1\n";
  WriteFile(folder.Path() / "big.spe", spe);
  CSpectrum spectrum = Bi207Spectrum();
  const std::uint32_t before = spectrum.Channel(3);
  const std::filesystem::path otherCase = folder.Path() / "big.SPE";
  EXPECT_EQ(LoadAnySpectrumFile(spectrum, otherCase),
            "Unable to Open File\n" + otherCase.string() + ": No such file or directory")
      << "the name's case differs: no such file";
  EXPECT_EQ(LoadAnySpectrumFile(spectrum, folder.Path()),
            "Unable to Open File\n" + folder.Path().string() + ": is a folder");
  const std::filesystem::path device = folder.Path() / "zero.spe";
  std::filesystem::create_symlink("/dev/zero", device);
  EXPECT_EQ(LoadAnySpectrumFile(spectrum, device),
            "Unable to Open File\n" + device.string() + ": is not a file (a device or a pipe)");
  EXPECT_NE(LoadAnySpectrumFile(spectrum, folder.Path() / "big.spe").find("8192 channels"),
            std::string::npos);
  EXPECT_EQ(spectrum.Channel(3), before);
  EXPECT_EQ(spectrum.tag, "Bi-207 5 s");
}

TEST(IsoTimeText, DurationsAndDateTimesReadBackExactly) {
  for (const double seconds : {0.0, 5.0, 4.9000128, 3600.5, 86399.9999999}) {
    EXPECT_DOUBLE_EQ(*ParseIsoDuration(IsoDurationText(seconds)), seconds) << IsoDurationText(seconds);
  }
  EXPECT_EQ(IsoDurationText(-1), "PT0S");
  for (const char* bad : {"", "P", "PT", "P1Y", "PT1.2.3S", "PT-1S", "T1S", "PT1H2D"}) {
    EXPECT_FALSE(ParseIsoDuration(bad)) << bad;
  }
  const ZonedTime ahead{ParseIsoDateTime("2024-02-29T12:00:00Z")->wall, 90};
  EXPECT_EQ(IsoDateTimeText(ahead), "2024-02-29T12:00:00+01:30");
  EXPECT_EQ(IsoDateTimeText(*ParseIsoDateTime("2024-02-29T12:00:00.250")), "2024-02-29T12:00:00.250");
  for (const char* bad : {"2023-02-29T00:00:00", "2024-01-01T24:00:00", "2024-01-01 10:00:00",
                          "2024-01-01T10:00:00+1:00", "2024-01-01T10:00:00Zjunk"}) {
    EXPECT_FALSE(ParseIsoDateTime(bad)) << bad;
  }
}

}  // namespace
}  // namespace korva
