#include "spectrumview/calibration_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cstdio>

#include "common/prompt.h"
#include "forms/fixed_column_list_ctrl.h"
#include "forms/form_widgets.h"
#include "qtadapters/qt_text.h"
#include "spectrum/calibration_gain.h"
#include "spectrum/plain_number.h"
#include "spectrum/spectrum_calibration.h"
#include "spectrum/spectrum_documents.h"
#include "spectrum/spectrum_info.h"
#include "spectrumview/spectrum_info_view.h"

namespace korva {

namespace {

const FormColours kCalibrationColours{QColor(235, 240, 252), QColor(20, 40, 120)};
constexpr const char* kMessageTitle = "Korva-TDCR";
// Edit Selected takes at most this many characters of a row's texts.
constexpr qsizetype kMaxEditText = 256;

QLineEdit* NewPointEdit(const QString& objectName, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(objectName);
  edit->setMaxLength(static_cast<int>(kMaxEditText));
  return edit;
}

}  // namespace

CCalibrationView::CCalibrationView(const CalibrationViewLinks& links, QWidget* parent)
    : QScrollArea(parent), links_(links) {
  setObjectName(QStringLiteral("CalibrationView"));
  LayOut(NewScrolledForm(*this, kCalibrationColours));
  ShowFit({FitOutcome::kTooFewPoints,
           kNotCalibratedCaption,
           {kUnknownCoefficientTexts[0], kUnknownCoefficientTexts[1], kUnknownCoefficientTexts[2]},
           {}});
  ConnectControls();
}

void CCalibrationView::LayOut(QWidget* form) {
  auto* layout = new QVBoxLayout(form);
  enable_ = new QCheckBox(QStringLiteral("ENABLE CALIBRATION"), form);
  enable_->setObjectName(QStringLiteral("ENABLE CALIBRATION"));
  layout->addWidget(enable_);
  layout->addWidget(BuildPointEntry(form));
  layout->addWidget(BuildPointList(form));
  layout->addWidget(BuildCurve(form));
  layout->addStretch();
}

QPushButton* CCalibrationView::AddButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(caption);
  return button;
}

// One narrow column, so the form fits beside the spectrum: each edit over
// the buttons that fill it or take its point.
QWidget* CCalibrationView::BuildPointEntry(QWidget* form) {
  auto* box = new QWidget(form);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  channel_ = NewPointEdit(QStringLiteral("CHANNEL"), box);
  energy_ = NewPointEdit(QStringLiteral("ENERGY"), box);
  peak_ = AddButton(QStringLiteral("PEAK"), box);
  cursor_ = AddButton(QStringLiteral("CURSOR"), box);
  units_ = NewList(QStringLiteral("Units"), ListEntries(kCalibrationUnits), box);
  addPoint_ = AddButton(QStringLiteral("ADD POINT"), box);
  grid->addWidget(new QLabel(QStringLiteral("CHANNEL"), box), 0, 0);
  grid->addWidget(channel_, 0, 1, 1, 2);
  grid->addWidget(peak_, 1, 1);
  grid->addWidget(cursor_, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("ENERGY"), box), 2, 0);
  grid->addWidget(energy_, 2, 1, 1, 2);
  grid->addWidget(units_, 3, 1);
  grid->addWidget(addPoint_, 3, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  return box;
}

QWidget* CCalibrationView::BuildPointList(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("CALIBRATION POINTS"), form);
  points_ = new CFixedColumnListCtrl({QStringLiteral("Channel"), QStringLiteral("Energy")},
                                     QStringLiteral("CALIBRATION POINTS"), group.box);
  // Room for the ten points without scrolling.
  points_->setMinimumHeight(points_->header()->sizeHint().height() + 11 * points_->fontMetrics().height() +
                            2 * points_->frameWidth());
  group.grid->addWidget(points_, 0, 0);
  editSelected_ = AddButton(QStringLiteral("Edit Selected Points"), group.box);
  removeSelected_ = AddButton(QStringLiteral("Remove Selected Points"), group.box);
  removeAll_ = AddButton(QStringLiteral("Remove All Points"), group.box);
  fitSelected_ = AddButton(QStringLiteral("Calibrate with Selected Points"), group.box);
  fitAll_ = AddButton(QStringLiteral("Calibrate with All Points"), group.box);
  int row = 1;
  for (QPushButton* button : {editSelected_, removeSelected_, removeAll_})
    group.grid->addWidget(button, row++, 0);
  group.grid->setRowMinimumHeight(row++, 6);
  for (QPushButton* button : {fitSelected_, fitAll_}) group.grid->addWidget(button, row++, 0);
  return group.box;
}

QWidget* CCalibrationView::BuildCurve(QWidget* form) {
  const FormGroup group = NewGroup(QString(), form);
  curve_ = group.box;
  curve_->setObjectName(QStringLiteral("CalibrationCurve"));
  group.grid->addWidget(new QLabel(QStringLiteral("EN = aCH^2 + bCH + c"), group.box), 0, 0);
  for (std::size_t i = 0; i < coefficients_.size(); ++i) {
    auto* label = new QLabel(group.box);
    label->setObjectName(QStringLiteral("Coefficient%1").arg(QChar(u'a' + static_cast<char16_t>(i))));
    label->setFont(QFont(QStringLiteral("Monospace")));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    group.grid->addWidget(label, static_cast<int>(i) + 1, 0);
    coefficients_[i] = label;
  }
  staleCalibration_ = NewStaleCalibrationLabel(group.box);
  group.grid->addWidget(staleCalibration_, static_cast<int>(coefficients_.size()) + 1, 0);
  return group.box;
}

void CCalibrationView::ConnectControls() {
  connect(peak_, &QPushButton::clicked, this, &CCalibrationView::OnPeak);
  connect(cursor_, &QPushButton::clicked, this, &CCalibrationView::OnCursor);
  connect(addPoint_, &QPushButton::clicked, this, &CCalibrationView::OnAddPoint);
  connect(editSelected_, &QPushButton::clicked, this, &CCalibrationView::OnEditSelected);
  connect(removeSelected_, &QPushButton::clicked, this, &CCalibrationView::OnRemoveSelected);
  connect(removeAll_, &QPushButton::clicked, this, &CCalibrationView::OnRemoveAll);
  connect(fitSelected_, &QPushButton::clicked, this, [this] { OnFit(0); });
  connect(fitAll_, &QPushButton::clicked, this, [this] { OnFit(1); });
  connect(units_, &QComboBox::currentIndexChanged, this, &CCalibrationView::OnUnits);
  connect(enable_, &QCheckBox::clicked, this, &CCalibrationView::OnEnable);
  connect(points_, &CFixedColumnListCtrl::FocusLost, this, [this] {
    if (Usable()) RebuildBothSets();
  });
}

// The form acts only on a spectrum in view, and only on the calibration
// the list was loaded from.
bool CCalibrationView::Usable() {
  if (!links_.windowShown()) return false;
  FollowActiveSpectrum();
  return true;
}

CalibrationRecord& CCalibrationView::Set1() {
  CSpectrum& spectrum = *links_.spectra.active;
  return spectrum.FileCalibration(spectrum.CurrentInput());
}

CalibrationRecord& CCalibrationView::Set2() {
  CSpectrum& spectrum = *links_.spectra.active;
  return spectrum.DisplayCalibration(spectrum.CurrentInput());
}

int CCalibrationView::CompressionFactor() const {
  return static_cast<int>(links_.spectra.active->CompressionFactor());
}

std::vector<CalibrationRow> CCalibrationView::Rows() const {
  std::vector<CalibrationRow> rows;
  rows.reserve(static_cast<std::size_t>(points_->RowCount()));
  for (int row = 0; row < points_->RowCount(); ++row) {
    rows.push_back(
        {points_->Text(row, 0).toStdString(), points_->Text(row, 1).toStdString(), points_->Checked(row)});
  }
  return rows;
}

void CCalibrationView::RebuildBothSets() {
  korva::RebuildBothSets(Set1(), Set2(), Rows(), CompressionFactor());
}

void CCalibrationView::ApplyCheckStatesToSets() {
  FollowActiveSpectrum();
  ApplyCheckStates(Set1(), Set2(), Rows());
}

void CCalibrationView::ShowRows(const std::vector<CalibrationRow>& rows) {
  points_->clear();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    points_->InsertRow(static_cast<int>(i), {QtText(rows[i].channel), QtText(rows[i].energy)},
                       rows[i].checked);
  }
}

void CCalibrationView::ShowFit(const CalibrationFit& fit) {
  curve_->setTitle(QtText(fit.caption));
  for (std::size_t i = 0; i < coefficients_.size(); ++i)
    coefficients_[i]->setText(QtText(fit.coefficientTexts[i]));
}

void CCalibrationView::ShowEnabled(bool enabled) {
  const QSignalBlocker blocker(enable_);
  enable_->setChecked(enabled);
  emit EnabledChanged(enabled);
}

void CCalibrationView::LoadPointsIntoView() {
  CSpectrum& spectrum = *links_.spectra.active;
  loadedSpectrum_ = &spectrum;
  loadedInput_ = spectrum.CurrentInput();
  const LoadedCalibration loaded = LoadCurrentCalibration(spectrum);
  ShowRows(loaded.rows);
  ShowSelection(*units_, Set2().units);
  ShowEnabled(Set2().enabled != 0);
  ShowFit(loaded.fit);
  ShowStaleness();
  links_.redraw();
}

void CCalibrationView::ShowStaleness() {
  ShowStaleCalibration(*staleCalibration_, StaleCalibrationText(*links_.spectra.active));
}

void CCalibrationView::FollowActiveSpectrum() {
  const CSpectrum& spectrum = *links_.spectra.active;
  if (&spectrum != loadedSpectrum_ || spectrum.CurrentInput() != loadedInput_) LoadPointsIntoView();
  ShowStaleness();
}

// The centroid is in displayed channels; without a peak under the cursor
// the edit keeps its text.
void CCalibrationView::OnPeak() {
  if (!Usable()) return;
  const SpectrumInfo info = ReadSpectrumInfo(*links_.spectra.active, links_.cursor());
  if (info.roi.centroid) channel_->setText(QtText(FixedText(*info.roi.centroid, 8, 2)));
}

void CCalibrationView::OnCursor() {
  if (!Usable()) return;
  channel_->setText(QString::number(links_.cursor()));
}

void CCalibrationView::OnAddPoint() {
  if (!Usable()) return;
  std::vector<CalibrationRow> rows = Rows();
  const CalibrationRow row =
      MakeCalibrationRow(channel_->text().toStdString(), energy_->text().toStdString());
  if (!AddCalibrationRow(rows, row)) {
    char message[96];
    std::snprintf(message, sizeof message, kMaxPointsMessage,
                  static_cast<int>(CalibrationRecord::kMaxPoints));
    links_.prompt.ShowMessage(kMessageTitle, message);
    return;
  }
  points_->InsertRow(0, {QtText(row.channel), QtText(row.energy)}, row.checked);
  RebuildBothSets();
  channel_->clear();
  energy_->clear();
}

void CCalibrationView::OnEditSelected() {
  if (!Usable()) return;
  for (int row = 0; row < points_->RowCount(); ++row) {
    if (!points_->Checked(row)) continue;
    channel_->setText(points_->Text(row, 0).left(kMaxEditText));
    energy_->setText(points_->Text(row, 1).left(kMaxEditText));
    points_->RemoveRow(row);
    RebuildBothSets();
    return;
  }
}

void CCalibrationView::OnRemoveSelected() {
  if (!Usable()) return;
  for (int row = points_->RowCount() - 1; row >= 0; --row) {
    if (points_->Checked(row)) points_->RemoveRow(row);
  }
  RebuildBothSets();
}

void CCalibrationView::OnRemoveAll() {
  if (!Usable()) return;
  points_->clear();
  RebuildBothSets();
}

void CCalibrationView::OnUnits(int index) {
  if (!Usable() || index < 0) {
    ShowSelection(*units_, Set2().units);
    return;
  }
  Set1().units = Set2().units = index;
  links_.redraw();
}

// The box never shows a state the record does not hold.
void CCalibrationView::OnEnable(bool enabled) {
  if (!Usable()) {
    ShowEnabled(Set2().enabled != 0);
    return;
  }
  Set1().enabled = Set2().enabled = enabled ? 1 : 0;
  ShowEnabled(enabled);
  links_.redraw();
}

void CCalibrationView::ClickEnable(bool enabled) {
  enable_->setChecked(enabled);
  OnEnable(enabled);
}

void CCalibrationView::OnFit(int useAll) {
  if (!Usable()) return;
  const CalibrationFit fit = FitCalibration(Set1(), Set2(), Rows(), CompressionFactor(), useAll);
  ShowFit(fit);
  if (!fit.message.empty()) {
    links_.prompt.ShowMessage(kMessageTitle, fit.message);
    return;
  }
  // Only a fit the user asks for is made at today's gain; the fit that
  // reloading the points repeats keeps the gain the points were taken at.
  if (fit.outcome == FitOutcome::kFitted) RememberCalibrationGain(*links_.spectra.active);
  ShowStaleness();
  links_.redraw();
}

CDocableCalibrationPane::CDocableCalibrationPane(const CalibrationViewLinks& links, QWidget* parent)
    : DockPane(
          QStringLiteral("Calibration"), QStringLiteral("CalibrationPane"),
          [links](QWidget* pane) { return new CCalibrationView(links, pane); },
          QStringLiteral("Failed in creating CCalibrationView"), parent, ViewCreation::kWhenNeeded) {}

CCalibrationView* CDocableCalibrationPane::CalibrationView() const {
  return qobject_cast<CCalibrationView*>(View());
}

}  // namespace korva
