#include "analysis/variation_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/analysis_inputs.h"
#include "analysis/measurement_report.h"
#include "analysis/variation_report.h"

namespace korva {

namespace {

const QSize kPlotSize(640, 320);

}  // namespace

VariationDialog::VariationDialog(AnalysisSettings settings, ReportSignatory signatory,
                                 FileChooser chooseFiles, QWidget* parent)
    : QDialog(parent),
      settings_(std::move(settings)),
      signatory_(std::move(signatory)),
      chooseFiles_(std::move(chooseFiles)),
      study_(Checked<VariationStudy>::Failure("add three or more measurements of the vial")) {
  setObjectName(QStringLiteral("EfficiencyVariation"));
  setWindowTitle(QStringLiteral("Efficiency Variation"));
  files_ = new QListWidget(this);
  auto* add = new QPushButton(QStringLiteral("Add..."), this);
  auto* remove = new QPushButton(QStringLiteral("Remove"), this);
  auto* report = new QPushButton(QStringLiteral("Export Report..."), this);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  points_ = new QTableWidget(0, 5, this);
  points_->setHorizontalHeaderLabels({QStringLiteral("Measurement"), QStringLiteral("ε_D"),
                                      QStringLiteral("(1 - ε_D) / ε_D"), QStringLiteral("A [Bq]"),
                                      QStringLiteral("u(A) [Bq]")});
  points_->verticalHeader()->hide();
  points_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  points_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  summary_ = new QLabel(this);
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  plot_ = new QLabel(this);
  plot_->setFixedSize(kPlotSize);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {add, remove, report}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* left = new QVBoxLayout;
  left->addWidget(files_, 1);
  left->addWidget(points_, 2);
  auto* upper = new QHBoxLayout;
  upper->addLayout(left, 1);
  upper->addWidget(plot_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(upper, 1);
  layout->addWidget(summary_);
  layout->addLayout(buttons);
  connect(add, &QPushButton::clicked, this, [this] { AddFiles(chooseFiles_(false)); });
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = files_->currentRow();
    if (row < 0) return;
    delete files_->takeItem(row);
    inputs_.erase(inputs_.begin() + row);
    Compute();
  });
  connect(report, &QPushButton::clicked, this, [this] {
    const std::vector<std::filesystem::path> chosen = chooseFiles_(true);
    if (chosen.empty()) return;
    if (const auto error = ExportReport(chosen.front())) {
      QMessageBox::warning(this, windowTitle(), QString::fromStdString(*error));
    }
  });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  resize(1100, 600);
  ShowStudy();
}

bool VariationDialog::AddFiles(const std::vector<std::filesystem::path>& paths) {
  for (const std::filesystem::path& path : paths) {
    TdcReadResult read = ReadTdcFile(path.string());
    if (!read.measurement) {
      summary_->setText(QString::fromStdString(path.string() + ": " + read.error));
      return false;
    }
    inputs_.push_back({path.string(), std::move(*read.measurement)});
    files_->addItem(QString::fromStdString(path.string()));
  }
  Compute();
  return true;
}

void VariationDialog::Compute() {
  study_ = StudyVariation(inputs_, settings_);
  ShowStudy();
}

void VariationDialog::ShowStudy() {
  if (!study_) {
    points_->setRowCount(0);
    plot_->clear();
    summary_->setText(QStringLiteral("No study: ") + QString::fromStdString(study_.error));
    return;
  }
  const VariationStudy& s = *study_;
  points_->setRowCount(static_cast<int>(s.points.size()));
  for (int row = 0; row < points_->rowCount(); ++row) {
    const VariationPoint& p = s.points[static_cast<std::size_t>(row)];
    const QStringList cells = {QString::fromStdString(p.label), QString::number(p.doublesEfficiency, 'f', 5),
                               QString::number(p.Inefficiency(), 'f', 5), QString::number(p.activity, 'f', 2),
                               QString::number(p.uncertainty, 'f', 2)};
    for (int column = 0; column < cells.size(); ++column) {
      points_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
  }
  const std::string text = VariationText(s, settings_);
  summary_->setText(QString::fromStdString(text.substr(text.find("Slope:"))).trimmed());
  plot_->setPixmap(QPixmap::fromImage(ResultPlotImage(VariationPlotData(s), kPlotSize)));
}

std::optional<std::string> VariationDialog::ExportReport(const std::filesystem::path& path) {
  if (!study_) return "No study to report: " + study_.error;
  return WriteReportPdf(
      path, VariationReportDocument(signatory_, *study_, settings_, VariationProvenance(inputs_, settings_)));
}

}  // namespace korva
