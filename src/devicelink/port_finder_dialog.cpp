#include "devicelink/port_finder_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace korva {

CFindComPort::CFindComPort(LinkSession& session, EventLog& log, PortSearch::Enumerator enumerate,
                           QWidget* parent)
    : QDialog(parent),
      search_(session, log, std::move(enumerate)),
      foundList_(new QComboBox(this)),
      status_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)),
      cancelButton_(new QPushButton(QStringLiteral("Cancel"), this)),
      findButton_(new QPushButton(QStringLiteral("FIND"), this)) {
  setWindowTitle(QStringLiteral("Korva Port Finder"));
  foundList_->setObjectName(QStringLiteral("combo278"));
  status_->setObjectName(QStringLiteral("status281"));
  progress_->setObjectName(QStringLiteral("progress270"));
  findButton_->setObjectName(QStringLiteral("button32772"));
  foundList_->setMinimumContentsLength(40);
  status_->setWordWrap(true);
  status_->setMinimumHeight(2 * status_->fontMetrics().height());
  progress_->setTextVisible(false);

  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("PORT"), this), 0, 0);
  layout->addWidget(foundList_, 0, 1);
  layout->addWidget(status_, 1, 0, 1, 2);
  layout->addWidget(progress_, 2, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(findButton_);
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  layout->addLayout(buttons, 3, 0, 1, 2);

  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &CFindComPort::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &CFindComPort::reject);
  connect(findButton_, &QPushButton::clicked, this, &CFindComPort::Search);
  connect(&search_, &PortSearch::ProgressRangeChanged, progress_,
          [this](int maximum) { progress_->setRange(0, maximum); });
  connect(&search_, &PortSearch::ProgressAdvanced, progress_, &QProgressBar::setValue);
  connect(&search_, &PortSearch::InstrumentFound, this, [this](const QString& entry) {
    foundList_->addItem(entry);
    foundList_->setCurrentIndex(foundList_->count() - 1);
  });
}

void CFindComPort::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (searchedOnce_) return;
  searchedOnce_ = true;
  QTimer::singleShot(0, this, &CFindComPort::Search);
}

void CFindComPort::SetButtonsEnabled(bool enabled) {
  okButton_->setEnabled(enabled);
  cancelButton_->setEnabled(enabled);
  findButton_->setEnabled(enabled);
}

void CFindComPort::Search() {
  if (search_.IsSearching()) return;
  progress_->reset();
  status_->setText(QStringLiteral("SEARCHING...  PLEASE WAIT!"));
  SetButtonsEnabled(false);
  foundList_->clear();

  const std::vector<PortSearch::Found> found = search_.Run();

  progress_->reset();
  SetButtonsEnabled(true);
  if (found.size() == 1) {
    accept();
  } else if (found.size() > 1) {
    foundList_->setCurrentIndex(0);
    status_->setText(QStringLiteral("Found multiple Korva devices... Please, select port and press OK."));
  } else {
    status_->setText(
        QStringLiteral("No Korva devices were found... Please, reconnect the device and press FIND."));
  }
}

void CFindComPort::accept() {
  if (search_.IsSearching()) return;
  portName_ = DevicePathFromFriendlyName(foundList_->currentText().toStdString());
  QDialog::accept();
}

void CFindComPort::reject() {
  if (search_.IsSearching()) return;
  QDialog::reject();
}

}  // namespace korva
