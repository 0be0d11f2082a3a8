#include "shell/dock_width_keeper.h"

#include <QDockWidget>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QTimer>

namespace korva {

namespace {

constexpr Qt::DockWidgetArea kSideAreas[] = {Qt::LeftDockWidgetArea, Qt::RightDockWidgetArea};

}  // namespace

DockWidthKeeper::DockWidthKeeper(QMainWindow& window) : QObject(&window), window_(window) {
  window_.installEventFilter(this);
}

void DockWidthKeeper::Watch(QDockWidget& pane) {
  connect(&pane, &QDockWidget::visibilityChanged, this, &DockWidthKeeper::RestoreSoon);
}

void DockWidthKeeper::RememberSoon() {
  QTimer::singleShot(0, this, [this] { Remember({}); });
}

void DockWidthKeeper::Keep(Qt::DockWidgetArea area, int width) {
  widths_[area] = width;
  Restore();
}

// A separator is dragged with the mouse over the window itself, not over a
// pane; a drag is told from a click by the widths having changed when the
// button is let go. The window growing back after it was too narrow for a
// kept width gives the width back.
bool DockWidthKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        atPress_ = Measure();
        break;
      case QEvent::MouseButtonRelease:
        if (!atPress_.empty()) {
          QTimer::singleShot(0, this, [this, before = atPress_] { Remember(before); });
          atPress_.clear();
        }
        break;
      case QEvent::Resize:
        RestoreSoon();
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

// Sizes asked for with resizeDocks reach the panes when the layout is next
// activated; it is activated first so the widths are the ones on screen.
DockWidthKeeper::Widths DockWidthKeeper::Measure() const {
  if (QLayout* layout = window_.layout()) layout->activate();
  Widths widths;
  for (const Qt::DockWidgetArea area : kSideAreas) {
    if (const QDockWidget* pane = PaneIn(area)) widths[area] = pane->width();
  }
  return widths;
}

void DockWidthKeeper::Remember(const Widths& before) {
  for (const auto& [area, width] : Measure()) {
    const auto old = before.find(area);
    if (before.empty() || old == before.end() || old->second != width) widths_[area] = width;
  }
}

void DockWidthKeeper::RestoreSoon() {
  if (restorePending_) return;
  restorePending_ = true;
  QTimer::singleShot(0, this, [this] {
    restorePending_ = false;
    Restore();
  });
}

// Only the side panes are sized: the panes on top and at the bottom take
// what is left. Where the window is too narrow the layout shares the
// shortfall out and the kept width waits for room.
void DockWidthKeeper::Restore() {
  if (QLayout* layout = window_.layout()) layout->activate();
  QList<QDockWidget*> panes;
  QList<int> widths;
  for (const auto& [area, width] : widths_) {
    QDockWidget* pane = PaneIn(area);
    if (pane == nullptr || pane->width() == width) continue;
    panes.append(pane);
    widths.append(width);
  }
  if (!panes.isEmpty()) window_.resizeDocks(panes, widths, Qt::Horizontal);
}

// A pane behind a tab has nothing on screen and keeps a stale width; where
// nothing is on screen at all (no window system), any shown pane stands for
// its area.
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
