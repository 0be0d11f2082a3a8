#pragma once

#include <QObject>
#include <map>

class QDockWidget;
class QMainWindow;

namespace korva {

// Keeps the side dock areas at the width the user gave them. The panes on
// top and at the bottom take whatever width the window has beside the side
// areas, so a side area changes width only when the user drags its
// separator, or when the window is too narrow for it and the panes on top
// together. The keeper notes the width a drag of the separator leaves (and
// the widths a restored layout has), and gives it back whenever the window
// or the panes shown change and there is room again.
class DockWidthKeeper : public QObject {
  Q_OBJECT

 public:
  explicit DockWidthKeeper(QMainWindow& window);

  // `pane` showing or hiding may change the other panes' widths.
  void Watch(QDockWidget& pane);
  // Takes the side areas' present widths as the ones to keep, once the
  // layout has settled.
  void RememberSoon();
  // Gives the panes of `area` this width from now on.
  void Keep(Qt::DockWidgetArea area, int width);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Widths = std::map<Qt::DockWidgetArea, int>;

  // The side areas' widths on screen once the layout has settled.
  Widths Measure() const;
  // Keeps the widths that differ from `before`; all of them when `before`
  // is empty.
  void Remember(const Widths& before);
  void RestoreSoon();
  void Restore();
  // The docked pane in front in `area`, or null.
  QDockWidget* PaneIn(Qt::DockWidgetArea area) const;

  QMainWindow& window_;
  Widths widths_;
  // The widths when the mouse went down on the window itself, where a
  // separator drag starts; a click elsewhere leaves them as they are.
  Widths atPress_;
  bool restorePending_ = false;
};

}  // namespace korva
