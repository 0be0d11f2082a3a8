#include "timesync/time_stamp_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korva {
namespace {

QPushButton* MakeButton(const char* caption, const char* name, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

QFrame* MakeRule(QWidget* parent) {
  auto* rule = new QFrame(parent);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  return rule;
}

}  // namespace

CTimeUTC::CTimeUTC(const TimeStampTools& tools, QWidget* parent)
    : QDialog(parent),
      session_(tools),
      report_(new QListWidget(this)),
      server_(new QComboBox(this)),
      getUtc_(MakeButton("Get UTC", "getUtc", this)),
      synchronise_(MakeButton("Synchonize SYSTEM/LOCAL with NTP", "synchronise", this)),
      useUtc_(MakeButton("Use UTC", "useUtc", this)),
      useLocal_(MakeButton("Use LOCAL", "useLocal", this)),
      useSystem_(MakeButton("Use SYSTEM", "useSystem", this)) {
  setWindowTitle(QStringLiteral("Measurement Time Stamp"));
  BuildLayout();

  for (const char* name : kPresetServers) server_->addItem(QString::fromLatin1(name));
  server_->setCurrentIndex(0);
  getUtc_->setDefault(true);
  UpdateButtons();

  connect(getUtc_, &QPushButton::clicked, this, &CTimeUTC::OnGetUtc);
  connect(synchronise_, &QPushButton::clicked, this, &CTimeUTC::OnSynchronise);
  connect(useUtc_, &QPushButton::clicked, this, [this] { CloseWith(TimeReferenceKind::kUtc); });
  connect(useLocal_, &QPushButton::clicked, this, [this] { CloseWith(TimeReferenceKind::kLocal); });
  connect(useSystem_, &QPushButton::clicked, this, [this] { CloseWith(TimeReferenceKind::kSystem); });
}

// The report uses a fixed-pitch font so the four timestamp lines align; it
// is wide enough for the 76-character separator.
void CTimeUTC::BuildLayout() {
  report_->setObjectName(QStringLiteral("report"));
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  report_->setSelectionMode(QAbstractItemView::NoSelection);
  report_->setFocusPolicy(Qt::NoFocus);
  const QFontMetrics metrics(report_->font());
  report_->setMinimumSize(metrics.horizontalAdvance(QString(78, QLatin1Char('-'))) + 24,
                          metrics.height() * 16);

  server_->setObjectName(QStringLiteral("server"));
  server_->setEditable(true);
  server_->setInsertPolicy(QComboBox::NoInsert);
  server_->setMinimumContentsLength(24);

  auto* serverRow = new QHBoxLayout;
  serverRow->addWidget(new QLabel(QStringLiteral("NTP TIME SERVER"), this));
  serverRow->addWidget(server_, 1);
  serverRow->addWidget(getUtc_);
  serverRow->addWidget(synchronise_);

  auto* choiceRow = new QHBoxLayout;
  choiceRow->addStretch(1);
  choiceRow->addWidget(useUtc_);
  choiceRow->addWidget(useLocal_);
  choiceRow->addWidget(useSystem_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("TIME FORMAT: DD/MM/YYYY  HH:MM:SS.MS"), this));
  layout->addWidget(report_, 1);
  layout->addLayout(serverRow);
  layout->addWidget(MakeRule(this));
  layout->addLayout(choiceRow);
}

// The query blocks for at most its 5 s time-out plus the name lookup.
void CTimeUTC::OnGetUtc() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  AppendLines(session_.GetUtc(server_->currentText().toStdString()));
  QApplication::restoreOverrideCursor();
  UpdateButtons();
}

void CTimeUTC::OnSynchronise() { AppendLines(session_.Synchronise()); }

void CTimeUTC::CloseWith(TimeReferenceKind choice) {
  choice_ = choice;
  accept();
}

void CTimeUTC::AppendLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) report_->addItem(QString::fromStdString(line));
  report_->scrollToBottom();
}

void CTimeUTC::UpdateButtons() {
  useUtc_->setEnabled(session_.QueryGood());
  synchronise_->setEnabled(session_.QueryGood());
}

void ChooseTimeReference(TimeReferenceState& reference, const TimeStampTools& tools, QWidget* parent) {
  CTimeUTC dialog(tools, parent);
  if (dialog.exec() != QDialog::Accepted) return;
  reference.Choose(dialog.Choice(), dialog.LastOffset(), dialog.LastServer());
}

}  // namespace korva
