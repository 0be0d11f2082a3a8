#include "formats/spectrum_file_context.h"

#include "devicelink/register_map.h"
#include "spectrum/acquisition_start_stamp.h"
#include "spectrum/acquisition_times.h"
#include "spectrum/analyser_input.h"
#include "spectrum/spectrum_start.h"

namespace korva {

AcquisitionValues AcquisitionValuesOf(const CSpectrum& spectrum) {
  const RegisterImage& registers = spectrum.image.registers;
  const RunTimes times = DecodeRunTimes(registers);
  AcquisitionValues values;
  values.realTime = times.realSeconds;
  values.liveTime = times.liveSeconds;
  values.deadPercent = times.deadPercent;
  values.startDateTime = SpectrumStartText(spectrum);
  values.startTimeLabel = StartReferenceLabel(registers[reg::kControl]);
  return values;
}

std::string InputNameOf(const CSpectrum& spectrum) { return kMcaInputTexts[spectrum.CurrentInput()]; }

KtsWriteContext KtsContextOf(const CSpectrum& spectrum, std::uint16_t modelCode) {
  return {modelCode, AcquisitionValuesOf(spectrum)};
}

SpectrumCsvContext CsvContextOf(const CSpectrum& spectrum) {
  return {InputNameOf(spectrum), AcquisitionValuesOf(spectrum)};
}

}  // namespace korva
