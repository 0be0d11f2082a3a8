#include "tdcr/measurement_text.h"

#include <cstdio>

namespace korva {

void LineText::Line(std::string_view text) {
  text_ += text;
  text_ += "\r\n";
}

std::string MeasurementDate(const StampTime& time) {
  if (!IsStampedStart(time)) return kNoStartText;
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", time.day, time.month, time.year);
  return text;
}

std::string MeasurementTime(const StampTime& time) {
  if (!IsStampedStart(time)) return kNoStartText;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", time.hour, time.minute, time.second,
                time.millisecond);
  return text;
}

std::string MeasurementDateTime(const StampTime& time) {
  if (!IsStampedStart(time)) return kNoStartText;
  return MeasurementDate(time) + "  " + MeasurementTime(time);
}

void WriteHardwareLines(LineText& out, const MeasurementSettings& settings) {
  out.Line("Hardware, " + settings.modelName);
  out.Line("Serial Number," + settings.serialNumber);
  out.Line("Firmware Version," + settings.firmware);
  out.Line("FPGA Version," + settings.fpga);
}

void WriteSettingLines(LineText& out, const MeasurementSettings& settings) {
  const TdcrRecordTexts& record = settings.record;
  out.Line("Operator," + CommaField(record.operatorName));
  out.Line("Nuclides," + CommaField(record.nuclides));
  out.Line("LS Coctail," + CommaField(record.cocktail));
  out.Line("High Voltage," + CommaField(record.highVoltage));
  out.Line("Threshold A [mV]," + settings.thresholds[0]);
  out.Line("Threshold B [mV]," + settings.thresholds[1]);
  out.Line("Threshold C [mV]," + settings.thresholds[2]);
  out.Line("Dead Time Extension 1 [us]," + settings.extensions[0]);
  out.Line("Dead Time Extension 2 [us]," + settings.extensions[1]);
  out.Line("Coincidence Window N [ns]," + settings.windows[0]);
  out.Line("Coincidence Window M [ns]," + settings.windows[1]);
  out.Line("Preset Sequential Runs," + settings.sequentialRuns);
  out.Line("Preset Time per Run [s], " + settings.timePerRun);
  out.Line("Time Gap between Runs [s], " + settings.gapTime);
  out.Line("Stop Timer," + settings.stopTimer);
}

std::string RunsCompletedLine(const MeasurementSettings& settings) {
  return "Runs Completed, " + std::to_string(settings.completedRuns);
}

}  // namespace korva
