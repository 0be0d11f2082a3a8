#pragma once

#include <QDockWidget>
#include <functional>

namespace korva {

// A dockable pane hosting one view, which fills the pane on every resize;
// when the view cannot be created the pane shows its failure text and the
// program goes on without it.
//
// A pane hidden behind another at start-up need not build its view before
// the window first appears: made with ViewCreation::kWhenNeeded, it builds
// the view the first time the pane is shown or the view is asked for, and
// says so with ViewCreated, where its owner connects the view.
class DockPane : public QDockWidget {
  Q_OBJECT

 public:
  using ViewFactory = std::function<QWidget*(QWidget* parent)>;
  enum class ViewCreation { kNow, kWhenNeeded };

  DockPane(const QString& caption, const QString& objectName, const ViewFactory& createView,
           const QString& failureText, QWidget* parent, ViewCreation creation = ViewCreation::kNow);

  // The view, built now if it was still waiting; null when it could not be created.
  QWidget* View() const;
  // The view if it has been built, without building it: what only
  // refreshes a view need not build one, which shows the state it is built in.
  QWidget* BuiltView() const { return view_; }
  // The view was tried and could not be created; false while it waits.
  bool ViewFailed() const { return !pending_ && view_ == nullptr; }

 signals:
  // The view was built: emitted once, with the view View() returns from then on.
  void ViewCreated(QWidget* view);

 private:
  void CreateView();

  ViewFactory createView_;
  QString failureText_;
  bool pending_ = true;
  QWidget* view_ = nullptr;
};

}  // namespace korva
