#include "cli/report_option.h"

#include <iostream>

#include "cli/cli_command.h"
#include "qtadapters/qt_settings_store.h"

namespace korva {

ReportSignatory ReportSignatoryOf(const CommandLine& line) {
  QtSettingsStore store;
  ReportSignatory signatory = LoadReportSignatory(store);
  if (!line.Has("lab") && !line.Has("operator")) return signatory;
  signatory.laboratory = line.Value("lab").value_or(signatory.laboratory);
  signatory.operatorName = line.Value("operator").value_or(signatory.operatorName);
  SaveReportSignatory(store, signatory);
  return signatory;
}

int WriteReportOption(const CommandLine& line, const ReportDocument& document) {
  if (const auto error = WriteReportPdf(*line.Value("report"), document)) {
    std::cerr << "korva-tdcr-cli: " << *error << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace korva
