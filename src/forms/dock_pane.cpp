#include "forms/dock_pane.h"

#include <QLabel>

namespace korva {

DockPane::DockPane(const QString& caption, const QString& objectName, const ViewFactory& createView,
                   const QString& failureText, QWidget* parent)
    : QDockWidget(caption, parent) {
  setObjectName(objectName);
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
              QDockWidget::DockWidgetFloatable);
  view_ = createView(this);
  if (view_ == nullptr) {
    auto* failure = new QLabel(failureText, this);
    failure->setAlignment(Qt::AlignCenter);
    setWidget(failure);
    return;
  }
  view_->resize(205, 157);
  setWidget(view_);
}

}  // namespace korva
