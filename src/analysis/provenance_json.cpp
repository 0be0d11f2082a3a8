#include "analysis/provenance_json.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>

#include "spectrum/spectrum_file_context.h"

namespace korva {

namespace {

QJsonValue TextOrNull(const std::string& text) {
  return text.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(text));
}

}  // namespace

std::string FileSha256(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!hash.addData(&file)) return {};
  return hash.result().toHex().toStdString();
}

void AddProvenanceInput(Provenance& provenance, const std::string& path) {
  provenance.inputs.push_back({path, FileSha256(path)});
}

Provenance AnalysisProvenance(const TdcMeasurement& sample, const AnalysisInputs& inputs) {
  Provenance provenance = ProvenanceOf(sample);
  AddProvenanceInput(provenance, inputs.sample);
  if (!inputs.background.empty()) AddProvenanceInput(provenance, inputs.background);
  return provenance;
}

Provenance SpectrumProvenance(const CSpectrum& spectrum, const std::string& path) {
  Provenance provenance = ProvenanceOf(spectrum.image);
  provenance.timeReference = TimeReferenceOfLabel(AcquisitionValuesOf(spectrum).startTimeLabel);
  AddProvenanceInput(provenance, path);
  return provenance;
}

QJsonObject ProvenanceJson(const Provenance& provenance) {
  QJsonArray inputs;
  for (const ProvenanceInput& input : provenance.inputs) {
    inputs.append(
        QJsonObject{{"path", QString::fromStdString(input.path)}, {"sha256", TextOrNull(input.sha256)}});
  }
  const QJsonObject instrument{{"model", TextOrNull(provenance.instrumentModel)},
                               {"serialNumber", TextOrNull(provenance.serialNumber)},
                               {"firmwareVersion", TextOrNull(provenance.firmwareVersion)},
                               {"fpgaVersion", TextOrNull(provenance.fpgaVersion)}};
  const QJsonObject timeReference{
      {"reference", TextOrNull(provenance.timeReference)},
      {"ntpOffset", provenance.ntpOffsetSeconds ? QJsonValue(*provenance.ntpOffsetSeconds) : QJsonValue()},
      {"ntpServer", TextOrNull(provenance.ntpServer)}};
  return {{"programVersion", QString::fromStdString(provenance.programVersion)},
          {"instrument", instrument},
          {"timeReference", timeReference},
          {"inputs", inputs}};
}

}  // namespace korva
