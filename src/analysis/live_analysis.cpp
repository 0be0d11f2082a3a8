#include "analysis/live_analysis.h"

#include "devicelink/device_image.h"
#include "tdcr/tdcr_measurement.h"

namespace korva {

namespace {
constexpr const char* kLiveSample = "live measurement";
}

LiveAnalysis::LiveAnalysis(TdcrMeasurement& tdcr, const DeviceImage& image) : tdcr_(tdcr), image_(image) {
  inputs_.sample = kLiveSample;
}

void LiveAnalysis::SetSettings(const AnalysisSettings& settings) {
  inputs_.settings = settings;
  Recompute();
}

std::optional<std::string> LiveAnalysis::LoadBackground(const std::filesystem::path& path) {
  TdcReadResult read = ReadTdcFile(path);
  if (!read.measurement) return path.string() + ": " + read.error;
  background_ = std::move(read.measurement);
  inputs_.background = path.string();
  Recompute();
  return std::nullopt;
}

void LiveAnalysis::ClearBackground() {
  background_.reset();
  inputs_.background.clear();
  Recompute();
}

std::optional<std::string> LiveAnalysis::OpenSaved(const std::filesystem::path& path) {
  TdcReadResult read = ReadTdcFile(path);
  if (!read.measurement) return path.string() + ": " + read.error;
  saved_ = std::move(read.measurement);
  inputs_.sample = path.string();
  Recompute();
  return std::nullopt;
}

void LiveAnalysis::FollowLive() {
  saved_.reset();
  inputs_.sample = kLiveSample;
  Recompute();
}

bool LiveAnalysis::Update() {
  const bool changed = watch_.Changed(tdcr_.Form().completedRuns, image_.spectrum);
  if (!changed || saved_) return false;
  Recompute();
  return true;
}

void LiveAnalysis::Recompute() {
  if (saved_) {
    sample_ = saved_;
  } else {
    TdcReadResult read = ReadLiveMeasurement(tdcr_, image_);
    sample_ = std::move(read.measurement);
    if (!sample_) {
      result_ =
          Checked<MeasurementAnalysis>::Failure("the live measurement could not be read: " + read.error);
      return;
    }
  }
  // The instrument's form holds the dead-time modes the run is counted with.
  for (std::size_t e = 0; e < 2; ++e) {
    inputs_.settings.deadTimeModes[e] =
        tdcr_.Form().cdt[e] ? DeadTimeMode::kCommon : DeadTimeMode::kIndividual;
  }
  result_ = AnalyzeMeasurement(*sample_, background_ ? &*background_ : nullptr, inputs_.settings);
}

}  // namespace korva
