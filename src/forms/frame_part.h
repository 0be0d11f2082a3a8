#pragma once

#include <QKeySequence>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <functional>
#include <optional>
#include <vector>

class QMainWindow;

namespace korva {

class DockPane;

// The captions of the main window's top-level menus, which the window and
// the parts put their entries under.
inline const QString kFileMenu = QStringLiteral("&File");
inline const QString kEditMenu = QStringLiteral("&Edit");
inline const QString kViewMenu = QStringLiteral("&View");
inline const QString kSpectrumMenu = QStringLiteral("&Spectrum");
inline const QString kHardwareMenu = QStringLiteral("&Hardware");
inline const QString kUtilityMenu = QStringLiteral("&Utility");
inline const QString kHelpMenu = QStringLiteral("&Help");
// The captions of its two toolbars.
inline const QString kStandardToolBar = QStringLiteral("Standard");
inline const QString kHardwareToolBar = QStringLiteral("Hardware Control");

// A command a subsystem puts into the main window: its menu entry, its
// toolbar button and shortcut, and when it is enabled.
struct FrameCommand {
  int id = 0;
  QString menu;  // top-level menu caption, kFileMenu, kHardwareMenu, ...
  QString text;
  std::function<void()> run;
  QKeySequence shortcut = {};
  std::optional<QStyle::StandardPixmap> icon = std::nullopt;
  QString toolBar = {};  // kStandardToolBar, kHardwareToolBar, or none
  bool separatorBefore = false;
  std::function<bool()> enabled = {};  // always enabled when empty
  // Submenus of `menu` the entry lies in, outermost first ("Export Spectrum
  // To", "CSV File"); the entry lies in `menu` itself when empty.
  QStringList submenu = {};
  // A check mark that follows this rule; no check mark when empty.
  std::function<bool()> checked = {};
};

// A pane a subsystem docks into the main window. The pane is the part's
// (a child of the window, destroyed with the part).
struct FramePane {
  DockPane* pane = nullptr;
  Qt::DockWidgetArea area = Qt::TopDockWidgetArea;
  DockPane* tabifyWith = nullptr;
};

// One subsystem's share of the main window. The window assembles its menus,
// toolbars and dock panes from the parts, in the order the parts are
// listed, and calls them at fixed points; a part reaches the link, the
// settings and the prompt through what it was built with, and follows the
// engine and the connect and disconnect sequences by itself.
class FramePart {
 public:
  virtual ~FramePart() = default;

  virtual std::vector<FrameCommand> Commands() { return {}; }
  virtual std::vector<FramePane> Panes() { return {}; }
  // The 200 ms main timer ticked (after the engine's own tick).
  virtual void OnTick() {}
  // The computer is about to sleep: the link must be closed.
  virtual void OnSuspend() {}
  // Start-up, after the window's layout was restored, and close.
  virtual void RestoreSettings() {}
  virtual void SaveSettings() {}
  // The window's first frame is on the screen: start-up work that frame
  // does not show (reading files, filling hidden panes) runs here, so the
  // window appears without waiting for it.
  virtual void AfterFirstPaint() {}
};

}  // namespace korva
