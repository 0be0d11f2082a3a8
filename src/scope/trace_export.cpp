#include "scope/trace_export.h"

#include <algorithm>
#include <cmath>

#include "common/files_saved.h"
#include "common/format_text.h"
#include "common/safe_file_writer.h"

namespace korva {

namespace {

double ShiftedOverRise(double x, int shift, std::uint16_t rise) {
  return std::ldexp(x, std::clamp(shift, 0, 30)) / (rise == 0 ? 1.0 : static_cast<double>(rise));
}

std::string AveragedText(TraceMode mode) {
  const int count = AveragedTraces(mode);
  return count > 1 ? std::to_string(count) + "\n" : "SINGLE TRACE\n";
}

std::string TriggerText(const TraceExportSource& source) {
  if (source.mode == TraceMode::kRnd) return "RANDOM\n";
  return std::string(TraceLineName(source.triggerSource, source.coincidenceDisplay)) + "\n";
}

std::string ColumnHeader(const TraceExportSource& source) {
  std::string text = "\nSample,Time [us],";
  text += TraceInputName(source.input);
  for (int line = 0; line < kTraceLines; ++line) {
    text += ",";
    text += TraceLineName(line, source.coincidenceDisplay);
  }
  return text + "\n";
}

std::string DataLine(int i, const TraceExportSource& source, TraceExportKind kind, double sampleTime) {
  const TraceSample& sample = source.trace[static_cast<std::size_t>(i)];
  // (i - d) x S rather than i x S - d x S: the trigger sample is exactly 0.
  std::string text = FormatText("%d,%6.4f,%lld", i, (i - source.delay) * sampleTime,
                                TraceExportValue(sample.analog, source, kind));
  for (int line = 0; line < kTraceLines; ++line) text += LineIsSet(sample, line) ? ",1" : ",0";
  return text + "\n";
}

}  // namespace

double TraceSampleTimeUs(int code) {
  return code < 11 ? kTraceSamplePeriodUs : (code - 10) * kTraceSamplePeriodUs;
}

long long TraceExportValue(int x, const TraceExportSource& source, TraceExportKind kind) {
  if (kind == TraceExportKind::kRaw) return x;
  double value = 2.0 * x;
  if (source.input == kTraceSlow || source.input == kTraceAux) {
    value = ShiftedOverRise(x, source.slowShift, source.slowRise);
  } else if (source.input == kTraceFast) {
    value = ShiftedOverRise(x, source.fastShift, source.fastRise);
  }
  return static_cast<long long>(std::trunc(value));
}

std::string TraceExportText(const TraceExportSource& source, TraceExportKind kind) {
  const double sampleTime = TraceSampleTimeUs(source.timeBaseCode);
  std::string text = "korva-TDCR Trace Viewer: Captured Traces\n";
  text += "Digital Signal: ";
  text += TraceInputName(source.input);
  text += kind == TraceExportKind::kNormalized ? " (NORMALIZED DATA)\n" : " (RAW DATA)\n";
  text += "Traces Averaged: " + AveragedText(source.mode);
  text += "Trigger Source: " + TriggerText(source);
  text += FormatText("Trigger Delay: %d samples (%6.4f us)\n", source.delay, source.delay * sampleTime);
  text += ColumnHeader(source);
  for (int i = 0; i < static_cast<int>(kTraceSamples); ++i) text += DataLine(i, source, kind, sampleTime);
  return text;
}

std::filesystem::path TraceExportNameFor(const std::filesystem::path& chosen) {
  if (chosen.has_extension()) return chosen;
  std::filesystem::path name = chosen;
  name += ".csv";
  return name;
}

std::string_view TraceExportMessage(TraceExportStatus status) {
  return status == TraceExportStatus::kDone ? std::string_view{} : trace_export_text::kSaveFailed;
}

TraceExportStatus SaveTraceExport(const std::filesystem::path& target, const TraceExportSource& source,
                                  TraceExportKind kind) {
  SafeFileWriter writer(target);
  if (!writer.Open()) return TraceExportStatus::kCreateFailed;
  const bool written = writer.Write(TraceExportText(source, kind)) && writer.Finish() && writer.Commit();
  if (written) AnnounceSavedFiles(SavedKind::kTraceExport, {target});
  return written ? TraceExportStatus::kDone : TraceExportStatus::kWriteFailed;
}

}  // namespace korva
