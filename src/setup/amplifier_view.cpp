#include "setup/amplifier_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "forms/form_widgets.h"
#include "forms/numeric_edit.h"
#include "qtadapters/qt_text.h"
#include "setup/amplifier_input.h"
#include "setup/amplifier_setup.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

namespace {

const FormColours kAmplifierColours{QColor(240, 236, 250), QColor(70, 20, 110)};

constexpr int kGainWidth = 8;  // "%5.5f"
constexpr std::array<const char*, 3> kLineNames = {"Rout", "S", "T"};

QStringList FunctionEntries(std::size_t line) {
  switch (line) {
    case 1:
      return ListEntries(kSFunctionTexts);
    case 2:
      return ListEntries(kTFunctionTexts);
    default:
      return ListEntries(kRoutFunctionTexts);
  }
}

}  // namespace

CAmplifierView::CAmplifierView(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent)
    : QScrollArea(parent), engine_(engine), spectra_(spectra) {
  setObjectName(QStringLiteral("AmplifierView"));
  LayOut(NewScrolledForm(*this, kAmplifierColours));
  setup_.FirstUpdate(spectra_.active->amplifier);
  Show();
  ConnectControls();
}

// One narrow column, so the form fits beside the acquisition form.
void CAmplifierView::LayOut(QWidget* form) {
  auto* layout = new QVBoxLayout(form);
  layout->addWidget(BuildInput(form));
  layout->addWidget(BuildGain(form));
  layout->addWidget(BuildOffsets(form));
  layout->addWidget(BuildDigitalIo(form));
  layout->addStretch();
}

QWidget* CAmplifierView::BuildInput(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("MCA INPUT"), form);
  input_ = NewList(QStringLiteral("MCA INPUT"), ListEntries(kMcaInputTexts), group.box);
  group.grid->addWidget(input_, 0, 0);
  return group.box;
}

QWidget* CAmplifierView::BuildGain(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("GAIN"), form);
  coarse_ = NewList(QStringLiteral("COARSE"), {}, group.box);
  fine_ = new NumericEdit(NumericEdit::Arrows::kSpin, QStringLiteral("FINE"), group.box);
  total_ = NewReadingBox(QStringLiteral("TOTAL"), kGainWidth, group.box);
  AddField(*group.grid, 0, 0, QStringLiteral("COARSE"), coarse_);
  AddField(*group.grid, 1, 0, QStringLiteral("FINE"), fine_);
  AddField(*group.grid, 2, 0, QStringLiteral("TOTAL"), total_);
  return group.box;
}

QWidget* CAmplifierView::BuildOffsets(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("OFFSET"), form);
  adc_ = new NumericEdit(NumericEdit::Arrows::kSpin, QStringLiteral("ADC"), group.box);
  adcDefault_ = new QCheckBox(QStringLiteral("ADC DEFAULT"), group.box);
  adcDefault_->setObjectName(QStringLiteral("ADC DEFAULT"));
  amplifier_ = new NumericEdit(NumericEdit::Arrows::kSpin, QStringLiteral("AMP"), group.box);
  auto_ = new QCheckBox(QStringLiteral("AUTO"), group.box);
  auto_->setObjectName(QStringLiteral("AUTO"));
  AddField(*group.grid, 0, 0, QStringLiteral("ADC"), adc_);
  group.grid->addWidget(adcDefault_, 0, 2);
  AddField(*group.grid, 1, 0, QStringLiteral("AMP"), amplifier_);
  group.grid->addWidget(auto_, 1, 2);
  auto* buttons = new QHBoxLayout;
  for (auto [button, caption] : {std::pair{&sar_, "SAR"}, std::pair{&down_, "--"}, std::pair{&up_, "++"}}) {
    *button = new QPushButton(QString::fromLatin1(caption), group.box);
    (*button)->setObjectName(QString::fromLatin1(caption));
    buttons->addWidget(*button);
  }
  group.grid->addLayout(buttons, 2, 0, 1, 3);
  return group.box;
}

QWidget* CAmplifierView::BuildDigitalIo(QWidget* form) {
  const FormGroup group = NewGroup(QStringLiteral("DIGITAL IO"), form);
  din_ = NewList(QStringLiteral("Din: FUNC"), ListEntries(kDinFunctionTexts), group.box);
  rin_ = NewList(QStringLiteral("Rin: FUNC"), ListEntries(kRinFunctionTexts), group.box);
  AddField(*group.grid, 0, 0, QStringLiteral("Din: FUNC"), din_);
  AddField(*group.grid, 1, 0, QStringLiteral("Rin: FUNC"), rin_);
  for (std::size_t line = 0; line < kLineNames.size(); ++line) {
    const QString name = QString::fromLatin1(kLineNames[line]);
    drive_[line] = NewList(name + QStringLiteral(": DRIVE"), ListEntries(kDriveTexts), group.box);
    function_[line] = NewList(name + QStringLiteral(": FUNC"), FunctionEntries(line), group.box);
    const int row = 2 + 2 * static_cast<int>(line);
    AddField(*group.grid, row, 0, drive_[line]->objectName(), drive_[line]);
    AddField(*group.grid, row + 1, 0, function_[line]->objectName(), function_[line]);
  }
  return group.box;
}

void CAmplifierView::ConnectControls() {
  connect(input_, &QComboBox::currentIndexChanged, this,
          [this](int index) { Send(setup_.SelectMcaInput(index, spectra_.active->amplifier)); });
  connect(coarse_, &QComboBox::currentIndexChanged, this,
          [this](int index) { Send(setup_.SelectCoarse(index, spectra_.active->amplifier)); });
  connect(fine_, &NumericEdit::Stepped, this,
          [this](int step) { Send(setup_.SetFine(setup_.Controls().fine + step)); });
  connect(fine_, &NumericEdit::Typed, this,
          [this](const QString& text) { Send(setup_.TypeFineFactor(text.trimmed().toStdString())); });
  connect(fine_, &NumericEdit::FocusChanged, this,
          [this](bool focused) { Send(setup_.SetFineTextFocus(focused)); });
  ConnectOffsets();
  ConnectDigitalIo();
}

void CAmplifierView::ConnectOffsets() {
  connect(adc_, &NumericEdit::Typed, this, [this](const QString& text) {
    if (const auto offset = WholeNumber(text)) Send(setup_.SetAdcOffset(*offset));
  });
  connect(adc_, &NumericEdit::Stepped, this,
          [this](int step) { Send(setup_.SetAdcOffset(setup_.Controls().adcOffset + step)); });
  connect(amplifier_, &NumericEdit::Typed, this, [this](const QString& text) {
    if (const auto offset = WholeNumber(text)) Send(setup_.SetAmplifierOffset(*offset));
  });
  connect(amplifier_, &NumericEdit::Stepped, this,
          [this](int step) { Send(setup_.SetAmplifierOffset(setup_.Controls().amplifierOffset + step)); });
  connect(adcDefault_, &QCheckBox::clicked, this, [this](bool ticked) {
    Send(setup_.ClickAdcDefault(ticked));
    adc_->setFocus();
  });
  connect(auto_, &QCheckBox::clicked, this, [this](bool on) { Send(setup_.ClickAuto(on)); });
  connect(sar_, &QPushButton::clicked, this, [this] {
    Send(setup_.StartSar());
    amplifier_->setFocus();
  });
  connect(down_, &QPushButton::clicked, this, [this] { Send(setup_.PressSarStep(false)); });
  connect(up_, &QPushButton::clicked, this, [this] { Send(setup_.PressSarStep(true)); });
}

void CAmplifierView::ConnectDigitalIo() {
  connect(rin_, &QComboBox::currentIndexChanged, this,
          [this](int position) { Send(setup_.SelectRin(position)); });
  for (std::size_t line = 0; line < kOutputLines.size(); ++line) {
    const OutputLine output = kOutputLines[line];
    connect(drive_[line], &QComboBox::currentIndexChanged, this,
            [this, output](int position) { Send(setup_.SelectDrive(output, position)); });
    connect(function_[line], &QComboBox::currentIndexChanged, this,
            [this, output](int position) { Send(setup_.SelectFunction(output, position)); });
  }
}

void CAmplifierView::Send(const std::optional<AmplifierChange>& change) {
  if (showing_ || !change) return;
  CSpectrum& buffer = spectra_.buffer;
  const SetupLinks& links = spectra_.setupLinks;
  SendAmplifierChange(engine_, setup_, buffer.amplifier, spectra_.BufferActive(), change->send,
                      {links.traceCompose, links.normalisationCompose});
  if (change->inputChanged && spectra_.BufferActive()) {
    buffer.DeriveHalfSelector();
    buffer.RebuildCompressedSpectrum();
    if (links.inputClassChanged) links.inputClassChanged(buffer.amplifier.inputE);
  }
  Show();
}

void CAmplifierView::Refresh() {
  CSpectrum& active = *spectra_.active;
  if (setup_.Refresh(active.image.registers, active.amplifier)) {
    active.DeriveHalfSelector();
    active.RebuildCompressedSpectrum();
    const SetupLinks& links = spectra_.setupLinks;
    if (links.inputClassChanged) links.inputClassChanged(active.amplifier.inputE);
  }
  setEnabled(spectra_.BufferActive());
  Show();
}

void CAmplifierView::OnConnected() { setup_.FirstUpdate(spectra_.active->amplifier); }

// Puts the set-up's controls into the form without reporting them back.
// The fine text the user is typing in keeps its text.
void CAmplifierView::Show() {
  showing_ = true;
  const AmplifierControls& c = setup_.Controls();
  ShowSelection(*input_, c.mcaInput);
  QStringList coarseTexts;
  for (const std::string& text : c.coarseTexts) coarseTexts << QString::fromStdString(text);
  if (coarse_->count() != coarseTexts.size()) {
    const QSignalBlocker blocker(coarse_);
    coarse_->clear();
    coarse_->addItems(coarseTexts);
  }
  ShowSelection(*coarse_, c.coarse);
  if (!fine_->hasFocus()) fine_->ShowText(QString::fromStdString(c.fineText));
  ShowText(*total_, c.totalText);
  if (!adc_->hasFocus()) adc_->ShowText(QString::number(c.adcOffset));
  if (!amplifier_->hasFocus()) amplifier_->ShowText(QString::number(c.amplifierOffset));
  const QSignalBlocker blockDefault(adcDefault_);
  adcDefault_->setChecked(c.adcDefault);
  const QSignalBlocker blockAuto(auto_);
  auto_->setChecked(c.autoOffset);
  adc_->setEnabled(c.adcEnabled);
  amplifier_->setEnabled(c.amplifierEnabled);
  sar_->setEnabled(c.sarEnabled);
  down_->setEnabled(c.stepsEnabled);
  up_->setEnabled(c.stepsEnabled);
  ShowSelection(*din_, c.dinFunction);
  ShowSelection(*rin_, c.rinFunction);
  for (std::size_t line = 0; line < drive_.size(); ++line) {
    ShowSelection(*drive_[line], c.drive[line]);
    ShowSelection(*function_[line], c.function[line]);
  }
  showing_ = false;
}

CDocableAmplifierPane::CDocableAmplifierPane(CommandEngine& engine, SpectrumDocuments& spectra,
                                             QWidget* parent)
    : DockPane(
          QStringLiteral("SIGNALS"), QStringLiteral("AmplifierPane"),
          [&engine, &spectra](QWidget* pane) { return new CAmplifierView(engine, spectra, pane); },
          QStringLiteral("Failed in creating CAmplifierView"), parent, ViewCreation::kWhenNeeded) {}

CAmplifierView* CDocableAmplifierPane::AmplifierView() const { return qobject_cast<CAmplifierView*>(View()); }

}  // namespace korva
