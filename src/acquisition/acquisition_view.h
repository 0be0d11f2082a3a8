#pragma once

#include <QScrollArea>
#include <array>
#include <functional>
#include <memory>

#include "forms/dock_pane.h"
#include "spectrum/acquisition_values.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korva {

class CommandEngine;
class EventLog;
class NumericEdit;
class TimeReferenceState;
struct AcquisitionReadout;
struct AcquisitionRunContext;
struct AcquisitionSettings;
struct SpectrumDocuments;
struct StartTexts;

// What the acquisition form works on: the engine (whose image is the buffer
// spectrum's), the spectrum records, and the time reference the start
// stamps follow.
struct AcquisitionViewLinks {
  CommandEngine& engine;
  SpectrumDocuments& spectra;
  TimeReferenceState& reference;
  EventLog& log;
  // Shows the "Measurement Time Stamp" dialog and stores the choice.
  std::function<void()> chooseReference;
};

// The ACQUISITION form: starts, stops and erases the analyser's run, sets
// its stop timer, pulser and coincidence gating, and shows its times, start
// stamp, temperature and slow-ADC voltage. Every control is an edited view
// of the buffer spectrum's registers; every reading is decoded from the
// active spectrum's. Control changes are ignored until the first decode has
// filled the controls, and while a decode runs.
class CAcquisitionView : public QScrollArea {
  Q_OBJECT

 public:
  CAcquisitionView(const AcquisitionViewLinks& links, QWidget* parent = nullptr);
  ~CAcquisitionView() override;

  // Decodes the active spectrum's registers into the form: after every
  // register read, and when another spectrum becomes active.
  void UpdateAcquisitionFromRegisters();
  // A connection starts: AUTO UPDATE ticked, and the controls reload from
  // the next register read.
  void OnConnected();
  // The link closed: AUTO UPDATE unticked.
  void OnDisconnected();
  // The box shows the engine's spectrum polling, whoever changed it.
  void ShowAutoUpdate(bool on);

  // MCA-START, MCA-STOP and MCA-RESET, also run by the toolbar and menu.
  void Start();
  void Stop();
  void Erase();

  bool Initialised() const { return initialised_; }
  // The run's times and start stamp as shown; the spectrum files write them.
  const AcquisitionValues& Values() const { return values_; }
  // What the last decode read from the registers: the times' texts and the
  // counting rates the spectrum info form shows too.
  const AcquisitionReadout& Readout() const { return *readout_; }

 signals:
  // A decode of the active spectrum's registers has finished.
  void Decoded();

 private:
  enum Delay { kDelay, kStrobe, kTdcr1, kTdcr2, kWidth, kDelays };

  void LayOut(QWidget* form);
  QWidget* BuildRun(QWidget* form);
  QWidget* BuildTimes(QWidget* form);
  QWidget* BuildGating(QWidget* form);
  QPushButton* AddButton(const QString& caption, QWidget* parent);

  void ConnectControls();
  void ConnectDelay(Delay delay);
  void TypeDelay(Delay delay, const QString& text);
  void StepDelay(Delay delay, int step);
  void FinishDelay(Delay delay);
  void SetDelay(Delay delay, int ticks);
  void TypePreset(const QString& text);
  void Apply();
  void ShowStartTexts(const StartTexts& texts);
  void ShowSettings();
  void FillSecondSources();
  int& DelayTicks(Delay delay);
  int TdcrExtension(Delay delay) const;
  AcquisitionRunContext RunContext();

  AcquisitionViewLinks links_;
  // Held apart so this header stays free of the register codecs.
  std::unique_ptr<AcquisitionSettings> settings_;
  std::unique_ptr<AcquisitionReadout> readout_;
  AcquisitionValues values_;
  bool initialised_ = false;
  bool refreshing_ = false;

  QCheckBox* autoUpdate_ = nullptr;
  QCheckBox* pulser_ = nullptr;
  QComboBox* stopTimer_ = nullptr;
  NumericEdit* preset_ = nullptr;
  QLabel* startLabel_ = nullptr;
  QLineEdit* startStamp_ = nullptr;
  QLineEdit* real_ = nullptr;
  QLineEdit* live_ = nullptr;
  QLineEdit* dead_ = nullptr;
  QLineEdit* temperature_ = nullptr;
  QLineEdit* slowAdc_ = nullptr;
  QPushButton* reset_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* timeStamp_ = nullptr;
  QComboBox* source_ = nullptr;
  QComboBox* secondSource_ = nullptr;
  QComboBox* window_ = nullptr;
  QComboBox* mode_ = nullptr;
  std::array<NumericEdit*, kDelays> delays_{};
  std::array<QLineEdit*, kDelays> microseconds_{};
};

// The dockable pane "ACQUISITION" with the acquisition form.
class CDocableAcquisitionPane : public DockPane {
  Q_OBJECT

 public:
  CDocableAcquisitionPane(const AcquisitionViewLinks& links, QWidget* parent);
  // The form, or null when it could not be created.
  CAcquisitionView* AcquisitionView() const;
};

}  // namespace korva
