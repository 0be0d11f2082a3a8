#pragma once

#include <string>

namespace korva {

class SettingsStore;

// Who a report is from: the laboratory and the operator, set once and kept
// under "\Korva-TDCR\Report".
struct ReportSignatory {
  std::string laboratory;
  std::string operatorName;
};

ReportSignatory LoadReportSignatory(SettingsStore& store);
void SaveReportSignatory(SettingsStore& store, const ReportSignatory& signatory);

}  // namespace korva
