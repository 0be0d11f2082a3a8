#pragma once

#include <cstddef>
#include <cstdint>

namespace korva {

// The instrument's register map: every register number, bit and field that
// the program and the virtual instrument read or write, in one place. Each
// register is a 16-bit word of the register image; bit 0 is the least
// significant. A value spread over two registers keeps its low half in the
// first. Only numbers and layouts live here; what a value means to a view
// or to the instrument's counting is the business of the code that uses it.
namespace reg {

// `word` with `bit` set when `on`, cleared otherwise.
inline constexpr std::uint16_t WithBit(std::uint16_t word, std::uint16_t bit, bool on) {
  return static_cast<std::uint16_t>(on ? word | bit : word & ~bit);
}

// Blocks of the register image as the link moves them.
// A read of all registers returns 1-127 (register 0 never comes back); the
// settings block is 12-127, and 0-11 travel only with the whole set.
inline constexpr std::size_t kFirstReadBack = 1;
inline constexpr std::size_t kFirstSettings = 12;

// Amplifier and pulse-processor front end.
inline constexpr std::size_t kAdcOffset = 1;          // ADC offset
inline constexpr std::size_t kSlowRise = 2;           // slow shaper rise time, samples
inline constexpr std::size_t kSlowFlatTop = 3;        // slow shaper flat top, samples
inline constexpr std::size_t kFastRise = 4;           // fast shaper rise time, samples
inline constexpr std::size_t kFastFlatTop = 5;        // fast shaper flat top, samples
inline constexpr std::size_t kShortTcAbc = 8;         // short unfolding time constant, inputs A, B, C
inline constexpr std::size_t kLongTcAbc = 9;          // long unfolding time constant, inputs A, B, C
inline constexpr std::size_t kShortTcE = 10;          // short unfolding time constant, input E
inline constexpr std::size_t kLongTcE = 11;           // long unfolding time constant, input E
inline constexpr std::size_t kAmplifierOffset = 12;   // amplifier offset (ones' complement unless input E)
inline constexpr std::size_t kPileUp = 13;            // pile-up rejector, bits in pile_up
inline constexpr std::size_t kModel = 15;             // model code, field in model
inline constexpr std::size_t kControl = 16;           // control word, bits in control
inline constexpr std::size_t kFineGain = 17;          // fine gain: (4095 - fine) x 16
inline constexpr std::size_t kAmplifier = 18;         // coarse gain, input class and BLR, bits in amplifier
inline constexpr std::size_t kAmplifierCleared = 19;  // bits 0-11 cleared by every amplifier compose
inline constexpr std::size_t kNormalisationLow = 20;  // 20, 21: gain normalisation, fields in normalisation
inline constexpr std::size_t kNormalisationHigh = 21;

// Multichannel-analyser run start stamp.
inline constexpr std::size_t kStartDate = 22;  // day + 32 month + 512 (year - 2000)
inline constexpr std::size_t kStartTime = 23;  // second / 2 + 32 minute + 2048 hour

// Trace capture.
inline constexpr std::size_t kTraceDecimation = 24;  // ticks per stored sample - 1
inline constexpr std::size_t kTraceDelay = 25;       // samples stored before the trigger
inline constexpr std::size_t kTraceSetup = 26;       // input, trigger, shifts: fields in trace_setup
inline constexpr std::size_t kRoiScaLow = 27;        // ROI-SCA window low channel x compression
inline constexpr std::size_t kRoiScaHigh = 28;       // ROI-SCA window high channel x compression

// Baseline restorers and values derived from the shaper times.
inline constexpr std::size_t kBlrSlow = 30;           // slow BLR, fields in blr
inline constexpr std::size_t kBlrFast = 31;           // fast BLR, fields in blr
inline constexpr std::size_t kSlowLength = 32;        // slow rise / 32 + slow flat top + slow rise
inline constexpr std::size_t kSlowDelay = 33;         // slow rise - 4
inline constexpr std::size_t kSlowThresholdLow = 34;  // 34, 35: slow (LLD) threshold, -1 automatic
inline constexpr std::size_t kFastThresholdLow = 36;  // 36, 37: fast threshold, -1 automatic
inline constexpr std::size_t kSlowWindow = 38;        // slow rise x 2
inline constexpr std::size_t kSlowGuard = 39;         // slow rise / 10 + 4
inline constexpr std::size_t kFastGuard = 40;         // fast rise / 10 + 4
// 2 (slow flat top - fast rise + slow rise) + slow rise / 16 - fast flat top
inline constexpr std::size_t kPileUpInterval = 41;

// Multichannel-analyser run: preset, rate meters and times.
inline constexpr std::size_t kPresetLow = 42;        // 42, 43: stop-timer preset, seconds x 100
inline constexpr std::size_t kRateCount1 = 44;       // counts in gate 1: throughput
inline constexpr std::size_t kRateCount2 = 45;       // counts in gate 2: incoming
inline constexpr std::size_t kRateGate1 = 46;        // gate 1 length in 2048-tick units
inline constexpr std::size_t kRateGate2 = 47;        // gate 2 length in 2048-tick units
inline constexpr std::size_t kSlowEstimateLow = 48;  // 48, 49: estimated slow (LLD) threshold, read only
inline constexpr std::size_t kFastEstimateLow = 52;  // 52, 53: estimated fast threshold, read only
inline constexpr std::size_t kRealTimeLow = 56;      // 56, 57: real time in 10 ms units
inline constexpr std::size_t kLiveTimeLow = 58;      // 58, 59: live time in 10 ms units
inline constexpr std::size_t kRealTimeFine = 60;     // real time below 10 ms, 16-tick units
inline constexpr std::size_t kLiveTimeFine = 61;     // live time below 10 ms, 16-tick units
inline constexpr std::size_t kPaneMode = 62;         // PHA mode: bits 4-7 all 0 and amplifier::kPhaMode
inline constexpr std::uint16_t kPaneModeMask = 0x00F0;
inline constexpr std::size_t kFpgaVersion = 63;  // FPGA version x 10

// Coincidence gating of the analyser.
inline constexpr std::size_t kCoincidenceDelay = 68;   // coincidence delay, ticks
inline constexpr std::size_t kCoincidenceWindow = 69;  // width and mode, fields in coincidence_window
inline constexpr std::size_t kStrobeDelay = 70;        // strobe delay, ticks

// Automatic thresholds and the PHA lower threshold.
inline constexpr std::size_t kMargins = 71;          // auto margins and BDC index, fields in margins
inline constexpr std::size_t kPhaThresholdLow = 72;  // 72, 73: LLD x compression x 12, -1 automatic
inline constexpr std::size_t kPhaMargin = 74;        // PHA auto margin, field margins::kCodeMask

// Digital I/O lines.
inline constexpr std::size_t kDigitalIoFlags = 75;      // drive and function flags, bits in digital_io
inline constexpr std::size_t kDigitalIoFunctions = 76;  // Rout, S, T functions, fields in digital_io

// TDCR measurement.
inline constexpr std::size_t kThresholdA = 80;        // 80, 81, 82: discriminator codes of A, B, C
inline constexpr std::size_t kTdcrControl = 83;       // TDCR control word, bits in tdcr_control
inline constexpr std::size_t kExtension1 = 84;        // 84, 85: dead-time extensions 1, 2
inline constexpr std::size_t kTimePerRunLow = 88;     // 88, 89: preset time per run, milliseconds
inline constexpr std::size_t kWindows = 90;           // windows N, M, dead-time modes: fields in windows
inline constexpr std::size_t kRuns = 91;              // preset runs and current run, fields in runs
inline constexpr std::size_t kTdcrStartTime = 92;     // 92-95: start, 100 ns ticks since 1601, low word first
inline constexpr std::size_t kCoincidenceInput = 96;  // source input, bits in coincidence_input
inline constexpr std::size_t kSourceAndPolarity = 97;  // clock source, polarities: source_polarity
inline constexpr std::size_t kGapTimeLow = 98;         // 98, 99: gap between runs, milliseconds
inline constexpr std::size_t kTdcrDelay1First = 100;   // TDCR signal 1 delay: 100 + 102
inline constexpr std::size_t kTdcrDelay2First = 101;   // TDCR signal 2 delay: 101 + 103
inline constexpr std::size_t kTdcrDelay1Second = 102;
inline constexpr std::size_t kTdcrDelay2Second = 103;

// Register 13.
namespace pile_up {
inline constexpr std::uint16_t kEnhanced = 1u << 14;  // enhanced pile-up rejection
inline constexpr std::uint16_t kOff = 1u << 15;       // pile-up rejector off
}  // namespace pile_up

// Register 15.
namespace model {
inline constexpr int kShift = 12;  // model code in bits 12-15
inline constexpr std::uint16_t kMask = 0xF000;
inline constexpr std::uint16_t kSecondModelCode = 3;  // RQ3102; any other code is RQ3101
}  // namespace model

// Register 16, the control word.
namespace control {
inline constexpr std::uint16_t kRun = 1u << 0;                 // the analyser acquires
inline constexpr std::uint16_t kRunCompanion = 1u << 1;        // set and cleared with kRun
inline constexpr std::uint16_t kEraseRequest = 1u << 2;        // erase the spectrum memory
inline constexpr std::uint16_t kLiveTimer = 1u << 3;           // stop timer: live (1) or real (0)
inline constexpr std::uint16_t kEraseDone = 1u << 4;           // erase handshake: set when done
inline constexpr std::uint16_t kEraseArmed = 1u << 5;          // erase handshake: armed
inline constexpr std::uint16_t kAutoOffset = 1u << 8;          // automatic amplifier offset
inline constexpr std::uint16_t kPulserOff = 1u << 9;           // digital pulser off
inline constexpr std::uint16_t kUtcStart = 1u << 10;           // the run's start stamp is UTC
inline constexpr std::uint16_t kSystemStart = 1u << 11;        // the run's start stamp is the system clock
inline constexpr std::uint16_t kTdcrTriggered = 1u << 12;      // PHA triggered by the TDCR coincidence
inline constexpr std::uint16_t kCoincidenceNotMca = 1u << 14;  // the coincidence source is not the analyser
inline constexpr std::uint16_t kTraceReady = 1u << 15;         // a captured trace can be read
}  // namespace control

// Register 17: the fine gain f (0-4095) held as (4095 - f) x kFineScale.
inline constexpr unsigned kFineScale = 16;

// Register 18, the amplifier word.
namespace amplifier {
inline constexpr std::uint16_t kCoarseMask = 0x0003;     // bits 0-1: coarse gain code, steps of sqrt 2
inline constexpr std::uint16_t kComposeMask = 0xFF1F;    // ANDed with -steps: clears the coarse code bits
inline constexpr std::uint16_t kExternalBlr = 1u << 12;  // internal BLR off
inline constexpr std::uint16_t kPhaMode = 1u << 14;      // pulse-height analysis instead of DPP
inline constexpr std::uint16_t kInputE = 1u << 15;       // input E, acquired into spectrum entries 0-4095
}  // namespace amplifier

// Register 19.
inline constexpr std::uint16_t kAmplifierClearedKept = 0xF000;  // the bits an amplifier compose keeps

// Registers 20 and 21.
namespace normalisation {
inline constexpr std::uint16_t kHighMask = 0x3FFF;  // register 21 bits 0-13: factor bits 16-29
inline constexpr std::uint32_t kFactorMask = 0x3FFFFFFF;
inline constexpr std::uint16_t kFine = 1u << 14;       // register 21: fine normalisation
inline constexpr std::uint16_t kAutomatic = 1u << 15;  // register 21: factor found by the instrument
}  // namespace normalisation

// Register 26.
namespace trace_setup {
inline constexpr std::uint16_t kInputMask = 0x0003;  // bits 0-1: analog input shown
inline constexpr std::uint16_t kCoincidenceDisplay = 1u << 2;
inline constexpr int kTriggerShift = 3;                // bits 3-5: trigger line
inline constexpr std::uint16_t kTriggerMask = 0x0007;  // the trigger line, once moved down
inline constexpr std::uint16_t kInvertTrigger = 1u << 6;
inline constexpr std::uint16_t kRandomTrigger = 1u << 7;
inline constexpr int kSlowShiftAt = 8;               // bits 8-11: slow display shift
inline constexpr int kFastShiftAt = 12;              // bits 12-15: fast display shift
inline constexpr std::uint16_t kShiftMask = 0x000F;  // of either shift, once moved down
}  // namespace trace_setup

// Registers 30 and 31.
namespace blr {
inline constexpr std::uint16_t kSlowMask = 0x3FFF;  // register 30 bits 0-13: slow BLR (PHA/SLOW)
inline constexpr std::uint16_t kFastMask = 0x7FFF;  // register 31 bits 0-14: fast BLR
inline constexpr std::uint16_t kAcc = 1u << 14;     // register 30: ACC
inline constexpr std::uint16_t kSym = 1u << 15;     // SYM
}  // namespace blr

// Register 69.
namespace coincidence_window {
inline constexpr std::uint16_t kWidthMask = 0x3FFF;  // width in ticks
inline constexpr std::uint16_t kAnticoincidence = 1u << 14;
inline constexpr std::uint16_t kWindowed = 1u << 15;
}  // namespace coincidence_window

// Registers 71 and 74: margins of the automatic thresholds, each a 5-bit
// code of quarters.
namespace margins {
inline constexpr std::uint16_t kCodeMask = 0x001F;  // one margin, once moved down
inline constexpr int kSlowAt = 0;                   // register 71 bits 0-4: slow margin (74: PHA margin)
inline constexpr int kFastAt = 5;                   // register 71 bits 5-9: fast margin
inline constexpr int kBdcAt = 10;                   // register 71 bits 10-14: BDC index
inline constexpr std::uint16_t kKept = 1u << 15;    // register 71 bit 15, carried through
}  // namespace margins

// Registers 75 and 76.
namespace digital_io {
// Register 75 bits 3-15 (bit 3 has no name here); bits 0-2 are written 0.
inline constexpr std::uint16_t kFlagMask = 0xFFF8;
inline constexpr std::uint16_t kRinCoincidence = 1u << 4;
inline constexpr std::uint16_t kTOpenDrain = 1u << 5;
inline constexpr std::uint16_t kSOpenDrain = 1u << 6;
inline constexpr std::uint16_t kRoutOpenDrain = 1u << 7;
inline constexpr std::uint16_t kTInvert = 1u << 8;
inline constexpr std::uint16_t kSInvert = 1u << 9;
inline constexpr std::uint16_t kRoutInvert = 1u << 10;
inline constexpr std::uint16_t kRinInvert = 1u << 11;
inline constexpr std::uint16_t kTEnable = 1u << 12;
inline constexpr std::uint16_t kSEnable = 1u << 13;
inline constexpr std::uint16_t kRoutEnable = 1u << 14;
inline constexpr std::uint16_t kRinEnable = 1u << 15;
inline constexpr unsigned kFunctionMask = 0x3;  // register 76: each function index, once moved down
inline constexpr int kRoutFunctionAt = 4;       // bits 4-5
inline constexpr int kSFunctionAt = 2;          // bits 2-3
inline constexpr int kTFunctionAt = 0;          // bits 0-1
}  // namespace digital_io

// Register 83, the TDCR control word.
namespace tdcr_control {
inline constexpr std::uint16_t kMcaInputMask = 0x0003;   // bits 0-1: analyser input PMT A, B, C, A+B+C
inline constexpr std::uint16_t kRun = 1u << 2;           // a measurement is in progress
inline constexpr std::uint16_t kResetDone = 1u << 4;     // cleared by RESET, set when the reset is done
inline constexpr std::uint16_t kResetRequest = 1u << 5;  // set by RESET, cleared when the reset is done
inline constexpr std::uint16_t kSaved = 1u << 7;         // the measurement is saved
inline constexpr std::uint16_t kInterrupted = 1u << 8;   // ended by STOP
inline constexpr std::uint16_t kIdle = 1u << 9;          // reset, ready for START
inline constexpr std::uint16_t kUtcStamp = 1u << 10;     // the start stamp is UTC
inline constexpr std::uint16_t kSystemStamp = 1u << 11;  // the start stamp is the system clock
inline constexpr int kStopTimerShift = 12;               // bits 12-15: stop timer of the runs
inline constexpr std::uint16_t kStopTimerMask = 0xF000;
}  // namespace tdcr_control

// Registers 84 and 85: an extension of n 8 ns steps is held as n - 2.
inline constexpr int kExtensionOffset = 2;

// Register 90.
namespace windows {
inline constexpr std::uint16_t kIndexMask = 0x000F;        // one window index, once moved down
inline constexpr int kNAt = 0;                             // bits 0-3: window N
inline constexpr int kMAt = 4;                             // bits 4-7: window M
inline constexpr std::uint16_t kCdtExtension1 = 1u << 14;  // dead-time mode of extension 1: CDT (1), IDT (0)
inline constexpr std::uint16_t kCdtExtension2 = 1u << 15;  // dead-time mode of extension 2
}  // namespace windows

// Register 91.
namespace runs {
inline constexpr std::uint16_t kPresetMask = 0x003F;   // bits 0-5: preset runs - 1
inline constexpr std::uint16_t kCurrentMask = 0x3F00;  // bits 8-13: 0-based run in progress
inline constexpr int kCurrentShift = 8;
}  // namespace runs

// Register 96.
namespace coincidence_input {
inline constexpr std::uint16_t kSecondSourceMask = 0x0003;  // bits 0-1: coincidence source input
inline constexpr std::uint16_t kExternal1Off = 1u << 9;     // external TDCR signal 1 disabled
inline constexpr std::uint16_t kExternal2Off = 1u << 10;    // external TDCR signal 2 disabled
}  // namespace coincidence_input

// Register 97.
namespace source_polarity {
inline constexpr std::uint16_t kReferenceSourceMask = 0x0003;  // bits 0-1: none, internal, external 10 MHz
inline constexpr int kFirstPolarityBit = 8;                    // bits 8, 9, 10: A, B, C positive
}  // namespace source_polarity

// Auxiliary status slot 7: the date the thresholds were calibrated.
namespace calibration_date {
inline constexpr std::size_t kSlot = 7;
inline constexpr int kMonthAt = 12;  // bits 12-15: month 1-12
inline constexpr unsigned kMonthMask = 0xF;
inline constexpr int kDayAt = 7;  // bits 7-11: day
inline constexpr unsigned kDayMask = 0x1F;
inline constexpr unsigned kYearMask = 0x7F;  // bits 0-6: year - 2000
}  // namespace calibration_date

// The registers the instrument counts into by itself, whatever the host
// last wrote: the rate meters and their gates, the estimated thresholds,
// the acquisition times and the FPGA version.
inline constexpr bool IsInstrumentCounted(std::size_t index) {
  switch (index) {
    case kRateCount1:
    case kRateCount2:
    case kRateGate1:
    case kRateGate2:
    case kSlowEstimateLow:
    case kSlowEstimateLow + 1:
    case kFastEstimateLow:
    case kFastEstimateLow + 1:
    case kRealTimeLow:
    case kRealTimeLow + 1:
    case kLiveTimeLow:
    case kLiveTimeLow + 1:
    case kRealTimeFine:
    case kLiveTimeFine:
    case kFpgaVersion:
      return true;
    default:
      return false;
  }
}

}  // namespace reg

// One pulse-processor clock tick, the unit of every delay register and of the
// fine time registers.
inline constexpr double kTickMicroseconds = 0.008;

}  // namespace korva
