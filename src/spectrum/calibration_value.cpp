#include "spectrum/calibration_value.h"

#include <bit>

namespace korva {

namespace {

class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}
  void Word(std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  void Real(double value) { Word(std::bit_cast<std::uint64_t>(value), 8); }
  void Integer(std::int32_t value) { Word(static_cast<std::uint32_t>(value), 4); }

 private:
  std::vector<std::uint8_t>& out_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
  std::uint64_t Word(int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(in_[at_++]) << (8 * i);
    return value;
  }
  double Real() { return std::bit_cast<double>(Word(8)); }
  std::int32_t Integer() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(Word(4))); }

 private:
  std::span<const std::uint8_t> in_;
  std::size_t at_ = 0;
};

void Encode(Writer& w, const CalibrationRecord& record) {
  w.Real(record.a);
  w.Real(record.b);
  w.Real(record.c);
  for (double channel : record.channel) w.Real(channel);
  for (double energy : record.energy) w.Real(energy);
  for (std::int32_t use : record.use) w.Integer(use);
  w.Integer(record.useAll);
  w.Integer(record.pointCount);
  w.Integer(record.units);
  w.Integer(record.enabled);
}

CalibrationRecord Decode(Reader& r) {
  CalibrationRecord record;
  record.a = r.Real();
  record.b = r.Real();
  record.c = r.Real();
  for (double& channel : record.channel) channel = r.Real();
  for (double& energy : record.energy) energy = r.Real();
  for (std::int32_t& use : record.use) use = r.Integer();
  record.useAll = r.Integer();
  record.pointCount = r.Integer();
  record.units = r.Integer();
  record.enabled = r.Integer();
  if (record.pointCount < 0 || record.pointCount > static_cast<std::int32_t>(CalibrationRecord::kMaxPoints))
    record.pointCount = 0;
  return record;
}

}  // namespace

std::vector<std::uint8_t> EncodeCalibrationValue(const CalibrationSet& records) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(kCalibrationValueBytes);
  Writer writer(bytes);
  for (const CalibrationRecord& record : records) Encode(writer, record);
  return bytes;
}

DecodedCalibration DecodeCalibrationValue(std::span<const std::uint8_t> bytes) {
  DecodedCalibration decoded;
  if (bytes.size() != kCalibrationValueBytes) {
    decoded.error = "The stored calibration holds " + std::to_string(bytes.size()) + " bytes instead of " +
                    std::to_string(kCalibrationValueBytes) + "; it is not used";
    return decoded;
  }
  Reader reader(bytes);
  for (CalibrationRecord& record : decoded.records) record = Decode(reader);
  return decoded;
}

}  // namespace korva
