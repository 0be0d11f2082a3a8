#include "spectrumview/spectrum_info_view.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "acquisition/acquisition_settings.h"
#include "forms/form_widgets.h"
#include "spectrum/roi_analysis.h"
#include "spectrum/spectrum_info.h"

namespace korva {

namespace {

const FormColours kSpectrumInfoColours{QColor(220, 240, 250), QColor(0, 50, 200)};

// Wide enough for "-----------", the text of a field without a value.
constexpr int kFieldWidth = 11;
constexpr std::array<const char*, 6> kPeakCaptions = {"INTEGRAL", "AREA", "CENTROID",
                                                      "FWHM",     "FWTM", "RESOLUTION %"};
constexpr std::array<int, 6> kLossMarks = {0, 20, 40, 60, 80, 100};

QLineEdit* AddReading(QGridLayout& grid, int row, const QString& caption, QWidget* parent) {
  QLineEdit* box = NewReadingBox(caption, kFieldWidth, parent);
  grid.addWidget(new QLabel(caption, parent), row, 0);
  grid.addWidget(box, row, 1);
  return box;
}

void Show(QLineEdit& box, const std::string& text) { ShowText(box, text); }

}  // namespace

QLabel* NewStaleCalibrationLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("StaleCalibration"));
  label->setWordWrap(true);
  label->setStyleSheet(QStringLiteral("color: #b00000;"));
  label->hide();
  return label;
}

void ShowStaleCalibration(QLabel& label, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (label.text() != shown) label.setText(shown);
  label.setVisible(!text.empty());
}

CSpectrumInfoView::CSpectrumInfoView(QWidget* parent) : QScrollArea(parent) {
  setObjectName(QStringLiteral("SpectrumInfoView"));
  LayOut(NewScrolledForm(*this, kSpectrumInfoColours));
  connect(calibration_, &QCheckBox::clicked, this, &CSpectrumInfoView::CalibrationClicked);
}

void CSpectrumInfoView::LayOut(QWidget* form) {
  auto* layout = new QVBoxLayout(form);
  layout->addWidget(BuildCursor(form));
  layout->addWidget(BuildPeak(form));
  layout->addWidget(BuildTimes(form));
  layout->addWidget(BuildRates(form));
  layout->addStretch();
}

QLabel* CSpectrumInfoView::NewUnitLabel(QWidget* parent) {
  auto* label = new QLabel(QStringLiteral("chn"), parent);
  const QFontMetrics metrics(label->font());
  label->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Volt")) + 4);
  return label;
}

QWidget* CSpectrumInfoView::BuildCursor(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("CURSOR"), form);
  position_ = AddReading(*group.grid, 0, QStringLiteral("POSITION"), group.box);
  units_[0] = NewUnitLabel(group.box);
  units_[0]->setObjectName(QStringLiteral("PositionUnit"));
  group.grid->addWidget(units_[0], 0, 2);
  counts_ = AddReading(*group.grid, 1, QStringLiteral("COUNTS"), group.box);
  group.grid->setColumnStretch(1, 1);
  return group.box;
}

QWidget* CSpectrumInfoView::BuildPeak(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("PEAK INFO"), form);
  calibration_ = new QCheckBox(QStringLiteral("CAL"), group.box);
  calibration_->setObjectName(QStringLiteral("CAL"));
  group.grid->addWidget(calibration_, 0, 1, 1, 2, Qt::AlignRight);
  // The energies first, then the resolution and the two sums.
  constexpr std::array<Peak, kPeakFields> kOrder = {kCentroid, kFwhm, kFwtm, kResolution, kIntegral, kArea};
  for (std::size_t i = 0; i < kOrder.size(); ++i) {
    const std::size_t field = kOrder[i];
    const int row = static_cast<int>(i) + 1;
    peak_[field] = AddReading(*group.grid, row, QString::fromLatin1(kPeakCaptions[field]), group.box);
    if (i < 3) {
      units_[i + 1] = NewUnitLabel(group.box);
      units_[i + 1]->setObjectName(QString::fromLatin1(kPeakCaptions[field]) + QStringLiteral("Unit"));
      group.grid->addWidget(units_[i + 1], row, 2);
    }
    Show(*peak_[field], kNoValueText);
  }
  staleCalibration_ = NewStaleCalibrationLabel(group.box);
  group.grid->addWidget(staleCalibration_, static_cast<int>(kOrder.size()) + 1, 0, 1, 3);
  group.grid->setColumnStretch(1, 1);
  return group.box;
}

QWidget* CSpectrumInfoView::BuildTimes(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("TIME"), form);
  real_ = AddReading(*group.grid, 0, QStringLiteral("REAL"), group.box);
  live_ = AddReading(*group.grid, 1, QStringLiteral("LIVE"), group.box);
  dead_ = AddReading(*group.grid, 2, QStringLiteral("DEAD %"), group.box);
  for (QLineEdit* box : {real_, live_, dead_}) Show(*box, kNoValueText);
  group.grid->setColumnStretch(1, 1);
  return group.box;
}

QWidget* CSpectrumInfoView::BuildRates(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("COUNTING RATE"), form);
  throughput_ = AddReading(*group.grid, 0, QStringLiteral("THROUGHPUT"), group.box);
  incoming_ = AddReading(*group.grid, 1, QStringLiteral("INCOMING"), group.box);
  for (int row : {0, 1}) group.grid->addWidget(new QLabel(QStringLiteral("[cps]"), group.box), row, 2);
  Show(*throughput_, "0");
  Show(*incoming_, "0");

  group.grid->addWidget(new QLabel(QStringLiteral("LOSSES %"), group.box), 2, 0, 1, 3);
  losses_ = new QProgressBar(group.box);
  losses_->setObjectName(QStringLiteral("LOSSES %"));
  losses_->setRange(0, 100);
  losses_->setValue(0);
  losses_->setTextVisible(false);
  group.grid->addWidget(losses_, 3, 0, 1, 3);
  auto* marks = new QHBoxLayout;
  for (std::size_t i = 0; i < kLossMarks.size(); ++i) {
    if (i > 0) marks->addStretch();
    marks->addWidget(new QLabel(QString::number(kLossMarks[i]), group.box));
  }
  group.grid->addLayout(marks, 4, 0, 1, 3);
  group.grid->setColumnStretch(1, 1);
  return group.box;
}

void CSpectrumInfoView::ShowSpectrumInfo(const SpectrumInfo& info) {
  Show(*position_, info.position);
  Show(*counts_, info.counts);
  const QString unit = QString::fromStdString(info.unit);
  for (QLabel* label : units_) {
    if (label->text() != unit) label->setText(unit);
  }
  for (std::size_t i = 0; i < peak_.size(); ++i) Show(*peak_[i], info.peak[i]);
  ShowStaleCalibration(*staleCalibration_, info.staleCalibration);
}

void CSpectrumInfoView::ShowTimesAndRates(const AcquisitionReadout& readout) {
  Show(*real_, readout.realTime);
  Show(*live_, readout.liveTime);
  Show(*dead_, readout.deadPercent);
  Show(*throughput_, std::to_string(readout.rates.throughput));
  Show(*incoming_, std::to_string(readout.rates.incoming));
  losses_->setValue(readout.rates.lossesPercent);
}

void CSpectrumInfoView::ShowCalibrationEnabled(bool enabled) {
  const QSignalBlocker blocker(calibration_);
  calibration_->setChecked(enabled);
}

CDocableSpectrumInfoPane::CDocableSpectrumInfoPane(QWidget* parent)
    : DockPane(
          QStringLiteral("Spectrum Info"), QStringLiteral("SpectrumInfoPane"),
          [](QWidget* pane) { return new CSpectrumInfoView(pane); },
          QStringLiteral("Failed in creating CSpectrumInfoView"), parent, ViewCreation::kWhenNeeded) {}

CSpectrumInfoView* CDocableSpectrumInfoPane::SpectrumInfoView() const {
  return qobject_cast<CSpectrumInfoView*>(View());
}

}  // namespace korva
