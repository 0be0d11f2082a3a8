#pragma once

#include <QObject>
#include <memory>

#include "forms/frame_context.h"
#include "forms/frame_part.h"
#include "tdcr/tdcr_workbench.h"

namespace korva {

class CTDCRWnd;
class CTDCRWndCnt;
class MeasurementSaveDialogs;

// The TDCR measurement in the main window: the workbench, the "TDCR" and
// "TDCR COUNTERS" panes (shown on every connect), and File > "Save TDCR
// As...".
class TdcrFramePart : public QObject, public FramePart {
  Q_OBJECT

 public:
  // `saveDialogs` answers the save's questions; the file and tag dialogs
  // when null.
  TdcrFramePart(const FrameContext& context, MeasurementSaveDialogs* saveDialogs);
  ~TdcrFramePart() override;

  std::vector<FrameCommand> Commands() override;
  std::vector<FramePane> Panes() override;

  TdcrWorkbench& Workbench() { return workbench_; }
  CTDCRWnd& TdcrPane() { return *tdcrPane_; }
  CTDCRWndCnt& CountersPane() { return *countersPane_; }

 private:
  void ShowPanes();

  std::unique_ptr<MeasurementSaveDialogs> ownSaveDialogs_;
  TdcrWorkbench workbench_;
  std::unique_ptr<CTDCRWnd> tdcrPane_;
  std::unique_ptr<CTDCRWndCnt> countersPane_;
};

}  // namespace korva
