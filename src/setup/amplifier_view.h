#pragma once

#include <QScrollArea>
#include <array>
#include <optional>

#include "forms/dock_pane.h"
#include "setup/amplifier_setup.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace korva {

class CommandEngine;
class NumericEdit;
struct SpectrumDocuments;

// The SIGNALS form: MCA input, coarse and fine gain, ADC and amplifier
// offsets and the digital I/O lines. The amplifier set-up holds the view
// state; the form only shows its controls and hands it the user's changes,
// which are composed into the buffer spectrum's registers and sent.
class CAmplifierView : public QScrollArea {
  Q_OBJECT

 public:
  CAmplifierView(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent = nullptr);

  // Decodes the active spectrum's registers: after every register read and
  // when another spectrum becomes active. The first call after a first
  // update takes every field.
  void Refresh();
  // A connection starts: the form reloads from the next register read.
  void OnConnected();

  const AmplifierSetup& Setup() const { return setup_; }

 private:
  void LayOut(QWidget* form);
  QWidget* BuildInput(QWidget* form);
  QWidget* BuildGain(QWidget* form);
  QWidget* BuildOffsets(QWidget* form);
  QWidget* BuildDigitalIo(QWidget* form);

  void ConnectControls();
  void ConnectOffsets();
  void ConnectDigitalIo();
  // Sends a handler's change and redraws; a change of input class also
  // moves the display to the memory half of the new input.
  void Send(const std::optional<AmplifierChange>& change);
  void Show();

  CommandEngine& engine_;
  SpectrumDocuments& spectra_;
  AmplifierSetup setup_;
  bool showing_ = false;

  QComboBox* input_ = nullptr;
  QComboBox* coarse_ = nullptr;
  NumericEdit* fine_ = nullptr;
  QLineEdit* total_ = nullptr;
  NumericEdit* adc_ = nullptr;
  QCheckBox* adcDefault_ = nullptr;
  NumericEdit* amplifier_ = nullptr;
  QCheckBox* auto_ = nullptr;
  QPushButton* sar_ = nullptr;
  QPushButton* down_ = nullptr;
  QPushButton* up_ = nullptr;
  QComboBox* din_ = nullptr;
  QComboBox* rin_ = nullptr;
  std::array<QComboBox*, 3> drive_{};     // Rout, S, T
  std::array<QComboBox*, 3> function_{};  // Rout, S, T
};

// The dockable pane "SIGNALS" with the amplifier form.
class CDocableAmplifierPane : public DockPane {
  Q_OBJECT

 public:
  CDocableAmplifierPane(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent);
  // The form, or null when it could not be created.
  CAmplifierView* AmplifierView() const;
};

}  // namespace korva
