#pragma once

#include <QScrollArea>
#include <array>
#include <functional>
#include <optional>

#include "forms/dock_pane.h"
#include "scope/trace_capture_cycle.h"
#include "scope/trace_plot.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QSlider;
class QSpinBox;

namespace korva {

class CommandEngine;

// What the trace viewer works on besides the engine.
struct OscopeViewLinks {
  CommandEngine& engine;
  // The region of interest at the buffer spectrum's cursor, for the
  // ROI-SCA trigger; none when the cursor is not in one.
  std::function<std::optional<ChannelWindow>()> roiAtCursor;
  // The acquisition's storage mode is one of the TDCR-EXT modes.
  std::function<bool()> tdcrExtStorage;
};

// The trace viewer: a small oscilloscope on the pulse processor. Its
// controls set the capture (registers 24-28) through TraceCaptureCycle,
// which also runs the engine's capture cycle; the vertical scale, offset
// and PEAK only change the display. Each new trace is averaged (in the
// averaging modes), turned into display values and drawn on the plot,
// which repaints from what it keeps. The form scrolls when the pane is
// smaller than it.
class COscopeView : public QScrollArea {
  Q_OBJECT

 public:
  COscopeView(const OscopeViewLinks& links, QWidget* parent = nullptr);
  ~COscopeView() override;

  TraceCaptureCycle& Cycle() { return cycle_; }
  TracePlot& Plot() { return *plot_; }
  int VerticalIndex() const { return verticalIndex_; }
  int Offset() const { return offset_; }

  // The legend's names follow the coincidence display and the storage mode.
  void RefreshLegend();
  // The PHA or shaper decode reset the time base: show it again.
  void RefreshTimeBase();

 private:
  QWidget* BuildTimeBase();
  QWidget* BuildVertical();
  QWidget* BuildInput();
  QWidget* BuildTrigger();
  QWidget* BuildRun();
  void ConnectControls();
  void PlaceLegend();

  void StepTimeBase(int step);
  void StepVertical(int step);
  void MoveOffset(int position);
  void ZeroOffset();
  void ClickRun();
  void ClickMode();
  void ClickTrigger(int source);
  void TypeRoiSca();
  void ShowRun();
  void ShowRoiSca();
  void Redraw();

  OscopeViewLinks links_;
  TraceCaptureCycle cycle_;
  QWidget* form_ = nullptr;
  int verticalIndex_ = kVerticalInitialIndex;
  int offset_ = 0;
  int offsetBase_ = 0;

  TracePlot* plot_ = nullptr;
  QLineEdit* timeBase_ = nullptr;
  QLineEdit* vertical_ = nullptr;
  QSlider* offsetSlider_ = nullptr;
  QLabel* shownOffset_ = nullptr;
  QSlider* position_ = nullptr;
  QButtonGroup* inputs_ = nullptr;
  QButtonGroup* triggers_ = nullptr;
  QWidget* legend_ = nullptr;
  std::array<QRadioButton*, kTraceLines> triggerButtons_{};
  QCheckBox* invert_ = nullptr;
  QCheckBox* peak_ = nullptr;
  QPushButton* mode_ = nullptr;
  QPushButton* run_ = nullptr;
  QSpinBox* roiLow_ = nullptr;
  QSpinBox* roiHigh_ = nullptr;
};

// The dockable pane of the trace viewer.
class CDocableOscopePane : public DockPane {
  Q_OBJECT

 public:
  CDocableOscopePane(const OscopeViewLinks& links, QWidget* parent);
  // The view, or null when it could not be created.
  COscopeView* OscopeView() const;
};

}  // namespace korva
