#include "shell/event_log_pane.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace korva {

COutputWnd::COutputWnd(EventLog& log, QWidget* parent)
    : QWidget(parent), log_(log), list_(new QListWidget(this)) {
  list_->setObjectName(QStringLiteral("EventList%1").arg(kListControlId));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Per-pixel scrolling lets the list scroll across exactly the widest line.
  list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);

  for (const std::string& line : log_.Lines()) OnLineAppended(line);
  log_.AddListener(this);
  log_.AddLine("Start Application");
}

COutputWnd::~COutputWnd() { log_.RemoveListener(this); }

int COutputWnd::LineCount() const { return list_->count(); }

QString COutputWnd::LineAt(int row) const {
  const QListWidgetItem* item = list_->item(row);
  return item != nullptr ? item->text() : QString();
}

void COutputWnd::OnLineAppended(const std::string& line) {
  const QString text = QString::fromStdString(line);
  const int width = QFontMetrics(list_->font()).horizontalAdvance(text) + 10;
  lineWidths_.push_back(width);
  horizontalExtent_ = std::max(horizontalExtent_, width);
  list_->addItem(text);
  list_->setCurrentRow(list_->count() - 1);
  list_->scrollToBottom();
}

void COutputWnd::OnFirstLineRemoved() {
  delete list_->takeItem(0);
  if (lineWidths_.empty()) return;
  const int removed = lineWidths_.front();
  lineWidths_.pop_front();
  if (removed == horizontalExtent_) {
    horizontalExtent_ = lineWidths_.empty() ? 0 : *std::max_element(lineWidths_.begin(), lineWidths_.end());
  }
}

}  // namespace korva
