#include "acquisition/acquisition_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>
#include <thread>

#include "acquisition/acquisition_gating.h"
#include "acquisition/acquisition_run.h"
#include "acquisition/acquisition_settings.h"
#include "forms/form_widgets.h"
#include "forms/numeric_edit.h"
#include "qtadapters/qt_text.h"
#include "spectrum/acquisition_start_stamp.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

namespace {

const FormColours kAcquisitionColours{QColor(235, 240, 252), QColor(20, 40, 120)};

constexpr int kTimeWidth = 10;   // "%10.2f"
constexpr int kStampWidth = 20;  // "DD/MM/YYYY  HH:MM:SS"
constexpr int kMicrosecondWidth = 8;

constexpr std::array<const char*, 5> kDelayCaptions = {"delay", "MCA STO delay", "TDCR S1 delay",
                                                       "TDCR S2 delay", "Window width"};
constexpr std::array<int, 5> kDelayMaxima = {kMaxCoincidenceDelay, kMaxStrobeDelay, kMaxTdcrDelay,
                                             kMaxTdcrDelay, kMaxWindowWidth};

}  // namespace

CAcquisitionView::CAcquisitionView(const AcquisitionViewLinks& links, QWidget* parent)
    : QScrollArea(parent),
      links_(links),
      settings_(std::make_unique<AcquisitionSettings>()),
      readout_(std::make_unique<AcquisitionReadout>()) {
  setObjectName(QStringLiteral("AcquisitionView"));
  LayOut(NewScrolledForm(*this, kAcquisitionColours));
  ShowSettings();
  startLabel_->setText(QStringLiteral("START TIME: SYSTEM"));
  for (QLineEdit* time : {real_, live_}) ShowText(*time, RunTimeText(0.0));
  ShowText(*dead_, DeadPercentText(0.0));
  ConnectControls();
}

CAcquisitionView::~CAcquisitionView() = default;

// One narrow column, so the form fits beside the TDCR panes: the run
// controls, the run's readings, then the gating.
void CAcquisitionView::LayOut(QWidget* form) {
  auto* layout = new QVBoxLayout(form);
  layout->addWidget(BuildRun(form));
  layout->addWidget(BuildTimes(form));
  layout->addWidget(BuildGating(form));
  layout->addStretch();
}

QPushButton* CAcquisitionView::AddButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(caption);
  return button;
}

QWidget* CAcquisitionView::BuildRun(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("MCA"), form);
  auto* buttons = new QHBoxLayout;
  reset_ = AddButton(QStringLiteral("MCA-RESET"), group.box);
  start_ = AddButton(QStringLiteral("MCA-START"), group.box);
  stop_ = AddButton(QStringLiteral("MCA-STOP"), group.box);
  for (QPushButton* button : {reset_, start_, stop_}) buttons->addWidget(button);
  group.grid->addLayout(buttons, 0, 0, 1, 2);

  autoUpdate_ = new QCheckBox(QStringLiteral("AUTO UPDATE"), group.box);
  autoUpdate_->setObjectName(QStringLiteral("AUTO UPDATE"));
  autoUpdate_->setChecked(true);
  pulser_ = new QCheckBox(QStringLiteral("DIGITAL PULSER"), group.box);
  pulser_->setObjectName(QStringLiteral("DIGITAL PULSER"));
  group.grid->addWidget(autoUpdate_, 1, 0);
  group.grid->addWidget(pulser_, 1, 1);

  stopTimer_ = NewList(QStringLiteral("Stop Timer"), ListEntries(kStopTimerListTexts), group.box);
  AddField(*group.grid, 2, 0, QStringLiteral("Stop Timer"), stopTimer_);
  preset_ = new NumericEdit(NumericEdit::Arrows::kNone, QStringLiteral("Preset Time [s]"), group.box);
  AddField(*group.grid, 3, 0, QStringLiteral("Preset Time [s]"), preset_);

  startLabel_ = new QLabel(group.box);
  startLabel_->setObjectName(QStringLiteral("START TIME"));
  timeStamp_ = AddButton(QStringLiteral("TIME STAMP"), group.box);
  group.grid->addWidget(startLabel_, 4, 0);
  group.grid->addWidget(timeStamp_, 4, 1, Qt::AlignRight);
  startStamp_ = NewReadingBox(QStringLiteral("START STAMP"), kStampWidth, group.box);
  group.grid->addWidget(startStamp_, 5, 0, 1, 2);
  return group.box;
}

QWidget* CAcquisitionView::BuildTimes(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("TIMES"), form);
  real_ = NewReadingBox(QStringLiteral("REAL [s]"), kTimeWidth, group.box);
  live_ = NewReadingBox(QStringLiteral("LIVE [s]"), kTimeWidth, group.box);
  dead_ = NewReadingBox(QStringLiteral("DEAD %"), kTimeWidth, group.box);
  temperature_ = NewReadingBox(QStringLiteral("Internal Temp [C]"), kTimeWidth, group.box);
  slowAdc_ = NewReadingBox(QStringLiteral("Slow ADC Voltage [V]"), kTimeWidth, group.box);
  int row = 0;
  for (QLineEdit* box : {real_, live_, dead_, temperature_, slowAdc_}) {
    AddField(*group.grid, row++, 0, box->objectName(), box);
  }
  return group.box;
}

QWidget* CAcquisitionView::BuildGating(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("COINCIDENCE"), form);
  source_ = NewList(QStringLiteral("Coincidence Source"), ListEntries(kCoincidenceSourceTexts), group.box);
  secondSource_ = NewList(QStringLiteral("Second Source"), ListEntries(kTdcrSecondSourceTexts), group.box);
  window_ = NewList(QStringLiteral("Window"), ListEntries(kWindowTexts), group.box);
  mode_ = NewList(QStringLiteral("Mode"), ListEntries(kModeTexts), group.box);
  AddField(*group.grid, 0, 0, QStringLiteral("Coincidence Source"), source_);
  AddField(*group.grid, 1, 0, QStringLiteral("Source"), secondSource_);
  AddField(*group.grid, 2, 0, QStringLiteral("Window"), window_);
  AddField(*group.grid, 3, 0, QStringLiteral("Mode"), mode_);
  for (int d = 0; d < kDelays; ++d) {
    const auto index = static_cast<std::size_t>(d);
    const QString caption = QString::fromLatin1(kDelayCaptions[index]);
    delays_[index] = new NumericEdit(NumericEdit::Arrows::kSpin, caption, group.box);
    microseconds_[index] = NewReadingBox(caption + QStringLiteral(" [us]"), kMicrosecondWidth, group.box);
    microseconds_[index]->setToolTip(QStringLiteral("microseconds"));
    AddField(*group.grid, 4 + d, 0, caption, delays_[index]);
    group.grid->addWidget(microseconds_[index], 4 + d, 2);
  }
  return group.box;
}

void CAcquisitionView::ConnectControls() {
  connect(start_, &QPushButton::clicked, this, &CAcquisitionView::Start);
  connect(stop_, &QPushButton::clicked, this, &CAcquisitionView::Stop);
  connect(reset_, &QPushButton::clicked, this, &CAcquisitionView::Erase);
  connect(timeStamp_, &QPushButton::clicked, this, [this] { links_.chooseReference(); });
  connect(autoUpdate_, &QCheckBox::clicked, this,
          [this](bool ticked) { ClickAutoUpdate(links_.engine, ticked); });
  connect(pulser_, &QCheckBox::toggled, this, [this](bool on) {
    settings_->digitalPulser = on;
    Apply();
  });
  connect(preset_, &NumericEdit::Typed, this, &CAcquisitionView::TypePreset);
  const auto list = [this](QComboBox* box, int AcquisitionSettings::*field) {
    connect(box, &QComboBox::currentIndexChanged, this, [this, field](int index) {
      (*settings_).*field = index < 0 ? 0 : index;
      Apply();
    });
  };
  list(stopTimer_, &AcquisitionSettings::stopTimer);
  list(secondSource_, &AcquisitionSettings::secondSource);
  list(window_, &AcquisitionSettings::window);
  list(mode_, &AcquisitionSettings::mode);
  connect(source_, &QComboBox::currentIndexChanged, this, [this](int index) {
    settings_->coincidenceSource = index < 0 ? 0 : index;
    FillSecondSources();
    Apply();
    if (const SetupLinks& setup = links_.spectra.setupLinks; setup.traceLegendRefresh)
      setup.traceLegendRefresh();
  });
  for (int d = 0; d < kDelays; ++d) ConnectDelay(static_cast<Delay>(d));
}

void CAcquisitionView::ConnectDelay(Delay delay) {
  NumericEdit* edit = delays_[static_cast<std::size_t>(delay)];
  connect(edit, &NumericEdit::Typed, this, [this, delay](const QString& text) { TypeDelay(delay, text); });
  connect(edit, &NumericEdit::Stepped, this, [this, delay](int step) { StepDelay(delay, step); });
  connect(edit, &NumericEdit::Finished, this, [this, delay] { FinishDelay(delay); });
}

int& CAcquisitionView::DelayTicks(Delay delay) {
  switch (delay) {
    case kDelay:
      return settings_->delay;
    case kStrobe:
      return settings_->strobeDelay;
    case kTdcr1:
      return settings_->tdcrDelay[0];
    case kTdcr2:
      return settings_->tdcrDelay[1];
    case kWidth:
    case kDelays:
      break;
  }
  return settings_->windowWidth;
}

// The TDCR measurement's dead-time extension of the same signal bounds the
// TDCR delays.
int CAcquisitionView::TdcrExtension(Delay delay) const {
  return TdcrDelayExtension(links_.engine.Image().registers, delay == kTdcr2 ? 1 : 0);
}

// Delay, MCA STO delay and window width are clamped as they are typed; a
// TDCR delay below 80 waits for the edit to be left.
void CAcquisitionView::TypeDelay(Delay delay, const QString& text) {
  if (!initialised_ || refreshing_) return;
  const std::optional<int> ticks = WholeNumber(text);
  if (!ticks) return;
  if (delay == kTdcr1 || delay == kTdcr2) {
    const std::optional<int> typed = TypedTdcrDelay(*ticks, TdcrExtension(delay));
    if (typed) SetDelay(delay, *typed);
    return;
  }
  SetDelay(delay, ClampTicks(*ticks, kDelayMaxima[static_cast<std::size_t>(delay)]));
}

void CAcquisitionView::StepDelay(Delay delay, int step) {
  if (!initialised_ || refreshing_) return;
  const int ticks = DelayTicks(delay) + step;
  if (delay == kTdcr1 || delay == kTdcr2) {
    SetDelay(delay, FinishedTdcrDelay(ticks, TdcrExtension(delay)));
  } else {
    SetDelay(delay, ClampTicks(ticks, kDelayMaxima[static_cast<std::size_t>(delay)]));
  }
}

void CAcquisitionView::FinishDelay(Delay delay) {
  if (!initialised_ || refreshing_) return;
  const std::size_t index = static_cast<std::size_t>(delay);
  if (delay == kTdcr1 || delay == kTdcr2) {
    const int ticks = WholeNumber(delays_[index]->text()).value_or(DelayTicks(delay));
    SetDelay(delay, FinishedTdcrDelay(ticks, TdcrExtension(delay)));
  }
  delays_[index]->ShowText(QString::number(DelayTicks(delay)));
}

void CAcquisitionView::SetDelay(Delay delay, int ticks) {
  const std::size_t index = static_cast<std::size_t>(delay);
  DelayTicks(delay) = ticks;
  delays_[index]->ShowText(QString::number(ticks));
  ShowText(*microseconds_[index], MicrosecondText(ticks));
  Apply();
}

void CAcquisitionView::TypePreset(const QString& text) {
  if (!initialised_ || refreshing_) return;
  const std::optional<int> seconds = WholeNumber(text);
  if (!seconds) return;
  settings_->presetSeconds = std::clamp(*seconds, 0, kMaxAcquisitionPresetSeconds);
  if (settings_->presetSeconds != *seconds) preset_->ShowText(QString::number(settings_->presetSeconds));
  Apply();
}

// Settings reach only the buffer spectrum, and only once the form shows
// what the registers hold.
void CAcquisitionView::Apply() {
  if (!initialised_ || refreshing_ || !links_.spectra.BufferActive()) return;
  ApplyAcquisitionSettings(links_.engine, *settings_);
}

AcquisitionRunContext CAcquisitionView::RunContext() {
  return {links_.engine, links_.reference, links_.log, links_.chooseReference,
          [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); }};
}

void CAcquisitionView::ShowStartTexts(const StartTexts& texts) {
  startLabel_->setText(QtText(texts.label));
  ShowText(*startStamp_, texts.stamp);
  values_.startTimeLabel = texts.label;
  values_.startDateTime = texts.stamp;
}

void CAcquisitionView::Start() {
  AcquisitionRunContext context = RunContext();
  if (const std::optional<StartTexts> started = StartAcquisition(context)) ShowStartTexts(*started);
}

void CAcquisitionView::Stop() {
  AcquisitionRunContext context = RunContext();
  StopAcquisition(context);
}

void CAcquisitionView::Erase() {
  AcquisitionRunContext context = RunContext();
  if (const std::optional<StartTexts> restarted = EraseAcquisition(context, *settings_)) {
    ShowStartTexts(*restarted);
  }
}

void CAcquisitionView::UpdateAcquisitionFromRegisters() {
  const CSpectrum& spectrum = *links_.spectra.active;
  const RegisterImage& registers = spectrum.image.registers;
  refreshing_ = true;
  *settings_ = ReadAcquisitionSettings(registers);
  ShowSettings();
  *readout_ = ReadAcquisition(spectrum);
  const AcquisitionReadout& readout = *readout_;
  ShowText(*real_, readout.realTime);
  ShowText(*live_, readout.liveTime);
  ShowText(*dead_, readout.deadPercent);
  ShowText(*temperature_, readout.temperature);
  ShowText(*slowAdc_, readout.slowAdc);
  startLabel_->setText(QtText(readout.startLabel));
  ShowText(*startStamp_, readout.startStamp);
  for (std::size_t i = 0; i < microseconds_.size(); ++i) ShowText(*microseconds_[i], readout.microseconds[i]);
  values_ = {readout.times.realSeconds, readout.times.liveSeconds, readout.times.deadPercent,
             readout.startStamp, readout.startLabel};
  setEnabled(links_.spectra.BufferActive());
  initialised_ = true;
  refreshing_ = false;
  emit Decoded();
}

// An edit the user is typing in keeps its text.
void CAcquisitionView::ShowSettings() {
  const QSignalBlocker blockPulser(pulser_);
  pulser_->setChecked(settings_->digitalPulser);
  ShowSelection(*stopTimer_, settings_->stopTimer);
  if (!preset_->hasFocus()) preset_->ShowText(QString::number(settings_->presetSeconds));
  ShowSelection(*source_, settings_->coincidenceSource);
  FillSecondSources();
  ShowSelection(*window_, settings_->window);
  ShowSelection(*mode_, settings_->mode);
  for (int d = 0; d < kDelays; ++d) {
    const auto delay = static_cast<Delay>(d);
    NumericEdit* edit = delays_[static_cast<std::size_t>(d)];
    if (!edit->hasFocus()) edit->ShowText(QString::number(DelayTicks(delay)));
    ShowText(*microseconds_[static_cast<std::size_t>(d)], MicrosecondText(DelayTicks(delay)));
  }
}

// The second source list names what the chosen coincidence source offers;
// both lists have four entries, so the selection stays.
void CAcquisitionView::FillSecondSources() {
  const QStringList entries = ListEntries(SecondSourceTexts(settings_->coincidenceSource));
  const QSignalBlocker blocker(secondSource_);
  for (int i = 0; i < entries.size(); ++i) secondSource_->setItemText(i, entries[i]);
  const int selection = settings_->secondSource < entries.size() ? settings_->secondSource : 0;
  secondSource_->setCurrentIndex(selection);
}

void CAcquisitionView::OnConnected() {
  autoUpdate_->setChecked(true);
  initialised_ = false;
}

void CAcquisitionView::ShowAutoUpdate(bool on) {
  const QSignalBlocker blocker(autoUpdate_);
  autoUpdate_->setChecked(on);
}

void CAcquisitionView::OnDisconnected() {
  autoUpdate_->setChecked(false);
  links_.engine.SetSpectrumPolling(false);
}

CDocableAcquisitionPane::CDocableAcquisitionPane(const AcquisitionViewLinks& links, QWidget* parent)
    : DockPane(
          QStringLiteral("ACQUISITION"), QStringLiteral("AcquisitionPane"),
          [links](QWidget* pane) { return new CAcquisitionView(links, pane); },
          QStringLiteral("Failed in creating CAcquisitionView"), parent) {}

CAcquisitionView* CDocableAcquisitionPane::AcquisitionView() const {
  return qobject_cast<CAcquisitionView*>(View());
}

}  // namespace korva
