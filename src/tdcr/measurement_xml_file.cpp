#include "common/xml_text.h"
#include "tdcr/measurement_files.h"
#include "tdcr/measurement_text.h"

namespace korva {

namespace {

using Pmt = TdcrCounterTexts::Pmt;

// Lines of the .xml file, each indented by the number of blanks the file
// gives that line. Every element text is escaped.
class XmlLines {
 public:
  void Open(int blanks, std::string_view name) { Tag(blanks, std::string("<").append(name) + ">"); }
  void Close(int blanks, std::string_view name) { Tag(blanks, std::string("</").append(name) + ">"); }
  void Element(int blanks, std::string_view name, std::string_view value) {
    const std::string tag(name);
    Tag(blanks, "<" + tag + ">" + XmlElementText(value) + "</" + tag + ">");
  }
  void Raw(std::string_view line) { out_.Line(line); }
  std::string Take() { return out_.Take(); }

 private:
  void Tag(int blanks, const std::string& text) {
    out_.Line(std::string(static_cast<std::size_t>(blanks), ' ') + text);
  }
  LineText out_;
};

void WriteStart(XmlLines& xml, const std::string& reference, const StampTime& start) {
  xml.Element(4, "time_reference", reference);
  xml.Element(4, "date_format", "dd/mm/yyyy");
  xml.Element(4, "date", MeasurementDate(start));
  xml.Element(4, "time_format", "hh:mm:ss.ms");
  xml.Element(4, "time", MeasurementTime(start));
}

void WriteHardware(XmlLines& xml, const MeasurementSettings& settings) {
  xml.Open(2, "hardware");
  xml.Element(3, "device", settings.deviceName);
  xml.Element(3, "serial_number", settings.serialNumber);
  xml.Element(3, "firmware", settings.firmware);
  xml.Element(3, "fpga", settings.fpga);
  xml.Close(2, "hardware");
}

const char* ModeName(bool cdt) { return cdt ? "CDT" : "IDT"; }

void WriteSettings(XmlLines& xml, const MeasurementSettings& settings) {
  xml.Open(2, "settings");
  xml.Element(2, "tag", settings.tag);
  xml.Element(2, "operator", settings.record.operatorName);
  xml.Element(2, "nuclides", settings.record.nuclides);
  xml.Element(2, "coctail", settings.record.cocktail);
  xml.Open(2, "threshold");
  xml.Element(3, "unit", "mV");
  for (std::size_t pmt = 0; pmt < kPmtNames.size(); ++pmt) {
    xml.Element(3, kPmtNames[pmt], settings.thresholds[pmt]);
  }
  xml.Close(2, "threshold");
  xml.Open(2, "dead_time_extension");
  xml.Element(4, "unit", "us");
  xml.Element(4, "E1", settings.extensions[0]);
  xml.Element(4, "E2", settings.extensions[1]);
  xml.Close(2, "dead_time_extension");
  xml.Open(2, "dead_time_mode");
  xml.Element(4, "E1", ModeName(settings.cdt[0]));
  xml.Element(4, "E2", ModeName(settings.cdt[1]));
  xml.Close(2, "dead_time_mode");
  xml.Open(3, "coincidence_window");
  xml.Element(4, "unit", "ns");
  xml.Element(4, "N", settings.windows[0]);
  xml.Element(4, "M", settings.windows[1]);
  xml.Close(3, "coincidence_window");
  xml.Open(3, "acquisition");
  xml.Element(4, "runs", settings.sequentialRuns);
  xml.Element(4, "time_unit", "s");
  xml.Element(4, "time_per_run", settings.timePerRun);
  xml.Element(4, "time_gap", settings.gapTime);
  xml.Element(4, "stop_timer", settings.stopTimer);
  xml.Close(3, "acquisition");
  xml.Close(2, "settings");
}

// A block of A, B and C: the 6-blank tag `name` around one text of each PMT.
void WritePmtBlock(XmlLines& xml, std::string_view name, const TdcrCounterTexts& counters,
                   std::string Pmt::*text) {
  xml.Open(6, name);
  for (std::size_t pmt = 0; pmt < kPmtNames.size(); ++pmt) {
    xml.Element(7, kPmtNames[pmt], counters.pmts[pmt].*text);
  }
  xml.Close(6, name);
}

// counts or rate of the single channels: RAW, E1 and E2 blocks.
void WriteSingleChannelValues(XmlLines& xml, std::string_view name, const TdcrCounterTexts& counters,
                              std::array<std::string Pmt::*, 3> texts) {
  xml.Open(4, name);
  xml.Open(5, "dead_time_extension");
  WritePmtBlock(xml, "RAW", counters, texts[0]);
  WritePmtBlock(xml, "E1", counters, texts[1]);
  WritePmtBlock(xml, "E2", counters, texts[2]);
  xml.Close(5, "dead_time_extension");
  xml.Close(4, name);
}

void WriteSingleChannel(XmlLines& xml, const TdcrCounterTexts& counters) {
  xml.Open(3, "single_channel");
  xml.Open(4, "live_time");
  xml.Open(5, "dead_time_extension");
  WritePmtBlock(xml, "E1", counters, &Pmt::liveTime1);
  WritePmtBlock(xml, "E2", counters, &Pmt::liveTime2);
  xml.Close(5, "dead_time_extension");
  xml.Close(4, "live_time");
  WriteSingleChannelValues(xml, "counts", counters, {&Pmt::raw, &Pmt::ext1, &Pmt::ext2});
  WriteSingleChannelValues(xml, "rate", counters, {&Pmt::rawRate, &Pmt::ext1Rate, &Pmt::ext2Rate});
  xml.Close(3, "single_channel");
}

// The AB, BC, AC, D, T texts of one window (`texts` indexed by kind).
template <typename Texts>
void WriteWindow(XmlLines& xml, std::string_view window, const Texts& texts) {
  xml.Open(8, window);
  for (const TdcrRates::Kind kind : kCoincidenceColumns) xml.Element(9, kKindNames[kind], texts[kind]);
  xml.Close(8, window);
}

// One extension of the coincidence counts or rates: windows N and M. The
// closing blanks of E1 and E2 differ between counts and rates, so the
// caller gives both.
template <typename Combinations>
void WriteExtension(XmlLines& xml, std::size_t extension, const Combinations& combinations, int openBlanks,
                    int closeBlanks) {
  const std::string name = "E" + std::to_string(extension + 1);
  xml.Open(openBlanks, name);
  xml.Open(7, "coincidence_window");
  WriteWindow(xml, "N", combinations[2 * extension]);
  WriteWindow(xml, "M", combinations[2 * extension + 1]);
  xml.Close(7, "coincidence_window");
  xml.Close(closeBlanks, name);
}

void WriteCoincidenceLiveTimes(XmlLines& xml, const TdcrRateTexts& readings) {
  xml.Open(4, "live_time");
  xml.Open(5, "dead_time_extension");
  for (std::size_t extension = 0; extension < TdcrRates::kExtensions; ++extension) {
    const std::string name = "E" + std::to_string(extension + 1);
    xml.Open(6, name);
    for (const TdcrRates::Kind kind : kLiveTimeColumns) {
      xml.Element(7, kKindNames[kind], readings.liveTimes[extension][kind]);
    }
    xml.Close(6, name);
  }
  xml.Close(5, "dead_time_extension");
  xml.Close(4, "live_time");
}

void WriteCoincidence(XmlLines& xml, const MeasurementRun& run) {
  xml.Open(3, "coincidence");
  WriteCoincidenceLiveTimes(xml, run.readings);
  xml.Open(4, "counts");
  xml.Open(5, "dead_time_extension");
  WriteExtension(xml, 0, run.counters.coincidences, 6, 5);
  WriteExtension(xml, 1, run.counters.coincidences, 5, 6);
  xml.Close(5, "dead_time_extension");
  xml.Close(4, "counts");
  xml.Open(4, "rate");
  xml.Open(5, "dead_time_extension");
  WriteExtension(xml, 0, run.readings.rates, 6, 6);
  WriteExtension(xml, 1, run.readings.rates, 6, 5);
  xml.Close(5, "dead_time_extension");
  xml.Close(4, "rate");
  xml.Close(3, "coincidence");
}

void WriteRun(XmlLines& xml, const std::string& reference, const MeasurementRun& run) {
  const std::string name = "run" + std::to_string(run.number);
  xml.Open(2, name);
  xml.Open(3, "start");
  WriteStart(xml, reference, run.start);
  xml.Close(3, "start");
  xml.Element(3, "time_unit", "s");
  xml.Element(3, "rate_unit", "cps");
  xml.Element(3, "real_time", run.readings.realTime);
  WriteSingleChannel(xml, run.counters);
  WriteCoincidence(xml, run);
  xml.Close(2, name);
}

void WriteRegisters(XmlLines& xml, const RegisterImage& registers) {
  xml.Open(1, "registers");
  xml.Element(2, "size", std::to_string(registers.size()));
  xml.Open(2, "data");
  for (const std::uint16_t value : registers) xml.Raw("   " + std::to_string(value));
  xml.Close(2, "data");
  xml.Close(1, "registers");
}

}  // namespace

std::string XmlFileText(const MeasurementSnapshot& snapshot) {
  const MeasurementSettings& settings = snapshot.settings;
  const std::string reference = ReferenceWord(settings.startReferenceLabel);
  XmlLines xml;
  xml.Raw(R"(<?xml version="1.0"?>)");
  xml.Open(1, "Veltra_Measurement");
  xml.Open(3, "measurement_start");
  WriteStart(xml, reference, settings.start);
  xml.Close(3, "measurement_start");
  WriteHardware(xml, settings);
  WriteSettings(xml, settings);
  xml.Open(2, "data");
  for (const MeasurementRun& run : snapshot.runs) WriteRun(xml, reference, run);
  xml.Close(1, "data");
  WriteRegisters(xml, settings.registers);
  xml.Close(0, "Veltra_Measurement");
  return xml.Take();
}

}  // namespace korva
