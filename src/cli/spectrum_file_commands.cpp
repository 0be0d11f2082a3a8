// read-spectrum: a .kts, .n42 or .spe file read by the reader "Open Spectrum" uses,
// printed as one JSON object, optionally exported to CSV.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <iostream>

#include "analysis/provenance_json.h"
#include "cli/cli_archive.h"
#include "cli/cli_command.h"
#include "cli/output_files.h"
#include "cli/spectrum_file_argument.h"
#include "formats/kts_reader.h"
#include "formats/spectrum_csv.h"
#include "formats/spectrum_file_context.h"

namespace korva {

namespace {

QJsonObject CalibrationJson(const CSpectrum& spectrum) {
  const std::size_t input = spectrum.CurrentInput();
  const CalibrationRecord& record = spectrum.FileCalibration(input);
  QJsonArray points;
  for (std::size_t k = 0; k < record.UsablePointCount(); ++k) {
    points.append(QJsonArray{record.channel[k], record.energy[k], record.use[k]});
  }
  return {{"input", static_cast<int>(input)},
          {"enabled", record.enabled != 0},
          {"units", record.units},
          {"points", points}};
}

// The times and start stamp the acquisition view shows for the spectrum.
QJsonObject AcquisitionJson(const CSpectrum& spectrum) {
  const AcquisitionValues values = AcquisitionValuesOf(spectrum);
  return {{"realTime", values.realTime},
          {"liveTime", values.liveTime},
          {"start", QString::fromStdString(values.startDateTime)},
          {"startTimeLabel", QString::fromStdString(values.startTimeLabel)}};
}

// Sizes, offset and counts as the reader leaves them: the window's own
// choice of soft size 4096 after "Open Spectrum" is not applied here.
QJsonObject SpectrumJson(const CSpectrum& spectrum) {
  QJsonArray counts;
  QJsonArray roi;
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i) {
    counts.append(static_cast<qint64>(spectrum.Channel(i)));
    if (spectrum.roiMarks[i] != 0) roi.append(static_cast<int>(i));
  }
  QJsonArray registers;
  for (const std::uint16_t value : spectrum.image.registers) registers.append(value);
  return {{"serial", spectrum.image.serialNumber},
          {"tag", QString::fromStdString(spectrum.tag)},
          {"caption", QString::fromStdString(spectrum.caption)},
          {"hardSize", spectrum.hardSize},
          {"softSize", spectrum.softSize},
          {"offset", static_cast<int>(spectrum.HalfOffset())},
          {"counts", counts},
          {"roi", roi},
          {"registers", registers},
          {"calibration", CalibrationJson(spectrum)},
          {"firmware", spectrum.image.firmwareVersion / 100.0},
          {"temperature", spectrum.image.temperature},
          {"slowAdc", spectrum.image.slowAdc},
          {"acquisition", AcquisitionJson(spectrum)}};
}

int ReadSpectrum(const CommandLine& line) {
  if (line.Positionals().size() != 1) return ReportUsageError("read-spectrum needs one spectrum file");
  const std::optional<std::string> csv = line.Value("csv");
  if (line.Has("soft") && !csv) return ReportUsageError("--soft needs --csv");
  if (line.Has("overwrite") && !csv) return ReportUsageError("--overwrite needs --csv");
  const std::string path = line.Positionals().front();
  if (csv && SameFile(path, *csv)) return ReportUsageError("--csv names the input file: " + *csv);
  if (const std::string refusal = ExistingFileRefusal(csv.value_or(""), line.Has("overwrite") || !csv);
      !refusal.empty()) {
    std::cerr << refusal << '\n';
    return kExitFailure;
  }
  CSpectrum spectrum;
  if (!LoadSpectrumArgument(spectrum, path)) return kExitFailure;
  QJsonObject json = SpectrumJson(spectrum);
  Provenance provenance = SpectrumProvenance(spectrum, path);
  AddArchivedProvenance(provenance);
  json["provenance"] = ProvenanceJson(provenance);
  std::cout << QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString() << '\n';
  if (!csv) return kExitOk;
  // The CSV does not name the instrument; its archive entry takes the
  // spectrum's.
  const ToolArchiveInstrument archived([&provenance] { return provenance.instrument; });
  const SpectrumFileStatus status =
      ExportSpectrumCsv(spectrum, *csv, !line.Has("soft"), CsvContextOf(spectrum));
  if (status == SpectrumFileStatus::kDone) return kExitOk;
  std::cerr << "korva-tdcr-cli: " << *csv << ": " << SpectrumFileMessage(status) << '\n';
  return kExitFailure;
}

}  // namespace

std::vector<CliCommand> SpectrumFileCommands() {
  return {{"read-spectrum",
           "read-spectrum FILE.kts|FILE.n42|FILE.spe [--csv OUT.csv [--soft] [--overwrite]]",
           {{"csv"}, {"soft", "overwrite"}, 1},
           ReadSpectrum}};
}

}  // namespace korva
