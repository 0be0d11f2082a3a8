#include "devicelink/port_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace korva {

namespace {

// A combo box that tells when its list is about to drop down.
class DropDownComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> beforePopup;

  void showPopup() override {
    if (beforePopup) beforePopup();
    QComboBox::showPopup();
  }
};

struct ComboDefinition {
  const char* caption;
  const char* objectName;
  QStringList items;
};

const std::array<ComboDefinition, 6>& ComboDefinitions() {
  static const std::array<ComboDefinition, 6> definitions = {{
      {"COM PORT", "combo245", {}},
      {"BAUD RATE", "combo260", {"460800", "230400", "115200", "57600", "19200", "9600", "2400"}},
      {"DATA BITS", "combo253", {"8", "7", "6", "5", "4"}},
      {"PARITY", "combo189", {"None", "Even", "Odd", "Mark", "Space"}},
      {"STOP BITS", "combo192", {"1", "1.5", "2"}},
      {"HANDSHAKE", "combo203", {"OFF", "CTS/RTS", "DSR/DTR"}},
  }};
  return definitions;
}

}  // namespace

CComPortDlg::CComPortDlg(Enumerator enumerate, QWidget* parent)
    : QDialog(parent), enumerate_(std::move(enumerate)) {
  setWindowTitle(QStringLiteral("Communication Port"));
  auto* form = new QFormLayout;
  for (std::size_t i = 0; i < combos_.size(); ++i) {
    auto* combo = new DropDownComboBox(this);
    combo->setObjectName(QString::fromLatin1(ComboDefinitions()[i].objectName));
    combo->addItems(ComboDefinitions()[i].items);
    combo->setMinimumContentsLength(i == 0 ? 28 : 10);
    form->addRow(QString::fromLatin1(ComboDefinitions()[i].caption), combo);
    combos_[i] = combo;
  }
  // The port list is refreshed every time it drops down, so a device
  // plugged in meanwhile appears; the selection must then be made again.
  static_cast<DropDownComboBox*>(combos_[0])->beforePopup = [this] { FillPorts(); };

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void CComPortDlg::FillPorts() {
  combos_[0]->clear();
  for (const SerialPortRecord& record : enumerate_()) {
    combos_[0]->addItem(QString::fromStdString(record.friendlyName));
  }
}

int CComPortDlg::exec() {
  FillPorts();
  for (std::size_t i = 0; i < combos_.size(); ++i) {
    if (remembered_[i] < combos_[i]->count()) combos_[i]->setCurrentIndex(remembered_[i]);
  }
  return QDialog::exec();
}

void CComPortDlg::accept() {
  portName_ = DevicePathFromFriendlyName(combos_[0]->currentText().toStdString());
  baudText_ = combos_[1]->currentText();
  for (std::size_t i = 0; i < combos_.size(); ++i) remembered_[i] = std::max(0, combos_[i]->currentIndex());
  QDialog::accept();
}

}  // namespace korva
