#include "shell/dock_width_keeper.h"

#include <QDockWidget>
#include <QEvent>
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
  connect(&pane, &QDockWidget::visibilityChanged, this,
          [this] { QTimer::singleShot(0, this, &DockWidthKeeper::Restore); });
}

void DockWidthKeeper::RememberSoon() { QTimer::singleShot(0, this, &DockWidthKeeper::Remember); }

// A separator is dragged with the mouse over the window itself; letting go
// ends the drag.
bool DockWidthKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && event->type() == QEvent::MouseButtonRelease) RememberSoon();
  return QObject::eventFilter(watched, event);
}

void DockWidthKeeper::Remember() {
  widths_.clear();
  for (const Qt::DockWidgetArea area : kSideAreas) {
    if (const QDockWidget* pane = PaneIn(area)) widths_[area] = pane->width();
  }
}

void DockWidthKeeper::Restore() {
  for (const auto& [area, width] : widths_) {
    QDockWidget* pane = PaneIn(area);
    if (pane != nullptr && pane->width() != width) window_.resizeDocks({pane}, {width}, Qt::Horizontal);
  }
}

QDockWidget* DockWidthKeeper::PaneIn(Qt::DockWidgetArea area) const {
  for (QDockWidget* pane : window_.findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly)) {
    if (pane->isVisible() && !pane->isFloating() && window_.dockWidgetArea(pane) == area) return pane;
  }
  return nullptr;
}

}  // namespace korva
