#include "tdcr/tdcr_counters_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <algorithm>

#include "forms/form_widgets.h"
#include "qtadapters/qt_text.h"
#include "tdcr/tdcr_settings.h"
#include "tdcr/view_run_list.h"

namespace korva {

// A box as the view is built from it: caption, object name, width in
// characters, and the text it shows.
struct CounterBoxEntry {
  QString caption;
  QString name;
  int characters;
  std::function<const std::string&(const TdcrCounterTexts&)> text;
};

namespace {

const FormColours kCountersColours{QColor(200, 250, 255), QColor(100, 20, 55)};

// The width in characters of a box of a full 64-bit count.
constexpr int kCountWidth = 20;

using Pmt = TdcrCounterTexts::Pmt;
using Boxes = std::vector<CounterBoxEntry>;

// Combinations in the order of TdcrRates::Combination, boxes in the order
// of TdcrCounterTexts::Box.
constexpr std::array<const char*, TdcrRates::kCombinations> kCombinationNames = {"N1", "M1", "N2", "M2"};
constexpr std::array<const char*, TdcrCounterTexts::kBoxes> kCoincidenceCaptions = {"AB", "BC", "AC",
                                                                                    "T",  "D",  "ED"};
constexpr std::array<const char*, 3> kPmtNames = {"A", "B", "C"};

// The boxes of a COUNTERS - PMT group: each count with its rate below it.
struct PmtBox {
  const char* caption;
  const char* name;
  int characters;
  std::string Pmt::*text;
};
constexpr std::array<PmtBox, 6> kPmtBoxes = {{
    {"RAW", "RAW", kCountWidth, &Pmt::raw},
    {"CPS", "RAW CPS", kDecimalReadingWidth, &Pmt::rawRate},
    {"EX1", "EX1", kCountWidth, &Pmt::ext1},
    {"CPS", "EX1 CPS", kDecimalReadingWidth, &Pmt::ext1Rate},
    {"EX2", "EX2", kCountWidth, &Pmt::ext2},
    {"CPS", "EX2 CPS", kDecimalReadingWidth, &Pmt::ext2Rate},
}};

// The LIVE TIMERS boxes: extension 1 of A, B, C, then extension 2.
constexpr std::array<std::string Pmt::*, 2> kLiveTimes = {&Pmt::liveTime1, &Pmt::liveTime2};

constexpr std::array<const char*, 3> kClockCaptions = {"INT 10MHz", "INT REF 10MHz", "EXT REF 10MHz"};

QString CoincidenceTitle(std::size_t combination) {
  return QStringLiteral("COUNTERS - ") + QtText(kCombinationNames[combination]);
}

QString PmtTitle(std::size_t pmt) { return QStringLiteral("COUNTERS - PMT ") + QtText(kPmtNames[pmt]); }

Boxes CoincidenceBoxes(std::size_t combination) {
  Boxes boxes;
  for (std::size_t box = 0; box < TdcrCounterTexts::kBoxes; ++box) {
    const QString caption = QtText(kCoincidenceCaptions[box]);
    boxes.push_back({caption, CoincidenceTitle(combination) + '/' + caption, kCountWidth,
                     [combination, box](const TdcrCounterTexts& texts) -> const std::string& {
                       return texts.coincidences[combination][box];
                     }});
  }
  return boxes;
}

Boxes PmtBoxes(std::size_t pmt) {
  Boxes boxes;
  for (const PmtBox& box : kPmtBoxes) {
    boxes.push_back({QtText(box.caption), PmtTitle(pmt) + '/' + QtText(box.name), box.characters,
                     [pmt, text = box.text](const TdcrCounterTexts& texts) -> const std::string& {
                       return texts.pmts[pmt].*text;
                     }});
  }
  return boxes;
}

Boxes LiveTimerBoxes() {
  Boxes boxes;
  for (std::size_t extension = 0; extension < kLiveTimes.size(); ++extension) {
    for (std::size_t pmt = 0; pmt < kPmtNames.size(); ++pmt) {
      const QString caption = QtText(kPmtNames[pmt]) + QString::number(extension + 1);
      boxes.push_back(
          {caption, QStringLiteral("LIVE TIMERS/") + caption, kDecimalReadingWidth,
           [pmt, text = kLiveTimes[extension]](const TdcrCounterTexts& texts) -> const std::string& {
             return texts.pmts[pmt].*text;
           }});
    }
  }
  return boxes;
}

Boxes ClockBoxes() {
  Boxes boxes;
  for (std::size_t clock = 0; clock < kClockCaptions.size(); ++clock) {
    const QString caption = QtText(kClockCaptions[clock]);
    boxes.push_back(
        {caption, caption, kCountWidth,
         [clock](const TdcrCounterTexts& texts) -> const std::string& { return texts.clocks[clock]; }});
  }
  return boxes;
}

}  // namespace

// VIEW RUN on top; the four coincidence groups with TIME CALIBRATION beside
// them; the three PMT groups with the LIVE TIMERS below.
CTDCRViewCnt::CTDCRViewCnt(TdcrMeasurement& measurement, QWidget* parent)
    : QScrollArea(parent),
      measurement_(measurement),
      form_(NewScrolledForm(*this, kCountersColours)),
      layout_(new QGridLayout(form_)) {
  setObjectName(QStringLiteral("TdcrCountersView"));
  auto* top = new QGridLayout;
  viewRun_ = NewList(QStringLiteral("VIEW RUN"), ViewRunEntries(), form_);
  AddField(*top, 0, 0, QStringLiteral("VIEW RUN"), viewRun_);
  top->setColumnStretch(2, 1);
  layout_->addLayout(top, 0, 0, 1, 5);

  for (std::size_t combination = 0; combination < TdcrRates::kCombinations; ++combination) {
    AddGroup(CoincidenceTitle(combination), CoincidenceBoxes(combination), 1, static_cast<int>(combination));
  }
  AddTimeCalibration();
  for (std::size_t pmt = 0; pmt < kPmtNames.size(); ++pmt) {
    AddGroup(PmtTitle(pmt), PmtBoxes(pmt), 2, static_cast<int>(pmt));
  }
  AddGroup(QStringLiteral("LIVE TIMERS [s]"), LiveTimerBoxes(), 2, 3);
  layout_->setRowStretch(3, 1);
  layout_->setColumnStretch(5, 1);

  Redraw();
  ConnectControls();
}

void CTDCRViewCnt::AddGroup(const QString& title, const std::vector<CounterBoxEntry>& boxes, int row,
                            int column) {
  const FormGroup group = NewGroup(title, form_);
  AddBoxes(group, 0, boxes);
  layout_->addWidget(group.box, row, column, Qt::AlignTop);
}

void CTDCRViewCnt::AddBoxes(const FormGroup& group, int firstRow, const std::vector<CounterBoxEntry>& boxes) {
  int row = firstRow;
  for (const CounterBoxEntry& entry : boxes) {
    QLineEdit* box = NewReadingBox(entry.name, entry.characters, group.box);
    AddField(*group.grid, row++, 0, entry.caption, box);
    boxes_.push_back({box, entry.text});
  }
}

// SOURCE above the three clock counts.
void CTDCRViewCnt::AddTimeCalibration() {
  const FormGroup group = NewGroup(QStringLiteral("TIME CALIBRATION"), form_);
  source_ = NewList(QStringLiteral("SOURCE"), ListEntries(kReferenceSourceTexts), group.box);
  AddField(*group.grid, 0, 0, QStringLiteral("SOURCE"), source_);
  AddBoxes(group, 1, ClockBoxes());
  layout_->addWidget(group.box, 1, 4, Qt::AlignTop);
}

void CTDCRViewCnt::Redraw() {
  const TdcrCounterTexts& texts = measurement_.Counters();
  for (const Box& box : boxes_) ShowText(*box.box, box.text(texts));
  ShowViewRun(*viewRun_, std::max(measurement_.Form().measuredRuns, measurement_.ViewRun()),
              measurement_.ViewRun());
  ShowSelection(*source_, measurement_.ShownSource());
}

// VIEW RUN refreshes both views through the measurement, so the TDCR view's
// VIEW RUN follows; SOURCE goes into register 97 and is sent.
void CTDCRViewCnt::ConnectControls() {
  connect(viewRun_, &QComboBox::currentIndexChanged, this, [this](int index) {
    measurement_.SelectViewRun(index);
    Redraw();
  });
  connect(source_, &QComboBox::currentIndexChanged, this, [this](int index) {
    measurement_.SelectReferenceSource(index);
    Redraw();
  });
}

}  // namespace korva
