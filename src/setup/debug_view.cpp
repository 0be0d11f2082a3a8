#include "setup/debug_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <filesystem>

#include "common/prompt.h"
#include "common/unreadable_file.h"
#include "devicelink/command_engine.h"
#include "devicelink/register_edit.h"
#include "devicelink/register_map.h"
#include "qtadapters/qt_text.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

namespace {

constexpr int kHexLength = 4;
constexpr int kDecLength = 5;

std::optional<std::string> Chosen(const QString& name) {
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();
}

QPushButton* Button(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(caption);
  return button;
}

}  // namespace

RegisterFileDialogs QtRegisterFileDialogs() {
  return {
      [](QWidget* parent) {
        return Chosen(QFileDialog::getSaveFileName(parent, QtText(register_file_text::kSaveTitle), {},
                                                   QStringLiteral("Register Files (*.rgv);;All Files (*.*)"),
                                                   nullptr, QFileDialog::DontConfirmOverwrite));
      },
      [](QWidget* parent) {
        return Chosen(QFileDialog::getOpenFileName(
            parent, QtText(register_file_text::kLoadTitle), {},
            QStringLiteral("Register Files (*.rgv);;Veltra Spectrum (*.kts);;All Files (*.*)")));
      },
  };
}

CDebugView::CDebugView(CommandEngine& engine, SpectrumDocuments& spectra, Prompt& prompt,
                       RegisterFileDialogs dialogs, QWidget* parent)
    : QWidget(parent), engine_(engine), spectra_(spectra), prompt_(prompt), dialogs_(std::move(dialogs)) {
  setObjectName(QStringLiteral("CDebugView"));
  BuildControls();
  ShowValue(table_.SelectedValue());
  engine_.AddObserver(this);
}

CDebugView::~CDebugView() { engine_.RemoveObserver(this); }

void CDebugView::BuildControls() {
  auto* group = new QGroupBox(QStringLiteral("REGISTERS"), this);
  auto* grid = new QGridLayout(group);

  registerList_ = new QComboBox(group);
  registerList_->setObjectName(QStringLiteral("Register"));
  for (std::size_t i = 0; i < kRegisterFileEntries; ++i) registerList_->addItem(QString::number(i));
  hexField_ = new QLineEdit(group);
  hexField_->setObjectName(QStringLiteral("Value (HEX)"));
  hexField_->setMaxLength(kHexLength);
  decField_ = new QLineEdit(group);
  decField_->setObjectName(QStringLiteral("Value (DEC)"));
  decField_->setMaxLength(kDecLength);
  grid->addWidget(new QLabel(QStringLiteral("Register"), group), 0, 0);
  grid->addWidget(registerList_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Value (HEX)"), group), 1, 0);
  grid->addWidget(hexField_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Value (DEC)"), group), 2, 0);
  grid->addWidget(decField_, 2, 1);

  auto* bits = new QHBoxLayout;
  bits->setSpacing(1);
  for (int bit = kRegisterBits - 1; bit >= 0; --bit) {
    auto* button = new QPushButton(group);
    button->setObjectName(QStringLiteral("bit%1").arg(bit));
    button->setCheckable(true);
    button->setFixedWidth(22);
    button->setToolTip(QStringLiteral("Bit %1").arg(bit));
    bitButtons_[static_cast<std::size_t>(bit)] = button;
    bits->addWidget(button);
    connect(button, &QPushButton::clicked, this, &CDebugView::OnBitClicked);
  }
  grid->addWidget(new QLabel(QStringLiteral("Value (BIN)"), group), 3, 0, 1, 2);
  grid->addLayout(bits, 4, 0, 1, 2);

  auto* actions = new QGridLayout;
  QPushButton* read = Button(QStringLiteral("READ"), group);
  QPushButton* write = Button(QStringLiteral("WRITE"), group);
  QPushButton* load = Button(QStringLiteral("LOAD FILE"), group);
  QPushButton* save = Button(QStringLiteral("SAVE FILE"), group);
  autoRead_ = new QCheckBox(QStringLiteral("AUTO READ"), group);
  autoRead_->setObjectName(QStringLiteral("AUTO READ"));
  autoRead_->setChecked(table_.autoRead);
  autoWrite_ = new QCheckBox(QStringLiteral("AUTO WRITE"), group);
  autoWrite_->setObjectName(QStringLiteral("AUTO WRITE"));
  autoWrite_->setChecked(table_.autoWrite);
  actions->addWidget(read, 0, 0);
  actions->addWidget(write, 0, 1);
  actions->addWidget(autoRead_, 1, 0);
  actions->addWidget(autoWrite_, 1, 1);
  actions->addWidget(load, 2, 0);
  actions->addWidget(save, 2, 1);
  grid->addLayout(actions, 5, 0, 1, 2);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addStretch();

  connect(registerList_, &QComboBox::currentIndexChanged, this, &CDebugView::OnRegisterSelected);
  connect(hexField_, &QLineEdit::textEdited, this,
          [this](const QString& text) { OnFieldEdited(hexField_, ParseHexField(text.toStdString())); });
  connect(decField_, &QLineEdit::textEdited, this,
          [this](const QString& text) { OnFieldEdited(decField_, ParseDecField(text.toStdString())); });
  connect(read, &QPushButton::clicked, this, &CDebugView::OnRead);
  connect(write, &QPushButton::clicked, this, &CDebugView::OnWrite);
  connect(load, &QPushButton::clicked, this, &CDebugView::OnLoadFile);
  connect(save, &QPushButton::clicked, this, &CDebugView::OnSaveFile);
  connect(autoRead_, &QCheckBox::toggled, this, [this](bool on) { table_.autoRead = on; });
  connect(autoWrite_, &QCheckBox::toggled, this, [this](bool on) { table_.autoWrite = on; });
}

void CDebugView::ShowValue(long value, const QLineEdit* keep) {
  const RegisterFieldTexts texts = table_.Show(value);
  if (keep != hexField_) hexField_->setText(QString::fromStdString(texts.hex));
  if (keep != decField_) decField_->setText(QString::fromStdString(texts.dec));
  for (int bit = 0; bit < kRegisterBits; ++bit) {
    const BitButton& state = texts.bits[static_cast<std::size_t>(bit)];
    QPushButton* button = bitButtons_[static_cast<std::size_t>(bit)];
    button->setText(QtText(state.caption));
    button->setChecked(state.pressed);
  }
}

void CDebugView::OnRegisterSelected(int index) {
  if (index < 0) return;
  table_.Select(static_cast<std::size_t>(index));
  ShowValue(table_.SelectedValue());
}

void CDebugView::OnBitClicked() {
  BitButtonStates pressed{};
  for (std::size_t bit = 0; bit < pressed.size(); ++bit) pressed[bit] = bitButtons_[bit]->isChecked();
  ShowValue(ValueFromBitButtons(pressed));
  WriteIfAuto();
}

// The field being typed in keeps its text, unless the number had to be
// clamped: then it shows the value actually stored.
void CDebugView::OnFieldEdited(QLineEdit* field, long parsed) {
  const bool clamped = parsed != kUnparsableField && parsed != ClampRegisterValue(parsed);
  ShowValue(parsed, clamped ? nullptr : field);
  WriteIfAuto();
}

void CDebugView::WriteIfAuto() {
  if (table_.autoWrite) OnWrite();
}

void CDebugView::CopyFromImage(bool forced) {
  if (table_.CopyFromImage(spectra_.active->image.registers, forced)) ShowValue(table_.SelectedValue());
}

void CDebugView::OnRegistersRead(bool) { CopyFromImage(false); }

// The image itself is refreshed by the engine's register polls.
void CDebugView::OnRead() { CopyFromImage(true); }

// Registers 0-11 are not part of the settings block, so a write of one of
// them sends the whole register set; otherwise it would never reach the
// instrument and the next read-back would quietly undo it.
void CDebugView::OnWrite() {
  const std::size_t index = table_.Selected();
  const std::uint16_t value = table_.SelectedValue();
  EditRegisters(
      engine_, [index, value](RegisterImage& registers) { registers[index] = value; },
      index < reg::kFirstSettings ? RegisterBlock::kAll : RegisterBlock::kSettings);
}

void CDebugView::OnSaveFile() {
  if (!dialogs_.chooseSaveName) return;
  const std::optional<std::string> chosen = dialogs_.chooseSaveName(this);
  if (!chosen) return;
  const std::filesystem::path target = RegisterFileNameFor(*chosen);
  std::error_code ignored;
  if (std::filesystem::exists(target, ignored) &&
      !prompt_.AskOkCancel(register_file_text::kOverwriteQuestion)) {
    return;
  }
  const RegisterFileStatus status = SaveRegisterFile(target, table_.Values());
  if (status != RegisterFileStatus::kDone) prompt_.ShowError(RegisterFileMessage(status));
}

void CDebugView::OnLoadFile() {
  if (!dialogs_.chooseLoadName) return;
  const std::optional<std::string> chosen = dialogs_.chooseLoadName(this);
  if (!chosen) return;
  std::vector<RegisterValueFinding> findings;
  const RegisterFileStatus status = LoadRegisterFile(*chosen, table_.Values(), nullptr, &findings);
  if (status != RegisterFileStatus::kDone) {
    // As for spectra: "Unable to Open File", then the file and the reason.
    std::string message(RegisterFileMessage(status));
    if (status == RegisterFileStatus::kUnableToOpen) message += "\n" + UnreadableFile(*chosen);
    prompt_.ShowError(message);
    return;
  }
  autoRead_->setChecked(false);
  ShowValue(table_.SelectedValue());
  // The lines the reading rules stored other than as written, as the tool
  // lists them before a write.
  if (findings.empty()) return;
  std::string lines;
  for (const RegisterValueFinding& finding : findings) lines += RegisterValueFindingText(finding) + "\n";
  prompt_.ShowMessage(register_file_text::kLoadTitle, lines);
}

CDocableDebugPane::CDocableDebugPane(CommandEngine& engine, SpectrumDocuments& spectra, Prompt& prompt,
                                     RegisterFileDialogs dialogs, QWidget* parent)
    : DockPane(
          QStringLiteral("Debug"), QStringLiteral("DebugPane"),
          [&engine, &spectra, &prompt, dialogs = std::move(dialogs)](QWidget* pane) {
            return new CDebugView(engine, spectra, prompt, dialogs, pane);
          },
          QStringLiteral("Failed in creating CDebugView"), parent, ViewCreation::kWhenNeeded) {}

CDebugView* CDocableDebugPane::DebugView() const { return qobject_cast<CDebugView*>(View()); }

}  // namespace korva
