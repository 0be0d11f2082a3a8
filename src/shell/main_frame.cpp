#include "shell/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QFile>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "devicelink/hardware_identity.h"
#include "devicelink/port_dialog.h"
#include "devicelink/port_finder_dialog.h"
#include "devicelink/serial_port_enumerator.h"
#include "shell/application_look.h"
#include "forms/dock_pane.h"
#include "shell/event_log_pane.h"
#include "devicelink/link_session.h"
#include "shell/message_box_prompt.h"
#include "shell/qt_settings_store.h"
#include "tdcr/measurement_file_saver.h"
#include "tdcr/qt_measurement_save_dialogs.h"
#include "tdcr/tdcr_measurement.h"
#include "tdcr/tdcr_panes.h"
#include "tdcr/time_reference_start_source.h"
#include "timesync/time_stamp_dialog.h"

namespace korva {

namespace {

namespace command {
constexpr int kExit = 57665;
constexpr int kStatusBar = 59393;
constexpr int kRestoreLayout = 32840;
constexpr int kDefaultLayout = 32914;
constexpr int kPort = 32779;
constexpr int kAutoConnect = 32794;
constexpr int kConnect = 32895;
constexpr int kDisconnect = 32893;
constexpr int kAboutHardware = 32860;
constexpr int kSaveTdcrAs = 32844;
constexpr int kAbout = 57664;
}  // namespace command

std::vector<std::uint8_t> Bytes(const QByteArray& bytes) { return {bytes.begin(), bytes.end()}; }

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

CMainFrame::CMainFrame(MainFrameServices services, QWidget* parent)
    : QMainWindow(parent),
      ownPrompt_(services.prompt == nullptr ? std::make_unique<MessageBoxPrompt>(this) : nullptr),
      ownSettings_(services.settings == nullptr ? std::make_unique<QtSettingsStore>() : nullptr),
      ownSaveDialogs_(services.saveDialogs == nullptr ? std::make_unique<QtMeasurementSaveDialogs>(this)
                                                      : nullptr),
      prompt_(services.prompt != nullptr ? services.prompt : ownPrompt_.get()),
      settings_(services.settings != nullptr ? services.settings : ownSettings_.get()),
      saveDialogs_(services.saveDialogs != nullptr ? services.saveDialogs : ownSaveDialogs_.get()),
      enumerate_(services.enumerate ? services.enumerate : EnumerateSerialPorts),
      log_(clock_),
      session_(new LinkSession(bufferSpectrum_.image, log_, *prompt_, this)),
      portDialog_(new CComPortDlg(enumerate_, this)),
      applicationLook_(static_cast<int>(
          settings_->ReadDword(settings_path::kApp, "AppLook").value_or(kDefaultApplicationLook))) {
  setWindowTitle(QStringLiteral("Korva-TDCR"));
  setObjectName(QStringLiteral("MainFrame"));
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks);
  if (!IsApplicationLook(applicationLook_)) applicationLook_ = kDefaultApplicationLook;
  ApplyApplicationLook(applicationLook_);

  CreateTdcr();
  CreateActions();
  CreateMenus();
  CreateToolBars();
  CreatePanes();
  statusBar()->showMessage(QStringLiteral("Ready"));

  connect(&timer_, &QTimer::timeout, this, &CMainFrame::OnTick);
  connect(session_, &LinkSession::Connected, this, &CMainFrame::UpdateCommandStates);
  connect(session_, &LinkSession::Connected, this, &CMainFrame::ShowInstrumentPanes);
  connect(session_, &LinkSession::Disconnected, this, &CMainFrame::UpdateCommandStates);
  // Every connection attempt asks for a fresh time reference before the next start stamp.
  connect(session_, &LinkSession::ConnectStarting, this, [this] { timeReference_.RequireChoice(); });
  ConnectPowerEvents();
  RestoreSettings();
  UpdateCommandStates();
}

// The panes and the link go first: their views and the engine refer to the
// log, the spectrum records and the measurement, which are members.
CMainFrame::~CMainFrame() {
  session_->Engine().SetObserver(nullptr);
  for (DockPane* pane : panes_) delete pane;
  delete session_;
}

void CMainFrame::CreateTdcr() {
  tdcrStartTimes_ = std::make_unique<TimeReferenceStartSource>(
      timeReference_, [this] { ChooseTimeReference(timeReference_, timeServices_.Tools(), this); });
  tdcr_ =
      std::make_unique<TdcrMeasurement>(session_->Engine(), *tdcrStartTimes_, static_cast<TdcrHost&>(*this));
  saver_ = std::make_unique<MeasurementFileSaver>(*tdcr_, session_->Engine(), *saveDialogs_, *prompt_);
  session_->Engine().SetObserver(this);
}

void CMainFrame::OnSpectrumChunk() { tdcr_->RefreshViews(); }

bool CMainFrame::AskYesNo(std::string_view question) { return prompt_->AskYesNo(question); }

void CMainFrame::SaveMeasurement() { saver_->SaveMeasurement(); }

void CMainFrame::OnSaveTdcrAs() {
  if (tdcr_->BeginSave()) SaveMeasurement();
}

void CMainFrame::ShowInstrumentPanes() {
  tdcrPane_->show();
  countersPane_->show();
}

QAction* CMainFrame::AddCommand(int commandId, const QString& text, const QKeySequence& shortcut,
                                const std::function<void()>& handler) {
  auto* action = new QAction(text, this);
  action->setData(commandId);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, handler);
  commands_.emplace_back(commandId, action);
  return action;
}

QAction* CMainFrame::Action(int commandId) const {
  for (const auto& [id, action] : commands_) {
    if (id == commandId) return action;
  }
  return nullptr;
}

void CMainFrame::CreateActions() {
  QStyle* look = style();
  auto icon = [look](QStyle::StandardPixmap pixmap) { return look->standardIcon(pixmap); };
  AddCommand(command::kSaveTdcrAs, QStringLiteral("Save TDCR As..."), {}, [this] {
    OnSaveTdcrAs();
  })->setIcon(icon(QStyle::SP_DialogSaveButton));
  AddCommand(command::kExit, QStringLiteral("E&xit"), {}, [this] { close(); });
  AddCommand(command::kRestoreLayout, QStringLiteral("Restore Layout"), {}, [this] { OnRestoreLayout(); });
  AddCommand(command::kDefaultLayout, QStringLiteral("Default Layout"), {}, [this] { OnDefaultLayout(); });
  AddCommand(command::kPort, QStringLiteral("&Port"), QKeySequence(Qt::CTRL | Qt::Key_P), [this] {
    OnPort();
  })->setIcon(icon(QStyle::SP_DriveNetIcon));
  AddCommand(command::kAutoConnect, QStringLiteral("&AutoConnect"), QKeySequence(Qt::CTRL | Qt::Key_A),
             [this] { OnAutoConnect(); })
      ->setIcon(icon(QStyle::SP_BrowserReload));
  AddCommand(command::kConnect, QStringLiteral("&Connect"), QKeySequence(Qt::CTRL | Qt::Key_C), [this] {
    OnConnect();
  })->setIcon(icon(QStyle::SP_DialogApplyButton));
  AddCommand(command::kDisconnect, QStringLiteral("&Disconnect"), QKeySequence(Qt::CTRL | Qt::Key_D), [this] {
    OnDisconnect();
  })->setIcon(icon(QStyle::SP_DialogCancelButton));
  AddCommand(command::kAboutHardware, QStringLiteral("About Hardware"), {}, [this] {
    OnAboutHardware();
  })->setIcon(icon(QStyle::SP_MessageBoxInformation));
  AddCommand(command::kAbout, QStringLiteral("&About KorvaTDCR..."), {}, [this] {
    prompt_->ShowMessage("About Korva-TDCR", "Korva-TDCR, Version 7.0");
  })->setIcon(icon(QStyle::SP_TitleBarContextHelpButton));

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
}

void CMainFrame::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(Action(command::kSaveTdcrAs));
  file->addSeparator();
  file->addAction(Action(command::kExit));

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  windowsMenu_ = view->addMenu(QStringLiteral("Toolbars and Docking Windows"));
  QAction* statusBarToggle = view->addAction(QStringLiteral("&Status Bar"));
  statusBarToggle->setCheckable(true);
  statusBarToggle->setChecked(true);
  statusBarToggle->setData(command::kStatusBar);
  connect(statusBarToggle, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
  commands_.emplace_back(command::kStatusBar, statusBarToggle);
  QMenu* looks = view->addMenu(QStringLiteral("Application Look"));
  looks->addActions(lookGroup_->actions());
  view->addSeparator();
  view->addAction(Action(command::kRestoreLayout));
  view->addAction(Action(command::kDefaultLayout));

  QMenu* hardware = menuBar()->addMenu(QStringLiteral("&Hardware"));
  for (int id : {command::kPort, command::kAutoConnect, command::kConnect, command::kDisconnect}) {
    hardware->addAction(Action(id));
  }
  hardware->addSeparator();
  hardware->addAction(Action(command::kAboutHardware));

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(Action(command::kAbout));
}

void CMainFrame::CreateToolBars() {
  standardToolBar_ = addToolBar(QStringLiteral("Standard"));
  standardToolBar_->setObjectName(QStringLiteral("StandardToolBar"));
  standardToolBar_->addAction(Action(command::kSaveTdcrAs));
  standardToolBar_->addAction(Action(command::kAboutHardware));
  standardToolBar_->addAction(Action(command::kAbout));

  hardwareToolBar_ = addToolBar(QStringLiteral("Hardware Control"));
  hardwareToolBar_->setObjectName(QStringLiteral("HardwareControlToolBar"));
  for (int id : {command::kPort, command::kAutoConnect, command::kConnect, command::kDisconnect}) {
    hardwareToolBar_->addAction(Action(id));
  }
  windowsMenu_->addAction(standardToolBar_->toggleViewAction());
  windowsMenu_->addAction(hardwareToolBar_->toggleViewAction());
}

void CMainFrame::AddPane(DockPane* pane, Qt::DockWidgetArea area) {
  addDockWidget(area, pane);
  windowsMenu_->addAction(pane->toggleViewAction());
  panes_.push_back(pane);
}

void CMainFrame::CreatePanes() {
  auto* events = new DockPane(
      QStringLiteral("Events"), QStringLiteral("EventsPane"),
      [this](QWidget* parent) { return eventsView_ = new COutputWnd(log_, parent); },
      QStringLiteral("Failed to create output windows"), this);
  AddPane(events, Qt::BottomDockWidgetArea);

  tdcrPane_ = new CTDCRWnd(*tdcr_, this);
  countersPane_ = new CTDCRWndCnt(*tdcr_, this);
  AddPane(tdcrPane_, Qt::TopDockWidgetArea);
  AddPane(countersPane_, Qt::TopDockWidgetArea);
  tabifyDockWidget(tdcrPane_, countersPane_);
  tdcrPane_->raise();
  RedrawOnRefresh(*tdcr_, *tdcrPane_, *countersPane_);
}

// Suspend and resume come from logind on the system bus. Without a system
// bus (containers, build machines) there is nothing to listen to, and Qt's
// bus machinery is left untouched.
void CMainFrame::ConnectPowerEvents() {
  if (!QFile::exists(QStringLiteral("/run/dbus/system_bus_socket")) &&
      !qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS")) {
    return;
  }
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return;
  bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
              QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
              SLOT(OnPrepareForSleep(bool)));
}

void CMainFrame::OnPrepareForSleep(bool suspending) {
  if (suspending) {
    bufferSpectrum_.image.acceptReadBack = false;
    if (session_->IsPortOpen() || session_->Engine().IsConnected()) session_->RunDisconnectSequence();
  } else {
    ApplyApplicationLook(applicationLook_);
  }
}

void CMainFrame::RestoreSettings() {
  // The layout as built is the factory layout "Default Layout" returns to.
  factoryLayout_ = saveState();
  if (!settings_->ReadBinary(settings_path::kWorkspace, "AppStateDefault")) {
    settings_->WriteBinary(settings_path::kWorkspace, "AppStateDefault", Bytes(factoryLayout_));
  }
  if (const auto placement = settings_->ReadBinary(settings_path::kWindowPos, "WinPos")) {
    restoreGeometry(ToByteArray(*placement));
  } else {
    resize(1200, 800);
  }
  if (const auto layout = settings_->ReadBinary(settings_path::kWorkspace, "AppState")) {
    layoutRestored_ = restoreState(ToByteArray(*layout));
  }
}

void CMainFrame::SaveSettings() {
  settings_->WriteBinary(settings_path::kWindowPos, "WinPos", Bytes(saveGeometry()));
  settings_->WriteDword(settings_path::kApp, "AppLook", static_cast<std::uint32_t>(applicationLook_));
  settings_->WriteBinary(settings_path::kWorkspace, "AppState", Bytes(saveState()));
  const std::vector<std::uint8_t> toolBars = {static_cast<std::uint8_t>(standardToolBar_->isVisible()),
                                              static_cast<std::uint8_t>(hardwareToolBar_->isVisible()),
                                              static_cast<std::uint8_t>(statusBar()->isVisible())};
  settings_->WriteBinary(settings_path::kWorkspace, "TBAR STATE", toolBars);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!timerPending_) return;
  timerPending_ = false;
  // On a first start the measurement gets the room and the log keeps a few
  // lines in view; later starts show the layout the user left.
  if (!layoutRestored_) {
    QTimer::singleShot(0, this, [this] {
      resizeDocks({tdcrPane_, panes_.front()}, {height() - 260, 160}, Qt::Vertical);
    });
  }
  // The timer starts once the window has been painted for the first time.
  QTimer::singleShot(0, this, [this] { timer_.start(kTimerPeriodMs); });
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (session_->IsPortOpen() || session_->Engine().IsConnected()) session_->Disconnect();
  SaveSettings();
  timer_.stop();
  event->accept();
}

void CMainFrame::OnTick() {
  ++tickCounter_;
  session_->Engine().OnTick();
}

void CMainFrame::UpdateCommandStates() {
  const bool connected = session_->Engine().IsConnected();
  const bool bufferActive = activeSpectrum_ == &bufferSpectrum_;
  Action(command::kPort)->setEnabled(bufferActive);
  Action(command::kAutoConnect)->setEnabled(!connected && bufferActive);
  Action(command::kConnect)->setEnabled(!connected && bufferActive);
  Action(command::kDisconnect)->setEnabled(connected && bufferActive);
  Action(command::kAboutHardware)->setEnabled(connected || activeSpectrum_ == &fileSpectrum_);
  statusBar()->showMessage(
      connected ? QStringLiteral("Connected to %1").arg(QString::fromStdString(session_->PortName()))
                : QStringLiteral("Not connected"));
}

void CMainFrame::OnPort() {
  if (portDialog_->exec() != QDialog::Accepted) return;
  session_->SetPortName(portDialog_->PortName());
  session_->SetBaudRate(portDialog_->BaudText().toUInt());
  log_.AddLine("Set port: " + portDialog_->PortName());
}

void CMainFrame::OnAutoConnect() {
  session_->SetSerialEventsSuppressed(false);
  bufferSpectrum_.image.acceptReadBack = false;
  CFindComPort finder(*session_, log_, enumerate_, this);
  if (finder.exec() != QDialog::Accepted) return;
  session_->SetPortName(finder.PortName());
  log_.AddLine(finder.PortName());
  session_->SetBaudRate(LinkSession::kAutoConnectBaudRate);
  OnConnect();
}

void CMainFrame::OnConnect() {
  session_->Connect();
  UpdateCommandStates();
}

void CMainFrame::OnDisconnect() {
  session_->Disconnect();
  UpdateCommandStates();
}

void CMainFrame::OnAboutHardware() {
  const AboutHardwareMessage message = AboutHardware(activeSpectrum_->image, bufferSpectrum_.image);
  prompt_->ShowMessage(message.title, message.text);
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
}

void CMainFrame::OnDefaultLayout() {
  const auto layout = settings_->ReadBinary(settings_path::kWorkspace, "AppStateDefault");
  restoreState(layout ? ToByteArray(*layout) : factoryLayout_);
}

}  // namespace korva
