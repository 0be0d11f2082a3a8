#pragma once

#include <optional>
#include <string>

#include "acquisition/acquisition_run.h"
#include "acquisition/acquisition_settings.h"
#include "cli/cli_session.h"
#include "devicelink/engine_links.h"
#include "setup/amplifier_setup.h"
#include "timesync/system_time_services.h"
#include "timesync/time_reference.h"

namespace korva {

// The settings of one headless spectrum acquisition, checked before
// anything touches the instrument.
struct SpectrumOptions {
  std::string port;
  std::uint32_t baud = 921600;
  std::string out;                 // the .kts file
  std::optional<std::string> csv;  // the CSV export
  std::optional<int> softSize;     // CSV at this soft size; the hard size when none
  std::optional<int> presetSeconds;
  bool liveTimer = false;
  std::optional<int> input;   // MCA INPUT list index 0-8
  std::optional<int> coarse;  // COARSE list index 0-3
  std::optional<std::string> fine;
  std::optional<std::string> tag;
  TimeReferenceKind reference = TimeReferenceKind::kSystem;
  std::string ntpServer = "pool.ntp.org";
  bool overwrite = false;
};

// A spectrum acquisition driven from the command line with the program's
// acquisition and amplifier code. Each step waits on the event loop and
// returns false after printing why it failed.
class SpectrumScript : private EngineObserver {
 public:
  explicit SpectrumScript(const SpectrumOptions& options);
  ~SpectrumScript() override;

  // Stops the acquisition at the next tick; the files are still written.
  static void Interrupt();
  static bool Interrupted();

  // The files can be created, and existing ones may be replaced.
  bool CheckOutputFiles();
  // Connects and waits for the instrument's registers.
  bool ConnectAndRead();
  // Erases the spectrum, writes the stop timer and the amplifier settings,
  // and waits until they are read back.
  bool EraseAndWriteSettings();
  bool ChooseReference();
  bool Start();
  // Follows the run to its preset (or a Ctrl-C), printing progress.
  bool FollowRun();
  // Walks the whole data memory once more so the counts are final.
  bool ReadWholeMemory();
  bool Save();
  void Disconnect() { session_.Disconnect(); }

 private:
  void OnSpectrumChunk() override { ++chunks_; }
  void OnRegistersRead(bool) override { ++registerReads_; }

  bool Running();
  bool Settle();
  AcquisitionRunContext RunContext();
  void PrintProgress(double elapsedSeconds);
  void PrintSummary();

  const SpectrumOptions& options_;
  CliSession session_;
  AmplifierSetup amplifier_;
  int chunks_ = 0;
  int registerReads_ = 0;
};

}  // namespace korva
