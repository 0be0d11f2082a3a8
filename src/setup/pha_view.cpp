#include "setup/pha_view.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <optional>

#include "forms/form_widgets.h"
#include "forms/numeric_edit.h"
#include "forms/spin_acceleration.h"
#include "qtadapters/qt_text.h"
#include "setup/drop_down_list.h"
#include "setup/shaper_registers.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

namespace {

const FormColours kPhaColours{QColor(244, 240, 230), QColor(90, 50, 10)};

// A field the user is typing in keeps its text while it shows the value.
void ShowNumber(NumericEdit& edit, int value) {
  if (edit.hasFocus() && WholeNumber(edit.text()) == value) return;
  edit.ShowText(QString::number(value));
}

}  // namespace

CPHAView::CPHAView(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent)
    : QScrollArea(parent), engine_(engine), spectra_(spectra) {
  setObjectName(QStringLiteral("PhaView"));
  LayOut(NewScrolledForm(*this, kPhaColours));
  setup_.FirstUpdate();
  Show();
  ConnectControls();
}

void CPHAView::LayOut(QWidget* form) {
  auto* layout = new QVBoxLayout(form);
  const FormGroup options = NewGroup(QStringLiteral("PHA OPTIONS"), form);
  internalBlr_ = new QCheckBox(QStringLiteral("USE INTERNAL BLR"), options.box);
  internalBlr_->setObjectName(QStringLiteral("USE INTERNAL BLR"));
  tdcrTriggered_ = new QCheckBox(QStringLiteral("TDCR TRIGGERED"), options.box);
  tdcrTriggered_->setObjectName(QStringLiteral("TDCR TRIGGERED"));
  options.grid->addWidget(internalBlr_, 0, 0);
  options.grid->addWidget(tdcrTriggered_, 1, 0);

  const FormGroup blr = NewGroup(QStringLiteral("BLR RESPONSE"), form);
  phaSlow_ = new NumericEdit(NumericEdit::Arrows::kSpin, QStringLiteral("PHA/SLOW"), blr.box);
  sym_ = new QCheckBox(QStringLiteral("SYM"), blr.box);
  sym_->setObjectName(QStringLiteral("SYM"));
  AddField(*blr.grid, 0, 0, QStringLiteral("PHA/SLOW"), phaSlow_);
  blr.grid->addWidget(sym_, 0, 2);

  const FormGroup lld = NewGroup(QStringLiteral("LLD THRESHOLD (0 = AUTO)"), form);
  threshold_ = new NumericEdit(NumericEdit::Arrows::kSpin, QStringLiteral("LLD PHA [chn]"), lld.box);
  auto_ = new QLabel(QStringLiteral("AUTO"), lld.box);
  auto_->setObjectName(QStringLiteral("LLD AUTO"));
  QStringList margins;
  for (int i = 0; i < kMarginEntries; ++i) margins << QString::fromStdString(MarginText(i));
  margin_ = new DropDownList(QStringLiteral("Auto Margin"), margins, lld.box);
  margin_->setToolTip(QStringLiteral("Auto Margin"));
  AddField(*lld.grid, 0, 0, QStringLiteral("PHA [chn]"), threshold_);
  lld.grid->addWidget(auto_, 0, 2);
  lld.grid->addWidget(margin_, 0, 3);

  const FormGroup estimate = NewGroup(QStringLiteral("EST. LLD THRESHOLD"), form);
  estimated_ = NewReadingBox(QStringLiteral("EST. LLD PHA [chn]"), kEstimateWidth, estimate.box);
  AddField(*estimate.grid, 0, 0, QStringLiteral("PHA [chn]"), estimated_);

  for (QWidget* group : {options.box, blr.box, lld.box, estimate.box}) layout->addWidget(group);
  layout->addStretch();
}

void CPHAView::ConnectControls() {
  connect(internalBlr_, &QCheckBox::clicked, this, [this](bool on) { Apply(setup_.SetUseInternalBlr(on)); });
  connect(tdcrTriggered_, &QCheckBox::clicked, this, [this](bool on) { Apply(setup_.SetTdcrTriggered(on)); });
  connect(sym_, &QCheckBox::clicked, this, [this](bool on) { Apply(setup_.SetSym(on)); });
  connect(phaSlow_, &NumericEdit::Typed, this, [this](const QString& text) {
    if (const auto value = WholeNumber(text)) Apply(setup_.SetPhaSlow(*value));
  });
  connect(phaSlow_, &NumericEdit::Stepped, this,
          [this](int step) { Apply(setup_.SetPhaSlow(setup_.Controls().phaSlow + SetupSpinStep(step))); });
  connect(threshold_, &NumericEdit::Typed, this, [this](const QString& text) {
    if (const auto value = WholeNumber(text)) Apply(setup_.SetThreshold(*value));
  });
  connect(threshold_, &NumericEdit::Stepped, this, [this](int step) {
    Apply(setup_.SetThreshold(setup_.Controls().threshold + SetupSpinStep(step)));
  });
  for (NumericEdit* edit : {phaSlow_, threshold_})
    connect(edit, &NumericEdit::Finished, this, [this] { Show(); });
  margin_->onDropDown = [this](bool open) { setup_.SetDropDownOpen(open); };
  connect(margin_, &QComboBox::activated, this,
          [this](int position) { Apply(setup_.SelectMargin(position)); });
}

void CPHAView::Apply(bool ready) {
  if (showing_ || !ready) return;
  ApplyPhaSettings();
}

void CPHAView::ApplyPhaSettings() {
  if (spectra_.BufferActive()) {
    const std::uint32_t compression = spectra_.buffer.CompressionFactor();
    EditRegisters(engine_, [&](RegisterImage& registers) { setup_.Encode(registers, compression); });
    if (onBlrApplied) onBlrApplied(setup_.Controls().phaSlow, setup_.Controls().sym);
  }
  Show();
}

void CPHAView::UpdatePhaFromRegisters() {
  const CSpectrum& active = *spectra_.active;
  setup_.Decode(active.image.registers, active.CompressionFactor());
  setEnabled(spectra_.BufferActive());
  Show();
  if (const SetupLinks& links = spectra_.setupLinks; links.traceViewRefresh) links.traceViewRefresh();
}

void CPHAView::Show() {
  showing_ = true;
  const PhaControls& c = setup_.Controls();
  for (auto [box, on] : {std::pair{internalBlr_, c.useInternalBlr},
                         std::pair{tdcrTriggered_, c.tdcrTriggered}, std::pair{sym_, c.sym}}) {
    const QSignalBlocker blocker(box);
    box->setChecked(on);
  }
  ShowNumber(*phaSlow_, c.phaSlow);
  ShowNumber(*threshold_, c.threshold);
  ShowSelection(*margin_, c.margin);
  ShowText(*estimated_, c.estimatedLld);
  auto_->setVisible(c.thresholdAuto);
  margin_->setVisible(c.thresholdAuto);
  for (QWidget* control : {static_cast<QWidget*>(phaSlow_), static_cast<QWidget*>(sym_)})
    control->setEnabled(c.blrControlsEnabled);
  showing_ = false;
}

CDocablePHAPane::CDocablePHAPane(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent)
    : DockPane(
          QStringLiteral("PHA OPTIONS"), QStringLiteral("PhaPane"),
          [&engine, &spectra](QWidget* pane) { return new CPHAView(engine, spectra, pane); },
          QStringLiteral("Failed in creating CPHAView"), parent, ViewCreation::kWhenNeeded) {}

CPHAView* CDocablePHAPane::PhaView() const { return qobject_cast<CPHAView*>(View()); }

}  // namespace korva
