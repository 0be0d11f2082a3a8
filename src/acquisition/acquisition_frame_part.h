#pragma once

#include <QObject>
#include <memory>

#include "devicelink/engine_links.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"

namespace korva {

class CAcquisitionView;
class CDocableAcquisitionPane;

// The spectrum acquisition in the main window: the "ACQUISITION" pane, the
// Start, Stop and Erase commands of the menu and the toolbar with their
// enable rules, and the form's refresh after every register read and every
// change of the active spectrum.
class AcquisitionFramePart : public QObject, public FramePart, private EngineObserver {
  Q_OBJECT

 public:
  explicit AcquisitionFramePart(const FrameContext& context);
  ~AcquisitionFramePart() override;

  std::vector<FrameCommand> Commands() override;
  std::vector<FramePane> Panes() override;

  CDocableAcquisitionPane& Pane() { return *pane_; }
  // The form, or null when it could not be created.
  CAcquisitionView* View() const;

 private:
  void OnRegistersRead(bool phaMode) override;
  void OnSpectrumPollingChanged(bool on) override;

  FrameContext context_;
  std::unique_ptr<CDocableAcquisitionPane> pane_;
};

}  // namespace korva
