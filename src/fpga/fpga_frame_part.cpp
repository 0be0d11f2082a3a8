#include "fpga/fpga_frame_part.h"

#include <QMainWindow>

#include "common/command_ids.h"
#include "common/prompt.h"
#include "devicelink/instrument_session.h"
#include "fpga/fpga_link_hold.h"

namespace korva {

FpgaFramePart::FpgaFramePart(const FrameContext& context, DesignFileChooser chooseFile)
    : context_(context), chooseFile_(chooseFile ? std::move(chooseFile) : QtDesignFileChooser()) {}

std::vector<FrameCommand> FpgaFramePart::Commands() {
  return {{command::kFpga, kUtilityMenu, QStringLiteral("FPGA"), [this] { OnProgramFpga(); }}};
}

void FpgaFramePart::OnProgramFpga() {
  LinkSession& link = context_.instrument.Link();
  if (!link.Engine().DeviceAnswered()) {
    context_.prompt.ShowError(fpga_text::kNoDevice);
    return;
  }
  if (beforeProgramming_) beforeProgramming_();
  // The dialog comes only once the link is handed over, so nothing can be
  // sent from it while the engine still has a transaction in flight.
  const FpgaLinkHold hold(
      link,
      [this] {
        if (dialog_) dialog_->Transfer().OnReplyBytes();
      },
      true);
  CProgramFPGA dialog(link.Port(), context_.prompt, context_.settings, chooseFile_, &context_.window);
  dialog.SetFlashIncomplete(flashIncomplete_);
  dialog_ = &dialog;
  dialog.exec();
  dialog_ = nullptr;
  flashIncomplete_ = dialog.FlashIncomplete();
}

}  // namespace korva
