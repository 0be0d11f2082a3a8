#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "devicelink/instrument_session.h"
#include "devicelink/serial_port_record.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"
#include "spectrum/spectrum_documents.h"
#include "timesync/system_time_services.h"
#include "timesync/time_reference.h"

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;

namespace korva {

class COutputWnd;
class DockPane;
class CopyShortcutGuard;
class DockWidthKeeper;
class MeasurementSaveDialogs;
class PowerEvents;
class Prompt;
class SettingsStore;
class TraceExportDialogs;
class SpectrumFileDialogs;

// What the main window is built with; tests replace the prompt, the port
// list, the settings store and the measurement's save dialogs.
struct MainFrameServices {
  Prompt* prompt = nullptr;                                  // message boxes when null
  std::function<std::vector<SerialPortRecord>()> enumerate;  // the computer's ports when empty
  SettingsStore* settings = nullptr;                         // the user's settings when null
  MeasurementSaveDialogs* saveDialogs = nullptr;             // file and tag dialogs when null
  // The TDCR analysis's file names (background to open, or the export); the
  // file dialogs when empty.
  std::function<std::filesystem::path(bool forExport)> analysisFiles;
  SpectrumFileDialogs* spectrumDialogs = nullptr;  // spectrum file dialogs when null
  TraceExportDialogs* traceDialogs = nullptr;      // the trace export's dialogs when null
};

// The program's single top-level window. It owns what every subsystem
// shares (the instrument session, the spectrum records, the time reference,
// the settings store and the prompt), the "Events" pane, and the frame
// itself: menus and toolbars assembled from the subsystems' parts, the
// layout, the looks, the status bar, the 200 ms timer and power events.
class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(const MainFrameServices& services = {}, QWidget* parent = nullptr);
  ~CMainFrame() override;

  EventLog& Log() { return instrument_.Log(); }
  LinkSession& Session() { return instrument_.Link(); }
  SpectrumDocuments& Spectra() { return spectra_; }
  CSpectrum& BufferSpectrum() { return spectra_.buffer; }
  COutputWnd& EventsPane() { return *eventsView_; }
  TimeReferenceState& TimeReference() { return timeReference_; }
  int ApplicationLookId() const { return applicationLook_; }
  bool TimerRunning() const { return instrument_.Ticking(); }
  QAction* Action(int commandId) const;
  // Runs a command as its menu entry would.
  void Trigger(int commandId);

  void OnApplicationLook(int commandId);
  void OnRestoreLayout();
  void OnDefaultLayout();

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateFrameCommands();
  void AddPartCommands();
  void AddCommand(const FrameCommand& command);
  QMenu* Menu(const QString& caption);
  QMenu* Submenu(QMenu* menu, const QString& caption);
  QToolBar* ToolBar(const QString& title);
  void CreatePanes();
  void AddPane(DockPane* pane, Qt::DockWidgetArea area);
  void RestoreSettings();
  void RestorePlacement();
  void SaveSettings();
  void OnTick();
  void UpdateCommandStates();
  void GiveMeasurementPanesTheRoom();
  int WholeWidth(const DockPane* pane) const;

  std::unique_ptr<Prompt> ownPrompt_;
  std::unique_ptr<SettingsStore> ownSettings_;
  Prompt* prompt_;
  SettingsStore* settings_;

  SpectrumDocuments spectra_;
  SystemTimeServices timeServices_;
  TimeReferenceState timeReference_{timeServices_.Clock(), timeServices_.Zones()};
  InstrumentSession instrument_;
  FrameContext context_;
  // Declared after what they refer to, so they go first.
  std::unique_ptr<DockPane> eventsPane_;
  COutputWnd* eventsView_ = nullptr;
  std::vector<std::unique_ptr<FramePart>> parts_;
  std::vector<DockPane*> panes_;
  // The pane in front in each dock area once the panes are placed.
  std::map<Qt::DockWidgetArea, DockPane*> frontInArea_;

  std::vector<std::pair<QString, QMenu*>> menus_;
  std::vector<std::pair<QString, QToolBar*>> toolBars_;
  QMenu* windowsMenu_ = nullptr;
  QActionGroup* lookGroup_ = nullptr;
  QAction* statusBarToggle_ = nullptr;
  std::vector<std::pair<int, QAction*>> commands_;
  std::vector<std::pair<QAction*, std::function<bool()>>> enableRules_;
  std::vector<std::pair<QAction*, std::function<bool()>>> checkRules_;

  PowerEvents* powerEvents_;
  DockWidthKeeper* dockWidths_;
  CopyShortcutGuard* copyGuard_;
  bool timerPending_ = true;
  bool firstPaintPending_ = true;
  bool layoutRestored_ = false;
  int applicationLook_;
  QByteArray factoryLayout_;
};

}  // namespace korva
