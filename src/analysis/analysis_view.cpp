#include "analysis/analysis_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "analysis/analysis_plot.h"
#include "analysis/birks_quenching.h"
#include "analysis/gum_rounding.h"
#include "analysis/limits_report.h"
#include "analysis/nuclide_library.h"
#include "analysis/nuclide_listing.h"
#include "qtadapters/qt_text.h"

namespace korva {

namespace {

QTableWidget* MakeTable(const QStringList& headers, const QString& name, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setObjectName(name);
  table->setHorizontalHeaderLabels(headers);
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void SetRow(QTableWidget& table, int row, const QStringList& cells) {
  for (int column = 0; column < cells.size(); ++column) {
    auto* item = new QTableWidgetItem(cells[column]);
    item->setTextAlignment(column == 0 ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
    table.setItem(row, column, item);
  }
}

// A table at least as wide as its columns, so no column is cut off; the
// scrolling results make room for it.
void FitColumns(QTableWidget& table) {
  QHeaderView& header = *table.horizontalHeader();
  header.setStretchLastSection(false);
  header.resizeSections(QHeaderView::ResizeToContents);
  table.setMinimumWidth(header.length() + 2 * table.frameWidth() +
                        table.verticalScrollBar()->sizeHint().width());
}

QString PairText(const PairCheck& p) {
  if (!p.evaluated) return QStringLiteral("pair check not evaluated");
  return QStringLiteral("pairs AB %1, BC %2, AC %3 Bq (%4 σ)")
      .arg(p.activities[0], 0, 'f', 1)
      .arg(p.activities[1], 0, 'f', 1)
      .arg(p.activities[2], 0, 'f', 1)
      .arg(p.largestDifferenceSigmas, 0, 'f', 1);
}

// The limits on one line; "not detected (...)" first when the result is below the threshold.
QString LimitsSummary(const CharacteristicLimits& limits) {
  QStringList parts;
  for (const auto& [label, value] : LimitsRows(limits))
    parts << QtText(label) + QStringLiteral(" ") + QtText(value);
  const QString line = QStringLiteral("ISO 11929: ") + parts.join(QStringLiteral("; "));
  return limits.detected
             ? line
             : QStringLiteral("Result: ") + QtText(DetectionText(limits)) + QStringLiteral("\n") + line;
}

QComboBox* MakeList(const QStringList& items, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->addItems(items);
  return list;
}

const QString kFromFile = QStringLiteral("From file...");
// Marks the list entry of a user's spectrum.
constexpr int kOwnRole = Qt::UserRole + 1;

// Every known nuclide with its decay mode and data source (the item's data
// is its name), then "From file...".
QComboBox* MakeNuclideList(QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QStringLiteral("AnalysisNuclide"));
  for (const Nuclide& n : KnownNuclides()) {
    list->addItem(QtText(NuclideChoiceText(n)), QtText(n.name));
    list->setItemData(list->count() - 1, QtText(n.file), Qt::ToolTipRole);
  }
  list->addItem(kFromFile);
  return list;
}

// "As recorded" (the measurement record's cocktail), then every known cocktail.
QComboBox* MakeCocktailList(QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QStringLiteral("AnalysisCocktail"));
  list->addItem(QStringLiteral("As recorded"), QString());
  for (const Scintillator& s : KnownCocktails()) {
    list->addItem(QtText(s.name), QtText(s.name));
    list->setItemData(list->count() - 1, QtText(s.source), Qt::ToolTipRole);
  }
  return list;
}

}  // namespace

// The choices sit in two compact columns above the results, which take the
// pane's whole width; on a small screen everything scrolls rather than
// cutting the tables off.
AnalysisView::AnalysisView(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  content_ = new QWidget(this);
  auto* column = new QVBoxLayout(content_);
  column->addWidget(BuildChoices());
  column->addWidget(BuildResults(), 1);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(content_);
  layout->addWidget(scroll);
}

QWidget* AnalysisView::BuildChoices() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  nuclide_ = MakeNuclideList(box);
  cocktail_ = MakeCocktailList(box);
  kb_ = new QDoubleSpinBox(box);
  kb_->setDecimals(4);
  kb_->setRange(kMinKb, kMaxKb);
  kb_->setSingleStep(0.001);
  kb_->setValue(kDefaultKb);
  kb_->setSuffix(QStringLiteral(" cm/MeV"));
  model_ = MakeList({QStringLiteral("symmetric"), QStringLiteral("asymmetric")}, box);
  window_ = MakeList({QStringLiteral("N"), QStringLiteral("M"), QStringLiteral("the wider")}, box);
  extension_ = MakeList({QStringLiteral("1"), QStringLiteral("2")}, box);
  useReference_ = new QCheckBox(QStringLiteral("at"), box);
  reference_ = new QDateTimeEdit(QDateTime::currentDateTime(), box);
  reference_->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  reference_->setEnabled(false);
  auto* referenceRow = new QHBoxLayout;
  referenceRow->addWidget(useReference_);
  referenceRow->addWidget(reference_, 1);
  background_ = new QLineEdit(box);
  background_->setReadOnly(true);
  background_->setPlaceholderText(QStringLiteral("none"));
  auto* browse = new QPushButton(QStringLiteral("Browse..."), box);
  auto* clear = new QPushButton(QStringLiteral("Clear"), box);
  auto* backgroundRow = new QHBoxLayout;
  backgroundRow->addWidget(background_, 1);
  backgroundRow->addWidget(browse);
  backgroundRow->addWidget(clear);
  auto* exportButton = new QPushButton(QStringLiteral("Export Analysis..."), box);
  auto* reportButton = new QPushButton(QStringLiteral("Export Report..."), box);
  auto* variationButton = new QPushButton(QStringLiteral("Efficiency Variation..."), box);

  const auto add = [&](int row, int pair, const QString& label, QWidget* field) {
    grid->addWidget(new QLabel(label, box), row, 2 * pair);
    grid->addWidget(field, row, 2 * pair + 1);
  };
  // `pairs` label-and-field pairs wide.
  const auto addRow = [&](int row, int pair, const QString& label, QLayout* fields, int pairs) {
    grid->addWidget(new QLabel(label, box), row, 2 * pair);
    grid->addLayout(fields, row, 2 * pair + 1, 1, 2 * pairs - 1);
  };
  add(0, 0, QStringLiteral("Nuclide"), nuclide_);
  add(0, 1, QStringLiteral("kB"), kb_);
  add(0, 2, QStringLiteral("Model"), model_);
  add(1, 0, QStringLiteral("Cocktail"), cocktail_);
  add(1, 1, QStringLiteral("Window"), window_);
  add(1, 2, QStringLiteral("Extension"), extension_);
  addRow(2, 0, QStringLiteral("Reference time"), referenceRow, 1);
  addRow(2, 1, QStringLiteral("Background"), backgroundRow, 2);
  grid->addWidget(exportButton, 3, 4, 1, 2);
  addRow(4, 0, QStringLiteral("Limits"), BuildLimitChoices(box), 2);
  grid->addWidget(reportButton, 4, 4);
  grid->addWidget(variationButton, 4, 5);
  for (const int field : {1, 3, 5}) grid->setColumnStretch(field, 1);

  const auto changed = [this] {
    if (!showing_) emit SettingsChanged();
  };
  connect(nuclide_, &QComboBox::currentIndexChanged, this, &AnalysisView::NuclideChosen);
  connect(cocktail_, &QComboBox::currentIndexChanged, this, changed);
  connect(kb_, &QDoubleSpinBox::valueChanged, this, changed);
  connect(model_, &QComboBox::currentIndexChanged, this, changed);
  connect(window_, &QComboBox::currentIndexChanged, this, changed);
  connect(extension_, &QComboBox::currentIndexChanged, this, changed);
  connect(reference_, &QDateTimeEdit::dateTimeChanged, this, changed);
  connect(useReference_, &QCheckBox::toggled, this, [this, changed](bool on) {
    reference_->setEnabled(on);
    changed();
  });
  connect(browse, &QPushButton::clicked, this, &AnalysisView::BrowseBackground);
  connect(clear, &QPushButton::clicked, this, &AnalysisView::ClearBackground);
  connect(exportButton, &QPushButton::clicked, this, &AnalysisView::ExportRequested);
  connect(reportButton, &QPushButton::clicked, this, &AnalysisView::ReportRequested);
  connect(variationButton, &QPushButton::clicked, this, &AnalysisView::VariationRequested);
  for (QDoubleSpinBox* field : {kAlpha_, kBeta_, gamma_, givenEfficiency_}) {
    connect(field, &QDoubleSpinBox::valueChanged, this, changed);
  }
  return box;
}

// The characteristic limits' quantiles and probability, and the efficiency
// a blank's result takes (none at 0).
QLayout* AnalysisView::BuildLimitChoices(QWidget* box) {
  const auto spin = [box](double low, double high, double value, int decimals, const QString& prefix) {
    auto* field = new QDoubleSpinBox(box);
    field->setRange(low, high);
    field->setDecimals(decimals);
    field->setSingleStep(std::pow(10.0, -decimals + 1));
    field->setValue(value);
    field->setPrefix(prefix);
    return field;
  };
  const LimitSettings defaults;
  kAlpha_ = spin(0.001, 10.0, defaults.kAlpha, 3, QStringLiteral("k(1-α) "));
  kBeta_ = spin(0.001, 10.0, defaults.kBeta, 3, QStringLiteral("k(1-β) "));
  gamma_ = spin(0.001, 0.999, defaults.gamma, 3, QStringLiteral("γ "));
  givenEfficiency_ = spin(0.0, 1.0, 0.0, 4, QStringLiteral("blank's ε_D "));
  givenEfficiency_->setSpecialValueText(QStringLiteral("blank's ε_D: none"));
  givenEfficiency_->setToolTip(
      QStringLiteral("The efficiency for D of a sample too weak to give its own from T/D (a blank), from a "
                     "standard in the same cocktail; used only with a background measurement"));
  auto* row = new QHBoxLayout;
  for (QDoubleSpinBox* field : {kAlpha_, kBeta_, gamma_, givenEfficiency_}) row->addWidget(field);
  return row;
}

QWidget* AnalysisView::BuildResults() {
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);
  runs_ = MakeTable({QStringLiteral("Run"), QStringLiteral("T/D"), QStringLiteral("λ"), QStringLiteral("ε_D"),
                     QStringLiteral("ε_T"), QStringLiteral("A from D [Bq]"), QStringLiteral("Note")},
                    QStringLiteral("AnalysisRuns"), box);
  rates_ = MakeTable(
      {QStringLiteral("Window"), QStringLiteral("Mode"), QStringLiteral("D [1/s]"), QStringLiteral("merged"),
       QStringLiteral("blocked"), QStringLiteral("D corrected"), QStringLiteral("T [1/s]"),
       QStringLiteral("merged"), QStringLiteral("blocked"), QStringLiteral("T corrected")},
      QStringLiteral("AnalysisRates"), box);
  rates_->setToolTip(QStringLiteral(
      "Coincidence rates of the used runs, the corrections for decays merged in the window and pulses "
      "blocked by the dead-time gate, and the corrected rates (before background)"));
  summary_ = new QLabel(box);
  summary_->setObjectName(QStringLiteral("AnalysisSummary"));
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // The result is what the pane is for: it stands out from the tables, and
  // its warnings stand out from it.
  QFont resultFont = summary_->font();
  resultFont.setBold(true);
  resultFont.setPointSizeF(resultFont.pointSizeF() * 1.25);
  summary_->setFont(resultFont);
  warnings_ = new QLabel(box);
  warnings_->setObjectName(QStringLiteral("AnalysisWarnings"));
  warnings_->setWordWrap(true);
  warnings_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A red that reads on the light looks and on the dark one alike (contrast
  // 3.6:1 and better, for bold text).
  warnings_->setStyleSheet(QStringLiteral("QLabel { color: #e84848; font-weight: bold; }"));
  warnings_->hide();
  budget_ = MakeTable({QStringLiteral("Component"), QStringLiteral("u [Bq]"), QStringLiteral("u [%]")},
                      QStringLiteral("AnalysisBudget"), box);
  plot_ = new AnalysisPlot(box);
  auto* lower = new QHBoxLayout;
  lower->addWidget(budget_, 0);
  lower->addWidget(plot_, 1);
  // The result and its warnings come first, under the choices, so that a
  // small screen shows them without scrolling; the tables behind it follow.
  column->addWidget(summary_);
  column->addWidget(warnings_);
  column->addWidget(runs_, 1);
  column->addWidget(rates_);
  column->addLayout(lower, 1);
  return box;
}

void AnalysisView::NuclideChosen(int index) {
  if (nuclide_->itemText(index) == kFromFile) {
    if (!showing_) emit ChooseSpectrum();
    return;
  }
  lastNuclide_ = index;
  if (!showing_) emit SettingsChanged();
}

void AnalysisView::ShowOwnNuclide(const Nuclide& nuclide) {
  ownNuclide_ = nuclide;
  const QString text = QtText(nuclide.name) + QStringLiteral("  beta- spectrum from file");
  int own = nuclide_->findData(true, kOwnRole);
  if (own < 0) {
    own = nuclide_->count() - 1;  // before "From file..."
    nuclide_->insertItem(own, text);
    nuclide_->setItemData(own, true, kOwnRole);
  }
  nuclide_->setItemText(own, text);
  nuclide_->setItemData(own, QtText(nuclide.name), Qt::UserRole);
  nuclide_->setItemData(own, QtText(nuclide.file), Qt::ToolTipRole);
  if (nuclide_->currentIndex() == own) {
    NuclideChosen(own);
  } else {
    nuclide_->setCurrentIndex(own);
  }
}

void AnalysisView::RestoreNuclideChoice() {
  const QSignalBlocker quiet(nuclide_);
  nuclide_->setCurrentIndex(lastNuclide_);
}

AnalysisSettings AnalysisView::Settings() const {
  AnalysisSettings settings;
  settings.nuclide = nuclide_->currentData().toString().toStdString();
  if (nuclide_->currentData(kOwnRole).toBool()) settings.ownNuclide = ownNuclide_;
  settings.cocktail = cocktail_->currentData().toString().toStdString();
  settings.kb = kb_->value();
  settings.model = model_->currentIndex() == 0 ? DetectionModel::kSymmetric : DetectionModel::kAsymmetric;
  settings.window = static_cast<std::size_t>(window_->currentIndex());
  settings.extension = static_cast<std::size_t>(extension_->currentIndex());
  settings.limits = {kAlpha_->value(), kBeta_->value(), gamma_->value()};
  if (givenEfficiency_->value() > 0.0) settings.givenEfficiency = givenEfficiency_->value();
  if (useReference_->isChecked()) {
    const QDateTime t = reference_->dateTime();
    settings.referenceTime = StampTime{t.date().year(),   t.date().month(),  t.date().day(), t.time().hour(),
                                       t.time().minute(), t.time().second(), t.time().msec()};
  }
  return settings;
}

void AnalysisView::ShowSettings(const AnalysisSettings& settings) {
  showing_ = true;
  if (const int known = nuclide_->findData(QtText(settings.nuclide)); known >= 0) {
    nuclide_->setCurrentIndex(known);
    lastNuclide_ = known;
  }
  cocktail_->setCurrentIndex(std::max(0, cocktail_->findData(QtText(settings.cocktail))));
  kb_->setValue(settings.kb);
  model_->setCurrentIndex(settings.model == DetectionModel::kSymmetric ? 0 : 1);
  window_->setCurrentIndex(static_cast<int>(settings.window));
  extension_->setCurrentIndex(static_cast<int>(settings.extension));
  kAlpha_->setValue(settings.limits.kAlpha);
  kBeta_->setValue(settings.limits.kBeta);
  gamma_->setValue(settings.limits.gamma);
  givenEfficiency_->setValue(settings.givenEfficiency.value_or(0.0));
  useReference_->setChecked(settings.referenceTime.has_value());
  if (const auto& t = settings.referenceTime) {
    reference_->setDateTime(
        QDateTime(QDate(t->year, t->month, t->day), QTime(t->hour, t->minute, t->second, t->millisecond)));
  }
  showing_ = false;
}

void AnalysisView::ShowBackground(const QString& path) { background_->setText(path); }

void AnalysisView::ShowAnalysis(const Checked<MeasurementAnalysis>& result) {
  if (!result) {
    runs_->setRowCount(0);
    rates_->setRowCount(0);
    budget_->setRowCount(0);
    plot_->SetData({}, 0.0, 0.0);
    summary_->setText(QStringLiteral("No result: ") + QtText(result.error));
    warnings_->hide();
    return;
  }
  const MeasurementAnalysis& a = *result;
  ShowRuns(a.Main());
  ShowRates(a);
  ShowBudget(a.budget);
  ShowPlot(a);
  updateGeometry();  // the tables' widths may have changed
  const RoundedResult rounded = RoundedToUncertainty(a.activity, a.budget.combined);
  QString text =
      QStringLiteral("A = %1 ± %2 Bq (k = 1, %3 %)   U = %4 Bq (k = 2)   Birge ratio %5   runs %6   %7")
          .arg(QtText(rounded.value), QtText(rounded.uncertainty),
               QtText(SignificantText(100.0 * a.budget.Relative(a.budget.combined), 2)),
               QtText(SignificantText(a.budget.expanded, 2)))
          .arg(a.Main().doubles.birgeRatio, 0, 'f', 3)
          .arg(a.Main().doubles.count)
          .arg(PairText(a.pairs));
  if (a.limits) text += QStringLiteral("\n") + LimitsSummary(*a.limits);
  summary_->setText(text);
  QStringList warnings;
  for (const std::string& warning : a.warnings) warnings << QtText(warning);
  warnings_->setText(warnings.join(QLatin1Char('\n')));
  warnings_->setVisible(!warnings.isEmpty());
}

void AnalysisView::ShowRates(const MeasurementAnalysis& a) {
  constexpr std::array<const char*, TdcrRates::kCombinations> kNames = {"N1", "M1", "N2", "M2"};
  rates_->setRowCount(static_cast<int>(a.combinations.size()));
  int row = 0;
  for (const CombinationAnalysis& c : a.combinations) {
    const CombinationRates& r = c.rates;
    const QString window = QStringLiteral("%1 (%2 ns)").arg(kNames[c.combination]).arg(r.windowNs);
    const QString mode = QtText(DeadTimeModeName(r.mode));
    if (!c.Usable()) {
      SetRow(*rates_, row++, {window, mode, QStringLiteral("no run used")});
      continue;
    }
    const auto rate = [](double value) { return QString::number(value, 'f', 3); };
    const auto blocked = [&](double value) {
      if (!r.mode) return QString::fromLatin1(kNotEvaluatedText);
      return *r.mode == DeadTimeMode::kCommon ? rate(-value) : QString::fromLatin1(kNoBlockingText);
    };
    const CountingDistortion& d = r.distortion;
    SetRow(*rates_, row++,
           {window, mode, rate(r.measured.D()), rate(-d.merged.D()), blocked(d.blocked.D()),
            rate(r.corrected.D()), rate(r.measured.t), rate(-d.merged.t), blocked(d.blocked.t),
            rate(r.corrected.t)});
  }
  FitColumns(*rates_);
}

void AnalysisView::ShowRuns(const CombinationAnalysis& combination) {
  ShowRunRows(combination);
  FitColumns(*runs_);
}

void AnalysisView::ShowRunRows(const CombinationAnalysis& combination) {
  runs_->setRowCount(static_cast<int>(combination.runs.size()));
  int row = 0;
  for (const RunAnalysis& r : combination.runs) {
    if (!r.used) {
      SetRow(*runs_, row++, {QString::number(r.run), {}, {}, {}, {}, {}, QtText(r.note)});
      continue;
    }
    SetRow(*runs_, row++,
           {QString::number(r.run), QString::number(r.tdRatio, 'f', 5), QString::number(r.lambdas[0], 'f', 4),
            QString::number(r.doublesEfficiency, 'f', 5), QString::number(r.triplesEfficiency, 'f', 5),
            QStringLiteral("%1 ± %2").arg(r.activityD, 0, 'f', 2).arg(r.activityDUncertainty, 0, 'f', 2),
            r.flagged ? QStringLiteral("more than 3 u from the mean") : QString()});
  }
}

void AnalysisView::ShowBudget(const UncertaintyBudget& budget) {
  budget_->setRowCount(static_cast<int>(budget.components.size()) + 2);
  int row = 0;
  const auto line = [&](const UncertaintyComponent& c) {
    const QString notEvaluated = QString::fromLatin1(kNotEvaluatedText);
    SetRow(
        *budget_, row++,
        {QtText(c.name), c.evaluated ? QString::number(c.standardUncertainty, 'f', 3) : notEvaluated,
         c.evaluated ? QString::number(100.0 * budget.Relative(c.standardUncertainty), 'f', 3) : QString()});
    budget_->item(row - 1, 0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  };
  for (const UncertaintyComponent& c : budget.components) line(c);
  line({"combined (k = 1)", budget.combined});
  line({"expanded (k = 2)", budget.expanded});
  FitColumns(*budget_);
  // Every line of the budget in view: the pane scrolls, not the budget.
  budget_->setMinimumHeight(budget_->horizontalHeader()->sizeHint().height() +
                            budget_->verticalHeader()->length() + 2 * budget_->frameWidth());
}

void AnalysisView::ShowPlot(const MeasurementAnalysis& a) {
  std::vector<AnalysisPlot::Point> points;
  for (const RunAnalysis& r : a.Main().runs) {
    if (r.used) points.push_back({r.run, r.activityD, r.activityDUncertainty, r.flagged});
  }
  plot_->SetData(std::move(points), a.activity, a.budget.combined);
}

}  // namespace korva
