#include "setup/shaper_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "forms/form_widgets.h"
#include "forms/numeric_edit.h"
#include "forms/spin_acceleration.h"
#include "qtadapters/qt_text.h"
#include "setup/drop_down_list.h"
#include "setup/shaper_registers.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

namespace {

const FormColours kShaperColours{QColor(236, 244, 236), QColor(20, 80, 40)};

constexpr int kTimeWidth = 7;  // "%5.4f" of up to 16.32 us

QStringList Entries(int count, std::string (*text)(int)) {
  QStringList entries;
  for (int i = 0; i < count; ++i) entries << QString::fromStdString(text(i));
  return entries;
}

QLabel* NewAutoLabel(const QString& objectName, QWidget* parent) {
  auto* label = new QLabel(QStringLiteral("AUTO"), parent);
  label->setObjectName(objectName);
  return label;
}

}  // namespace

CShaperView::CShaperView(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent)
    : QScrollArea(parent), engine_(engine), spectra_(spectra) {
  setObjectName(QStringLiteral("ShaperView"));
  LayOut(NewScrolledForm(*this, kShaperColours));
  setup_.FirstUpdate();
  Show();
}

// One narrow column, so the form fits beside the acquisition and
// amplifier forms: the shaper times and unfolding first, then what acts on
// the shaped pulses.
void CShaperView::LayOut(QWidget* form) {
  auto* layout = new QVBoxLayout(form);
  layout->addWidget(BuildShaper(form, true));
  layout->addWidget(BuildShaper(form, false));
  layout->addWidget(BuildUnfolding(form));
  layout->addWidget(BuildThresholds(form));
  layout->addWidget(BuildBlr(form));
  layout->addWidget(BuildNormalisation(form));
  layout->addWidget(BuildPileUpAndEstimates(form));
  layout->addStretch();
}

NumericEdit* CShaperView::NewField(ShaperField field, const QString& objectName, QWidget* parent) {
  auto* edit = new NumericEdit(NumericEdit::Arrows::kSpin, objectName, parent);
  fields_[static_cast<std::size_t>(field)] = edit;
  connect(edit, &NumericEdit::Typed, this, [this, field](const QString& text) {
    if (const auto value = WholeNumber(text)) Send(setup_.SetField(field, *value));
  });
  connect(edit, &NumericEdit::Stepped, this, [this, field](int step) {
    Send(setup_.SetField(field, setup_.Controls().Field(field) + SetupSpinStep(step)));
  });
  connect(edit, &NumericEdit::Finished, this, [this, field] { ShowField(field); });
  return edit;
}

QCheckBox* CShaperView::NewCheck(ShaperCheck check, const QString& caption, const QString& objectName,
                                 QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(objectName);
  checks_[static_cast<std::size_t>(check)] = box;
  connect(box, &QCheckBox::clicked, this,
          [this, check](bool ticked) { Send(setup_.SetCheck(check, ticked)); });
  return box;
}

DropDownList* CShaperView::NewDropDown(ShaperList list, const QString& objectName, const QStringList& entries,
                                       QWidget* parent) {
  auto* box = new DropDownList(objectName, entries, parent);
  lists_[static_cast<std::size_t>(list)] = box;
  box->onDropDown = [this, list](bool open) { setup_.SetDropDownOpen(list, open); };
  connect(box, &QComboBox::activated, this,
          [this, list](int position) { Send(setup_.SelectList(list, position)); });
  return box;
}

QWidget* CShaperView::BuildShaper(QWidget* form, bool slow) {
  const QString prefix = slow ? QStringLiteral("SLOW ") : QStringLiteral("FAST ");
  const FormGroup group = NewGroup(prefix + QStringLiteral("SHAPER"), form);
  QLineEdit*& riseUs = slow ? slowRiseUs_ : fastRiseUs_;
  QLineEdit*& flatTopUs = slow ? slowFlatTopUs_ : fastFlatTopUs_;
  int row = 0;
  if (slow) {
    shape_ = NewList(QStringLiteral("SHAPE"), {QStringLiteral("TRAPEZOIDAL")}, group.box);
    AddField(*group.grid, row++, 0, QStringLiteral("SHAPE"), shape_);
  }
  const ShaperField rise = slow ? ShaperField::kSlowRise : ShaperField::kFastRise;
  const ShaperField flatTop = slow ? ShaperField::kSlowFlatTop : ShaperField::kFastFlatTop;
  AddField(*group.grid, row, 0, QStringLiteral("RISE TIME [sa]"),
           NewField(rise, prefix + QStringLiteral("RISE TIME [sa]"), group.box));
  riseUs = NewReadingBox(prefix + QStringLiteral("RISE TIME [us]"), kTimeWidth, group.box);
  AddField(*group.grid, row++, 1, QStringLiteral("RISE TIME [us]"), riseUs);
  AddField(*group.grid, row, 0, QStringLiteral("FLAT TOP  [sa]"),
           NewField(flatTop, prefix + QStringLiteral("FLAT TOP [sa]"), group.box));
  flatTopUs = NewReadingBox(prefix + QStringLiteral("FLAT TOP [us]"), kTimeWidth, group.box);
  AddField(*group.grid, row, 1, QStringLiteral("FLAT TOP [us]"), flatTopUs);
  return group.box;
}

// Both sets lie in the same place; only the selected input class's is shown.
QWidget* CShaperView::BuildUnfolding(QWidget* form) {
  const FormGroup group = NewGroup(QString(), form);
  unfolding_ = group.box;
  unfolding_->setObjectName(QStringLiteral("UNFOLDING"));
  for (std::size_t set = 0; set < unfoldingSets_.size(); ++set) {
    const bool e = set == 1;
    const QString suffix = e ? QStringLiteral(" E") : QStringLiteral(" ABC");
    auto* box = new QWidget(group.box);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    AddField(*grid, 0, 0, QStringLiteral("LONG TC    [rel]"),
             NewField(e ? ShaperField::kLongTcE : ShaperField::kLongTcAbc, QStringLiteral("LONG TC") + suffix,
                      box));
    AddField(*grid, 1, 0, QStringLiteral("SHORT TC [rel]"),
             NewField(e ? ShaperField::kShortTcE : ShaperField::kShortTcAbc,
                      QStringLiteral("SHORT TC") + suffix, box));
    unfoldingSets_[set] = box;
    group.grid->addWidget(box, 0, 0, 2, 2);
  }
  longTcUs_ = NewReadingBox(QStringLiteral("LONG TC [us]"), kTimeWidth, group.box);
  shortTcNs_ = NewReadingBox(QStringLiteral("SHORT TC [ns]"), kTimeWidth, group.box);
  AddField(*group.grid, 0, 1, QStringLiteral("LONG TC    [us]"), longTcUs_);
  AddField(*group.grid, 1, 1, QStringLiteral("SHORT TC [ns]"), shortTcNs_);
  return group.box;
}

QWidget* CShaperView::BuildThresholds(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("THRESHOLD (0 = AUTO)"), form);
  marginHeader_ = new QLabel(QStringLiteral("Auto Margin"), group.box);
  group.grid->addWidget(marginHeader_, 0, 3);
  const QStringList margins = Entries(kMarginEntries, MarginText);
  for (const bool slow : {true, false}) {
    const QString name = slow ? QStringLiteral("SLOW") : QStringLiteral("FAST");
    const int row = slow ? 1 : 2;
    AddField(*group.grid, row, 0, name,
             NewField(slow ? ShaperField::kSlowThreshold : ShaperField::kFastThreshold,
                      name + QStringLiteral(" THRESHOLD"), group.box));
    QLabel*& label = slow ? slowAuto_ : fastAuto_;
    label = NewAutoLabel(name + QStringLiteral(" AUTO"), group.box);
    group.grid->addWidget(label, row, 2);
    group.grid->addWidget(NewDropDown(slow ? ShaperList::kSlowMargin : ShaperList::kFastMargin,
                                      name + QStringLiteral(" Auto Margin"), margins, group.box),
                          row, 3);
  }
  return group.box;
}

QWidget* CShaperView::BuildBlr(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("BLR RESPONSE"), form);
  AddField(*group.grid, 0, 0, QStringLiteral("SLOW"),
           NewField(ShaperField::kBlrSlow, QStringLiteral("BLR SLOW"), group.box));
  group.grid->addWidget(
      NewCheck(ShaperCheck::kSlowSym, QStringLiteral("SYM"), QStringLiteral("SLOW SYM"), group.box), 0, 2);
  group.grid->addWidget(NewCheck(ShaperCheck::kAcc, QStringLiteral("ACC"), QStringLiteral("ACC"), group.box),
                        0, 3);
  AddField(*group.grid, 1, 0, QStringLiteral("FAST"),
           NewField(ShaperField::kBlrFast, QStringLiteral("BLR FAST"), group.box));
  group.grid->addWidget(
      NewCheck(ShaperCheck::kFastSym, QStringLiteral("SYM"), QStringLiteral("FAST SYM"), group.box), 1, 2);
  return group.box;
}

QWidget* CShaperView::BuildNormalisation(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("GAIN NORMALIZATION"), form);
  AddField(*group.grid, 0, 0, QStringLiteral("FACTOR"),
           NewField(ShaperField::kFactor, QStringLiteral("FACTOR"), group.box));
  group.grid->addWidget(
      NewCheck(ShaperCheck::kAuto, QStringLiteral("AUTO"), QStringLiteral("NORMALIZATION AUTO"), group.box),
      1, 0);
  group.grid->addWidget(
      NewCheck(ShaperCheck::kFine, QStringLiteral("FINE"), QStringLiteral("FINE"), group.box), 1, 1);
  AddField(*group.grid, 2, 0, QStringLiteral("BDC"),
           NewDropDown(ShaperList::kBdc, QStringLiteral("BDC"), Entries(kBdcEntries, BdcText), group.box));
  return group.box;
}

QWidget* CShaperView::BuildPileUpAndEstimates(QWidget* form) {
  auto* box = new QWidget(form);
  auto* layout = new QGridLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  const FormGroup pileUp = NewGroup(QStringLiteral("PILE-UP REJECTOR"), box);
  pileUp.grid->addWidget(
      NewCheck(ShaperCheck::kPileUpOn, QStringLiteral("ON"), QStringLiteral("ON"), pileUp.box), 0, 0);
  pileUp.grid->addWidget(
      NewCheck(ShaperCheck::kEnhanced, QStringLiteral("ENHANCED"), QStringLiteral("ENHANCED"), pileUp.box), 1,
      0);
  const FormGroup estimates = NewGroup(QStringLiteral("EST. THRESH. [chn]"), box);
  estimatedSlow_ = NewReadingBox(QStringLiteral("EST. THRESH. SLOW"), kEstimateWidth, estimates.box);
  estimatedFast_ = NewReadingBox(QStringLiteral("EST. THRESH. FAST"), kEstimateWidth, estimates.box);
  AddField(*estimates.grid, 0, 0, QStringLiteral("SLOW"), estimatedSlow_);
  AddField(*estimates.grid, 1, 0, QStringLiteral("FAST"), estimatedFast_);
  layout->addWidget(pileUp.box, 0, 0);
  layout->addWidget(estimates.box, 0, 1);
  return box;
}

void CShaperView::Send(const std::optional<RegisterBlock>& block) {
  if (showing_ || !block) return;
  if (spectra_.BufferActive()) {
    CSpectrum& buffer = spectra_.buffer;
    const SetupLinks& links = spectra_.setupLinks;
    EditRegisters(
        engine_,
        [&](RegisterImage& registers) {
          setup_.Compose(registers, buffer.CompressionFactor(), links.traceCompose);
        },
        *block);
  }
  Show();
}

void CShaperView::Refresh() {
  if (const SetupLinks& links = spectra_.setupLinks; links.traceViewRefresh) links.traceViewRefresh();
  CSpectrum& active = *spectra_.active;
  setup_.Refresh(active.image.registers, active.CompressionFactor());
  setEnabled(spectra_.BufferActive());
  Show();
}

void CShaperView::ComposeNormalisation(RegisterImage& registers) {
  setup_.ComposeNormalisation(registers);
  Show();
}

void CShaperView::SetUnfoldingSet(bool inputE) {
  setup_.SetUnfoldingSet(inputE);
  Show();
}

// A field the user is typing in keeps its text while it shows the value.
void CShaperView::ShowField(ShaperField field) {
  NumericEdit& edit = *fields_[static_cast<std::size_t>(field)];
  const int value = setup_.Controls().Field(field);
  if (edit.hasFocus() && WholeNumber(edit.text()) == value) return;
  edit.ShowText(QString::number(value));
}

void CShaperView::Show() {
  showing_ = true;
  const ShaperControls& c = setup_.Controls();
  for (std::size_t i = 0; i < kShaperFieldCount; ++i) ShowField(static_cast<ShaperField>(i));
  for (std::size_t i = 0; i < kShaperCheckCount; ++i) {
    const QSignalBlocker blocker(checks_[i]);
    checks_[i]->setChecked(c.checks[i]);
  }
  for (std::size_t i = 0; i < lists_.size(); ++i) ShowSelection(*lists_[i], c.lists[i]);
  ShowSelection(*shape_, c.shape);
  unfolding_->setTitle(QString::fromStdString(c.unfoldingTitle));
  unfoldingSets_[0]->setVisible(!c.unfoldingE);
  unfoldingSets_[1]->setVisible(c.unfoldingE);
  for (auto [box, text] :
       {std::pair{slowRiseUs_, &c.slowRiseUs}, std::pair{slowFlatTopUs_, &c.slowFlatTopUs},
        std::pair{fastRiseUs_, &c.fastRiseUs}, std::pair{fastFlatTopUs_, &c.fastFlatTopUs},
        std::pair{longTcUs_, &c.longTcUs}, std::pair{shortTcNs_, &c.shortTcNs},
        std::pair{estimatedSlow_, &c.estimatedSlow}, std::pair{estimatedFast_, &c.estimatedFast}}) {
    ShowText(*box, *text);
  }
  marginHeader_->setVisible(c.slowAuto || c.fastAuto);
  slowAuto_->setVisible(c.slowAuto);
  lists_[static_cast<std::size_t>(ShaperList::kSlowMargin)]->setVisible(c.slowAuto);
  fastAuto_->setVisible(c.fastAuto);
  lists_[static_cast<std::size_t>(ShaperList::kFastMargin)]->setVisible(c.fastAuto);
  fields_[static_cast<std::size_t>(ShaperField::kFactor)]->setEnabled(c.factorEnabled);
  checks_[static_cast<std::size_t>(ShaperCheck::kFine)]->setEnabled(c.fineEnabled);
  lists_[static_cast<std::size_t>(ShaperList::kBdc)]->setEnabled(c.fineEnabled);
  showing_ = false;
}

CDocableShaperPane::CDocableShaperPane(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent)
    : DockPane(
          QStringLiteral("SHAPER"), QStringLiteral("ShaperPane"),
          [&engine, &spectra](QWidget* pane) { return new CShaperView(engine, spectra, pane); },
          QStringLiteral("Failed in creating CShaperView"), parent, ViewCreation::kWhenNeeded) {}

CShaperView* CDocableShaperPane::ShaperView() const { return qobject_cast<CShaperView*>(View()); }

}  // namespace korva
