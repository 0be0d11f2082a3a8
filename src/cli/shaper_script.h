#pragma once

#include <QJsonObject>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_session.h"
#include "devicelink/engine_links.h"
#include "setup/amplifier_setup.h"
#include "setup/pha_setup.h"
#include "setup/shaper_setup.h"

namespace korva {

// A whole number as typed, before the form clamps it; the option and its
// text name it in the note about clamping.
struct WholeOption {
  std::string name;
  std::string text;
  long long value = 0;
};

// The long and short unfolding options name the A/B/C field; they reach the
// set of the instrument's input class.
struct ShaperFieldOption {
  ShaperField field;
  WholeOption number;
};

struct ShaperCheckOption {
  ShaperCheck check;
  bool ticked;
};

// How "GAIN NORMALIZATION" is set: AUTO, AUTO with FINE, or a FACTOR.
struct NormalisationOption {
  enum class Mode { kAuto, kFine, kFactor } mode = Mode::kAuto;
  WholeOption factor;
};

// The settings one shaper command changes, checked before anything touches
// the instrument. Lists hold positions, the LLD threshold is in displayed
// channels.
struct ShaperOptions {
  std::string port;
  std::uint32_t baud = 921600;
  std::vector<ShaperFieldOption> fields;
  std::vector<ShaperCheckOption> checks;
  std::vector<std::pair<ShaperList, int>> lists;
  std::optional<NormalisationOption> normalisation;
  std::optional<WholeOption> lld;
  std::optional<int> lldMargin;
  std::optional<bool> internalBlr;
  std::optional<bool> tdcrTriggered;

  bool ChangesShaper() const { return !fields.empty() || !checks.empty() || !lists.empty() || normalisation; }
  bool ChangesPha() const { return lld || lldMargin || internalBlr || tdcrTriggered; }
};

// The shaper and PHA forms driven from the command line: the instrument's
// registers are decoded into the program's own set-ups, each option goes
// through the form's change handler, and the composed registers are sent
// and read back. Each step returns false after printing why it failed.
class ShaperScript : private EngineObserver {
 public:
  explicit ShaperScript(const ShaperOptions& options);
  ~ShaperScript() override;
  ShaperScript(const ShaperScript&) = delete;
  ShaperScript& operator=(const ShaperScript&) = delete;

  // Connects and decodes the instrument's registers into both forms.
  bool ConnectAndDecode();
  // Applies the options, sends what they changed and decodes the read-back.
  bool Apply();
  // The state of both forms as decoded last.
  QJsonObject State() const;
  void Disconnect() { session_.Disconnect(); }

 private:
  void OnRegistersRead(bool phaMode) override;
  void OnRegistersWritten() override { ++writes_; }

  void Decode();
  std::optional<RegisterBlock> ApplyShaperOptions();
  std::optional<RegisterBlock> ApplyNormalisation();
  void ApplyPhaOptions();
  bool ReadBack();
  std::uint32_t Compression();

  const ShaperOptions& options_;
  CliSession session_;
  AmplifierSetup amplifier_;
  ShaperSetup shaper_;
  PhaSetup pha_;
  int reads_ = 0;
  int writes_ = 0;
  bool phaMode_ = false;
};

}  // namespace korva
