#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "analysis/analysis_inputs.h"
#include "analysis/checked.h"
#include "analysis/live_measurement.h"
#include "analysis/measurement_analysis.h"

namespace korva {

class DeviceImage;
class TdcrMeasurement;

// The analysis of the measurement the instrument is making (or of a saved
// one the user opened), as the TDCR ANALYSIS pane shows it: the user's choices, an optional background
// measurement read from its .tdc file, and the result, taken again whenever
// the choices change or a completed run's record does.
class LiveAnalysis {
 public:
  LiveAnalysis(TdcrMeasurement& tdcr, const DeviceImage& image);

  // New choices: the analysis is taken again.
  void SetSettings(const AnalysisSettings& settings);
  // Reads the background's .tdc file; none on success, else why it could
  // not be read (the background held so far stays).
  std::optional<std::string> LoadBackground(const std::filesystem::path& path);
  void ClearBackground();

  // Reads a saved measurement's .tdc file and analyses it in place of the
  // live measurement until FollowLive; none on success, else why it could
  // not be read (what was shown so far stays).
  std::optional<std::string> OpenSaved(const std::filesystem::path& path);
  // Back to the measurement the instrument is making.
  void FollowLive();
  bool ShowsSaved() const { return saved_.has_value(); }

  // After a spectrum chunk: true when the analysis was taken again because
  // the completed runs changed. A saved measurement shown stays.
  bool Update();
  // Takes the analysis of the measurement as the image holds it now.
  void Recompute();

  const AnalysisInputs& Inputs() const { return inputs_; }
  // The measurement the result was taken from; none before the first
  // recompute or when the live text could not be read.
  const std::optional<TdcMeasurement>& Sample() const { return sample_; }
  const Checked<MeasurementAnalysis>& Result() const { return result_; }

 private:
  TdcrMeasurement& tdcr_;
  const DeviceImage& image_;
  CompletedRunsWatch watch_;
  AnalysisInputs inputs_;
  std::optional<TdcMeasurement> background_;
  std::optional<TdcMeasurement> saved_;
  std::optional<TdcMeasurement> sample_;
  Checked<MeasurementAnalysis> result_ = Checked<MeasurementAnalysis>::Failure("no measurement yet");
};

}  // namespace korva
