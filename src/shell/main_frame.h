#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "devicelink/engine_links.h"
#include "devicelink/serial_port_record.h"
#include "common/event_log.h"
#include "spectrum/spectrum_record.h"
#include "tdcr/tdcr_host.h"
#include "timesync/system_time_services.h"
#include "timesync/time_reference.h"

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;

namespace korva {

class CComPortDlg;
class COutputWnd;
class CTDCRWnd;
class CTDCRWndCnt;
class DockPane;
class LinkSession;
class MeasurementFileSaver;
class MeasurementSaveDialogs;
class Prompt;
class SettingsStore;
class TdcrMeasurement;
class TimeReferenceStartSource;

// What the main window is built with; tests replace the prompt, the port
// list and the settings store.
struct MainFrameServices {
  Prompt* prompt = nullptr;                                  // message boxes when null
  std::function<std::vector<SerialPortRecord>()> enumerate;  // the computer's ports when empty
  SettingsStore* settings = nullptr;                         // the user's settings when null
  MeasurementSaveDialogs* saveDialogs = nullptr;             // file and tag dialogs when null
};

// The program's single top-level window: it owns the instrument link, the
// spectrum records with the device image, the panes and the dialogs, runs
// the 200 ms timer that drives reply time-outs, and implements the Hardware
// menu, the layout commands, start-up and shutdown persistence.
class CMainFrame : public QMainWindow, private EngineObserver, private TdcrHost {
  Q_OBJECT

 public:
  static constexpr int kTimerPeriodMs = 200;

  explicit CMainFrame(MainFrameServices services = {}, QWidget* parent = nullptr);
  ~CMainFrame() override;

  EventLog& Log() { return log_; }
  LinkSession& Session() { return *session_; }
  CSpectrum& BufferSpectrum() { return bufferSpectrum_; }
  CSpectrum& FileSpectrum() { return fileSpectrum_; }
  CSpectrum& ActiveSpectrum() { return *activeSpectrum_; }
  COutputWnd& EventsPane() { return *eventsView_; }
  CComPortDlg& PortDialog() { return *portDialog_; }
  TimeReferenceState& TimeReference() { return timeReference_; }
  TdcrMeasurement& Tdcr() { return *tdcr_; }
  CTDCRWnd& TdcrPane() { return *tdcrPane_; }
  CTDCRWndCnt& TdcrCountersPane() { return *countersPane_; }
  int ApplicationLookId() const { return applicationLook_; }
  bool TimerRunning() const { return timer_.isActive(); }
  QAction* Action(int commandId) const;

  // Menu commands, by what they do.
  void OnPort();
  void OnAutoConnect();
  void OnConnect();
  void OnDisconnect();
  void OnAboutHardware();
  void OnSaveTdcrAs();
  void OnApplicationLook(int commandId);
  void OnRestoreLayout();
  void OnDefaultLayout();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  void CreatePanes();
  void CreateTdcr();
  void ShowInstrumentPanes();
  // The views' share of the engine's replies.
  void OnSpectrumChunk() override;
  // The TDCR measurement's questions and its SAVE.
  bool AskYesNo(std::string_view question) override;
  void SaveMeasurement() override;
  void ConnectPowerEvents();
  void RestoreSettings();
  void SaveSettings();
  void OnTick();
  void UpdateCommandStates();
  std::vector<SerialPortRecord> EnumeratePorts() const;
  QAction* AddCommand(int commandId, const QString& text, const QKeySequence& shortcut,
                      const std::function<void()>& handler);
  void AddPane(DockPane* pane, Qt::DockWidgetArea area);

 private slots:
  void OnPrepareForSleep(bool suspending);

 private:
  std::unique_ptr<Prompt> ownPrompt_;
  std::unique_ptr<SettingsStore> ownSettings_;
  std::unique_ptr<MeasurementSaveDialogs> ownSaveDialogs_;
  Prompt* prompt_;
  SettingsStore* settings_;
  MeasurementSaveDialogs* saveDialogs_;
  std::function<std::vector<SerialPortRecord>()> enumerate_;

  SystemLocalClock clock_;
  EventLog log_;
  CSpectrum bufferSpectrum_;
  CSpectrum fileSpectrum_;
  CSpectrum* activeSpectrum_ = &bufferSpectrum_;
  SystemTimeServices timeServices_;
  TimeReferenceState timeReference_{timeServices_.Clock(), timeServices_.Zones()};
  LinkSession* session_;
  CComPortDlg* portDialog_;
  COutputWnd* eventsView_ = nullptr;
  std::unique_ptr<TimeReferenceStartSource> tdcrStartTimes_;
  std::unique_ptr<TdcrMeasurement> tdcr_;
  std::unique_ptr<MeasurementFileSaver> saver_;
  CTDCRWnd* tdcrPane_ = nullptr;
  CTDCRWndCnt* countersPane_ = nullptr;
  std::vector<DockPane*> panes_;

  QToolBar* standardToolBar_ = nullptr;
  QToolBar* hardwareToolBar_ = nullptr;
  QActionGroup* lookGroup_ = nullptr;
  QMenu* windowsMenu_ = nullptr;
  std::vector<std::pair<int, QAction*>> commands_;

  QTimer timer_;
  bool timerPending_ = true;
  bool layoutRestored_ = false;
  unsigned tickCounter_ = 0;
  int applicationLook_;
  QByteArray factoryLayout_;
};

}  // namespace korva
