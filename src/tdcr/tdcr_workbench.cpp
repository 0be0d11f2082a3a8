#include "tdcr/tdcr_workbench.h"

#include "common/prompt.h"
#include "devicelink/command_engine.h"

namespace korva {

TdcrWorkbench::TdcrWorkbench(CommandEngine& engine, TimeReferenceState& reference,
                             std::function<void()> chooseReference, MeasurementSaveDialogs& dialogs,
                             Prompt& prompt)
    : engine_(engine),
      prompt_(prompt),
      startTimes_(reference, std::move(chooseReference)),
      measurement_(engine, startTimes_, *this),
      saver_(measurement_, engine, dialogs, prompt) {
  engine_.AddObserver(this);
}

TdcrWorkbench::~TdcrWorkbench() { engine_.RemoveObserver(this); }

SaveOutcome TdcrWorkbench::SaveAs() {
  if (!measurement_.BeginSave()) return SaveOutcome::kRefused;
  return saver_.SaveMeasurement();
}

void TdcrWorkbench::OnSpectrumChunk() {
  measurement_.RefreshViews();
  ++chunks_;
}

void TdcrWorkbench::OnRegistersRead(bool) { ++registerReads_; }

bool TdcrWorkbench::AskYesNo(std::string_view question) { return prompt_.AskYesNo(question); }

void TdcrWorkbench::Tell(std::string_view message) { prompt_.ShowMessage("TDCR", message); }

void TdcrWorkbench::SaveMeasurement() { saver_.SaveMeasurement(); }

}  // namespace korva
