#pragma once

#include <QScrollArea>
#include <functional>

#include "forms/dock_pane.h"
#include "setup/pha_setup.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace korva {

class CommandEngine;
class DropDownList;
class NumericEdit;
struct SpectrumDocuments;

// The PHA OPTIONS form: baseline restorer use, TDCR-triggered analysis,
// the slow BLR response and the LLD threshold with its automatic margin,
// shown instead of the shaper form while the instrument is in pulse-height
// analysis. Only the buffer spectrum's settings can be changed.
class CPHAView : public QScrollArea {
  Q_OBJECT

 public:
  CPHAView(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent = nullptr);

  // Decodes the active spectrum's registers into the form.
  void UpdatePhaFromRegisters();
  // Encodes the form into the buffer spectrum's registers and sends the
  // settings block (read-backs held meanwhile; nothing sent while the
  // instrument has not answered).
  void ApplyPhaSettings();

  PhaSetup& Setup() { return setup_; }
  // Run after every apply with the slow BLR value and its SYM flag, which
  // the shaper form holds too.
  std::function<void(int value, bool sym)> onBlrApplied;
  // Puts the set-up's state into the controls.
  void Show();

 private:
  void LayOut(QWidget* form);
  void ConnectControls();
  void Apply(bool ready);

  CommandEngine& engine_;
  SpectrumDocuments& spectra_;
  PhaSetup setup_;
  bool showing_ = false;

  QCheckBox* internalBlr_ = nullptr;
  QCheckBox* tdcrTriggered_ = nullptr;
  NumericEdit* phaSlow_ = nullptr;
  QCheckBox* sym_ = nullptr;
  NumericEdit* threshold_ = nullptr;
  QLabel* auto_ = nullptr;
  DropDownList* margin_ = nullptr;
  QLineEdit* estimated_ = nullptr;
};

// The dockable pane "PHA OPTIONS" with the PHA form.
class CDocablePHAPane : public DockPane {
  Q_OBJECT

 public:
  CDocablePHAPane(CommandEngine& engine, SpectrumDocuments& spectra, QWidget* parent);
  // The form, or null when it could not be created.
  CPHAView* PhaView() const;
};

}  // namespace korva
