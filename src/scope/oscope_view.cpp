#include "scope/oscope_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include "devicelink/command_engine.h"
#include "qtadapters/qt_text.h"

namespace korva {

namespace {

constexpr int kInputs = 4;
constexpr int kMaxRoiChannel = 4095;

QPushButton* SmallButton(const QString& caption, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setFixedWidth(28);
  button->setAutoDefault(false);
  return button;
}

QLineEdit* ReadOnlyField(const QString& name, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setReadOnly(true);
  field->setAlignment(Qt::AlignCenter);
  field->setFixedWidth(80);
  return field;
}

QString CaptionText(RunCaption caption) {
  switch (caption) {
    case RunCaption::kStop:
      return QStringLiteral("STOP");
    case RunCaption::kAcq:
      return QStringLiteral("ACQ");
    case RunCaption::kRun:
      break;
  }
  return QStringLiteral("RUN");
}

}  // namespace

COscopeView::COscopeView(const OscopeViewLinks& links, QWidget* parent)
    : QScrollArea(parent),
      links_(links),
      cycle_(links.engine, {[this] { Redraw(); }, [this] { ShowRun(); }, [this] { ShowRoiSca(); }}) {
  form_ = new QWidget(this);
  plot_ = new TracePlot(form_);
  position_ = new QSlider(Qt::Horizontal, form_);
  position_->setObjectName(QStringLiteral("TRIGGER POSITION"));
  position_->setRange(0, 255);
  position_->setTickInterval(16);
  position_->setTickPosition(QSlider::TicksBelow);
  position_->setValue(cycle_.Controls().sliderPosition);

  auto* left = new QVBoxLayout;
  left->addWidget(BuildTimeBase());
  left->addWidget(BuildVertical());
  left->addWidget(BuildInput());
  left->addWidget(BuildRun());
  left->addStretch(1);
  auto* centre = new QVBoxLayout;
  centre->addWidget(plot_, 1);
  centre->addWidget(position_, 0, Qt::AlignHCenter);
  auto* layout = new QHBoxLayout(form_);
  layout->addLayout(left);
  layout->addLayout(centre, 1);
  layout->addWidget(BuildTrigger());

  setWidget(form_);
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  ConnectControls();
  ShowRun();
  RefreshLegend();
  Redraw();
  links_.engine.SetTraceViewer(&cycle_);
}

COscopeView::~COscopeView() { links_.engine.SetTraceViewer(nullptr); }

QWidget* COscopeView::BuildTimeBase() {
  auto* box = new QGroupBox(QStringLiteral("TIME BASE"), form_);
  auto* row = new QHBoxLayout(box);
  timeBase_ = ReadOnlyField(QStringLiteral("TIME BASE"), box);
  timeBase_->setText(QtText(TimeBaseCaption(cycle_.Controls().timeBaseIndex)));
  row->addWidget(SmallButton(QStringLiteral("-"), QStringLiteral("TIME BASE -"), box));
  row->addWidget(timeBase_);
  row->addWidget(SmallButton(QStringLiteral("+"), QStringLiteral("TIME BASE +"), box));
  return box;
}

QWidget* COscopeView::BuildVertical() {
  auto* box = new QGroupBox(QStringLiteral("VERTICAL"), form_);
  auto* grid = new QGridLayout(box);
  vertical_ = ReadOnlyField(QStringLiteral("VERTICAL"), box);
  vertical_->setText(QtText(VerticalScaleCaption(verticalIndex_)));
  grid->addWidget(SmallButton(QStringLiteral("-"), QStringLiteral("VERTICAL -"), box), 0, 0);
  grid->addWidget(vertical_, 0, 1);
  grid->addWidget(SmallButton(QStringLiteral("+"), QStringLiteral("VERTICAL +"), box), 0, 2);
  offsetSlider_ = new QSlider(Qt::Horizontal, box);
  offsetSlider_->setObjectName(QStringLiteral("OFFSET"));
  offsetSlider_->setRange(kOffsetSliderLow, kOffsetSliderHigh);
  offsetSlider_->setTickInterval(32);
  offsetSlider_->setTickPosition(QSlider::TicksBelow);
  grid->addWidget(new QLabel(QStringLiteral("OFFSET"), box), 1, 0, 1, 3);
  grid->addWidget(offsetSlider_, 2, 0, 1, 3);
  shownOffset_ = new QLabel(QStringLiteral("0"), box);
  shownOffset_->setObjectName(QStringLiteral("SHOWN OFFSET"));
  grid->addWidget(shownOffset_, 3, 1);
  grid->addWidget(SmallButton(QStringLiteral("0"), QStringLiteral("OFFSET 0"), box), 3, 2);
  return box;
}

QWidget* COscopeView::BuildInput() {
  auto* box = new QGroupBox(QStringLiteral("INPUT"), form_);
  auto* grid = new QGridLayout(box);
  inputs_ = new QButtonGroup(box);
  for (int input = 0; input < kInputs; ++input) {
    auto* button = new QRadioButton(QtText(TraceInputName(input)), box);
    button->setObjectName(QtText(TraceInputName(input)));
    inputs_->addButton(button, input);
    grid->addWidget(button, input / 2, input % 2);
  }
  inputs_->button(cycle_.Controls().input)->setChecked(true);
  invert_ = new QCheckBox(QStringLiteral("INVERT"), box);
  invert_->setObjectName(QStringLiteral("INVERT"));
  peak_ = new QCheckBox(QStringLiteral("PEAK"), box);
  peak_->setObjectName(QStringLiteral("PEAK"));
  grid->addWidget(invert_, 2, 0);
  grid->addWidget(peak_, 2, 1);
  return box;
}

QWidget* COscopeView::BuildRun() {
  auto* box = new QGroupBox(QStringLiteral("CAPTURE"), form_);
  auto* grid = new QGridLayout(box);
  mode_ = new QPushButton(QtText(TraceModeName(cycle_.Controls().mode)), box);
  mode_->setObjectName(QStringLiteral("MODE"));
  mode_->setAutoDefault(false);
  run_ = new QPushButton(QStringLiteral("RUN"), box);
  run_->setObjectName(QStringLiteral("RUN"));
  run_->setCheckable(true);
  run_->setAutoDefault(false);
  grid->addWidget(mode_, 0, 0);
  grid->addWidget(run_, 0, 1);
  roiLow_ = new QSpinBox(box);
  roiLow_->setObjectName(QStringLiteral("ROI-SCA LOW"));
  roiHigh_ = new QSpinBox(box);
  roiHigh_->setObjectName(QStringLiteral("ROI-SCA HIGH"));
  for (QSpinBox* field : {roiLow_, roiHigh_}) {
    field->setRange(0, kMaxRoiChannel);
    field->setKeyboardTracking(false);
  }
  grid->addWidget(new QLabel(QStringLiteral("ROI-SCA"), box), 1, 0, 1, 2);
  grid->addWidget(roiLow_, 2, 0);
  grid->addWidget(roiHigh_, 2, 1);
  return box;
}

// The trigger radios double as the legend: each is written in its line's
// colour and stands beside the plot at the height of its line, between its
// low and its high level.
QWidget* COscopeView::BuildTrigger() {
  legend_ = new QWidget(form_);
  legend_->setObjectName(QStringLiteral("TRIGGER"));
  auto* title = new QLabel(QStringLiteral("TRIGGER"), legend_);
  title->setObjectName(QStringLiteral("TRIGGER TITLE"));
  triggers_ = new QButtonGroup(legend_);
  int width = title->sizeHint().width();
  for (int line = 0; line < kTraceLines; ++line) {
    auto* button = new QRadioButton(QtText(TraceLineName(line, false)), legend_);
    button->setObjectName(QtText(TraceLineName(line, false)));
    const QColor colour = plot_->Colours().lineColours[static_cast<std::size_t>(line)];
    button->setStyleSheet(
        QStringLiteral("QRadioButton { color: %1; font-weight: bold; }").arg(colour.darker(150).name()));
    triggers_->addButton(button, line);
    triggerButtons_[static_cast<std::size_t>(line)] = button;
    width = std::max(width, button->sizeHint().width());
  }
  // Room for the longest relabelled names as well.
  legend_->setMinimumWidth(width + QFontMetrics(legend_->font()).horizontalAdvance(QStringLiteral("WW")) + 8);
  legend_->setMinimumHeight(title->sizeHint().height() +
                            kTraceLines * triggerButtons_[0]->sizeHint().height());
  triggers_->button(cycle_.Controls().triggerSource)->setChecked(true);
  return legend_;
}

void COscopeView::PlaceLegend() {
  const int side = plot_->Side();
  const int plotTop = plot_->mapTo(form_, QPoint(0, (plot_->height() - side) / 2)).y();
  const int top = plotTop - legend_->mapTo(form_, QPoint(0, 0)).y();
  const int row = side / 16;
  for (int line = 0; line < kTraceLines; ++line) {
    QRadioButton* button = triggerButtons_[static_cast<std::size_t>(line)];
    button->adjustSize();
    const int level = top + side / 2 + (line + 1) * row - row / 4;
    button->move(0, std::max(0, level - button->height() / 2));
  }
  // The title heads the column, just above the first line's name.
  if (auto* title = legend_->findChild<QLabel*>(QStringLiteral("TRIGGER TITLE"))) {
    title->adjustSize();
    title->move(2, std::max(0, triggerButtons_[0]->y() - title->height() - 6));
  }
}

void COscopeView::ConnectControls() {
  const auto button = [this](const char* name) { return findChild<QPushButton*>(QString::fromLatin1(name)); };
  connect(button("TIME BASE -"), &QPushButton::clicked, this, [this] { StepTimeBase(-1); });
  connect(button("TIME BASE +"), &QPushButton::clicked, this, [this] { StepTimeBase(1); });
  connect(button("VERTICAL -"), &QPushButton::clicked, this, [this] { StepVertical(-1); });
  connect(button("VERTICAL +"), &QPushButton::clicked, this, [this] { StepVertical(1); });
  connect(button("OFFSET 0"), &QPushButton::clicked, this, &COscopeView::ZeroOffset);
  connect(offsetSlider_, &QSlider::valueChanged, this, &COscopeView::MoveOffset);
  // The trigger position slider spans the plot, its ends under the first
  // and the last sample. Both follow the plot after its resize has ended:
  // widening the slider inside the resize lays the pane out again, which
  // resizes the plot again, deeper and deeper until the stack runs out.
  connect(plot_, &TracePlot::SideChanged, this, &COscopeView::PlaceLegend, Qt::QueuedConnection);
  connect(
      plot_, &TracePlot::SideChanged, this,
      [this](int side) {
        position_->setFixedWidth(side + position_->style()->pixelMetric(QStyle::PM_SliderLength));
      },
      Qt::QueuedConnection);
  connect(position_, &QSlider::valueChanged, this, [this](int position) {
    cycle_.SetTriggerPosition(position);
    Redraw();
  });
  connect(inputs_, &QButtonGroup::idClicked, this, [this](int input) {
    cycle_.SelectInput(input);
    Redraw();
  });
  connect(triggers_, &QButtonGroup::idClicked, this, &COscopeView::ClickTrigger);
  connect(invert_, &QCheckBox::clicked, this, [this](bool ticked) { cycle_.SetInvert(ticked); });
  connect(peak_, &QCheckBox::clicked, this, &COscopeView::Redraw);
  connect(mode_, &QPushButton::clicked, this, &COscopeView::ClickMode);
  connect(run_, &QPushButton::clicked, this, &COscopeView::ClickRun);
  connect(roiLow_, &QSpinBox::valueChanged, this, &COscopeView::TypeRoiSca);
  connect(roiHigh_, &QSpinBox::valueChanged, this, &COscopeView::TypeRoiSca);
}

void COscopeView::StepTimeBase(int step) {
  cycle_.SetTimeBase(cycle_.Controls().timeBaseIndex + step);
  RefreshTimeBase();
}

void COscopeView::RefreshTimeBase() {
  timeBase_->setText(QtText(TimeBaseCaption(cycle_.Controls().timeBaseIndex)));
  Redraw();
}

// The offset keeps its value across a change of the vertical step: the
// slider shows it at the new step when it fits, else the base holds it.
void COscopeView::StepVertical(int step) {
  offsetBase_ = offset_;
  verticalIndex_ = std::clamp(verticalIndex_ + step, 0, kVerticalLastIndex);
  vertical_->setText(QtText(VerticalScaleCaption(verticalIndex_)));
  const OffsetPlacement placement = PlaceOffsetSlider(offset_, verticalIndex_);
  offsetBase_ = placement.base;
  {
    const QSignalBlocker blocker(offsetSlider_);
    offsetSlider_->setValue(placement.position);
  }
  Redraw();
}

void COscopeView::MoveOffset(int position) {
  offset_ = OffsetFromSlider(offsetBase_, position, verticalIndex_);
  shownOffset_->setText(QString::number(-offset_));
  Redraw();
}

void COscopeView::ZeroOffset() {
  offset_ = 0;
  offsetBase_ = 0;
  {
    const QSignalBlocker blocker(offsetSlider_);
    offsetSlider_->setValue(0);
  }
  shownOffset_->setText(QStringLiteral("0"));
  Redraw();
}

void COscopeView::ClickRun() {
  cycle_.ClickRun();
  ShowRun();
  mode_->setFocus();
}

void COscopeView::ClickMode() {
  cycle_.AdvanceMode();
  mode_->setText(QtText(TraceModeName(cycle_.Controls().mode)));
  ShowRun();
  Redraw();
}

void COscopeView::ClickTrigger(int source) {
  std::optional<ChannelWindow> roi;
  if (source == kRoiScaLine && links_.roiAtCursor) roi = links_.roiAtCursor();
  cycle_.SelectTrigger(source, roi);
  RefreshLegend();
}

void COscopeView::TypeRoiSca() {
  cycle_.SetRoiScaWindow(
      {static_cast<std::uint32_t>(roiLow_->value()), static_cast<std::uint32_t>(roiHigh_->value())});
}

void COscopeView::RefreshLegend() {
  const bool coincidence = cycle_.Controls().coincidenceDisplay;
  const bool tdcrExt = links_.tdcrExtStorage && links_.tdcrExtStorage();
  for (int line = 0; line < kTraceLines; ++line) {
    triggerButtons_[static_cast<std::size_t>(line)]->setText(
        QtText(TraceLegendName(line, coincidence, tdcrExt)));
  }
}

void COscopeView::ShowRun() {
  run_->setChecked(cycle_.RunTicked());
  run_->setText(CaptionText(cycle_.Caption()));
}

void COscopeView::ShowRoiSca() {
  const QSignalBlocker lowBlocker(roiLow_);
  const QSignalBlocker highBlocker(roiHigh_);
  roiLow_->setValue(static_cast<int>(std::min<std::uint32_t>(cycle_.RoiScaLow(), kMaxRoiChannel)));
  roiHigh_->setValue(static_cast<int>(std::min<std::uint32_t>(cycle_.RoiScaHigh(), kMaxRoiChannel)));
}

void COscopeView::Redraw() {
  TracePicture picture;
  picture.hasTrace = cycle_.TracesTaken() > 0;
  const Trace& trace = cycle_.Shown();
  picture.values = TraceDisplayValues(trace, peak_ != nullptr && peak_->isChecked(),
                                      cycle_.Display(verticalIndex_, offset_));
  for (std::size_t i = 0; i < kTraceSamples; ++i) picture.lines[i] = trace[i].lines;
  picture.timeBaseCode = TimeBaseCode(cycle_.Controls().timeBaseIndex);
  const int code = picture.timeBaseCode;
  const int position = cycle_.Controls().sliderPosition;
  picture.triggerSample = code > 10 ? position : position / (12 - code);
  if (plot_ != nullptr) plot_->Show(picture);
}

CDocableOscopePane::CDocableOscopePane(const OscopeViewLinks& links, QWidget* parent)
    : DockPane(
          QStringLiteral("TRACE VIEWER"), QStringLiteral("TraceViewerPane"),
          [links](QWidget* pane) { return new COscopeView(links, pane); },
          QStringLiteral("Failed in creating COscopeView"), parent, ViewCreation::kWhenNeeded) {}

COscopeView* CDocableOscopePane::OscopeView() const { return qobject_cast<COscopeView*>(View()); }

}  // namespace korva
