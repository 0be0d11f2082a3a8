#include "sim/virtual_instrument.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>

#include "devicelink/device_image.h"
#include "sim/register_bank.h"
#include "sim/trace_capture.h"
#include "sim_test_support.h"

namespace korva::sim {
namespace {

using namespace korva::wire;
using namespace korva::sim::testing;
using std::chrono::milliseconds;

class VirtualInstrumentTest : public ::testing::Test {
 protected:
  VirtualInstrument instrument{InstrumentIdentity{}, 7};
};

TEST_F(VirtualInstrumentTest, RegisterWritesTakeEffectExceptOnInstrumentOwnedRegisters) {
  std::array<std::uint16_t, kRegisterCount> written{};
  std::iota(written.begin(), written.end(), std::uint16_t{0x0A00});
  written[16] = 0;  // no erase request, nothing running
  const std::vector<std::uint16_t> before = ReadRegisters(instrument, 0, 128);

  ValidReply(instrument, SendAllRegistersFrame(written), kWriteReplyLength);
  const std::vector<std::uint16_t> after = ReadRegisters(instrument, 0, 128);

  for (std::size_t i = 0; i < kRegisterCount; ++i) {
    const bool estimate = i == 48 || i == 49 || i == 52 || i == 53;  // follow the new settings
    const bool owned = (i >= 44 && i <= 47) || (i >= 56 && i <= 61) || i == 63;
    if (i == 15) {
      EXPECT_EQ(after[i], (before[i] & 0xF000) | (written[i] & 0x0FFF)) << "model code stays";
    } else if (i == 16) {
      EXPECT_EQ(after[i], written[i]) << "the new trace settings re-armed the trace unit";
    } else if (estimate) {
      EXPECT_NE(after[i], written[i]) << "register " << i;
    } else if (owned) {
      EXPECT_EQ(after[i], before[i]) << "register " << i;
    } else {
      EXPECT_EQ(after[i], written[i]) << "register " << i;
    }
  }
  EXPECT_EQ(after[15] >> 12, 3);
  EXPECT_EQ(after[63], 31);
}

TEST_F(VirtualInstrumentTest, RegisterBlocksAnywhereInTheMapAreServedAndNothingBeyondIt) {
  WriteRegisters(instrument, 127, {0xBEEF});
  EXPECT_EQ(ReadRegister(instrument, 127), 0xBEEF);
  WriteRegisters(instrument, 80, {100, 200, 300});
  EXPECT_EQ(ReadRegisters(instrument, 80, 3), (std::vector<std::uint16_t>{100, 200, 300}));

  const std::array<std::uint16_t, 2> twoWords{1, 2};
  EXPECT_TRUE(Exchange(instrument, RequestRegistersFrame(120, 9)).empty());
  EXPECT_TRUE(Exchange(instrument, RequestRegistersFrame(128, 1)).empty());
  EXPECT_TRUE(Exchange(instrument, BuildReadRequest(RegisterReadAddress(1), 3)).empty());
  EXPECT_TRUE(Exchange(instrument, BuildWriteRequest(RegisterWriteAddress(127), twoWords)).empty());
  EXPECT_TRUE(Exchange(instrument, BuildWriteRequest(0xC00000, twoWords)).empty())
      << "data memory is read only";
  EXPECT_TRUE(Exchange(instrument, BuildReadRequest(0x1400000 | RegisterReadAddress(1), 2)).empty());
}

TEST_F(VirtualInstrumentTest, SpectrumChunksCarryDataMemoryUpToTheLastEntry) {
  auto& data = instrument.Memory().data;
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint32_t>(i * 100003u + 1);

  for (const std::uint32_t first : {0u, 14350u}) {
    const std::uint32_t entries = SpectrumChunkEntries(first);
    const Frame reply = ValidReply(instrument, RequestSpectrumChunkFrame(first),
                                   ExpectedReadReplyLength(static_cast<std::uint16_t>(4 * entries)));
    ASSERT_EQ(reply.size(), first == 0 ? 8225u : 8161u);
    for (std::uint32_t i = 0; i < entries; ++i) {
      ASSERT_EQ(ReadU32(reply, kReadDataOffset + 4 * i), data[first + i]) << "entry " << first + i;
    }
  }
  EXPECT_TRUE(Exchange(instrument, BuildReadRequest(SpectrumReadAddress(14350), 4 * 2035)).empty());
  EXPECT_TRUE(Exchange(instrument, BuildReadRequest(SpectrumReadAddress(10) + 1, 8)).empty());
  EXPECT_TRUE(Exchange(instrument, BuildReadRequest(SpectrumReadAddress(10), 6)).empty());
}

// Runs the program's status intake over `replies` read replies and judges
// the threshold calibration the way the program does on its 18th reply.
struct CalibrationOutcome {
  bool valid = false;
  std::array<double, 3> slope{};
  std::array<std::uint16_t, 8> aux{};
};

CalibrationOutcome CalibrationSeenByTheProgram(VirtualInstrument& instrument) {
  CalibrationOutcome outcome;
  StatusBlock status;
  std::uint16_t model = 0;
  for (int reply = 0; reply < 18; ++reply) {
    const Frame frame = ValidReply(instrument, RequestAllRegistersFrame(), 279);
    status = ReadStatusBlock(frame);
    if (status.CarriesAuxSlot()) outcome.aux[status.AuxSlot()] = status.auxValue;
    model = static_cast<std::uint16_t>(ReadU16(frame, kReadDataOffset + 2 * 14) >> 12);  // register 15
  }
  if (!status.CarriesAuxSlot()) return outcome;
  const double nominal = model == 3 ? -0.0190735 : -0.01;
  const double tolerance = std::abs(0.2 * nominal);
  for (std::size_t pmt = 0; pmt < 3; ++pmt) {
    const int span = outcome.aux[2 * pmt + 1] - outcome.aux[2 * pmt];
    if (span == 0) return outcome;
    outcome.slope[pmt] = -500.0 / span;
    if (outcome.slope[pmt] < nominal - tolerance || outcome.slope[pmt] > nominal + tolerance) return outcome;
  }
  outcome.valid = true;
  return outcome;
}

TEST(VirtualInstrumentStatus, EveryModelReportsAValidThresholdCalibrationAndItsIdentity) {
  for (const Model model : {Model::kRQ3101, Model::kRQ3102}) {
    SCOPED_TRACE(std::string(ModelName(model)));
    VirtualInstrument instrument({4711, model, 307, 42}, 1);
    const CalibrationOutcome outcome = CalibrationSeenByTheProgram(instrument);
    EXPECT_TRUE(outcome.valid) << outcome.slope[0] << " " << outcome.slope[1] << " " << outcome.slope[2];

    const std::uint16_t date = outcome.aux[7];
    EXPECT_GE(date >> 12, 1);
    EXPECT_LE(date >> 12, 12);
    EXPECT_GE((date >> 7) & 0x1F, 1);

    const StatusBlock status = ReadStatusBlock(ValidReply(instrument, RequestTraceFrame(), 1049));
    EXPECT_EQ(status.firmwareVersion, 307);
    EXPECT_EQ(status.serialNumber, 4711);
    EXPECT_EQ(ReadRegister(instrument, 15) >> 12, ModelCode(model));
    EXPECT_EQ(ReadRegister(instrument, 63), 42);
  }
}

TEST(VirtualInstrumentStatus, TheProgramsDeviceImageTakesTheCalibrationAsValid) {
  for (const Model model : {Model::kRQ3101, Model::kRQ3102}) {
    SCOPED_TRACE(std::string(ModelName(model)));
    VirtualInstrument instrument({1, model, 215, 31}, 1);
    DeviceImage image;
    image.OnConnect();
    for (int reply = 0; reply < 18; ++reply) {
      const Frame frame = ValidReply(instrument, RequestAllRegistersFrame(), 279);
      image.IntakeStatus(ReadStatusBlock(frame));
      image.IntakeRegisters(1, std::span<const std::uint8_t>(frame).subspan(kReadDataOffset, 254));
    }
    EXPECT_TRUE(image.calibration.valid);
  }
}

TEST_F(VirtualInstrumentTest, EraseRequestClearsBothHalvesAndCompletesTheHandshake) {
  std::fill(instrument.Memory().data.begin(), instrument.Memory().data.end(), 7u);
  std::array<std::uint16_t, kRegisterCount> image{};
  for (std::size_t i = 1; i < kRegisterCount; ++i) image[i] = instrument.Memory().registers[i];
  image[16] = static_cast<std::uint16_t>((image[16] | 0x0024) & ~0x0010);  // bits 2, 5 set; bit 4 clear

  ValidReply(instrument, SendSettingsRegistersFrame(image), kWriteReplyLength);

  const std::uint16_t control = ReadRegister(instrument, 16);
  EXPECT_EQ(control & 0x0034, 0x0010);
  const auto& data = instrument.Memory().data;
  EXPECT_EQ(std::count(data.begin(), data.begin() + 8192, 0u), 8192);
  EXPECT_EQ(std::count(data.begin() + 8192, data.end(), 7u), 8192) << "run records survive";
}

TEST_F(VirtualInstrumentTest, TraceIsCapturedOnSettingsAndAgainAfterEachRead) {
  constexpr std::uint16_t kTraceReady = 0x8000;
  WriteRegisters(instrument, 24, {9, 100, 0, 0, 4095});  // 10 ticks a sample, trigger at 100, SLOW
  EXPECT_FALSE(ReadRegister(instrument, 16) & kTraceReady) << "new settings re-arm";
  instrument.Advance(milliseconds(20));
  ASSERT_TRUE(ReadRegister(instrument, 16) & kTraceReady) << "a pulse raised F LLD";

  const Frame reply = ValidReply(instrument, RequestTraceFrame(), 1049);
  auto lines = [&](std::size_t sample) { return ReadU16(reply, kReadDataOffset + 4 * sample + 2); };
  EXPECT_FALSE(lines(99) & 1u) << "F LLD rises at the trigger delay";
  EXPECT_TRUE(lines(100) & 1u);

  EXPECT_FALSE(ReadRegister(instrument, 16) & kTraceReady) << "reading re-arms";
  instrument.Advance(milliseconds(20));
  EXPECT_TRUE(ReadRegister(instrument, 16) & kTraceReady);

  // The host clears the flag by writing 0 but cannot set it.
  const std::uint16_t control = ReadRegister(instrument, 16);
  WriteRegisters(instrument, 16, {static_cast<std::uint16_t>(control & ~kTraceReady)});
  EXPECT_FALSE(ReadRegister(instrument, 16) & kTraceReady);
  WriteRegisters(instrument, 16, {static_cast<std::uint16_t>(control | kTraceReady)});
  EXPECT_FALSE(ReadRegister(instrument, 16) & kTraceReady);
}

std::uint64_t Sum(const std::vector<std::uint32_t>& data, std::size_t first, std::size_t count) {
  return std::accumulate(data.begin() + static_cast<std::ptrdiff_t>(first),
                         data.begin() + static_cast<std::ptrdiff_t>(first + count), std::uint64_t{0});
}

void AdvanceInSteps(VirtualInstrument& instrument, milliseconds total) {
  for (milliseconds done{0}; done < total; done += milliseconds(20)) instrument.Advance(milliseconds(20));
}

TEST_F(VirtualInstrumentTest, RunningAcquisitionGrowsASpectrumInTheSelectedHalfOnly) {
  const std::uint16_t control = ReadRegister(instrument, 16);
  WriteRegisters(instrument, 18, {0x0000});  // upper half
  WriteRegisters(instrument, 16, {static_cast<std::uint16_t>(control | 0x0003)});
  AdvanceInSteps(instrument, milliseconds(2000));

  const auto& data = instrument.Memory().data;
  const double counts = static_cast<double>(Sum(data, 4096, 4096));
  EXPECT_GT(counts, 1000.0);
  EXPECT_EQ(Sum(data, 0, 4096), 0u);
  EXPECT_EQ(ReadRegisters(instrument, 56, 2), (std::vector<std::uint16_t>{200, 0}))
      << "real time, 10 ms units";

  WriteRegisters(instrument, 16, {control});
  AdvanceInSteps(instrument, milliseconds(500));
  EXPECT_EQ(Sum(data, 4096, 4096), static_cast<std::uint64_t>(counts)) << "stopped";
}

TEST_F(VirtualInstrumentTest, AcquisitionStopsItselfAtTheRealTimePreset) {
  WriteRegisters(instrument, 42, {50, 0});  // 0.5 s
  WriteRegisters(instrument, 16, {static_cast<std::uint16_t>(ReadRegister(instrument, 16) | 0x0003)});
  AdvanceInSteps(instrument, milliseconds(1000));

  EXPECT_EQ(ReadRegister(instrument, 16) & 0x0003, 0);
  EXPECT_EQ(ReadRegister(instrument, 56), 50);
}

}  // namespace
}  // namespace korva::sim
