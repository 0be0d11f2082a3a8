#include "forms/dock_pane.h"

#include <QLabel>

namespace korva {

DockPane::DockPane(const QString& caption, const QString& objectName, const ViewFactory& createView,
                   const QString& failureText, QWidget* parent, ViewCreation creation)
    : QDockWidget(caption, parent), createView_(createView), failureText_(failureText) {
  setObjectName(objectName);
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
              QDockWidget::DockWidgetFloatable);
  if (creation == ViewCreation::kNow) {
    CreateView();
    return;
  }
  // Qt says a pane is visible when it is shown in a place of its own or its
  // tab comes to the front; a pane behind another's tab is shown off the
  // window and said to be invisible.
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible && pending_) CreateView();
  });
}

// Building the view on first request is not a change the caller can see:
// the pane looks and answers the same whenever it was built.
QWidget* DockPane::View() const {
  if (pending_) const_cast<DockPane*>(this)->CreateView();
  return view_;
}

void DockPane::CreateView() {
  pending_ = false;
  view_ = createView_(this);
  createView_ = nullptr;
  if (view_ == nullptr) {
    auto* failure = new QLabel(failureText_, this);
    failure->setAlignment(Qt::AlignCenter);
    setWidget(failure);
    return;
  }
  view_->resize(205, 157);
  setWidget(view_);
  emit ViewCreated(view_);
}

}  // namespace korva
