#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devicelink/register_edit.h"
#include "setup/amplifier_digital_io.h"
#include "setup/amplifier_offsets.h"
#include "spectrum/amplifier_gain.h"
#include "spectrum/amplifier_spectrum_fields.h"

namespace korva {

// Everything the amplifier form shows, ready for its controls. List
// selections are positions in the form's lists.
struct AmplifierControls {
  int mcaInput = 0;  // into kMcaInputTexts
  std::vector<std::string> coarseTexts;
  int coarse = 0;
  int fine = 0;  // the spin's hidden integer field
  std::string fineText;
  std::string totalText;
  int adcOffset = 0;
  bool adcDefault = false;
  int amplifierOffset = 0;
  bool autoOffset = false;
  bool adcEnabled = true;        // ADC field and its spin
  bool amplifierEnabled = true;  // AMP field and its spin
  bool sarEnabled = true;        // "SAR"
  bool stepsEnabled = false;     // "++" and "--"
  int dinFunction = 0;
  int rinFunction = 0;
  std::array<int, 3> drive{};     // Rout, S, T
  std::array<int, 3> function{};  // Rout, S, T
};

// The request a control change ends with, and whether the change touched
// the input class (input E or A/B/C, PHA or DPP): then the spectrum display
// takes the other memory half, the shaper shows the other unfolding set,
// the threshold caches are marked and the calibration reloads.
struct AmplifierChange {
  RegisterBlock send = RegisterBlock::kSettings;
  bool inputChanged = false;
};

// Other views' parts of the amplifier's compose, each run only when its view
// exists: the trace viewer's compose first, the shaper's gain-normalisation
// compose of the buffer spectrum last.
struct AmplifierComposeHooks {
  std::function<void(RegisterImage&)> traceCompose;
  std::function<void(RegisterImage&)> normalisationCompose;
};

// The amplifier set-up: the view state of the amplifier form, decoded from
// the active spectrum's registers by Refresh and encoded into the buffer
// spectrum's registers by Compose. Control handlers change the state and
// return the request the change is sent with; before FirstUpdate they do
// nothing and return none.
class AmplifierSetup {
 public:
  AmplifierSetup();

  // The form's first update: lists at their first entries, fine 0, AUTO on,
  // ADC offset 2000 and amplifier offset 10000 (the spins' initial
  // positions). Nothing is composed or sent, and the next Refresh decodes
  // the input class whatever register 18 holds, so these values never reach
  // the instrument unless the user changes them before the first read-back.
  void FirstUpdate(const AmplifierSpectrumFields& active);
  bool Initialised() const { return initialised_; }
  const AmplifierControls& Controls() const { return controls_; }

  // Decodes the active spectrum's registers into the form. Only what
  // differs from the state's copies is taken. Returns true when register 18
  // or the input number changed, i.e. the input class may have.
  bool Refresh(const RegisterImage& registers, AmplifierSpectrumFields& active);
  // Encodes the state into the buffer spectrum's registers.
  // The copies of registers 12, 75 and 76 take the composed values, so the
  // next refresh redraws them only when the instrument changed them.
  void Compose(RegisterImage& registers, AmplifierSpectrumFields& buffer,
               const AmplifierComposeHooks& hooks = {});

  // Rebuilds the COARSE list and selects the index remembered for the
  // current mode (PHA or DPP) in `active`.
  void FillCoarseList(const AmplifierSpectrumFields& active);

  std::optional<AmplifierChange> SelectMcaInput(int listIndex, AmplifierSpectrumFields& active);
  std::optional<AmplifierChange> SelectCoarse(int index, AmplifierSpectrumFields& active);
  // The fine spin or its integer field; the value is clamped to 0..4095.
  std::optional<AmplifierChange> SetFine(int fine);
  // Typing in the fine text while it has the focus. A text that is not a
  // factor in 1.0 .. 1.2 is ignored and nothing is sent.
  std::optional<AmplifierChange> TypeFineFactor(std::string_view text);
  // The fine text gains or loses the focus. Losing it shows the factor the
  // fine value encodes, through the spin path, which sends.
  std::optional<AmplifierChange> SetFineTextFocus(bool focused);

  std::optional<AmplifierChange> SetAdcOffset(int offset);
  std::optional<AmplifierChange> ClickAdcDefault(bool ticked);
  std::optional<AmplifierChange> SetAmplifierOffset(int offset);
  std::optional<AmplifierChange> ClickAuto(bool on);
  std::optional<AmplifierChange> StartSar();
  std::optional<AmplifierChange> PressSarStep(bool up);

  std::optional<AmplifierChange> SelectRin(int position);
  std::optional<AmplifierChange> SelectDrive(OutputLine line, int position);
  std::optional<AmplifierChange> SelectFunction(OutputLine line, int position);

 private:
  static std::size_t Slot(OutputLine line);
  std::optional<AmplifierChange> Changed(RegisterBlock send, bool inputChanged = false) const;
  void ShowFine(int fine, bool writeText);
  void ShowTotal();
  void TakeInputClass(bool inputE, bool pha, AmplifierSpectrumFields& active);
  void ShowDigitalIo();
  void EnableOffsets();

  AmplifierControls controls_;
  std::vector<CoarseGainEntry> coarseTable_;
  double fineFactor_ = 1.0;
  int inputNumber_ = 0;
  bool pha_ = false;
  bool inputE_ = false;
  std::uint16_t digitalIoFlags_ = 0;
  SuccessiveApproximation sar_;
  bool fineTextFocused_ = false;
  bool initialised_ = false;
  bool inputDecoded_ = false;

  // Register values as last decoded or composed.
  std::uint16_t register12Copy_ = 0;
  std::uint16_t register17Copy_ = 0;
  std::uint16_t register75Copy_ = 0;
  std::uint16_t register76Copy_ = 0;
};

// The send sequence every amplifier control change ends with. Only the
// buffer spectrum's settings can be changed: with a file spectrum active
// nothing is composed or sent. Otherwise the state is composed into the
// engine's register image and sent with `block` through the register-edit
// sequence (read-backs refused meanwhile; nothing sent, and read-backs
// accepted again at once, when the instrument has not answered).
void SendAmplifierChange(CommandEngine& engine, AmplifierSetup& setup, AmplifierSpectrumFields& buffer,
                         bool bufferActive, RegisterBlock block, const AmplifierComposeHooks& hooks = {});

}  // namespace korva
