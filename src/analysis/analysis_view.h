#pragma once

#include <QWidget>

#include "analysis/checked.h"
#include "analysis/measurement_analysis.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace korva {

class AnalysisPlot;

// The TDCR ANALYSIS form: the user's choices (nuclide, kB, model, main
// window and extension, reference time, background file), the main
// combination's runs in a table, the result with its budget and Birge
// ratio, and a plot of the runs. It computes nothing: it hands out the
// choices and shows the analysis it is given.
class AnalysisView : public QWidget {
  Q_OBJECT

 public:
  explicit AnalysisView(QWidget* parent = nullptr);

  AnalysisSettings Settings() const;
  // Shows `settings` without signalling a change.
  void ShowSettings(const AnalysisSettings& settings);
  // The background file's name, or empty for none.
  void ShowBackground(const QString& path);
  void ShowAnalysis(const Checked<MeasurementAnalysis>& result);

  QTableWidget& RunTable() const { return *runs_; }
  QTableWidget& BudgetTable() const { return *budget_; }
  QLabel& Summary() const { return *summary_; }
  QLabel& Warnings() const { return *warnings_; }
  AnalysisPlot& Plot() const { return *plot_; }

 signals:
  void SettingsChanged();
  void BrowseBackground();
  void ClearBackground();
  void ExportRequested();

 private:
  QWidget* BuildChoices();
  QWidget* BuildResults();
  void ShowRuns(const CombinationAnalysis& combination);
  void ShowRunRows(const CombinationAnalysis& combination);
  void ShowBudget(const UncertaintyBudget& budget);
  void ShowPlot(const MeasurementAnalysis& analysis);

  QWidget* content_ = nullptr;  // choices and results, in a scroll area
  QComboBox* nuclide_ = nullptr;
  QDoubleSpinBox* kb_ = nullptr;
  QComboBox* model_ = nullptr;
  QComboBox* window_ = nullptr;
  QComboBox* extension_ = nullptr;
  QCheckBox* useReference_ = nullptr;
  QDateTimeEdit* reference_ = nullptr;
  QLineEdit* background_ = nullptr;
  QTableWidget* runs_ = nullptr;
  QLabel* summary_ = nullptr;
  QLabel* warnings_ = nullptr;
  QTableWidget* budget_ = nullptr;
  AnalysisPlot* plot_ = nullptr;
  bool showing_ = false;
};

}  // namespace korva
