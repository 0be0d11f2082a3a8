#include <cstdio>

#include "tdcr/measurement_files.h"
#include "tdcr/measurement_text.h"

namespace korva {

namespace {

// "Run,Start Offset [s],RealTime[s]," then "AB-N1[cps]" and its siblings in
// the order of the rows.
std::string HeaderLine() {
  std::string line = "Run,Start Offset [s],RealTime[s]";
  for (const char* combination : kCombinationNames) {
    for (const TdcrRates::Kind kind : kCoincidenceColumns) {
      line += std::string(",") + kKindNames[kind] + "-" + combination + "[cps]";
    }
  }
  return line;
}

std::string StartOffsetText(double seconds) {
  const int length = std::snprintf(nullptr, 0, "%f", seconds);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%f", seconds);
  text.pop_back();
  return text;
}

// Every field, the last rate included, is followed by a comma.
std::string RunRow(const MeasurementRun& run) {
  std::string row =
      std::to_string(run.number) + "," + StartOffsetText(run.startOffset) + "," + run.readings.realTime + ",";
  for (const auto& rates : run.readings.rates) {
    for (const TdcrRates::Kind kind : kCoincidenceColumns) row += rates[kind] + ",";
  }
  return row;
}

}  // namespace

std::string CsvFileText(const MeasurementSnapshot& snapshot) {
  const MeasurementSettings& settings = snapshot.settings;
  const std::string reference = ReferenceWord(settings.startReferenceLabel);
  LineText out;
  out.Line("TDCR Measurement");
  out.Line("Date [dd/mm/yyyy]," + reference + "," + MeasurementDate(settings.start));
  out.Line("Time [hh:mm:ss.ms]," + reference + "," + MeasurementTime(settings.start));
  WriteHardwareLines(out, settings);
  WriteSettingLines(out, settings);
  out.Line(RunsCompletedLine(settings));
  out.Line(HeaderLine());
  for (const MeasurementRun& run : snapshot.runs) out.Line(RunRow(run));
  return out.Take();
}

}  // namespace korva
