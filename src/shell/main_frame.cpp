#include "shell/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <map>

#include "common/command_ids.h"
#include "common/prompt.h"
#include "common/settings_store.h"
#include "devicelink/link_timings.h"
#include "forms/dock_pane.h"
#include "qtadapters/qt_settings_store.h"
#include "shell/application_look.h"
#include "shell/copy_shortcut_guard.h"
#include "shell/dock_width_keeper.h"
#include "shell/event_log_pane.h"
#include "shell/frame_parts.h"
#include "shell/message_box_prompt.h"
#include "shell/power_events.h"

namespace korva {

namespace {

// On a first start the window takes this share of the screen's free area.
constexpr double kFirstStartScreenShare = 0.9;
// The Events pane keeps a few lines in view on a first start.
constexpr int kFirstStartEventsHeight = 100;
constexpr int kFirstStartReservedHeight = 200;
// The set-up forms on the right take this share of the width: at 1920
// points the SHAPER form fits without scrolling.
constexpr double kFirstStartRightShare = 0.26;
// On a smaller screen they take more, up to this share, so that the form in
// front does not scroll sideways.
constexpr double kFirstStartRightMostShare = 0.3;
// "TBAR STATE": standard toolbar, hardware toolbar, status bar visible.
constexpr std::size_t kStatusBarStateByte = 2;

std::vector<std::uint8_t> Bytes(const QByteArray& bytes) { return {bytes.begin(), bytes.end()}; }

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

CMainFrame::CMainFrame(const MainFrameServices& services, QWidget* parent)
    : QMainWindow(parent),
      ownPrompt_(services.prompt == nullptr ? std::make_unique<MessageBoxPrompt>(this) : nullptr),
      ownSettings_(services.settings == nullptr ? std::make_unique<QtSettingsStore>() : nullptr),
      prompt_(services.prompt != nullptr ? services.prompt : ownPrompt_.get()),
      settings_(services.settings != nullptr ? services.settings : ownSettings_.get()),
      instrument_(spectra_.buffer.image, *prompt_),
      context_{*this, instrument_, *prompt_, *settings_, spectra_, timeReference_, timeServices_},
      powerEvents_(new PowerEvents(this)),
      dockWidths_(new DockWidthKeeper(*this)),
      copyGuard_(new CopyShortcutGuard(this)),
      applicationLook_(static_cast<int>(
          settings_->ReadDword(settings_path::kApp, "AppLook").value_or(kDefaultApplicationLook))) {
  setWindowTitle(QStringLiteral("Korva-TDCR"));
  setObjectName(QStringLiteral("MainFrame"));
  Session().SetTimings(ReadLinkTimings(*settings_));
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks);
  // The set-up forms on the right run the window's full height.
  setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
  setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
  // The panes on top and at the bottom sit over an empty strip in the
  // middle. The strip is what takes up the width the window gains or loses,
  // so the side docks keep theirs; without it the window's layout counts the
  // middle column as empty, leaves the separator beside it out of its sums
  // and moves that separator by its own width at every pass, and the right
  // dock crept wider whenever a pane on top kept asking for a new layout.
  auto* middle = new QWidget(this);
  middle->setObjectName(QStringLiteral("MiddleStrip"));
  middle->setMaximumHeight(0);
  setCentralWidget(middle);
  if (!IsApplicationLook(applicationLook_)) applicationLook_ = kDefaultApplicationLook;
  ApplyApplicationLook(applicationLook_);

  parts_ = CreateFrameParts(context_, services);
  CreateFrameCommands();
  CreatePanes();
  statusBar()->showMessage(QStringLiteral("Ready"));

  connect(&instrument_, &InstrumentSession::Ticked, this, &CMainFrame::OnTick);
  connect(&Session(), &LinkSession::Connected, this, &CMainFrame::UpdateCommandStates);
  connect(&Session(), &LinkSession::Disconnected, this, &CMainFrame::UpdateCommandStates);
  // Every connection attempt asks for a fresh time reference before the next start stamp.
  connect(&Session(), &LinkSession::ConnectStarting, this, [this] { timeReference_.RequireChoice(); });
  connect(powerEvents_, &PowerEvents::Suspending, this, [this] {
    for (const auto& part : parts_) part->OnSuspend();
  });
  connect(powerEvents_, &PowerEvents::Resumed, this, [this] { ApplyApplicationLook(applicationLook_); });
  RestoreSettings();
  UpdateCommandStates();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateFrameCommands() {
  // The menus every window has keep their usual order, whichever part asks
  // for them first.
  Menu(kFileMenu);
  Menu(kEditMenu);
  QMenu* view = Menu(kViewMenu);
  windowsMenu_ = view->addMenu(QStringLiteral("Toolbars and Docking Windows"));
  AddPartCommands();

  AddCommand(
      {command::kExit, kFileMenu, QStringLiteral("E&xit"), [this] { close(); }, {}, std::nullopt, {}, true});
  statusBarToggle_ = view->addAction(QStringLiteral("&Status Bar"));
  statusBarToggle_->setCheckable(true);
  statusBarToggle_->setChecked(true);
  statusBarToggle_->setData(command::kStatusBar);
  connect(statusBarToggle_, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
  commands_.emplace_back(command::kStatusBar, statusBarToggle_);

  lookGroup_ = new QActionGroup(this);
  for (const ApplicationLook& entry : kApplicationLooks) {
    auto* action = new QAction(QString::fromLatin1(entry.menuText), lookGroup_);
    action->setCheckable(true);
    action->setChecked(entry.commandId == applicationLook_);
    action->setData(entry.commandId);
    const int id = entry.commandId;
    connect(action, &QAction::triggered, this, [this, id] { OnApplicationLook(id); });
    commands_.emplace_back(id, action);
  }
  view->addMenu(QStringLiteral("Application Look"))->addActions(lookGroup_->actions());
  view->addSeparator();
  AddCommand(
      {command::kRestoreLayout, kViewMenu, QStringLiteral("Restore Layout"), [this] { OnRestoreLayout(); }});
  AddCommand(
      {command::kDefaultLayout, kViewMenu, QStringLiteral("Default Layout"), [this] { OnDefaultLayout(); }});
  AddCommand({command::kAbout,
              kHelpMenu,
              QStringLiteral("&About KorvaTDCR..."),
              [this] { prompt_->ShowMessage("About Korva-TDCR", "Korva-TDCR, Version 7.0"); },
              {},
              QStyle::SP_TitleBarContextHelpButton,
              kStandardToolBar});
  for (const auto& [title, toolBar] : toolBars_) windowsMenu_->addAction(toolBar->toggleViewAction());
}

void CMainFrame::AddPartCommands() {
  for (const auto& part : parts_) {
    for (const FrameCommand& command : part->Commands()) AddCommand(command);
  }
}

// Menus and toolbars are made as the first command asks for them, so they
// appear in the order of the frame's and the parts' commands.
void CMainFrame::AddCommand(const FrameCommand& command) {
  auto* action = new QAction(command.text, this);
  action->setData(command.id);
  if (!command.shortcut.isEmpty()) action->setShortcut(command.shortcut);
  if (command.icon) action->setIcon(style()->standardIcon(*command.icon));
  const std::function<void()> run = command.run;
  connect(action, &QAction::triggered, this, [this, run] {
    run();
    UpdateCommandStates();
  });
  QMenu* menu = Menu(command.menu);
  for (const QString& caption : command.submenu) menu = Submenu(menu, caption);
  if (command.separatorBefore && !menu->isEmpty()) menu->addSeparator();
  menu->addAction(action);
  if (!command.toolBar.isEmpty()) ToolBar(command.toolBar)->addAction(action);
  if (command.enabled) enableRules_.emplace_back(action, command.enabled);
  if (command.checked) {
    action->setCheckable(true);
    checkRules_.emplace_back(action, command.checked);
  }
  commands_.emplace_back(command.id, action);
}

QMenu* CMainFrame::Menu(const QString& caption) {
  for (const auto& [name, menu] : menus_) {
    if (name == caption) return menu;
  }
  QMenu* menu = menuBar()->addMenu(caption);
  menus_.emplace_back(caption, menu);
  return menu;
}

QMenu* CMainFrame::Submenu(QMenu* menu, const QString& caption) {
  for (QAction* entry : menu->actions()) {
    if (entry->menu() != nullptr && entry->text() == caption) return entry->menu();
  }
  return menu->addMenu(caption);
}

QToolBar* CMainFrame::ToolBar(const QString& title) {
  for (const auto& [name, toolBar] : toolBars_) {
    if (name == title) return toolBar;
  }
  QToolBar* toolBar = addToolBar(title);
  toolBar->setObjectName(QString(title).remove(QLatin1Char(' ')) + QStringLiteral("ToolBar"));
  toolBars_.emplace_back(title, toolBar);
  return toolBar;
}

QAction* CMainFrame::Action(int commandId) const {
  for (const auto& [id, action] : commands_) {
    if (id == commandId) return action;
  }
  return nullptr;
}

void CMainFrame::Trigger(int commandId) { Action(commandId)->trigger(); }

void CMainFrame::UpdateCommandStates() {
  for (const auto& [action, enabled] : enableRules_) action->setEnabled(enabled());
  for (const auto& [action, checked] : checkRules_) action->setChecked(checked());
}

void CMainFrame::AddPane(DockPane* pane, Qt::DockWidgetArea area) {
  addDockWidget(area, pane);
  dockWidths_->Watch(*pane);
  windowsMenu_->addAction(pane->toggleViewAction());
  panes_.push_back(pane);
}

// Panes of one dock area share it as tabs: each joins the first pane of its
// area unless its part names the pane it goes beside. The pane others join
// is shown in front.
void CMainFrame::CreatePanes() {
  eventsPane_ = std::make_unique<DockPane>(
      QStringLiteral("Events"), QStringLiteral("EventsPane"),
      [this](QWidget* parent) { return eventsView_ = new COutputWnd(Log(), parent); },
      QStringLiteral("Failed to create output windows"), this);
  AddPane(eventsPane_.get(), Qt::BottomDockWidgetArea);
  std::map<Qt::DockWidgetArea, DockPane*> firstInArea = {{Qt::BottomDockWidgetArea, eventsPane_.get()}};
  std::vector<DockPane*> tabGroupFronts;
  for (const auto& part : parts_) {
    for (const FramePane& pane : part->Panes()) {
      AddPane(pane.pane, pane.area);
      DockPane* beside = pane.tabifyWith != nullptr ? pane.tabifyWith : firstInArea[pane.area];
      if (beside == nullptr) {
        firstInArea[pane.area] = frontInArea_[pane.area] = pane.pane;
        continue;
      }
      tabifyDockWidget(beside, pane.pane);
      if (std::ranges::find(tabGroupFronts, beside) == tabGroupFronts.end()) tabGroupFronts.push_back(beside);
    }
  }
  for (DockPane* front : tabGroupFronts) {
    front->raise();
    frontInArea_[dockWidgetArea(front)] = front;
  }
}

void CMainFrame::RestoreSettings() {
  // The layout as built is the factory layout "Default Layout" returns to.
  factoryLayout_ = saveState();
  if (!settings_->ReadBinary(settings_path::kWorkspace, "AppStateDefault")) {
    settings_->WriteBinary(settings_path::kWorkspace, "AppStateDefault", Bytes(factoryLayout_));
  }
  RestorePlacement();
  if (const auto layout = settings_->ReadBinary(settings_path::kWorkspace, "AppState")) {
    layoutRestored_ = restoreState(ToByteArray(*layout));
  }
  if (const auto bars = settings_->ReadBinary(settings_path::kWorkspace, "TBAR STATE");
      bars && bars->size() > kStatusBarStateByte) {
    statusBarToggle_->setChecked((*bars)[kStatusBarStateByte] != 0);
    statusBar()->setVisible((*bars)[kStatusBarStateByte] != 0);
  }
  for (const auto& part : parts_) part->RestoreSettings();
}

// A first start has no placement: the window takes most of the screen, so
// the measurement settings are in view without scrolling.
void CMainFrame::RestorePlacement() {
  if (const auto placement = settings_->ReadBinary(settings_path::kWindowPos, "WinPos")) {
    restoreGeometry(ToByteArray(*placement));
    return;
  }
  const QRect available = screen()->availableGeometry();
  const QSize size = available.size() * kFirstStartScreenShare;
  setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, available));
}

void CMainFrame::SaveSettings() {
  settings_->WriteBinary(settings_path::kWindowPos, "WinPos", Bytes(saveGeometry()));
  settings_->WriteDword(settings_path::kApp, "AppLook", static_cast<std::uint32_t>(applicationLook_));
  settings_->WriteBinary(settings_path::kWorkspace, "AppState", Bytes(saveState()));
  std::vector<std::uint8_t> bars;
  for (const auto& [title, toolBar] : toolBars_)
    bars.push_back(static_cast<std::uint8_t>(toolBar->isVisible()));
  bars.resize(kStatusBarStateByte);
  bars.push_back(static_cast<std::uint8_t>(statusBar()->isVisible()));
  settings_->WriteBinary(settings_path::kWorkspace, "TBAR STATE", bars);
  for (const auto& part : parts_) part->SaveSettings();
}

// The parts' deferred start-up work runs in the event loop's turn after the
// window's own first paint, once that frame has been flushed to the screen.
bool CMainFrame::event(QEvent* event) {
  if (event->type() == QEvent::Paint && firstPaintPending_) {
    firstPaintPending_ = false;
    QTimer::singleShot(0, this, [this] {
      for (const auto& part : parts_) part->AfterFirstPaint();
      // The panes behind others build their views now that the window is up.
      for (const DockPane* pane : panes_) pane->View();
    });
  }
  return QMainWindow::event(event);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!timerPending_) return;
  timerPending_ = false;
  if (layoutRestored_) {
    dockWidths_->RememberSoon();
  } else {
    QTimer::singleShot(0, this, [this] { GiveMeasurementPanesTheRoom(); });
  }
  // The timer starts once the window has been painted for the first time.
  QTimer::singleShot(0, this, [this] { instrument_.StartTicking(); });
}

// On a first start and on "Default Layout" the measurement panes get the
// room and the log and the panes beside it keep a few lines in view; later
// starts show the layout the user left.
void CMainFrame::GiveMeasurementPanesTheRoom() {
  if (DockPane* top = frontInArea_[Qt::TopDockWidgetArea]) {
    resizeDocks({top, eventsPane_.get()}, {height() - kFirstStartReservedHeight, kFirstStartEventsHeight},
                Qt::Vertical);
  }
  const int share = static_cast<int>(width() * kFirstStartRightShare);
  const int most = std::max(share, static_cast<int>(width() * kFirstStartRightMostShare));
  dockWidths_->Keep(Qt::RightDockWidgetArea,
                    std::clamp(WholeWidth(frontInArea_[Qt::RightDockWidgetArea]), share, most));
}

// The width at which a pane's form shows whole beside its vertical scroll
// bar, or 0 for a pane that does not scroll.
int CMainFrame::WholeWidth(const DockPane* pane) const {
  const auto* form = pane != nullptr ? qobject_cast<const QScrollArea*>(pane->View()) : nullptr;
  if (form == nullptr || form->widget() == nullptr) return 0;
  const int frame = pane->width() - form->width() + 2 * form->frameWidth();
  return form->widget()->minimumSizeHint().width() + frame + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (Session().IsPortOpen() || Session().Engine().IsConnected()) Session().Disconnect();
  SaveSettings();
  instrument_.StopTicking();
  event->accept();
}

void CMainFrame::OnTick() {
  for (const auto& part : parts_) part->OnTick();
  UpdateCommandStates();
}

void CMainFrame::OnApplicationLook(int commandId) {
  applicationLook_ = commandId;
  ApplyApplicationLook(commandId);
  for (QAction* action : lookGroup_->actions()) action->setChecked(action->data().toInt() == commandId);
  update();
}

void CMainFrame::OnRestoreLayout() {
  if (const auto layout = settings_->ReadBinary(settings_path::kWorkspace, "AppState")) {
    restoreState(ToByteArray(*layout));
  }
  dockWidths_->RememberSoon();
}

void CMainFrame::OnDefaultLayout() {
  const auto layout = settings_->ReadBinary(settings_path::kWorkspace, "AppStateDefault");
  restoreState(layout ? ToByteArray(*layout) : factoryLayout_);
  // The layout was saved before the window had a size: the panes get the
  // room a first start gives them.
  QTimer::singleShot(0, this, [this] { GiveMeasurementPanesTheRoom(); });
}

}  // namespace korva
