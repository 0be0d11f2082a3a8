#include "tdcr/tdcr_view.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <utility>

#include "forms/form_widgets.h"
#include "forms/numeric_edit.h"
#include "qtadapters/qt_text.h"
#include "tdcr/view_run_list.h"

namespace korva {

namespace {

const FormColours kTdcrColours{QColor(220, 250, 240), QColor(120, 20, 40)};

// Widths of the read-only boxes, in characters.
constexpr int kStateWidth = 24;  // status and start time texts
constexpr int kRunsWidth = 4;

// Captions exactly as the form shows them, blanks included, in the order of
// TdcrRates::Combination, TdcrRates::Kind and TdcrRates::Ratio.
constexpr std::array<const char*, TdcrRates::kCombinations> kRateTitles = {
    "RATE N-EXT1 [cps]", "RATE  M-EXT1 [cps]", "RATE  N-EXT2 [cps]", "RATE  M-EXT2 [cps]"};
constexpr std::array<const char*, TdcrRates::kCombinations> kRatioTitles = {"RATIO N-EXT1", "RATIO M-EXT1",
                                                                            "RATIO  N-EXT2", "RATIO M-EXT2"};
constexpr std::array<const char*, TdcrRates::kKinds> kRateCaptions = {"AB", "BC", "AC", "T", "D"};
constexpr std::array<const char*, TdcrRates::kRatios> kRatioCaptions = {"T/AB", "T/BC", "T/AC", "T/D"};
constexpr std::array<const char*, 3> kInputNames = {"A", "B", "C"};
constexpr std::array<const char*, 2> kWindowNames = {"N", "M"};
// The RECORD edits and the texts they hold.
constexpr std::array<const char*, 4> kRecordCaptions = {"NUCLIDES", "LS COCTAIL", "PMT HV", "OPERATOR"};
constexpr std::array<std::string TdcrRecordTexts::*, 4> kRecordFields = {
    &TdcrRecordTexts::nuclides, &TdcrRecordTexts::cocktail, &TdcrRecordTexts::highVoltage,
    &TdcrRecordTexts::operatorName};

std::size_t IndexOf(TdcrEdit edit) { return static_cast<std::size_t>(edit); }
TdcrEdit EditAt(std::size_t index) { return static_cast<TdcrEdit>(index); }
bool HasSpin(TdcrEdit edit) { return edit <= TdcrEdit::kExtension2; }

QStringList WindowEntries() {
  QStringList entries;
  for (int index = 0; index < static_cast<int>(kCoincidenceWindowsNs.size()); ++index) {
    entries << QString::fromStdString(WindowText(index));
  }
  return entries;
}

}  // namespace

CTDCRView::CTDCRView(TdcrMeasurement& measurement, QWidget* parent)
    : QScrollArea(parent), measurement_(measurement) {
  setObjectName(QStringLiteral("TdcrView"));
  LayOut(NewScrolledForm(*this, kTdcrColours));
  Redraw();
  ConnectControls();
}

// The RECORD texts across the top; MEASUREMENT and LIVE TIMERS beside the
// RATE and RATIO groups; the settings below them (COINCIDENCE under PRESET
// TIME, so the row is no wider than the readings above it).
void CTDCRView::LayOut(QWidget* form) {
  auto* readings = new QGridLayout;
  for (std::size_t c = 0; c < TdcrRates::kCombinations; ++c) {
    const auto combination = static_cast<TdcrRates::Combination>(c);
    readings->addWidget(BuildRates(form, combination), 0, static_cast<int>(c));
    readings->addWidget(BuildRatios(form, combination), 1, static_cast<int>(c));
  }
  auto* state = new QVBoxLayout;
  state->addWidget(BuildMeasurement(form));
  state->addWidget(BuildLiveTimers(form));
  state->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(state);
  top->addLayout(readings);
  top->addStretch();

  auto* timing = new QVBoxLayout;
  timing->addWidget(BuildPresetTime(form));
  timing->addWidget(BuildCoincidence(form));
  timing->addStretch();
  auto* settings = new QHBoxLayout;
  settings->addLayout(timing);
  settings->addWidget(BuildDeadTime(form), 0, Qt::AlignTop);
  settings->addWidget(BuildDiscriminators(form), 0, Qt::AlignTop);
  settings->addStretch();

  // RECORD goes first: what it holds is saved and archived with the
  // measurement, so it must be in view before START whatever the pane's height.
  auto* layout = new QVBoxLayout(form);
  layout->addWidget(BuildRecord(form));
  layout->addLayout(top);
  layout->addLayout(settings);
  layout->addStretch();
}

QGroupBox* CTDCRView::BuildMeasurement(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("MEASUREMENT"), form);
  AddReading(group, 0, 0, QStringLiteral("STATUS"), QStringLiteral("STATUS"), kStateWidth,
             [](const TdcrFormState& state) { return state.status; });
  startReference_ = new QLabel(group.box);
  startReference_->setObjectName(QStringLiteral("START TIME"));
  timeStamp_ = AddButton(QStringLiteral("TIME STAMP"), group.box);
  group.grid->addWidget(startReference_, 1, 0);
  group.grid->addWidget(timeStamp_, 1, 1, Qt::AlignRight);
  AddReading(group, 2, 0, QStringLiteral("DD/MM/YYYY  HH:MM:SS.MS"),
             QStringLiteral("DD/MM/YYYY  HH:MM:SS.MS"), kStateWidth,
             [](const TdcrFormState& state) { return state.startTime; });

  auto* buttons = new QHBoxLayout;
  reset_ = AddButton(QStringLiteral("RESET"), group.box);
  start_ = AddButton(QStringLiteral("START"), group.box);
  stop_ = AddButton(QStringLiteral("STOP"), group.box);
  save_ = AddButton(QStringLiteral("SAVE"), group.box);
  for (QPushButton* button : {reset_, start_, stop_, save_}) buttons->addWidget(button);
  group.grid->addLayout(buttons, 3, 0, 1, 2);

  AddReading(group, 4, 0, QStringLiteral("TOTAL REAL TIME [s]"), QStringLiteral("TOTAL REAL TIME [s]"),
             kDecimalReadingWidth, [](const TdcrFormState& state) { return state.totalRealTime; });
  AddReading(group, 5, 0, QStringLiteral("RUN REAL TIME [s]"), QStringLiteral("RUN REAL TIME [s]"),
             kDecimalReadingWidth, [](const TdcrFormState& state) { return state.readings.realTime; });
  AddReading(group, 6, 0, QStringLiteral("COMPLETED RUNS"), QStringLiteral("COMPLETED RUNS"), kRunsWidth,
             [](const TdcrFormState& state) { return std::to_string(state.completedRuns); });
  viewRun_ = NewList(QStringLiteral("VIEW RUN"), ViewRunEntries(), group.box);
  AddField(*group.grid, 7, 0, QStringLiteral("VIEW RUN"), viewRun_);
  return group.box;
}

QGroupBox* CTDCRView::BuildRates(QWidget* form, TdcrRates::Combination combination) {
  const QString title = QtText(kRateTitles[combination]);
  const FormGroup group = NewGroup(title, form);
  for (std::size_t kind = 0; kind < TdcrRates::kKinds; ++kind) {
    const QString caption = QtText(kRateCaptions[kind]);
    AddReading(
        group, static_cast<int>(kind), 0, caption, title + '/' + caption, kDecimalReadingWidth,
        [combination, kind](const TdcrFormState& state) { return state.readings.rates[combination][kind]; });
  }
  return group.box;
}

QGroupBox* CTDCRView::BuildRatios(QWidget* form, TdcrRates::Combination combination) {
  const QString title = QtText(kRatioTitles[combination]);
  const FormGroup group = NewGroup(title, form);
  for (std::size_t ratio = 0; ratio < TdcrRates::kRatios; ++ratio) {
    const QString caption = QtText(kRatioCaptions[ratio]);
    AddReading(group, static_cast<int>(ratio), 0, caption, title + '/' + caption, kDecimalReadingWidth,
               [combination, ratio](const TdcrFormState& state) {
                 return state.readings.ratios[combination][ratio];
               });
  }
  return group.box;
}

// LIVE AB1, BC1, AC1, T1 down the left, those of extension 2 beside them.
QGroupBox* CTDCRView::BuildLiveTimers(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("LIVE TIMERS"), form);
  for (std::size_t extension = 0; extension < TdcrRates::kExtensions; ++extension) {
    for (std::size_t kind = 0; kind < TdcrRates::kLiveTimeKinds; ++kind) {
      const QString caption =
          QStringLiteral("LIVE %1%2 [s]").arg(QtText(kRateCaptions[kind])).arg(extension + 1);
      AddReading(group, static_cast<int>(kind), static_cast<int>(extension), caption, caption,
                 kDecimalReadingWidth, [extension, kind](const TdcrFormState& state) {
                   return state.readings.liveTimes[extension][kind];
                 });
    }
  }
  return group.box;
}

QGroupBox* CTDCRView::BuildPresetTime(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("PRESET TIME"), form);
  sequentialRuns_ = NewList(QStringLiteral("SEQUENTIAL RUNS"), NumberEntries(kRunCount), group.box);
  AddField(*group.grid, 0, 0, QStringLiteral("SEQUENTIAL RUNS"), sequentialRuns_);
  AddEdit(group, 1, 0, TdcrEdit::kTimePerRun, QStringLiteral("TIME PER RUN [s]"));
  AddEdit(group, 2, 0, TdcrEdit::kGapTime, QStringLiteral("GAP TIME [s]"));
  stopTimer_ = NewList(QStringLiteral("STOP TIMER"), ListEntries(kStopTimerTexts), group.box);
  AddField(*group.grid, 3, 0, QStringLiteral("STOP TIMER"), stopTimer_);
  return group.box;
}

QGroupBox* CTDCRView::BuildCoincidence(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("COINCIDENCE"), form);
  for (std::size_t window = 0; window < windows_.size(); ++window) {
    const QString caption = QStringLiteral("WINDOW %1 [ns]").arg(QtText(kWindowNames[window]));
    windows_[window] = NewList(caption, WindowEntries(), group.box);
    AddField(*group.grid, static_cast<int>(window), 0, caption, windows_[window]);
  }
  return group.box;
}

// Each extension: its IDT/CDT pair, then its spin edit.
QGroupBox* CTDCRView::BuildDeadTime(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("DEAD TIME"), form);
  for (std::size_t extension = 0; extension < modes_.size(); ++extension) {
    const QString mode = QStringLiteral("MODE EXTENSION %1").arg(extension + 1);
    auto* pair = new QWidget(group.box);
    auto* pairLayout = new QHBoxLayout(pair);
    pairLayout->setContentsMargins(0, 0, 0, 0);
    modes_[extension] = new QButtonGroup(pair);
    for (const int cdt : {0, 1}) {
      const QString name = QtText(cdt == 0 ? "IDT" : "CDT");
      auto* button = new QRadioButton(name, pair);
      button->setObjectName(mode + '/' + name);
      modes_[extension]->addButton(button, cdt);
      pairLayout->addWidget(button);
    }
    const int row = 2 * static_cast<int>(extension);
    AddField(*group.grid, row, 0, mode, pair);
    AddEdit(group, row + 1, 0, static_cast<TdcrEdit>(IndexOf(TdcrEdit::kExtension1) + extension),
            QStringLiteral("EXTENSION %1 [us]").arg(extension + 1));
  }
  return group.box;
}

QGroupBox* CTDCRView::BuildDiscriminators(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("DISCRIMINATORS"), form);
  for (std::size_t input = 0; input < polarities_.size(); ++input) {
    const QString name = QtText(kInputNames[input]);
    const QString polarity = QStringLiteral("POLARITY INPUT ") + name;
    polarities_[input] =
        NewList(polarity, {QStringLiteral("NEGATIVE"), QStringLiteral("POSITIVE")}, group.box);
    AddField(*group.grid, static_cast<int>(input), 0, polarity, polarities_[input]);
    AddEdit(group, static_cast<int>(input), 1, static_cast<TdcrEdit>(IndexOf(TdcrEdit::kThresholdA) + input),
            QStringLiteral("THRESHOLD %1 [mV]").arg(name));
  }
  return group.box;
}

QGroupBox* CTDCRView::BuildRecord(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("RECORD"), form);
  for (std::size_t field = 0; field < record_.size(); ++field) {
    const QString caption = QtText(kRecordCaptions[field]);
    record_[field] = new QLineEdit(group.box);
    record_[field]->setObjectName(caption);
    AddField(*group.grid, 0, static_cast<int>(field), caption, record_[field]);
    group.grid->setColumnStretch(2 * static_cast<int>(field) + 1, 1);
  }
  return group.box;
}

void CTDCRView::AddReading(const FormGroup& group, int row, int pair, const QString& caption,
                           const QString& name, int characters,
                           std::function<std::string(const TdcrFormState&)> text) {
  QLineEdit* box = NewReadingBox(name, characters, group.box);
  AddField(*group.grid, row, pair, caption, box);
  readings_.push_back({box, std::move(text)});
}

void CTDCRView::AddEdit(const FormGroup& group, int row, int pair, TdcrEdit edit, const QString& caption) {
  auto* widget = new NumericEdit(HasSpin(edit) ? NumericEdit::Arrows::kSpin : NumericEdit::Arrows::kNone,
                                 caption, group.box);
  edits_[IndexOf(edit)] = widget;
  AddField(*group.grid, row, pair, caption, widget);
}

QPushButton* CTDCRView::AddButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(caption);
  button->setAutoDefault(false);
  return button;
}

void CTDCRView::Redraw() {
  const TdcrFormState& state = measurement_.Form();
  ShowReadings(state);
  ShowSelections(state);
  for (std::size_t edit = 0; edit < edits_.size(); ++edit) {
    edits_[edit]->ShowText(QString::fromStdString(state.edits[edit]));
  }
  for (const TdcrEdit threshold : {TdcrEdit::kThresholdA, TdcrEdit::kThresholdB, TdcrEdit::kThresholdC}) {
    edits_[IndexOf(threshold)]->setEnabled(state.thresholdsEnabled);
  }
  for (std::size_t field = 0; field < record_.size(); ++field) {
    ShowText(*record_[field], state.record.*kRecordFields[field]);
  }
}

void CTDCRView::ShowReadings(const TdcrFormState& state) {
  for (const Reading& reading : readings_) ShowText(*reading.box, reading.text(state));
  startReference_->setText(QString::fromStdString(state.startReferenceLabel));
  reset_->setEnabled(state.buttons.reset);
  start_->setEnabled(state.buttons.start);
  stop_->setEnabled(state.buttons.stop);
  save_->setEnabled(state.buttons.save);
}

void CTDCRView::ShowSelections(const TdcrFormState& state) {
  ShowViewRun(*viewRun_, std::max(state.measuredRuns, measurement_.ViewRun()), measurement_.ViewRun());
  ShowSelection(*sequentialRuns_, state.sequentialRuns);
  ShowSelection(*stopTimer_, state.stopTimer);
  for (std::size_t window = 0; window < windows_.size(); ++window) {
    ShowSelection(*windows_[window], state.windows[window]);
  }
  for (std::size_t input = 0; input < polarities_.size(); ++input) {
    ShowSelection(*polarities_[input], state.positive[input] ? 1 : 0);
  }
  for (std::size_t extension = 0; extension < modes_.size(); ++extension) {
    const QSignalBlocker blocker(modes_[extension]);
    modes_[extension]->button(state.cdt[extension] ? 1 : 0)->setChecked(true);
  }
}

void CTDCRView::Act(const std::function<void()>& action) {
  action();
  Redraw();
}

void CTDCRView::ConnectControls() {
  ConnectButtons();
  ConnectLists();
  for (std::size_t edit = 0; edit < edits_.size(); ++edit) ConnectEdit(EditAt(edit));
  for (QLineEdit* field : record_) {
    connect(field, &QLineEdit::textEdited, this, &CTDCRView::TakeRecordTexts);
  }
}

void CTDCRView::ConnectButtons() {
  using Command = void (TdcrMeasurement::*)();
  const std::array<std::pair<QPushButton*, Command>, 5> commands = {{
      {start_, &TdcrMeasurement::StartMeasurement},
      {stop_, &TdcrMeasurement::StopMeasurement},
      {reset_, &TdcrMeasurement::ResetMeasurement},
      {save_, &TdcrMeasurement::SaveMeasurement},
      {timeStamp_, &TdcrMeasurement::ChooseTimeReference},
  }};
  for (const auto& [button, command] : commands) {
    connect(button, &QPushButton::clicked, this,
            [this, command = command] { Act([this, command] { (measurement_.*command)(); }); });
  }
}

void CTDCRView::ConnectLists() {
  TdcrMeasurement& m = measurement_;
  const auto onSelect = [this](QComboBox* list, const std::function<void(int)>& select) {
    connect(list, &QComboBox::currentIndexChanged, this,
            [this, select](int index) { Act([&select, index] { select(index); }); });
  };
  onSelect(viewRun_, [&m](int index) { m.SelectViewRun(index); });
  onSelect(sequentialRuns_, [&m](int index) { m.SelectSequentialRuns(index); });
  onSelect(stopTimer_, [&m](int index) { m.SelectStopTimer(index); });
  for (const auto window : {CoincidenceWindow::kN, CoincidenceWindow::kM}) {
    onSelect(windows_[window == CoincidenceWindow::kN ? 0 : 1],
             [&m, window](int index) { m.SelectWindow(window, index); });
  }
  for (std::size_t input = 0; input < polarities_.size(); ++input) {
    onSelect(polarities_[input], [&m, input](int index) { m.SelectPolarity(input, index == 1); });
  }
  for (std::size_t extension = 0; extension < modes_.size(); ++extension) {
    connect(modes_[extension], &QButtonGroup::idClicked, this, [this, &m, extension](int cdt) {
      Act([&m, extension, cdt] { m.SelectDeadTimeMode(extension, cdt == 1); });
    });
  }
}

void CTDCRView::ConnectEdit(TdcrEdit edit) {
  NumericEdit* widget = edits_[IndexOf(edit)];
  TdcrMeasurement& m = measurement_;
  connect(widget, &NumericEdit::Typed, this, [this, &m, edit](const QString& text) {
    Act([&m, edit, &text] { m.EnterText(edit, text.toStdString()); });
  });
  connect(widget, &NumericEdit::Finished, this,
          [this, &m, edit] { Act([&m, edit] { m.FinishEdit(edit); }); });
  connect(widget, &NumericEdit::FocusChanged, this, [&m, edit](bool focused) {
    m.SetFocusedEdit(focused ? std::optional<TdcrEdit>(edit) : std::nullopt);
  });
  connect(widget, &NumericEdit::Stepped, this,
          [this, edit](int step) { Act([this, edit, step] { measurement_.StepEdit(edit, step); }); });
}

void CTDCRView::TakeRecordTexts() {
  TdcrRecordTexts texts;
  for (std::size_t field = 0; field < record_.size(); ++field) {
    texts.*kRecordFields[field] = record_[field]->text().toStdString();
  }
  measurement_.SetRecordTexts(std::move(texts));
}

}  // namespace korva
