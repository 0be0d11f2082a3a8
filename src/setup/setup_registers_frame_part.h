#pragma once

#include <QObject>
#include <memory>

#include "forms/frame_context.h"
#include "forms/frame_part.h"
#include "setup/debug_view.h"

namespace korva {

// The register debug view and the register copies in the main window: the
// "Debug" pane with the REGISTERS form, and Hardware > Copy Registers >
// "Buffer to File" and "File to Buffer".
class SetupRegistersFramePart : public QObject, public FramePart {
  Q_OBJECT

 public:
  // `dialogs` chooses the register files; the file dialogs when empty.
  SetupRegistersFramePart(const FrameContext& context, RegisterFileDialogs dialogs = {});
  ~SetupRegistersFramePart() override;

  std::vector<FrameCommand> Commands() override;
  std::vector<FramePane> Panes() override;
  // Gathers the two copy commands under "Copy Registers" once the menus exist.
  void RestoreSettings() override;

  CDocableDebugPane& DebugPane() { return *debugPane_; }

  // Buffer to File: the buffer spectrum's registers 0-127 become the file
  // spectrum's.
  void CopyBufferToFile();
  // File to Buffer: after the user agreed, the file spectrum's registers
  // replace the instrument's, sent as the whole register set.
  void CopyFileToBuffer();

 private:
  FrameContext context_;
  std::unique_ptr<CDocableDebugPane> debugPane_;
};

}  // namespace korva
