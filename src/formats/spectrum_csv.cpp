#include "formats/spectrum_csv.h"

#include <algorithm>
#include <string_view>

#include "common/csv_text.h"
#include "common/files_saved.h"
#include "common/safe_file_writer.h"
#include "spectrum/plain_number.h"

namespace korva {

std::string SpectrumCsvText(CSpectrum& spectrum, bool hardSize, const SpectrumCsvContext& context) {
  spectrum.hardSize = std::clamp(spectrum.hardSize, CSpectrum::kMinSize, CSpectrum::kMaxSize);
  spectrum.softSize = std::clamp(spectrum.softSize, CSpectrum::kMinSize, CSpectrum::kMaxSize);
  spectrum.RebuildCompressedSpectrum();

  const AcquisitionValues& acquisition = context.acquisition;
  const std::string reference = ReferenceWord(acquisition.startTimeLabel);
  const std::string_view dateTime = acquisition.startDateTime;
  const std::size_t blank = std::min(dateTime.find(' '), dateTime.size());
  const std::string_view date = dateTime.substr(0, blank);
  const std::string_view time = dateTime.substr(std::min(blank + 1, dateTime.size()));

  std::string text = "Spectrum from Input," + CommaField(context.inputName) + "\n";
  text += "Date [dd/mm/yyyy]," + std::string(reference) + "," + std::string(date) + "\n";
  text += "Time [hh:mm:ss]," + std::string(reference) + "," + std::string(time) + "\n";
  text += "TAG," + CommaField(spectrum.tag) + "\n";
  text += "Real Time[s], " + FixedText(acquisition.realTime, 10, 4) + "\n";
  text += "Live Time[s], " + FixedText(acquisition.liveTime, 10, 4) + "\n\n";
  text += "Channel, Counts\n";
  const auto rows = static_cast<std::size_t>(hardSize ? spectrum.hardSize : spectrum.softSize);
  for (std::size_t i = 0; i < rows; ++i) {
    const std::uint32_t counts = hardSize ? spectrum.Channel(i) : spectrum.image.compressed[i];
    text += std::to_string(i) + ", " + std::to_string(counts) + "\n";
  }
  return text;
}

SpectrumFileStatus ExportSpectrumCsv(CSpectrum& spectrum, const std::filesystem::path& path, bool hardSize,
                                     const SpectrumCsvContext& context) {
  SafeFileWriter writer(path);
  if (!writer.Open()) return SpectrumFileStatus::kCannotCreate;
  if (!writer.Write(SpectrumCsvText(spectrum, hardSize, context)) || !writer.Finish() || !writer.Commit()) {
    return SpectrumFileStatus::kWriteFailed;
  }
  AnnounceSavedFiles(SavedKind::kSpectrumExport, {path});
  return SpectrumFileStatus::kDone;
}

}  // namespace korva
