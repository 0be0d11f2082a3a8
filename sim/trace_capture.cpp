#include "sim/trace_capture.h"

#include "sim/trace_synthesis.h"

namespace korva::sim {

TraceCapture::TraceCapture(std::uint32_t seed) : random_(seed) {}

void TraceCapture::OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) {
  if (written.Overlaps(reg::kTraceDecimation, reg::kRoiScaHigh)) Capture(memory);
}

void TraceCapture::Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) {
  if (memory.registers.Test(reg::kControl, control_bit::kTraceReady)) return;
  armedFor_ += elapsed;
  if (armedFor_ >= kRearmTime) Capture(memory);
}

void TraceCapture::Capture(InstrumentMemory& memory) {
  memory.trace = SynthesizeTrace(memory.registers, source_.SampleChannel(random_), random_);
  memory.registers.SetBits(reg::kControl, control_bit::kTraceReady);
  armedFor_ = std::chrono::microseconds{0};
}

}  // namespace korva::sim
