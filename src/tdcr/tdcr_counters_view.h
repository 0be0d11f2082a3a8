#pragma once

#include <QScrollArea>
#include <functional>
#include <string>
#include <vector>

#include "tdcr/tdcr_measurement.h"

class QComboBox;
class QGridLayout;
class QLineEdit;

namespace korva {

struct CounterBoxEntry;
struct FormGroup;

// The TDCR COUNTERS view: the raw counters of the run both TDCR views show,
// for engineering checks, with the reference clock SOURCE of the time-base
// correction. It shows the measurement's counter texts and hands VIEW RUN
// and SOURCE to the measurement. Its lists are connected only once the
// first redraw has filled them.
class CTDCRViewCnt : public QScrollArea {
  Q_OBJECT

 public:
  explicit CTDCRViewCnt(TdcrMeasurement& measurement, QWidget* parent = nullptr);

  // Puts the measurement's counter texts, VIEW RUN and SOURCE into the
  // controls without reporting any of it back.
  void Redraw();

 private:
  // A read-only box and the counter text it shows.
  struct Box {
    QLineEdit* box;
    std::function<const std::string&(const TdcrCounterTexts&)> text;
  };

  // A group of `boxes` in column `column` of row `row` of the form.
  void AddGroup(const QString& title, const std::vector<CounterBoxEntry>& boxes, int row, int column);
  void AddBoxes(const FormGroup& group, int firstRow, const std::vector<CounterBoxEntry>& boxes);
  void AddTimeCalibration();
  void ConnectControls();

  TdcrMeasurement& measurement_;
  QWidget* form_;
  QGridLayout* layout_;
  std::vector<Box> boxes_;
  QComboBox* viewRun_ = nullptr;
  QComboBox* source_ = nullptr;
};

}  // namespace korva
