#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <optional>

#include "analysis/efficiency_variation.h"
#include "analysis/report_signatory.h"

class QLabel;
class QListWidget;
class QTableWidget;

namespace korva {

// TDCR ANALYSIS > "Efficiency Variation...": saved measurements of one
// vial at several efficiencies, analysed with the pane's settings, each
// activity against (1 - eps_D) / eps_D with the fitted line, the fit's
// numbers and warnings, and the study's PDF report.
class VariationDialog : public QDialog {
  Q_OBJECT

 public:
  // Asks for files: the measurements to add (empty: cancelled), or with
  // `forReport` the report's name as the only element.
  using FileChooser = std::function<std::vector<std::filesystem::path>(bool forReport)>;

  VariationDialog(AnalysisSettings settings, ReportSignatory signatory, FileChooser chooseFiles,
                  QWidget* parent = nullptr);

  // Adds measurements and computes the study again; false with the reason
  // shown when a file cannot be read.
  bool AddFiles(const std::vector<std::filesystem::path>& paths);
  // Writes the study's report; the failure's message, none on success.
  std::optional<std::string> ExportReport(const std::filesystem::path& path);

  const Checked<VariationStudy>& Study() const { return study_; }
  QLabel& Summary() const { return *summary_; }

 private:
  void Compute();
  void ShowStudy();

  AnalysisSettings settings_;
  ReportSignatory signatory_;
  FileChooser chooseFiles_;
  std::vector<VariationInput> inputs_;
  Checked<VariationStudy> study_;
  QListWidget* files_ = nullptr;
  QTableWidget* points_ = nullptr;
  QLabel* summary_ = nullptr;
  QLabel* plot_ = nullptr;
};

}  // namespace korva
