#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "forms/frame_context.h"
#include "forms/frame_part.h"
#include "fpga/program_fpga_dialog.h"

namespace korva {

// Utility > "FPGA": the FPGA programming dialog on the instrument's port,
// with the link handed over to it for as long as it is open and a
// reconnect afterwards.
class FpgaFramePart : public QObject, public FramePart {
  Q_OBJECT

 public:
  // `chooseFile` answers "Browse"; the open-file dialog when empty.
  FpgaFramePart(const FrameContext& context, DesignFileChooser chooseFile = {});

  std::vector<FrameCommand> Commands() override;
  // Runs before the link is handed to the dialog: the main window stops a
  // running trace viewer here, which would otherwise go on asking for
  // traces after the dialog, alongside the spectrum polling.
  void SetBeforeProgramming(std::function<void()> action) { beforeProgramming_ = std::move(action); }

  void OnProgramFpga();
  // The dialog while it is open, for tests.
  CProgramFPGA* OpenDialog() const { return dialog_; }

 private:
  FrameContext context_;
  DesignFileChooser chooseFile_;
  std::function<void()> beforeProgramming_;
  QPointer<CProgramFPGA> dialog_;
  // An upload failed or was stopped: the flash holds an incomplete design.
  bool flashIncomplete_ = false;
};

}  // namespace korva
