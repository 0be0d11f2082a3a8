#include "tdcr/tdcr_control_word.h"

namespace korva {

namespace {

std::uint16_t ReferenceBit(StartReference reference) {
  switch (reference) {
    case StartReference::kUtc:
      return TdcrControlWord::kUtcStamp;
    case StartReference::kSystem:
      return TdcrControlWord::kSystemStamp;
    case StartReference::kLocal:
      break;
  }
  return 0;
}

}  // namespace

TdcrControlWord TdcrControlWord::With(std::uint16_t set, std::uint16_t cleared) const {
  return TdcrControlWord(static_cast<std::uint16_t>((value_ & ~cleared) | set));
}

TdcrControlWord TdcrControlWord::Started(StartReference reference) const {
  return With(static_cast<std::uint16_t>(kRun | ReferenceBit(reference)),
              kSaved | kInterrupted | kIdle | kUtcStamp | kSystemStamp);
}

TdcrControlWord TdcrControlWord::Stopped() const { return With(kInterrupted, kRun | kSaved | kIdle); }

TdcrControlWord TdcrControlWord::Reset() const { return With(kResetSet | kIdle, kResetCleared | kSaved); }

TdcrControlWord TdcrControlWord::WithStopTimer(int listIndex) const {
  return With(static_cast<std::uint16_t>((listIndex << reg::tdcr_control::kStopTimerShift) & kStopTimerMask),
              kStopTimerMask);
}

std::string TdcrControlWord::StatusText(int currentRunIndex) const {
  if (Idle()) return "Reset - Idle";
  if (Running()) return "In Progress - RUN " + std::to_string(currentRunIndex + 1);
  if (Interrupted()) return Saved() ? "Interrupted - Saved" : "Interrupted - Not Saved";
  return Saved() ? "Completed - Saved" : "Completed - Not Saved";
}

int TdcrControlWord::CompletedRuns(int currentRunIndex) const {
  const bool endedNormally = !Running() && !Interrupted() && !Idle();
  return currentRunIndex + (endedNormally ? 1 : 0);
}

std::string TdcrControlWord::StartReferenceLabel() const {
  if (Has(kUtcStamp)) return "START TIME: UTC";
  if (Has(kSystemStamp)) return "START TIME: SYSTEM";
  return "START TIME: LOCAL";
}

}  // namespace korva
