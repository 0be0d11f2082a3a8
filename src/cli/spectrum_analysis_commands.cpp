// analyze-spectrum: a .kts file loaded as "Open Spectrum" loads it, shown at
// a soft size, its current input's calibration fitted again from its points
// as the calibration form does on activation, and every region of interest
// analysed as the spectrum info form shows it; one JSON object.
//
// A spectrum file does not say what gain its calibration was fitted at. When
// the file carries the calibration the program keeps for that input in the
// settings store, the gain stored beside it does, and "warnings" says when
// the file's registers select another gain or input.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cctype>
#include <iostream>

#include "analysis/provenance_json.h"
#include "cli/cli_archive.h"
#include "cli/cli_command.h"
#include "cli/spectrum_file_argument.h"
#include "qtadapters/qt_settings_store.h"
#include "spectrum/calibration_gain.h"
#include "spectrum/spectrum_calibration.h"
#include "spectrum/spectrum_info.h"
#include "spectrum/spectrum_record.h"

namespace korva {

namespace {

constexpr const char* kSoftSizeError = "--soft-size takes 4096, 2048, 1365, 1024, 682 or 512";

std::optional<std::int32_t> SoftSize(const CommandLine& line) {
  const std::optional<std::string> text = line.Value("soft-size");
  if (!text) return CSpectrum::kMaxSize;
  if (text->empty() || text->size() > 4 ||
      !std::all_of(text->begin(), text->end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
    return std::nullopt;
  }
  const std::int32_t size = std::stoi(*text);
  if (std::ranges::find(CSpectrum::kSoftSizes, size) == CSpectrum::kSoftSizes.end()) return std::nullopt;
  return size;
}

QJsonObject CalibrationJson(const CSpectrum& spectrum, const LoadedCalibration& loaded) {
  const CalibrationRecord& set2 = spectrum.DisplayCalibration(spectrum.CurrentInput());
  return {{"enabled", set2.enabled != 0},
          {"units", QString::fromLatin1(kCalibrationUnits[static_cast<std::size_t>(set2.units)])},
          {"a", set2.a},
          {"b", set2.b},
          {"c", set2.c},
          {"caption", QString::fromStdString(loaded.fit.caption)},
          {"fitted", loaded.fitted && loaded.fit.outcome == FitOutcome::kFitted}};
}

// A value the info form shows as "-----------" is left out; "peak" says
// whether the ROI holds one (the info form's "no peak").
QJsonObject RoiJson(const RoiAnalysis& roi, const EnergyCurve& curve) {
  QJsonObject json{{"first", roi.first}, {"last", roi.last}};
  if (roi.result == RoiAnalysis::Result::kNoRoi) return json;
  json["gross"] = roi.gross;
  json["peak"] = roi.result == RoiAnalysis::Result::kPeak;
  if (roi.result == RoiAnalysis::Result::kRoiWithoutPeak) return json;
  json["area"] = roi.area;
  const PeakValues peak = PeakValuesOf(roi, curve);
  const std::pair<const char*, std::optional<double>> values[] = {
      {"centroid", peak.centroid}, {"fwhm", peak.fwhm}, {"fwtm", peak.fwtm}, {"resolution", peak.resolution}};
  for (const auto& [name, value] : values) {
    if (value) json[QLatin1String(name)] = *value;
  }
  return json;
}

int AnalyzeSpectrum(const CommandLine& line) {
  if (line.Positionals().size() != 1) return ReportUsageError("analyze-spectrum needs one .kts file");
  const std::optional<std::int32_t> softSize = SoftSize(line);
  if (!softSize) return ReportUsageError(kSoftSizeError);
  CSpectrum spectrum;
  const std::string path = line.Positionals().front();
  if (!LoadSpectrumArgument(spectrum, path)) return kExitFailure;
  spectrum.SetSizes(CSpectrum::kMaxSize, *softSize, true);
  const LoadedCalibration loaded = LoadCurrentCalibration(spectrum);
  const EnergyCurve curve = WorkingCurve(spectrum);
  QJsonArray rois;
  for (const RoiAnalysis& roi : AnalyseEveryRoi(spectrum)) rois.append(RoiJson(roi, curve));
  QtSettingsStore settings;
  QJsonArray warnings;
  if (const std::string stale = StaleStoredCalibrationText(settings, spectrum); !stale.empty())
    warnings.append(QString::fromStdString(stale));
  Provenance provenance = SpectrumProvenance(spectrum, path);
  AddArchivedProvenance(provenance);
  const QJsonObject json{{"input", static_cast<int>(spectrum.CurrentInput())},
                         {"softSize", spectrum.softSize},
                         {"calibration", CalibrationJson(spectrum, loaded)},
                         {"rois", rois},
                         {"warnings", warnings},
                         {"provenance", ProvenanceJson(provenance)}};
  std::cout << QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString() << '\n';
  return kExitOk;
}

}  // namespace

std::vector<CliCommand> SpectrumAnalysisCommands() {
  return {{"analyze-spectrum",
           "analyze-spectrum FILE.kts [--soft-size 4096|2048|1365|1024|682|512]",
           {{"soft-size"}, {}, 1},
           AnalyzeSpectrum}};
}

}  // namespace korva
