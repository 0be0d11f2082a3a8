#pragma once

#include <QScrollArea>
#include <array>
#include <string>

#include "forms/dock_pane.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace korva {

struct AcquisitionReadout;
struct SpectrumInfo;

// The spectrum info form: the cursor's position and counts, the peak
// analysis of the region of interest under the cursor, the run's times and
// the counting rates of the active spectrum. It only shows what it is
// given; its one control, the "CAL" box, stands for the calibration form's
// "ENABLE CALIBRATION".
class CSpectrumInfoView : public QScrollArea {
  Q_OBJECT

 public:
  explicit CSpectrumInfoView(QWidget* parent = nullptr);

  // The cursor readouts and the peak fields.
  void ShowSpectrumInfo(const SpectrumInfo& info);
  // REAL, LIVE, DEAD %, THROUGHPUT, INCOMING and LOSSES %, from the
  // acquisition form's decode of the active spectrum's registers.
  void ShowTimesAndRates(const AcquisitionReadout& readout);
  // The "CAL" box follows the calibration's enabled flag.
  void ShowCalibrationEnabled(bool enabled);

 signals:
  // The user ticked or cleared "CAL".
  void CalibrationClicked(bool enabled);

 private:
  enum Peak { kIntegral, kArea, kCentroid, kFwhm, kFwtm, kResolution, kPeakFields };

  void LayOut(QWidget* form);
  QWidget* BuildCursor(QWidget* form);
  QWidget* BuildPeak(QWidget* form);
  QWidget* BuildTimes(QWidget* form);
  QWidget* BuildRates(QWidget* form);
  QLabel* NewUnitLabel(QWidget* parent);

  QLineEdit* position_ = nullptr;
  QLineEdit* counts_ = nullptr;
  QCheckBox* calibration_ = nullptr;
  std::array<QLineEdit*, kPeakFields> peak_{};
  // Beside POSITION, CENTROID, FWHM and FWTM.
  std::array<QLabel*, 4> units_{};
  // Under the energies: the gain the calibration was fitted at, when the
  // spectrum's is another.
  QLabel* staleCalibration_ = nullptr;
  QLineEdit* real_ = nullptr;
  QLineEdit* live_ = nullptr;
  QLineEdit* dead_ = nullptr;
  QLineEdit* throughput_ = nullptr;
  QLineEdit* incoming_ = nullptr;
  QProgressBar* losses_ = nullptr;
};

// The line both calibration readers show under the energies when the
// calibration was fitted at another gain or input: hidden while empty.
QLabel* NewStaleCalibrationLabel(QWidget* parent);
void ShowStaleCalibration(QLabel& label, const std::string& text);

// The dockable pane "Spectrum Info" with the info form.
class CDocableSpectrumInfoPane : public DockPane {
  Q_OBJECT

 public:
  explicit CDocableSpectrumInfoPane(QWidget* parent);
  // The form, or null when it could not be created.
  CSpectrumInfoView* SpectrumInfoView() const;
};

}  // namespace korva
