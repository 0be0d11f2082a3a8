#pragma once

#include <QObject>
#include <map>

class QDockWidget;
class QMainWindow;

namespace korva {

// Keeps the side dock areas at the width the user gave them. The window's
// dock layout shares the width out afresh whenever the pane in front of a
// tab group changes, after the new pane's size hint, so the forms on the
// right would narrow beside one pane and swell beside another. The keeper
// notes each side area's width when the user lets go of a separator (and
// when the layout is set), and puts it back after every change of the
// panes in front.
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
  void Remember();
  void Restore();
  // The docked pane in front in `area`, or null.
  QDockWidget* PaneIn(Qt::DockWidgetArea area) const;

  QMainWindow& window_;
  std::map<Qt::DockWidgetArea, int> widths_;
};

}  // namespace korva
