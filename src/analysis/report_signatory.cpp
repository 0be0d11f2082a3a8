#include "analysis/report_signatory.h"

#include <string_view>

#include "common/settings_store.h"

namespace korva {

namespace {

constexpr std::string_view kPath = "\\Korva-TDCR\\Report";

}  // namespace

ReportSignatory LoadReportSignatory(SettingsStore& store) {
  return {store.ReadString(kPath, "Laboratory").value_or(""),
          store.ReadString(kPath, "Operator").value_or("")};
}

void SaveReportSignatory(SettingsStore& store, const ReportSignatory& signatory) {
  store.WriteString(kPath, "Laboratory", signatory.laboratory);
  store.WriteString(kPath, "Operator", signatory.operatorName);
}

}  // namespace korva
