#include "shell/dock_width_keeper.h"

#include <QDockWidget>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QTimer>
#include <algorithm>

namespace korva {

namespace {

constexpr Qt::DockWidgetArea kSideAreas[] = {Qt::LeftDockWidgetArea, Qt::RightDockWidgetArea};

}  // namespace

DockWidthKeeper::DockWidthKeeper(QMainWindow& window) : QObject(&window), window_(window) {
  window_.installEventFilter(this);
}

void DockWidthKeeper::Watch(QDockWidget& pane) {
  connect(&pane, &QDockWidget::visibilityChanged, this,
          [this] { QTimer::singleShot(0, this, &DockWidthKeeper::Restore); });
}

void DockWidthKeeper::RememberSoon() { QTimer::singleShot(0, this, &DockWidthKeeper::Remember); }

void DockWidthKeeper::Keep(Qt::DockWidgetArea area, int width) {
  widths_[area] = width;
  Restore();
  QTimer::singleShot(0, this, &DockWidthKeeper::Restore);
}

// A separator is dragged with the mouse over the window itself; letting go
// ends the drag.
bool DockWidthKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && event->type() == QEvent::MouseButtonRelease) RememberSoon();
  return QObject::eventFilter(watched, event);
}

// Sizes asked for with resizeDocks reach the panes when the layout is next
// activated; the keeper activates it first so it notes what the user sees.
void DockWidthKeeper::Remember() {
  if (QLayout* layout = window_.layout()) layout->activate();
  widths_.clear();
  for (const Qt::DockWidgetArea area : kSideAreas) {
    if (const QDockWidget* pane = PaneIn(area)) widths_[area] = pane->width();
  }
}

// The side areas share the width with the panes on top, which take what
// the kept widths leave of what they all have now, so the layout has
// nowhere else to put it.
void DockWidthKeeper::Restore() {
  QDockWidget* top = PaneIn(Qt::TopDockWidgetArea);
  if (top == nullptr) return;
  QList<QDockWidget*> panes;
  QList<int> widths;
  int rest = top->width();
  for (const auto& [area, width] : widths_) {
    if (QDockWidget* pane = PaneIn(area)) {
      panes.append(pane);
      widths.append(width);
      rest += pane->width() - width;
    }
  }
  if (panes.isEmpty()) return;
  panes.append(top);
  widths.append(std::max(rest, top->minimumSizeHint().width()));
  window_.resizeDocks(panes, widths, Qt::Horizontal);
}

// A pane behind a tab has nothing on screen; where nothing is on screen at
// all (no window system), any shown pane stands for its area.
QDockWidget* DockWidthKeeper::PaneIn(Qt::DockWidgetArea area) const {
  QDockWidget* shown = nullptr;
  for (QDockWidget* pane : window_.findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!pane->isVisible() || pane->isFloating() || window_.dockWidgetArea(pane) != area) continue;
    if (!pane->visibleRegion().isEmpty()) return pane;
    if (shown == nullptr) shown = pane;
  }
  return shown;
}

}  // namespace korva
