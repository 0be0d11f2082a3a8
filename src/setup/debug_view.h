#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "devicelink/engine_links.h"
#include "forms/dock_pane.h"
#include "setup/register_debug_table.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace korva {

class CommandEngine;
class Prompt;
struct SpectrumDocuments;

// Where SAVE FILE and LOAD FILE get their file names: the file dialogs in
// the program, chosen names in tests. Empty when the user cancels.
struct RegisterFileDialogs {
  std::function<std::optional<std::string>(QWidget* parent)> chooseSaveName;
  std::function<std::optional<std::string>(QWidget* parent)> chooseLoadName;
};

// The file dialogs "Save Register File" and "Load Register File".
RegisterFileDialogs QtRegisterFileDialogs();

// The "REGISTERS" form: the view's own table of the 128 registers, one
// register shown at a time in decimal, hexadecimal and as 16 bit buttons;
// READ copies the active spectrum's registers into the table, WRITE sends
// the selected one to the instrument, SAVE FILE and LOAD FILE exchange the
// table with a register file. While "AUTO READ" is ticked every register
// read-back replaces the table; loading a file unticks it, so the loaded
// values stay in view until the user writes or reads them.
class CDebugView : public QWidget, private EngineObserver {
  Q_OBJECT

 public:
  CDebugView(CommandEngine& engine, SpectrumDocuments& spectra, Prompt& prompt, RegisterFileDialogs dialogs,
             QWidget* parent);
  ~CDebugView() override;

  const RegisterDebugTable& Table() const { return table_; }

  void OnRead();
  void OnWrite();
  void OnSaveFile();
  void OnLoadFile();

 private:
  void OnRegistersRead(bool phaMode) override;
  void BuildControls();
  void OnRegisterSelected(int index);
  void OnBitClicked();
  // The hexadecimal or decimal field was edited by the user.
  void OnFieldEdited(QLineEdit* field, long parsed);
  // Shows `value` at the selected register in every control but `keep`,
  // whose text the user is typing.
  void ShowValue(long value, const QLineEdit* keep = nullptr);
  void WriteIfAuto();
  void CopyFromImage(bool forced);

  CommandEngine& engine_;
  SpectrumDocuments& spectra_;
  Prompt& prompt_;
  RegisterFileDialogs dialogs_;
  RegisterDebugTable table_;

  QComboBox* registerList_ = nullptr;
  QLineEdit* hexField_ = nullptr;
  QLineEdit* decField_ = nullptr;
  std::array<QPushButton*, kRegisterBits> bitButtons_{};  // indexed by bit number
  QCheckBox* autoRead_ = nullptr;
  QCheckBox* autoWrite_ = nullptr;
};

// The dockable pane "Debug" with the REGISTERS form.
class CDocableDebugPane : public DockPane {
  Q_OBJECT

 public:
  CDocableDebugPane(CommandEngine& engine, SpectrumDocuments& spectra, Prompt& prompt,
                    RegisterFileDialogs dialogs, QWidget* parent);
  // The form, or null when it could not be created.
  CDebugView* DebugView() const;
};

}  // namespace korva
