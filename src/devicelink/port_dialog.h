#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <vector>

#include "devicelink/serial_port_record.h"

class QComboBox;

namespace korva {

// "Communication Port": the user picks the serial port and the baud rate by
// hand. The dialog lives as long as the main window, so its six selections
// persist between uses within one run.
class CComPortDlg : public QDialog {
  Q_OBJECT

 public:
  using Enumerator = std::function<std::vector<SerialPortRecord>()>;

  explicit CComPortDlg(Enumerator enumerate, QWidget* parent = nullptr);

  // Results of the last OK.
  const std::string& PortName() const { return portName_; }
  const QString& BaudText() const { return baudText_; }

  QComboBox* PortCombo() const { return combos_[0]; }
  QComboBox* BaudCombo() const { return combos_[1]; }

  int exec() override;
  void accept() override;

 private:
  void FillPorts();

  Enumerator enumerate_;
  std::array<QComboBox*, 6> combos_{};
  std::array<int, 6> remembered_{0, 0, 0, 0, 0, 1};
  std::string portName_;
  QString baudText_;
};

}  // namespace korva
