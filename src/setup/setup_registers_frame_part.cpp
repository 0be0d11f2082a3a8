#include "setup/setup_registers_frame_part.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "common/command_ids.h"
#include "common/prompt.h"
#include "devicelink/instrument_session.h"
#include "devicelink/register_edit.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

namespace {

const QString kCopyRegistersMenu = QStringLiteral("Copy Registers");

constexpr const char* kTransferAborted =
    "The transfer was aborted!\nPlease, connect the hardware\nand execute the transfer again.";
constexpr const char* kOverwriteHardwareQuestion =
    "This operation cannot be undone.\n All current hardware settings will be lost.\n DO YOU WANT TO "
    "CONTINUE?";

}  // namespace

SetupRegistersFramePart::SetupRegistersFramePart(const FrameContext& context, RegisterFileDialogs dialogs)
    : context_(context) {
  if (!dialogs.chooseSaveName || !dialogs.chooseLoadName) dialogs = QtRegisterFileDialogs();
  debugPane_ = std::make_unique<CDocableDebugPane>(context_.instrument.Engine(), context_.spectra,
                                                   context_.prompt, std::move(dialogs), &context_.window);
}

SetupRegistersFramePart::~SetupRegistersFramePart() = default;

std::vector<FrameCommand> SetupRegistersFramePart::Commands() {
  auto connected = [&engine = context_.instrument.Engine()] { return engine.IsConnected(); };
  return {
      {command::kCopyRegistersBufferToFile,
       kHardwareMenu,
       QStringLiteral("Buffer to File"),
       [this] { CopyBufferToFile(); },
       {},
       std::nullopt,
       {},
       true,
       connected},
      {command::kCopyRegistersFileToBuffer,
       kHardwareMenu,
       QStringLiteral("File to Buffer"),
       [this] { CopyFileToBuffer(); },
       {},
       std::nullopt,
       {},
       false,
       connected},
  };
}

std::vector<FramePane> SetupRegistersFramePart::Panes() {
  return {{debugPane_.get(), Qt::TopDockWidgetArea, nullptr}};
}

// The frame puts every command straight into its top-level menu; the two
// copies move into their submenu, where the Hardware menu has always had them.
void SetupRegistersFramePart::RestoreSettings() {
  QMenu* hardware = nullptr;
  for (QAction* entry : context_.window.menuBar()->actions()) {
    if (entry->menu() != nullptr && entry->text() == kHardwareMenu) hardware = entry->menu();
  }
  if (hardware == nullptr) return;
  QAction* first = nullptr;
  std::vector<QAction*> copies;
  for (QAction* action : hardware->actions()) {
    const int id = action->data().toInt();
    if (id != command::kCopyRegistersBufferToFile && id != command::kCopyRegistersFileToBuffer) continue;
    if (first == nullptr) first = action;
    copies.push_back(action);
  }
  if (first == nullptr) return;
  auto* submenu = new QMenu(kCopyRegistersMenu, hardware);
  hardware->insertMenu(first, submenu);
  for (QAction* action : copies) {
    hardware->removeAction(action);
    submenu->addAction(action);
  }
}

// A shown file spectrum is decoded again, so its views show the new registers.
void SetupRegistersFramePart::CopyBufferToFile() {
  SpectrumDocuments& spectra = context_.spectra;
  spectra.file.image.registers = spectra.buffer.image.registers;
  if (spectra.FileActive()) spectra.Activate(spectra.file);
}

void SetupRegistersFramePart::CopyFileToBuffer() {
  CommandEngine& engine = context_.instrument.Engine();
  if (!engine.DeviceAnswered()) {
    context_.prompt.ShowMessage("Info", kTransferAborted);
    return;
  }
  if (!context_.prompt.AskYesNo(kOverwriteHardwareQuestion)) return;
  const RegisterImage& file = context_.spectra.file.image.registers;
  EditRegisters(
      engine, [&file](RegisterImage& registers) { registers = file; }, RegisterBlock::kAll);
}

}  // namespace korva
