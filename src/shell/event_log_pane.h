#pragma once

#include <QWidget>
#include <deque>

#include "common/event_log.h"

class QListWidget;

namespace korva {

// The "Events" pane: a single-column list mirroring the event log, scrolled
// so that the newest line is always visible.
class COutputWnd : public QWidget, private EventLog::Listener {
  Q_OBJECT

 public:
  static constexpr int kListControlId = 500;

  // Shows the lines the log already holds, then appends "Start Application".
  COutputWnd(EventLog& log, QWidget* parent = nullptr);
  ~COutputWnd() override;

  int LineCount() const;
  QString LineAt(int row) const;
  // Horizontal scroll extent: the widest line's drawn width plus 10 pixels.
  int HorizontalExtent() const { return horizontalExtent_; }
  // A few lines of log: the measurement panes get the rest of the window.
  QSize sizeHint() const override { return {600, 140}; }

 private:
  void OnLineAppended(const std::string& line) override;
  void OnFirstLineRemoved() override;

  EventLog& log_;
  QListWidget* list_;
  std::deque<int> lineWidths_;
  int horizontalExtent_ = 0;
};

}  // namespace korva
