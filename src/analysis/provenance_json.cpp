#include "analysis/provenance_json.h"

#include <QJsonArray>

#include "analysis/provenance_digest.h"
#include "formats/spectrum_file_context.h"

namespace korva {

namespace {

QJsonValue TextOrNull(const std::string& text) {
  return text.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(text));
}

std::string TextOf(const QJsonObject& object, const char* name) {
  return object.value(QLatin1String(name)).toString().toStdString();
}

}  // namespace

void AddProvenanceInput(Provenance& provenance, const std::string& path) {
  const std::optional<FileDigest> digest = DigestOfFile(path);
  provenance.inputs.push_back({path, digest ? digest->sha256 : std::string()});
}

Provenance AnalysisProvenance(const TdcMeasurement& sample, const AnalysisInputs& inputs) {
  Provenance provenance = ProvenanceOf(sample);
  AddProvenanceInput(provenance, inputs.sample);
  if (!inputs.background.empty()) AddProvenanceInput(provenance, inputs.background);
  return provenance;
}

Provenance SpectrumProvenance(const CSpectrum& spectrum, const std::string& path) {
  Provenance provenance = ProvenanceOf(spectrum.image);
  provenance.instrument.timeReference = TimeReferenceOfLabel(AcquisitionValuesOf(spectrum).startTimeLabel);
  AddProvenanceInput(provenance, path);
  return provenance;
}

QJsonObject ProvenanceJson(const Provenance& provenance) {
  QJsonArray inputs;
  for (const ProvenanceInput& input : provenance.inputs) {
    inputs.append(
        QJsonObject{{"path", QString::fromStdString(input.path)}, {"sha256", TextOrNull(input.sha256)}});
  }
  const InstrumentProvenance& source = provenance.instrument;
  const QJsonObject instrument{{"model", TextOrNull(source.model)},
                               {"serialNumber", TextOrNull(source.serialNumber)},
                               {"firmwareVersion", TextOrNull(source.firmwareVersion)},
                               {"fpgaVersion", TextOrNull(source.fpgaVersion)}};
  const QJsonObject timeReference{
      {"reference", TextOrNull(source.timeReference)},
      {"ntpOffset", source.ntpOffsetSeconds ? QJsonValue(*source.ntpOffsetSeconds) : QJsonValue()},
      {"ntpServer", TextOrNull(source.ntpServer)}};
  return {{"programVersion", QString::fromStdString(provenance.programVersion)},
          {"instrument", instrument},
          {"timeReference", timeReference},
          {"inputs", inputs}};
}

InstrumentProvenance InstrumentProvenanceOfJson(const QJsonObject& provenance) {
  const QJsonObject instrument = provenance.value(QStringLiteral("instrument")).toObject();
  const QJsonObject reference = provenance.value(QStringLiteral("timeReference")).toObject();
  InstrumentProvenance read;
  read.model = TextOf(instrument, "model");
  read.serialNumber = TextOf(instrument, "serialNumber");
  read.firmwareVersion = TextOf(instrument, "firmwareVersion");
  read.fpgaVersion = TextOf(instrument, "fpgaVersion");
  read.timeReference = TextOf(reference, "reference");
  if (const QJsonValue offset = reference.value(QStringLiteral("ntpOffset")); offset.isDouble())
    read.ntpOffsetSeconds = offset.toDouble();
  read.ntpServer = TextOf(reference, "ntpServer");
  return read;
}

}  // namespace korva
