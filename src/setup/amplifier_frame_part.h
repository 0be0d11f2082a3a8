#pragma once

#include <QObject>
#include <memory>

#include "devicelink/engine_links.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"

namespace korva {

class CAmplifierView;
class CDocableAmplifierPane;

// The amplifier set-up in the main window: the "SIGNALS" pane, refreshed
// after every register read (after the acquisition form) and whenever
// another spectrum becomes active, and reloaded on every connect.
class AmplifierFramePart : public QObject, public FramePart, private EngineObserver {
  Q_OBJECT

 public:
  explicit AmplifierFramePart(const FrameContext& context);
  ~AmplifierFramePart() override;

  std::vector<FramePane> Panes() override;

  CDocableAmplifierPane& Pane() { return *pane_; }
  // The form, or null when it could not be created.
  CAmplifierView* View() const;

 private:
  void OnRegistersRead(bool phaMode) override;

  FrameContext context_;
  std::unique_ptr<CDocableAmplifierPane> pane_;
};

}  // namespace korva
