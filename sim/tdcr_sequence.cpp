#include "sim/tdcr_sequence.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "sim/tdcr_run_record.h"

namespace korva::sim {

namespace {

constexpr double kNsPerMs = 1e6;
// A live timer gains at most as much as the real time, so the run steps by
// what the timer still lacks; this floor keeps the steps from shrinking
// towards nothing while the timer's channels are dead.
constexpr double kLiveStopStepNs = 1000.0;

const BetaEmitter& EmitterNamed(const std::string& name) {
  const BetaEmitter* emitter = FindBetaEmitter(name);
  if (emitter == nullptr) throw std::invalid_argument("no beta emitter named " + name);
  return *emitter;
}

}  // namespace

TdcrSequence::TdcrSequence(const TdcrOptions& options, std::uint32_t seed)
    : options_(options), light_(EmitterNamed(options.nuclide), options.kbCmPerMeV), random_(seed) {
  // The activity is that of the nuclide named; a daughter in equilibrium
  // adds its own decays to the vial's.
  options_.activityBq *= light_.DecaysPerNamedDecay();
}

void TdcrSequence::OnRegistersWritten(InstrumentMemory& memory, RegisterRange written) {
  if (written.Covers(reg::kRuns) && phase_ != Phase::kIdle) ShowRunIndex(memory);
  if (!written.Covers(reg::kTdcrControl)) return;

  RegisterBank& registers = memory.registers;
  if (registers.Test(reg::kTdcrControl, reg::tdcr_control::kResetRequest)) Reset(memory);
  const bool runBit = registers.Test(reg::kTdcrControl, reg::tdcr_control::kRun);
  if (Running() && !runBit) {
    Stop(memory);
  } else if (!Running() && runBit) {
    if (phase_ == Phase::kIdle) {
      BeginRun(memory, 0);
    } else {
      registers.ClearBits(reg::kTdcrControl, reg::tdcr_control::kRun);
    }
  }
}

void TdcrSequence::Advance(InstrumentMemory& memory, std::chrono::microseconds elapsed) {
  if (!Running()) return;
  double availableNs = static_cast<double>(elapsed.count()) * 1e3 * options_.timeScale;
  while (availableNs > 0.0 && Running()) {
    availableNs -= phase_ == Phase::kRun ? CountFor(memory, availableNs) : WaitFor(memory, availableNs);
  }
  if (phase_ == Phase::kRun) Publish(memory);
}

void TdcrSequence::Reset(InstrumentMemory& memory) {
  run_.reset();
  phase_ = Phase::kIdle;
  runIndex_ = 0;
  ShowRunIndex(memory);
  ClearTdcrRunRecords(memory);
  memory.registers.ClearBits(reg::kTdcrControl, reg::tdcr_control::kResetRequest);
  memory.registers.SetBits(reg::kTdcrControl, reg::tdcr_control::kResetDone);
}

void TdcrSequence::Stop(InstrumentMemory& memory) {
  if (run_) {
    run_->counters.Finish();
    Publish(memory);
    run_.reset();
  }
  phase_ = Phase::kEnded;
}

void TdcrSequence::BeginRun(InstrumentMemory& memory, int runIndex) {
  runIndex_ = runIndex;
  ShowRunIndex(memory);
  const TdcrSettings settings = DecodeTdcrSettings(memory.registers);
  run_.emplace(Run{TdcrScintillationSource(options_, light_, settings.photoelectronsNeeded, random_),
                   TdcrRunCounters(settings)});
  phase_ = Phase::kRun;
  Publish(memory);
}

void TdcrSequence::EndRun(InstrumentMemory& memory) {
  run_->counters.Finish();
  Publish(memory);
  run_.reset();
  const TdcrSettings settings = DecodeTdcrSettings(memory.registers);
  if (runIndex_ + 1 >= settings.runs) {
    phase_ = Phase::kEnded;
    memory.registers.ClearBits(reg::kTdcrControl, reg::tdcr_control::kRun);
  } else if (settings.gapMs == 0) {
    BeginRun(memory, runIndex_ + 1);
  } else {
    phase_ = Phase::kGap;
    gapLeftNs_ = settings.gapMs * kNsPerMs;
  }
}

// Counts for up to `availableNs` of the current run, ends the run when its
// timer reaches the time per run, and returns the time used.
double TdcrSequence::CountFor(InstrumentMemory& memory, double availableNs) {
  const TdcrSettings settings = DecodeTdcrSettings(memory.registers);
  const double stepNs = std::min(availableNs, TimeToRunEnd(settings));
  if (stepNs > 0.0) {
    TdcrRunCounters& counters = run_->counters;
    const double untilNs = counters.RealNs() + stepNs;
    run_->source.EmitUntil(untilNs,
                           [&counters](double timeNs, int channel) { counters.Pulse(timeNs, channel); });
    counters.AdvanceTo(untilNs);
  }
  if (TimeToRunEnd(settings) <= 0.0) EndRun(memory);
  return stepNs;
}

double TdcrSequence::WaitFor(InstrumentMemory& memory, double availableNs) {
  const double stepNs = std::min(availableNs, gapLeftNs_);
  gapLeftNs_ -= stepNs;
  if (gapLeftNs_ <= 0.0) BeginRun(memory, runIndex_ + 1);
  return stepNs;
}

// Time the current run still needs; 0 when it is over.
double TdcrSequence::TimeToRunEnd(const TdcrSettings& settings) const {
  const double presetNs = settings.presetMs * kNsPerMs;
  const TdcrRunCounters& counters = run_->counters;
  if (!settings.stopTimer) return std::max(0.0, presetNs - counters.RealNs());
  const double lackingNs = presetNs - counters.LiveNs(*settings.stopTimer);
  return lackingNs <= 0.0 ? 0.0 : std::max(lackingNs, kLiveStopStepNs);
}

void TdcrSequence::Publish(InstrumentMemory& memory) const {
  WriteTdcrRunRecord(memory, runIndex_, run_->counters.Record(options_.referencePpm));
}

void TdcrSequence::ShowRunIndex(InstrumentMemory& memory) const {
  const auto others = static_cast<std::uint16_t>(memory.registers[reg::kRuns] & ~reg::runs::kCurrentMask);
  memory.registers.Set(reg::kRuns,
                       static_cast<std::uint16_t>(others | runIndex_ << reg::runs::kCurrentShift));
}

}  // namespace korva::sim
