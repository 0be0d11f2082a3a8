#pragma once

#include <QDockWidget>
#include <functional>

namespace korva {

// A dockable pane hosting one view. The view is created as a visible child
// of its first size and fills the pane on every resize; when it cannot be
// created the pane shows its failure text and the program goes on without it.
class DockPane : public QDockWidget {
  Q_OBJECT

 public:
  using ViewFactory = std::function<QWidget*(QWidget* parent)>;

  DockPane(const QString& caption, const QString& objectName, const ViewFactory& createView,
           const QString& failureText, QWidget* parent);

  QWidget* View() const { return view_; }

 private:
  QWidget* view_ = nullptr;
};

}  // namespace korva
