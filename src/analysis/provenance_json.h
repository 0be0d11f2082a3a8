#pragma once

#include <QJsonObject>
#include <string>

#include "analysis/analysis_inputs.h"
#include "analysis/provenance.h"
#include "spectrum/spectrum_record.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva {

// Adds a file to the inputs with its SHA-256.
void AddProvenanceInput(Provenance& provenance, const std::string& path);

// The provenance of an analysis of `sample`: its instrument and time
// reference, and the sample and background files with their SHA-256.
Provenance AnalysisProvenance(const TdcMeasurement& sample, const AnalysisInputs& inputs);

// The provenance of a spectrum read from `path`: the instrument of its
// image, the time reference of its start stamp and the file.
Provenance SpectrumProvenance(const CSpectrum& spectrum, const std::string& path);

// The "provenance" object of every JSON result: programVersion,
// instrument {model, serialNumber, firmwareVersion, fpgaVersion},
// timeReference {reference, ntpOffset, ntpServer} (null where not known),
// inputs [{path, sha256}].
QJsonObject ProvenanceJson(const Provenance& provenance);

// The instrument and time reference of such an object; what it lacks
// stays empty.
InstrumentProvenance InstrumentProvenanceOfJson(const QJsonObject& provenance);

}  // namespace korva
