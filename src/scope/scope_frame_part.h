#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "devicelink/engine_links.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"
#include "scope/trace_capture_cycle.h"

namespace korva {

class CDocableOscopePane;
class COscopeView;
class TraceExportDialogs;

// The trace viewer in the main window: the "TRACE VIEWER" pane, the trace
// exports of the File menu, the pictures of the Edit menu, the trace
// compose the set-up views run, and the stop when the computer suspends.
class ScopeFramePart : public QObject, public FramePart, private EngineObserver {
  Q_OBJECT

 public:
  // `bufferCursor` gives the buffer spectrum window's cursor (displayed
  // channel); `dialogs` answers the export's questions, file dialogs when
  // null.
  ScopeFramePart(const FrameContext& context, std::function<int()> bufferCursor, TraceExportDialogs* dialogs);
  ~ScopeFramePart() override;

  std::vector<FrameCommand> Commands() override;
  std::vector<FramePane> Panes() override;
  void OnSuspend() override;

  CDocableOscopePane& Pane() { return *pane_; }
  // The view, or null when it could not be created.
  COscopeView* View() const;

 private:
  void OnRegistersRead(bool phaMode) override;
  void Export(bool normalized);
  std::optional<ChannelWindow> RoiAtCursor() const;
  bool TdcrExtStorage() const;

  FrameContext context_;
  std::function<int()> bufferCursor_;
  std::unique_ptr<TraceExportDialogs> ownDialogs_;
  TraceExportDialogs& dialogs_;
  std::unique_ptr<CDocableOscopePane> pane_;
};

}  // namespace korva
