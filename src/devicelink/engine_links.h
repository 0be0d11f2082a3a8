#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace korva {

// What the command engine tells the views after an accepted reply. Each
// refresh runs on the user-interface thread inside the dispatcher.
class EngineObserver {
 public:
  virtual ~EngineObserver() = default;
  // A spectrum chunk landed in the image: the TDCR and counters views refresh.
  virtual void OnSpectrumChunk() {}
  // A register read landed in the image. `phaMode` is the pane mode the
  // registers select: pulse-height analysis when register 18 bit 14 is set
  // and register 62 bits 4-7 are 0, the shaper otherwise.
  virtual void OnRegistersRead(bool phaMode) { (void)phaMode; }
  // A register write was acknowledged.
  virtual void OnRegistersWritten() {}
  // Spectrum polling was turned on or off, by whichever view.
  virtual void OnSpectrumPollingChanged(bool on) { (void)on; }
};

// The trace viewer's run and single-shot state and its trace intake, as the
// engine reads and writes them.
class TraceViewerLink {
 public:
  virtual ~TraceViewerLink() = default;
  virtual bool IsRunning() const = 0;
  virtual int SingleShotCount() const = 0;
  virtual void SetSingleShotCount(int count) = 0;
  // Unchecks the run button and gives it the caption "RUN".
  virtual void ReleaseRunButton() = 0;
  // Hands over the 1024-byte trace record to be processed and drawn.
  virtual void TakeTrace(std::span<const std::uint8_t> record) = 0;
  // ROI-SCA window in displayed channels; kept equal to registers 27 and 28
  // divided by the compression factor.
  virtual std::uint32_t RoiScaLow() const = 0;
  virtual std::uint32_t RoiScaHigh() const = 0;
  virtual void SetRoiScaLow(std::uint32_t channel) = 0;
  virtual void SetRoiScaHigh(std::uint32_t channel) = 0;
  virtual void SetSettingsValid(bool valid) = 0;
};

// A trace viewer that never runs, for hosts without one.
class IdleTraceViewer : public TraceViewerLink {
 public:
  bool IsRunning() const override { return false; }
  int SingleShotCount() const override { return 0; }
  void SetSingleShotCount(int) override {}
  void ReleaseRunButton() override {}
  void TakeTrace(std::span<const std::uint8_t>) override {}
  std::uint32_t RoiScaLow() const override { return 0; }
  std::uint32_t RoiScaHigh() const override { return 0; }
  void SetRoiScaLow(std::uint32_t) override {}
  void SetRoiScaHigh(std::uint32_t) override {}
  void SetSettingsValid(bool) override {}
};

// What the engine needs of the shell that owns it.
class EngineHost {
 public:
  virtual ~EngineHost() = default;
  // The last open succeeded and no disconnect happened since.
  virtual bool IsPortOpen() const = 0;
  // Runs the shell's disconnect sequence.
  virtual void RunDisconnectSequence() = 0;
  // Runs `action` once, `delayMs` from now, on the user-interface thread.
  virtual void ScheduleAfter(int delayMs, std::function<void()> action) = 0;
};

}  // namespace korva
