#include "formats/spectrum_exchange.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

#include "devicelink/hardware_identity.h"
#include "devicelink/register_map.h"
#include "formats/spectrum_file_context.h"
#include "spectrum/acquisition_start_stamp.h"
#include "spectrum/analyser_input.h"
#include "spectrum/calibration_fit.h"
#include "spectrum/plain_number.h"
#include "spectrum/spectrum_calibration.h"
#include "spectrum/spectrum_start.h"

namespace korva {

namespace {

constexpr std::string_view kTagRemark = "Tag: ";
constexpr std::string_view kReferenceRemark = "Time reference: ";
constexpr std::string_view kNtpRemark = "NTP offset: ";
constexpr std::string_view kInputRemark = "Analyser input: ";
constexpr std::string_view kSerialPart = ", serial number ";
constexpr std::string_view kFirmwarePart = ", firmware ";
constexpr std::string_view kFpgaPart = ", FPGA ";
constexpr std::size_t kKeVUnit = 2;
constexpr double kCoarseSeconds = 0.01;
constexpr double kFineSeconds = kTickMicroseconds * 16 * 1e-6;

// What one unit of the calibration's unit list is in keV; none for units
// that are no energy.
std::optional<double> KeVPerUnit(std::int32_t units) {
  switch (units) {
    case 1:
      return 1e-3;
    case 2:
      return 1.0;
    case 3:
      return 1e3;
    default:
      return std::nullopt;
  }
}

std::optional<KeVPolynomial> KeVCalibrationOf(CSpectrum& copy) {
  const LoadedCalibration loaded = LoadCurrentCalibration(copy);
  const CalibrationRecord& record = copy.DisplayCalibration(copy.CurrentInput());
  const std::optional<double> scale = KeVPerUnit(record.units);
  if (!loaded.fitted || record.enabled == 0 || !scale) return std::nullopt;
  const KeVPolynomial keV = {record.c * *scale, record.b * *scale, record.a * *scale};
  if (!std::all_of(keV.begin(), keV.end(), [](double c) { return std::isfinite(c); })) return std::nullopt;
  return keV;
}

std::string ReferenceName(std::uint16_t control) {
  if (control & reg::control::kUtcStart) return "UTC";
  if (control & reg::control::kSystemStart) return "SYSTEM";
  return "LOCAL";
}

// Minutes the computer's local time zone is ahead of UTC at the local wall
// time `wall`.
int LocalOffsetMinutes(const CalendarTime& wall) {
  std::tm local{};
  local.tm_year = wall.year - 1900;
  local.tm_mon = wall.month - 1;
  local.tm_mday = wall.day;
  local.tm_hour = wall.hour;
  local.tm_min = wall.minute;
  local.tm_sec = wall.second;
  local.tm_isdst = -1;
  const std::time_t moment = std::mktime(&local);
  std::tm resolved{};
  if (moment == static_cast<std::time_t>(-1) || localtime_r(&moment, &resolved) == nullptr) return 0;
  return static_cast<int>(resolved.tm_gmtoff / 60);
}

std::optional<ZonedTime> StartOf(const CSpectrum& spectrum) {
  const std::optional<CalendarTime> wall = SpectrumStart(spectrum);
  if (!wall) return std::nullopt;
  const bool local = ReferenceName(spectrum.image.registers[reg::kControl]) == "LOCAL";
  return ZonedTime{*wall, local ? LocalOffsetMinutes(*wall) : 0};
}

// The channels the display shows at the soft size: sums of `factor`
// channels each, held at the largest count a channel can hold rather than
// wrapping around as a 32-bit sum would.
std::vector<std::uint32_t> SoftSizeChannels(const CSpectrum& spectrum) {
  const std::size_t factor = std::max<std::uint32_t>(spectrum.CompressionFactor(), 1);
  const auto size =
      static_cast<std::size_t>(std::clamp(spectrum.softSize, CSpectrum::kMinSize, CSpectrum::kMaxSize));
  std::vector<std::uint32_t> channels(size);
  for (std::size_t bin = 0; bin < size; ++bin) {
    std::uint64_t sum = 0;
    for (std::size_t i = bin * factor; i < std::min((bin + 1) * factor, CSpectrum::kChannels); ++i) {
      sum += spectrum.Channel(i);
    }
    channels[bin] = static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, 0xFFFFFFFFu));
  }
  return channels;
}

// Seconds into a 10 ms coarse count (two registers) and a 16-tick fine
// count, the way the analyser keeps its times.
void WriteRunTime(RegisterImage& registers, std::size_t coarseLow, std::size_t fine, double seconds) {
  const double held = std::clamp(std::isfinite(seconds) ? seconds : 0.0, 0.0, 4294967295.0 * kCoarseSeconds);
  auto coarse = static_cast<std::uint64_t>(std::floor(held / kCoarseSeconds));
  auto ticks = static_cast<std::int64_t>(
      std::llround((held - static_cast<double>(coarse) * kCoarseSeconds) / kFineSeconds));
  const auto ticksPerCoarse = static_cast<std::int64_t>(std::llround(kCoarseSeconds / kFineSeconds));
  if (ticks >= ticksPerCoarse && coarse < 0xFFFFFFFFu) {
    ++coarse;
    ticks -= ticksPerCoarse;
  }
  coarse = std::min<std::uint64_t>(coarse, 0xFFFFFFFFu);
  registers[coarseLow] = static_cast<std::uint16_t>(coarse & 0xFFFF);
  registers[coarseLow + 1] = static_cast<std::uint16_t>(coarse >> 16);
  registers[fine] = static_cast<std::uint16_t>(std::clamp<std::int64_t>(ticks, 0, 0xFFFF));
}

TimeReferenceKind ReferenceKindOf(const ExchangeSpectrum& imported) {
  if (imported.timeReference == "UTC") return TimeReferenceKind::kUtc;
  if (imported.timeReference == "SYSTEM") return TimeReferenceKind::kSystem;
  if (imported.timeReference == "LOCAL") return TimeReferenceKind::kLocal;
  const bool utc = imported.start && imported.start->utcOffsetMinutes == 0;
  return utc ? TimeReferenceKind::kUtc : TimeReferenceKind::kLocal;
}

// UTC and SYSTEM stamps hold UTC; LOCAL stamps the wall time as written.
CalendarTime StampedWallTime(const ZonedTime& start, TimeReferenceKind reference) {
  if (reference == TimeReferenceKind::kLocal || !start.utcOffsetMinutes || *start.utcOffsetMinutes == 0)
    return start.wall;
  const std::uint64_t shift =
      static_cast<std::uint64_t>(std::abs(*start.utcOffsetMinutes)) * 60 * kFileTimeTicksPerSecond;
  const std::uint64_t wall = ToFileTime(start.wall);
  return CalendarFromFileTime(*start.utcOffsetMinutes > 0 ? wall - std::min(wall, shift) : wall + shift);
}

// The registers take the start in their 2 s steps; the record keeps the
// file's own second beside them.
void WriteStart(CSpectrum& spectrum, const ExchangeSpectrum& imported) {
  RegisterImage& registers = spectrum.image.registers;
  const TimeReferenceKind reference = ReferenceKindOf(imported);
  registers[reg::kControl] = WithStartReference(registers[reg::kControl], reference);
  if (!imported.start) return;
  const CalendarTime stamp = StampedWallTime(*imported.start, reference);
  registers[reg::kStartDate] = StartDateRegister(stamp);
  registers[reg::kStartTime] = StartTimeRegister(stamp);
  spectrum.exactStart = stamp;
}

void WriteIdentity(CSpectrum& spectrum, const ExchangeSpectrum& imported) {
  DeviceImage& image = spectrum.image;
  image.identityKnown = !imported.model.empty() || !imported.serialNumber.empty();
  if (imported.model.find("RQ3102") != std::string::npos) {
    image.registers[reg::kModel] =
        static_cast<std::uint16_t>((image.registers[reg::kModel] & ~reg::model::kMask) |
                                   DeviceImage::kModelCodeRQ3102 << reg::model::kShift);
  }
  image.serialNumber =
      static_cast<std::uint16_t>(std::min<std::uint32_t>(LeadingUnsigned(imported.serialNumber), 0xFFFF));
  const double firmware = std::clamp(LeadingReal(imported.firmwareVersion) * 100.0, -32768.0, 32767.0);
  image.firmwareVersion = static_cast<std::int16_t>(std::isfinite(firmware) ? std::lround(firmware) : 0);
  const double fpga = std::clamp(LeadingReal(imported.fpgaVersion) * 10.0, 0.0, 65535.0);
  image.registers[reg::kFpgaVersion] =
      static_cast<std::uint16_t>(std::isfinite(fpga) ? std::lround(fpga) : 0);
}

// The input the file names (the first one when it names none of ours),
// and the pulser off: the counts are a measured spectrum.
void WriteAcquisitionState(RegisterImage& registers, const ExchangeSpectrum& imported) {
  SelectAnalyserInput(registers, AnalyserInputNamed(imported.inputName).value_or(0));
  registers[reg::kControl] |= reg::control::kPulserOff;
}

// "<maker> <model>, serial number <s>, firmware <f>, FPGA <g>": the
// instrument line of this program's SPE export.
void ApplyIdentityRemark(ExchangeSpectrum& spectrum, std::string_view remark) {
  const std::size_t serial = remark.find(kSerialPart);
  const std::size_t firmware = remark.find(kFirmwarePart);
  const std::size_t fpga = remark.find(kFpgaPart);
  if (serial == std::string_view::npos || firmware == std::string_view::npos ||
      fpga == std::string_view::npos || !(serial < firmware && firmware < fpga))
    return;
  const std::string_view device = remark.substr(0, serial);
  const std::size_t space = device.find(' ');
  spectrum.maker = device.substr(0, space);
  spectrum.model = space == std::string_view::npos ? std::string_view() : device.substr(space + 1);
  const std::size_t serialAt = serial + kSerialPart.size();
  const std::size_t firmwareAt = firmware + kFirmwarePart.size();
  spectrum.serialNumber = remark.substr(serialAt, firmware - serialAt);
  spectrum.firmwareVersion = remark.substr(firmwareAt, fpga - firmwareAt);
  spectrum.fpgaVersion = remark.substr(fpga + kFpgaPart.size());
}

// The curve as points the calibration view fits back to it: two for a
// line, three for a parabola, spread over all channels of the record. The
// view keeps energies to four decimals, so points far apart keep the
// coefficients closest to the file's.
void WriteCalibration(CalibrationRecord& record, const KeVPolynomial& keV) {
  const double last = CSpectrum::kMaxSize - 1;
  const std::vector<double> at =
      keV[2] == 0.0 ? std::vector<double>{0.0, last} : std::vector<double>{0.0, std::floor(last / 2), last};
  record = CalibrationRecord{};
  for (std::size_t k = 0; k < at.size(); ++k) {
    record.channel[k] = at[k];
    record.energy[k] = keV[0] + keV[1] * at[k] + keV[2] * at[k] * at[k];
    record.use[k] = 1;
  }
  record.pointCount = static_cast<std::int32_t>(at.size());
  record.useAll = 1;
  record.units = kKeVUnit;
  record.enabled = 1;
}

}  // namespace

ExchangeSpectrum ExchangeSpectrumOf(const CSpectrum& spectrum, const ExchangeContext& context) {
  CSpectrum copy = spectrum;
  const AcquisitionValues acquisition = AcquisitionValuesOf(spectrum);
  ExchangeSpectrum exported;
  exported.maker = kInstrumentMaker;
  exported.model = ModelName(spectrum.image);
  exported.serialNumber = SerialNumberText(spectrum.image);
  exported.firmwareVersion = FirmwareVersionText(spectrum.image);
  exported.fpgaVersion = FpgaVersionText(spectrum.image);
  exported.fpgaVersion.erase(0, exported.fpgaVersion.find_first_not_of(' '));
  exported.inputName = InputNameOf(spectrum);
  exported.inputName.erase(0, exported.inputName.find_first_not_of(' '));
  exported.tag = spectrum.tag;
  exported.counts = SoftSizeChannels(spectrum);
  exported.realSeconds = acquisition.realTime;
  exported.liveSeconds = acquisition.liveTime;
  exported.start = StartOf(spectrum);
  exported.timeReference = ReferenceName(spectrum.image.registers[reg::kControl]);
  if (exported.timeReference == "UTC") exported.ntpOffsetSeconds = context.ntpOffsetSeconds;
  exported.calibration = KeVCalibrationOf(copy);
  return exported;
}

std::string LoadExchangeSpectrum(CSpectrum& spectrum, const ExchangeSpectrum& imported,
                                 const std::string& fileName) {
  if (imported.counts.empty()) return "the file holds no channels";
  if (imported.counts.size() > CSpectrum::kChannels) {
    return "the file holds " + std::to_string(imported.counts.size()) +
           " channels; a spectrum holds at most " + std::to_string(CSpectrum::kChannels);
  }
  CSpectrum loaded;
  loaded.image.shown = spectrum.image.shown;
  WriteIdentity(loaded, imported);
  WriteRunTime(loaded.image.registers, reg::kRealTimeLow, reg::kRealTimeFine, imported.realSeconds);
  WriteRunTime(loaded.image.registers, reg::kLiveTimeLow, reg::kLiveTimeFine, imported.liveSeconds);
  WriteStart(loaded, imported);
  WriteAcquisitionState(loaded.image.registers, imported);
  loaded.DeriveHalfSelector();
  std::copy(imported.counts.begin(), imported.counts.end(),
            loaded.image.spectrum.begin() + static_cast<std::ptrdiff_t>(loaded.HalfOffset()));
  if (imported.calibration) {
    WriteCalibration(loaded.FileCalibration(loaded.CurrentInput()), *imported.calibration);
  }
  loaded.tag = imported.tag.empty() ? fileName : imported.tag;
  loaded.caption = "FILE: " + fileName + "  (" + loaded.tag + ")";
  loaded.SetSizes(CSpectrum::kMaxSize, CSpectrum::kMaxSize, true);
  spectrum = std::move(loaded);
  return {};
}

std::vector<std::string> ExchangeRemarks(const ExchangeSpectrum& spectrum) {
  std::vector<std::string> remarks;
  if (!spectrum.tag.empty()) remarks.push_back(std::string(kTagRemark) + spectrum.tag);
  if (!spectrum.timeReference.empty())
    remarks.push_back(std::string(kReferenceRemark) + spectrum.timeReference);
  if (spectrum.ntpOffsetSeconds) {
    remarks.push_back(std::string(kNtpRemark) + RoundTripText(*spectrum.ntpOffsetSeconds) + " s");
  }
  return remarks;
}

void ApplyExchangeRemark(ExchangeSpectrum& spectrum, std::string_view remark) {
  if (remark.starts_with(kTagRemark)) {
    spectrum.tag = remark.substr(kTagRemark.size());
  } else if (remark.starts_with(kReferenceRemark)) {
    const std::string_view name = remark.substr(kReferenceRemark.size());
    if (name == "UTC" || name == "SYSTEM" || name == "LOCAL") spectrum.timeReference = name;
  } else if (remark.starts_with(kNtpRemark)) {
    const double offset = LeadingReal(remark.substr(kNtpRemark.size()));
    if (std::isfinite(offset)) spectrum.ntpOffsetSeconds = offset;
  } else if (remark.starts_with(kInputRemark)) {
    spectrum.inputName = remark.substr(kInputRemark.size());
  } else if (spectrum.model.empty()) {
    ApplyIdentityRemark(spectrum, remark);
  }
}

std::string RoundTripText(double value) {
  char digits[64];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  return error == std::errc() ? std::string(digits, end) : "0";
}

}  // namespace korva
