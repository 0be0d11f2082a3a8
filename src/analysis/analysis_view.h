#pragma once

#include <QWidget>
#include <optional>

#include "analysis/checked.h"
#include "analysis/measurement_analysis.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QDoubleSpinBox;
class QLabel;
class QLayout;
class QLineEdit;
class QTableWidget;

namespace korva {

class AnalysisPlot;

// The TDCR ANALYSIS form: the user's choices (nuclide with its decay mode
// and data source, or a spectrum from a file; cocktail; kB, model, main
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
  // Adds (or replaces) a nuclide from a user's spectrum file to the list
  // and chooses it.
  void ShowOwnNuclide(const Nuclide& nuclide);
  // Chooses the nuclide chosen before "From file..." (the file was not taken).
  void RestoreNuclideChoice();

  QComboBox& NuclideList() const { return *nuclide_; }
  QComboBox& CocktailList() const { return *cocktail_; }
  QTableWidget& RunTable() const { return *runs_; }
  QTableWidget& RatesTable() const { return *rates_; }
  QTableWidget& BudgetTable() const { return *budget_; }
  QLabel& Summary() const { return *summary_; }
  QLabel& Warnings() const { return *warnings_; }
  AnalysisPlot& Plot() const { return *plot_; }

 signals:
  void SettingsChanged();
  void BrowseBackground();
  void ClearBackground();
  void ExportRequested();
  // "From file..." was chosen in the nuclide list.
  void ChooseSpectrum();
  void ReportRequested();
  void VariationRequested();

 private:
  QWidget* BuildChoices();
  QWidget* BuildResults();
  QLayout* BuildLimitChoices(QWidget* box);
  void ShowRuns(const CombinationAnalysis& combination);
  // Every window and extension's rates and their corrections, mode by mode.
  void ShowRates(const MeasurementAnalysis& analysis);
  void ShowRunRows(const CombinationAnalysis& combination);
  void ShowBudget(const UncertaintyBudget& budget);
  void ShowPlot(const MeasurementAnalysis& analysis);
  void NuclideChosen(int index);

  QWidget* content_ = nullptr;  // choices and results, in a scroll area
  QComboBox* nuclide_ = nullptr;
  QComboBox* cocktail_ = nullptr;
  std::optional<Nuclide> ownNuclide_;
  int lastNuclide_ = 0;
  QDoubleSpinBox* kb_ = nullptr;
  QComboBox* model_ = nullptr;
  QComboBox* window_ = nullptr;
  QComboBox* extension_ = nullptr;
  QCheckBox* useReference_ = nullptr;
  QDateTimeEdit* reference_ = nullptr;
  QLineEdit* background_ = nullptr;
  QDoubleSpinBox* kAlpha_ = nullptr;
  QDoubleSpinBox* kBeta_ = nullptr;
  QDoubleSpinBox* gamma_ = nullptr;
  QDoubleSpinBox* givenEfficiency_ = nullptr;  // 0: none
  QTableWidget* runs_ = nullptr;
  QTableWidget* rates_ = nullptr;
  QLabel* summary_ = nullptr;
  QLabel* warnings_ = nullptr;
  QTableWidget* budget_ = nullptr;
  AnalysisPlot* plot_ = nullptr;
  bool showing_ = false;
};

}  // namespace korva
