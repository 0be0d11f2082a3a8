#pragma once

#include <QSize>
#include <memory>
#include <vector>

#include "memory_settings_store.h"
#include "recording_prompt.h"
#include "shell/main_frame.h"
#include "sim/pty_server.h"
#include "sim/virtual_instrument.h"
#include "time_stamp_answers.h"
#include "unpaced_instrument.h"
#include "virtual_instrument_ports.h"

namespace korva::test {

// The main window's surroundings in a window test: a running virtual
// instrument that the Port Finder sees as the computer's only port,
// recorded prompts and settings kept in memory. A test adds the services it
// scripts itself (save dialogs, export dialogs) before it opens the window;
// those must outlive the window.
struct InstrumentWindow {
  explicit InstrumentWindow(const sim::ServerOptions& options = UnpacedInstrument()) : instrument(options) {
    instrument.Start();
    services.prompt = &prompt;
    services.settings = &settings;
    services.enumerate = VirtualInstrumentPorts(instrument);
  }
  ~InstrumentWindow() { Close(); }

  // Builds and shows the main window (at `size`, when given), answering
  // every time-stamp question with the system clock unless
  // `answerTimeStamps` was cleared.
  CMainFrame& Open(QSize size = {}) {
    frame = std::make_unique<CMainFrame>(services);
    if (size.isValid()) frame->resize(size);
    frame->show();
    if (answerTimeStamps) AnswerTimeStampDialogs(frame.get());
    return *frame;
  }
  void Close() {
    if (frame) frame->close();
    frame.reset();
  }

  std::uint16_t InstrumentRegister(std::size_t index) {
    std::uint16_t value = 0;
    instrument.Inspect([&](sim::VirtualInstrument& device) { value = device.Memory().registers[index]; });
    return value;
  }
  // The instrument's first `entries` data words (its spectrum halves are the
  // first 8192).
  std::vector<std::uint32_t> InstrumentData(std::size_t entries) {
    std::vector<std::uint32_t> words;
    instrument.Inspect([&](sim::VirtualInstrument& device) {
      words.assign(device.Memory().data.begin(), device.Memory().data.begin() + entries);
    });
    return words;
  }

  bool answerTimeStamps = true;
  RecordingPrompt prompt;
  MemorySettingsStore settings;
  sim::PtyServer instrument;
  MainFrameServices services;
  std::unique_ptr<CMainFrame> frame;
};

}  // namespace korva::test
