#include "tdcr/measurement_files.h"
#include "tdcr/measurement_text.h"

namespace korva {

namespace {

using Pmt = TdcrCounterTexts::Pmt;

// One single-channel counter of the .tdc and the member texts holding its
// count and its rate.
struct SingleChannelLine {
  const char* kind;
  std::string Pmt::*count;
  std::string Pmt::*rate;
};
constexpr std::array<SingleChannelLine, 3> kSingleChannelLines = {{
    {"Raw", &Pmt::raw, &Pmt::rawRate},
    {"Ext1", &Pmt::ext1, &Pmt::ext1Rate},
    {"Ext2", &Pmt::ext2, &Pmt::ext2Rate},
}};

// Every line of a run starts with "Run%d: ".
class RunLines {
 public:
  RunLines(LineText& out, int run) : out_(out), prefix_("Run" + std::to_string(run) + ": ") {}
  void Line(const std::string& text) { out_.Line(prefix_ + text); }
  void Blank() { out_.Line(); }

 private:
  LineText& out_;
  std::string prefix_;
};

void WriteSingleLiveTimes(RunLines& out, const TdcrCounterTexts& counters) {
  for (std::size_t pmt = 0; pmt < kPmtNames.size(); ++pmt) {
    const std::string name = std::string("Live Time PMT ") + kPmtNames[pmt];
    out.Line(name + " E1 [s]," + counters.pmts[pmt].liveTime1);
    out.Line(name + " E2 [s]," + counters.pmts[pmt].liveTime2);
  }
  out.Blank();
}

void WriteSingleCounts(RunLines& out, const TdcrCounterTexts& counters) {
  for (const SingleChannelLine& line : kSingleChannelLines) {
    for (std::size_t pmt = 0; pmt < kPmtNames.size(); ++pmt) {
      const std::string name = std::string("PMT ") + kPmtNames[pmt] + " " + line.kind;
      out.Line(name + " [counts], " + counters.pmts[pmt].*line.count);
      out.Line(name + " [cps]," + counters.pmts[pmt].*line.rate);
    }
  }
  out.Blank();
}

void WriteCoincidenceLiveTimes(RunLines& out, const TdcrRateTexts& readings, std::size_t extension) {
  const std::string suffix = " Ext" + std::to_string(extension + 1) + " [s],";
  for (const TdcrRates::Kind kind : kLiveTimeColumns) {
    out.Line("Live Time " + std::string(kKindNames[kind]) + suffix + readings.liveTimes[extension][kind]);
  }
  out.Blank();
}

void WriteCoincidences(RunLines& out, const MeasurementRun& run, TdcrRates::Combination combination) {
  for (const TdcrRates::Kind kind : kCoincidenceColumns) {
    const std::string name =
        std::string("Coincidence ") + kKindNames[kind] + "_" + kCombinationNames[combination];
    out.Line(name + " [counts], " + run.counters.coincidences[combination][kind]);
    out.Line(name + " [cps]," + run.readings.rates[combination][kind]);
  }
  out.Blank();
}

void WriteRun(LineText& text, const MeasurementSettings& settings, const MeasurementRun& run) {
  RunLines out(text, run.number);
  out.Line(settings.startReferenceLabel + "," + MeasurementDateTime(run.start));
  out.Line("Real Time [s]," + run.readings.realTime);
  WriteSingleLiveTimes(out, run.counters);
  WriteSingleCounts(out, run.counters);
  WriteCoincidenceLiveTimes(out, run.readings, 0);
  WriteCoincidences(out, run, TdcrRates::kN1);
  WriteCoincidences(out, run, TdcrRates::kM1);
  WriteCoincidenceLiveTimes(out, run.readings, 1);
  WriteCoincidences(out, run, TdcrRates::kN2);
  WriteCoincidences(out, run, TdcrRates::kM2);
}

}  // namespace

std::string TdcFileText(const MeasurementSnapshot& snapshot) {
  const MeasurementSettings& settings = snapshot.settings;
  LineText out;
  WriteHardwareLines(out, settings);
  out.Line("Measurement, Settings");
  out.Line("Measurement Tag," + CommaField(settings.tag));
  WriteSettingLines(out, settings);
  out.Line();
  out.Line("Measurement, Data");
  out.Line(RunsCompletedLine(settings));
  out.Line();
  for (const MeasurementRun& run : snapshot.runs) WriteRun(out, settings, run);
  return out.Take();
}

}  // namespace korva
