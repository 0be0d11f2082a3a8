#pragma once

#include <QScrollArea>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "tdcr/tdcr_measurement.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korva {

class NumericEdit;
struct FormGroup;

// The TDCR form: sets up, runs, watches and saves a measurement. Every
// control shows what the measurement's form state holds and hands the
// user's actions to the measurement; the form computes nothing itself.
// Controls are connected only once the first redraw has filled them, so
// nothing the form shows at start-up reaches the instrument.
class CTDCRView : public QScrollArea {
  Q_OBJECT

 public:
  explicit CTDCRView(TdcrMeasurement& measurement, QWidget* parent = nullptr);

  // Puts the measurement's form state into the controls without reporting
  // any of it back. The edit the user is typing in keeps its text, because
  // the measurement keeps it.
  void Redraw();

 private:
  // A read-only box and the text of the form state it shows.
  struct Reading {
    QLineEdit* box;
    std::function<std::string(const TdcrFormState&)> text;
  };

  void LayOut(QWidget* form);
  QGroupBox* BuildMeasurement(QWidget* form);
  QGroupBox* BuildRates(QWidget* form, TdcrRates::Combination combination);
  QGroupBox* BuildRatios(QWidget* form, TdcrRates::Combination combination);
  QGroupBox* BuildLiveTimers(QWidget* form);
  QGroupBox* BuildPresetTime(QWidget* form);
  QGroupBox* BuildDeadTime(QWidget* form);
  QGroupBox* BuildDiscriminators(QWidget* form);
  QGroupBox* BuildCoincidence(QWidget* form);
  QGroupBox* BuildRecord(QWidget* form);
  void AddReading(const FormGroup& group, int row, int pair, const QString& caption, const QString& name,
                  int characters, std::function<std::string(const TdcrFormState&)> text);
  void AddEdit(const FormGroup& group, int row, int pair, TdcrEdit edit, const QString& caption);
  QPushButton* AddButton(const QString& caption, QWidget* parent);

  void ShowReadings(const TdcrFormState& state);
  void ShowSelections(const TdcrFormState& state);

  void ConnectControls();
  void ConnectButtons();
  void ConnectLists();
  void ConnectEdit(TdcrEdit edit);
  void TakeRecordTexts();
  // Runs a user action on the measurement, then redraws the form.
  void Act(const std::function<void()>& action);

  TdcrMeasurement& measurement_;
  std::vector<Reading> readings_;
  std::array<NumericEdit*, kTdcrEditCount> edits_{};
  std::array<QLineEdit*, 4> record_{};  // NUCLIDES, LS COCTAIL, PMT HV, OPERATOR
  QLabel* startReference_ = nullptr;
  QPushButton* reset_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* timeStamp_ = nullptr;
  QComboBox* viewRun_ = nullptr;
  QComboBox* sequentialRuns_ = nullptr;
  QComboBox* stopTimer_ = nullptr;
  std::array<QComboBox*, 2> windows_{};     // N, M
  std::array<QComboBox*, 3> polarities_{};  // A, B, C
  std::array<QButtonGroup*, 2> modes_{};    // extensions 1, 2: IDT 0, CDT 1
};

}  // namespace korva
