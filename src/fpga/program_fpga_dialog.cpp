#include "fpga/program_fpga_dialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>
#include <filesystem>

#include "common/prompt.h"
#include "common/settings_store.h"
#include "qtadapters/qt_text.h"

namespace korva {

namespace {

// A button named by its caption that Enter does not press.
QPushButton* PlainButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(caption);
  button->setAutoDefault(false);
  return button;
}

// A progress bar counts in int; a design larger than that is shown scaled.
int BarUnits(std::uint64_t value, std::uint64_t range) {
  if (range <= static_cast<std::uint64_t>(INT_MAX)) return static_cast<int>(value);
  return static_cast<int>(value / (range / static_cast<std::uint64_t>(INT_MAX) + 1));
}

}  // namespace

DesignFileChooser QtDesignFileChooser() {
  return [](QWidget* parent, const std::string& folder) -> std::optional<std::string> {
    const QString start = folder.empty() ? QString(QtText(fpga_text::kInitialPath))
                                         : QString::fromStdString(folder) + QStringLiteral("/*.kbf");
    const QString name = QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), start,
                                                      QStringLiteral("Korva Binary (*.kbf);;All Files (*)"));
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
  };
}

CProgramFPGA::CProgramFPGA(SerialLink& port, Prompt& prompt, SettingsStore& settings,
                           DesignFileChooser chooseFile, QWidget* parent)
    : QDialog(parent),
      transfer_(port, prompt),
      prompt_(prompt),
      settings_(settings),
      chooseFile_(std::move(chooseFile)) {
  setWindowTitle(QtText(fpga_text::kTitle));
  setObjectName(QStringLiteral("CProgramFPGA"));

  auto* fileGroup = new QGroupBox(QStringLiteral("File"), this);
  auto* fileRow = new QHBoxLayout(fileGroup);
  path_ = new QLineEdit(QtText(fpga_text::kInitialPath), fileGroup);
  path_->setObjectName(QStringLiteral("path"));
  browse_ = PlainButton(QStringLiteral("Browse"), fileGroup);
  fileRow->addWidget(path_, 1);
  fileRow->addWidget(browse_);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setOrientation(Qt::Vertical);
  progress_->setTextVisible(false);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  log_ = new QListWidget(this);
  log_->setObjectName(QStringLiteral("log"));
  log_->setMinimumSize(420, 220);
  log_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  upload_ = PlainButton(QStringLiteral("Upload"), this);
  verify_ = PlainButton(QStringLiteral("Verify"), this);
  configure_ = PlainButton(QStringLiteral("Config FPGA"), this);
  QPushButton* stop = PlainButton(QStringLiteral("Stop"), this);
  QPushButton* close = PlainButton(QStringLiteral("Close"), this);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {upload_, verify_, configure_, stop}) buttons->addWidget(button);
  buttons->addStretch();
  buttons->addWidget(close);

  auto* middle = new QHBoxLayout;
  middle->addWidget(progress_);
  middle->addWidget(log_, 1);
  middle->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fileGroup);
  layout->addLayout(middle, 1);

  connect(browse_, &QPushButton::clicked, this, &CProgramFPGA::OnBrowse);
  connect(upload_, &QPushButton::clicked, this, &CProgramFPGA::OnUpload);
  connect(verify_, &QPushButton::clicked, this, &CProgramFPGA::OnVerify);
  connect(configure_, &QPushButton::clicked, this, &CProgramFPGA::OnConfigure);
  connect(stop, &QPushButton::clicked, this, &CProgramFPGA::OnStop);
  connect(close, &QPushButton::clicked, this, &CProgramFPGA::OnClose);

  transfer_.SetObserver(this);
  transfer_.Log().SetListener(this);
  lastFolder_ = settings_.ReadString(fpga_text::kLastPathKey, fpga_text::kLastPathValue).value_or("");
  timer_.callOnTimeout([this] { transfer_.OnTick(); });
  timer_.start(FpgaTransfer::kTickMs);
}

CProgramFPGA::~CProgramFPGA() {
  transfer_.SetObserver(nullptr);
  transfer_.Log().SetListener(nullptr);
}

std::filesystem::path CProgramFPGA::ChosenPath() const { return path_->text().toStdString(); }

void CProgramFPGA::OnBrowse() {
  if (!chooseFile_) return;
  const std::optional<std::string> chosen = chooseFile_(this, lastFolder_);
  if (!chosen) return;
  path_->setText(QString::fromStdString(*chosen));
  lastFolder_ = std::filesystem::path(*chosen).parent_path().string();
}

void CProgramFPGA::OnUpload() { transfer_.Upload(ChosenPath()); }

void CProgramFPGA::OnVerify() { transfer_.Verify(ChosenPath()); }

void CProgramFPGA::OnConfigure() {
  if (flashIncomplete_ && !transfer_.IsBusy() && !prompt_.AskYesNo(fpga_text::kConfigureIncomplete)) return;
  transfer_.Configure();
}

void CProgramFPGA::OnStop() { transfer_.Stop(); }

void CProgramFPGA::OnClose() {
  if (closing_) return;
  closing_ = true;
  if (transfer_.IsBusy()) transfer_.Stop();
  timer_.stop();
  settings_.WriteString(fpga_text::kLastPathKey, fpga_text::kLastPathValue, lastFolder_);
  QDialog::reject();
}

// Escape and the window's close box end the dialog as "Close" does, so a
// transfer never outlives it.
void CProgramFPGA::reject() { OnClose(); }

void CProgramFPGA::OnProgress(const FpgaProgress& progress) {
  progress_->setRange(0, std::max(1, BarUnits(progress.range, progress.range)));
  progress_->setValue(BarUnits(std::min(progress.position, progress.range), progress.range));
}

void CProgramFPGA::OnBusyChanged(bool busy) {
  for (QPushButton* button : {upload_, verify_, configure_, browse_}) button->setEnabled(!busy);
}

void CProgramFPGA::OnFinished(FpgaOperation operation, FpgaOutcome outcome) {
  if (operation == FpgaOperation::kUpload) flashIncomplete_ = outcome != FpgaOutcome::kDone;
}

// The last lines stay in view.
void CProgramFPGA::OnLineAdded(const std::string& line) {
  log_->addItem(QString::fromStdString(line));
  log_->scrollToBottom();
}

void CProgramFPGA::OnFirstLineRemoved() { delete log_->takeItem(0); }

}  // namespace korva
