#pragma once

#include <QDialog>
#include <string>

#include "devicelink/port_search.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace korva {

// "Korva Port Finder": searches every serial port for an instrument when it
// is first shown and each time FIND is pressed. One instrument found is
// accepted at once; with several the user picks one.
class CFindComPort : public QDialog {
  Q_OBJECT

 public:
  CFindComPort(LinkSession& session, EventLog& log, PortSearch::Enumerator enumerate,
               QWidget* parent = nullptr);

  // The device of the chosen instrument, after OK.
  const std::string& PortName() const { return portName_; }

  QComboBox* FoundList() const { return foundList_; }
  QLabel* StatusLine() const { return status_; }
  QPushButton* FindButton() const { return findButton_; }

  void accept() override;
  void reject() override;

 public slots:
  void Search();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void SetButtonsEnabled(bool enabled);

  PortSearch search_;
  QComboBox* foundList_;
  QLabel* status_;
  QProgressBar* progress_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
  QPushButton* findButton_;
  bool searchedOnce_ = false;
  std::string portName_;
};

}  // namespace korva
