#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "fpga/fpga_transfer.h"

class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace korva {

class Prompt;
class SerialLink;
class SettingsStore;

// Where "Browse" gets a design file: the open-file dialog in the program,
// a chosen name in tests. `folder` is the last directory (possibly empty);
// empty when the user cancels.
using DesignFileChooser =
    std::function<std::optional<std::string>(QWidget* parent, const std::string& folder)>;

// The open-file dialog for "Korva Binary (*.kbf)" and all files.
DesignFileChooser QtDesignFileChooser();

// The modal "FPGA" dialog: writes a design into the instrument's
// configuration flash ("Upload"), reads it back for comparison ("Verify")
// and has the instrument load its FPGA from the flash ("Config FPGA"). The
// transfer runs on the port's notifications (handed to Transfer().
// OnReplyBytes by whoever holds the link) and the dialog's 100 ms timer;
// the dialog never waits. While an operation runs, "Upload", "Verify",
// "Config FPGA" and "Browse" are disabled; "Stop" and "Close" end it.
class CProgramFPGA : public QDialog, private FpgaTransferObserver, private FpgaLog::Listener {
  Q_OBJECT

 public:
  CProgramFPGA(SerialLink& port, Prompt& prompt, SettingsStore& settings, DesignFileChooser chooseFile,
               QWidget* parent);
  ~CProgramFPGA() override;

  FpgaTransfer& Transfer() { return transfer_; }
  // An upload failed or was stopped since the flash last took a whole
  // design; "Config FPGA" asks first then. The owner carries it from one
  // opening of the dialog to the next.
  bool FlashIncomplete() const { return flashIncomplete_; }
  void SetFlashIncomplete(bool incomplete) { flashIncomplete_ = incomplete; }
  const std::string& LastFolder() const { return lastFolder_; }

  void OnBrowse();
  void OnUpload();
  void OnVerify();
  void OnConfigure();
  void OnStop();
  // "Close": ends a running operation, keeps the last folder, closes.
  void OnClose();

  void reject() override;

 private:
  void OnProgress(const FpgaProgress& progress) override;
  void OnBusyChanged(bool busy) override;
  void OnFinished(FpgaOperation operation, FpgaOutcome outcome) override;
  void OnLineAdded(const std::string& line) override;
  void OnFirstLineRemoved() override;
  std::filesystem::path ChosenPath() const;

  FpgaTransfer transfer_;
  Prompt& prompt_;
  SettingsStore& settings_;
  DesignFileChooser chooseFile_;
  std::string lastFolder_;
  QTimer timer_;
  bool closing_ = false;
  bool flashIncomplete_ = false;

  QLineEdit* path_ = nullptr;
  QPushButton* browse_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QListWidget* log_ = nullptr;
  QPushButton* upload_ = nullptr;
  QPushButton* verify_ = nullptr;
  QPushButton* configure_ = nullptr;
};

}  // namespace korva
