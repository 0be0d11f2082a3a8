#include "kts_reader_harness.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>

#include "formats/kts_reader.h"
#include "formats/kts_writer.h"

namespace korva::fuzz {

namespace {

constexpr std::uint32_t kBeyondHalves = 0xA5A5A5A5;

// A spectrum as a fresh record is, with the counts words beyond the two
// halves marked. Each read starts from a copy of it: building the record's
// large arrays anew for every input costs more than many a read.
const CSpectrum& MarkedSpectrum() {
  static const CSpectrum marked = [] {
    CSpectrum spectrum;
    std::fill(spectrum.image.spectrum.begin() + 2 * CSpectrum::kChannels, spectrum.image.spectrum.end(),
              kBeyondHalves);
    return spectrum;
  }();
  return marked;
}

std::string CheckLimits(const CSpectrum& spectrum) {
  if (spectrum.softSize < CSpectrum::kMinSize || spectrum.softSize > spectrum.hardSize ||
      spectrum.hardSize > CSpectrum::kMaxSize) {
    return "sizes outside 512 <= soft <= hard <= 4096";
  }
  if (spectrum.CompressionFactor() != static_cast<std::uint32_t>(spectrum.hardSize / spectrum.softSize)) {
    return "compression factor is not hard / soft";
  }
  for (std::size_t input = 0; input < kAnalyserInputs; ++input) {
    const std::int32_t points = spectrum.FileCalibration(input).pointCount;
    if (points < 0 || points > static_cast<std::int32_t>(CalibrationRecord::kMaxPoints))
      return "point count beyond 10";
  }
  const auto beyond = [](const CSpectrum& record) {
    return std::span(record.image.spectrum).subspan(2 * CSpectrum::kChannels);
  };
  if (!std::ranges::equal(beyond(spectrum), beyond(MarkedSpectrum())))
    return "counts word beyond the halves written";
  return {};
}

std::string CheckSecondTrip(const CSpectrum& first, const CSpectrum& second) {
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    if (first.Channel(i) != second.Channel(i)) return "channel " + std::to_string(i) + " changed";
    if ((first.roiMarks[i] != 0) != (second.roiMarks[i] != 0))
      return "ROI mark " + std::to_string(i) + " changed";
  }
  if (first.image.registers != second.image.registers) return "registers changed";
  if (first.softSize != second.softSize) return "soft size changed";
  if (first.image.serialNumber != second.image.serialNumber ||
      first.image.firmwareVersion != second.image.firmwareVersion ||
      first.image.temperature != second.image.temperature) {
    return "status values changed";
  }
  return {};
}

// A 64-bit digest of what CheckSecondTrip compares.
std::uint64_t TripDigest(const CSpectrum& spectrum) {
  std::uint64_t digest = 1469598103934665603u;
  const auto mix = [&digest](std::uint64_t value) { digest = (digest ^ value) * 1099511628211u; };
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    mix(spectrum.Channel(i));
    mix(spectrum.roiMarks[i] != 0);
  }
  for (const std::uint16_t value : spectrum.image.registers) mix(value);
  mix(static_cast<std::uint64_t>(spectrum.softSize));
  mix(spectrum.image.serialNumber);
  mix(static_cast<std::uint64_t>(spectrum.image.firmwareVersion));
  mix(static_cast<std::uint64_t>(spectrum.image.temperature));
  return digest;
}

// What reading a written text gave: its digest and the limit it broke.
struct SecondTrip {
  std::uint64_t digest = 0;
  std::string limitFault;
};

// The written text decides the second read, so a text read before needs
// no second read: its digest stands for the compared fields. Inputs that
// the reader takes to the same spectrum are common, and the second read of
// a whole file is what a round trip costs.
class SecondTrips {
 public:
  static constexpr std::size_t kKept = 4096;

  const SecondTrip* Find(const std::string& text) const {
    const auto found = trips_.find(std::hash<std::string>{}(text));
    return found == trips_.end() ? nullptr : &found->second;
  }
  void Keep(const std::string& text, SecondTrip trip) {
    if (trips_.size() == kKept) trips_.clear();
    trips_.emplace(std::hash<std::string>{}(text), std::move(trip));
  }

 private:
  std::unordered_map<std::size_t, SecondTrip> trips_;
};

struct MarkedRead {
  CSpectrum spectrum;
  KtsReading reading;
};

MarkedRead ReadWithMarkedTail(std::string_view text, const std::string& name) {
  MarkedRead read{MarkedSpectrum(), {}};
  read.reading = ReadSpectrumText(read.spectrum, text, name);
  return read;
}

// A refusal names the file it refuses.
std::string CheckVerdict(const KtsReading& reading, const std::string& name) {
  if (!reading.refusal.empty() && !reading.refusal.starts_with(name + " "))
    return "refusal without the file's name";
  return {};
}

std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace

std::string CheckKtsReader(const std::uint8_t* data, std::size_t size) {
  const MarkedRead read = ReadWithMarkedTail(Text(data, size), "fuzz.kts");
  if (std::string fault = CheckLimits(read.spectrum); !fault.empty()) return fault;
  return CheckVerdict(read.reading, "fuzz.kts");
}

// Every input goes the whole way: read, check, write, read again, compare.
// The second read of a text already read is taken from its digest; only a
// difference is read again, to name the field.
std::string CheckKtsRoundTrip(const std::uint8_t* data, std::size_t size) {
  static SecondTrips trips;
  const MarkedRead firstRead = ReadWithMarkedTail(Text(data, size), "fuzz.kts");
  const CSpectrum& first = firstRead.spectrum;
  if (std::string fault = CheckLimits(first); !fault.empty()) return fault;
  // A refused file is never loaded, so there is nothing of it to write.
  if (!firstRead.reading.refusal.empty()) return CheckVerdict(firstRead.reading, "fuzz.kts");

  const std::string written = KtsFileText(first, KtsWriteContext{});
  const SecondTrip* known = trips.Find(written);
  if (known != nullptr && known->limitFault.empty() && known->digest == TripDigest(first)) return {};
  const MarkedRead secondRead = ReadWithMarkedTail(written, "again.kts");
  const CSpectrum& second = secondRead.spectrum;
  std::string fault = CheckLimits(second);
  // What the writer makes is a whole spectrum file within every limit.
  if (fault.empty() && !secondRead.reading.refusal.empty()) fault = "refused: " + secondRead.reading.refusal;
  if (fault.empty() && !secondRead.reading.notes.empty())
    fault = "clamped: " + secondRead.reading.notes.front();
  trips.Keep(written, {TripDigest(second), fault});
  if (!fault.empty()) return "second trip: " + fault;
  return CheckSecondTrip(first, second);
}

}  // namespace korva::fuzz
