#include "setup/amplifier_digital_io.h"

#include "devicelink/register_map.h"

namespace korva {

namespace {

struct DriveBits {
  std::uint16_t enable;
  std::uint16_t openDrain;
  std::uint16_t invert;
};

namespace io = reg::digital_io;

constexpr DriveBits kRoutBits{io::kRoutEnable, io::kRoutOpenDrain, io::kRoutInvert};
constexpr DriveBits kSBits{io::kSEnable, io::kSOpenDrain, io::kSInvert};
constexpr DriveBits kTBits{io::kTEnable, io::kTOpenDrain, io::kTInvert};

const DriveBits& BitsOf(OutputLine line) {
  switch (line) {
    case OutputLine::kS:
      return kSBits;
    case OutputLine::kT:
      return kTBits;
    case OutputLine::kRout:
      break;
  }
  return kRoutBits;
}

int FunctionShift(OutputLine line) {
  switch (line) {
    case OutputLine::kS:
      return io::kSFunctionAt;
    case OutputLine::kT:
      return io::kTFunctionAt;
    case OutputLine::kRout:
      break;
  }
  return io::kRoutFunctionAt;
}

bool Has(std::uint16_t flags, std::uint16_t bit) { return (flags & bit) != 0; }

// A list position decoded from the register shows the first entry when the
// list is shorter.
int WithinList(int position, std::size_t length) {
  return position >= 0 && position < static_cast<int>(length) ? position : 0;
}

}  // namespace

std::uint16_t ComposeRegister75(std::uint16_t flags) {
  return static_cast<std::uint16_t>(flags & io::kFlagMask);
}

int DrivePosition(std::uint16_t flags, OutputLine line) {
  const DriveBits& bits = BitsOf(line);
  if (!Has(flags, bits.enable)) return 0;
  return WithinList(1 + int{Has(flags, bits.openDrain)} + 2 * int{Has(flags, bits.invert)},
                    kDriveTexts.size());
}

std::uint16_t WithDrivePosition(std::uint16_t flags, OutputLine line, int position) {
  const DriveBits& bits = BitsOf(line);
  if (position <= 0 || position >= static_cast<int>(kDriveTexts.size()))
    return reg::WithBit(flags, bits.enable, false);
  const int code = position - 1;  // bit 0 open drain, bit 1 invert
  flags = reg::WithBit(flags, bits.enable, true);
  flags = reg::WithBit(flags, bits.openDrain, (code & 1) != 0);
  return reg::WithBit(flags, bits.invert, (code & 2) != 0);
}

int RinPosition(std::uint16_t flags) {
  if (!Has(flags, io::kRinEnable)) return 0;
  if (!Has(flags, io::kRinCoincidence)) return 1;
  return WithinList(2 + int{Has(flags, io::kRinInvert)}, kRinFunctionTexts.size());
}

std::uint16_t WithRinPosition(std::uint16_t flags, int position) {
  if (position < 0 || position >= static_cast<int>(kRinFunctionTexts.size())) position = 0;
  flags = reg::WithBit(flags, io::kRinEnable, position >= 1);
  flags = reg::WithBit(flags, io::kRinCoincidence, position >= 2);
  return reg::WithBit(flags, io::kRinInvert, position == 3);
}

int FunctionPosition(std::uint16_t register76, OutputLine line) {
  return static_cast<int>((register76 >> FunctionShift(line)) & io::kFunctionMask);
}

std::uint16_t ComposeRegister76(const std::array<int, 3>& functions) {
  unsigned value = 0;
  for (std::size_t i = 0; i < kOutputLines.size(); ++i) {
    value |= (static_cast<unsigned>(functions[i]) & io::kFunctionMask) << FunctionShift(kOutputLines[i]);
  }
  return static_cast<std::uint16_t>(value);
}

}  // namespace korva
