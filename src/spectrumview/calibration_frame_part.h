#pragma once

#include <QObject>
#include <memory>

#include "forms/frame_context.h"
#include "forms/frame_part.h"

namespace korva {

class CAcquisitionView;
class CCalibrationView;
class CDocableCalibrationPane;
class CDocableSpectrumInfoPane;
class CSpectrumInfoView;
class CSpectrumWnd;

// The energy calibration and the spectrum information beside the spectrum
// windows: the "Calibration" and "Spectrum Info" panes, Spectrum > Copy
// Calibration, Edit > Copy Spectrum, and the buffer spectrum's calibrations
// kept between sessions. The calibration form reloads whenever another
// spectrum or input comes into view; the info form follows the shown
// spectrum's cursor on every redraw, cursor move and tick, and the times
// and rates of every acquisition decode.
class CalibrationFramePart : public QObject, public FramePart {
  Q_OBJECT

 public:
  // `acquisition` is the form whose decode gives the times and rates; none
  // when it could not be created.
  CalibrationFramePart(const FrameContext& context, CSpectrumWnd& spectrumPane,
                       CAcquisitionView* acquisition);
  ~CalibrationFramePart() override;

  std::vector<FrameCommand> Commands() override;
  std::vector<FramePane> Panes() override;
  void OnTick() override;
  void RestoreSettings() override;
  void SaveSettings() override;

  CDocableCalibrationPane& CalibrationPane() { return *calibrationPane_; }
  CDocableSpectrumInfoPane& InfoPane() { return *infoPane_; }
  // The forms, or null when they could not be created.
  CCalibrationView* CalibrationView() const;
  CSpectrumInfoView* InfoView() const;

  // UpdateSpectrumInfo: the info form's cursor readouts and peak fields
  // from the active spectrum.
  void UpdateSpectrumInfo();

 private:
  void ConnectViews(CAcquisitionView* acquisition);
  void CopyCalibrationBetween(bool fileToBuffer);

  FrameContext context_;
  CSpectrumWnd& spectrumPane_;
  std::unique_ptr<CDocableCalibrationPane> calibrationPane_;
  std::unique_ptr<CDocableSpectrumInfoPane> infoPane_;
};

}  // namespace korva
