#pragma once

#include <QScrollArea>
#include <array>
#include <functional>
#include <vector>

#include "forms/dock_pane.h"
#include "spectrum/calibration_fit.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korva {

class CFixedColumnListCtrl;
class CSpectrum;
class Prompt;
struct SpectrumDocuments;

// What the calibration form works on besides the spectrum records.
struct CalibrationViewLinks {
  SpectrumDocuments& spectra;
  Prompt& prompt;
  // Whether the active spectrum's window is in view; the buttons and the
  // list do nothing while it is not.
  std::function<bool()> windowShown;
  // The displayed channel under the active spectrum's cursor.
  std::function<int()> cursor;
  // Marks the active spectrum for a full redraw and draws it.
  std::function<void()> redraw;
};

// The calibration form: edits the points of the active spectrum's current
// input and fits its energy curve. The point list is the form's own copy of
// the points; both record sets of the input are rebuilt from it after every
// edit, and it is reloaded from set 1 whenever another spectrum or input
// comes into view.
class CCalibrationView : public QScrollArea {
  Q_OBJECT

 public:
  CCalibrationView(const CalibrationViewLinks& links, QWidget* parent = nullptr);

  // Fills the list from the active spectrum's set 1 and refits set 2.
  void LoadPointsIntoView();
  // Reloads when the active spectrum or its current input is no longer the
  // one the list was loaded from.
  void FollowActiveSpectrum();
  // The list's check boxes become the use flags of both sets (before the
  // active spectrum is written to a file, or stored at exit).
  void ApplyCheckStatesToSets();
  // "ENABLE CALIBRATION" ticked or cleared elsewhere (the info view's "CAL"
  // box): the box follows and its handler runs.
  void ClickEnable(bool enabled);

  // The list as the form shows it.
  std::vector<CalibrationRow> Rows() const;

 signals:
  // The enabled flag of the shown calibration changed or was reloaded.
  void EnabledChanged(bool enabled);

 private:
  void LayOut(QWidget* form);
  QWidget* BuildPointEntry(QWidget* form);
  QWidget* BuildPointList(QWidget* form);
  QWidget* BuildCurve(QWidget* form);
  QPushButton* AddButton(const QString& caption, QWidget* parent);
  void ConnectControls();

  bool Usable();
  CalibrationRecord& Set1();
  CalibrationRecord& Set2();
  int CompressionFactor() const;
  void RebuildBothSets();
  void ShowRows(const std::vector<CalibrationRow>& rows);
  void ShowFit(const CalibrationFit& fit);
  void ShowStaleness();
  void ShowEnabled(bool enabled);

  void OnPeak();
  void OnCursor();
  void OnAddPoint();
  void OnEditSelected();
  void OnRemoveSelected();
  void OnRemoveAll();
  void OnUnits(int index);
  void OnEnable(bool enabled);
  void OnFit(int useAll);

  CalibrationViewLinks links_;
  // The spectrum and input the list was loaded from.
  const CSpectrum* loadedSpectrum_ = nullptr;
  std::size_t loadedInput_ = 0;

  QCheckBox* enable_ = nullptr;
  QLineEdit* channel_ = nullptr;
  QLineEdit* energy_ = nullptr;
  QPushButton* peak_ = nullptr;
  QPushButton* cursor_ = nullptr;
  QComboBox* units_ = nullptr;
  QPushButton* addPoint_ = nullptr;
  CFixedColumnListCtrl* points_ = nullptr;
  QPushButton* editSelected_ = nullptr;
  QPushButton* removeSelected_ = nullptr;
  QPushButton* removeAll_ = nullptr;
  QPushButton* fitSelected_ = nullptr;
  QPushButton* fitAll_ = nullptr;
  QGroupBox* curve_ = nullptr;
  std::array<QLabel*, 3> coefficients_{};
  QLabel* staleCalibration_ = nullptr;
};

// The dockable pane "Calibration" with the calibration form.
class CDocableCalibrationPane : public DockPane {
  Q_OBJECT

 public:
  CDocableCalibrationPane(const CalibrationViewLinks& links, QWidget* parent);
  // The form, or null when it could not be created.
  CCalibrationView* CalibrationView() const;
};

}  // namespace korva
