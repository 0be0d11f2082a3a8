#pragma once

#include "analysis/measurement_report.h"
#include "cli/command_line.h"

namespace korva {

// The laboratory and operator of a report: "--lab NAME" and "--operator
// NAME" when given (and kept for later reports), otherwise the ones kept.
ReportSignatory ReportSignatoryOf(const CommandLine& line);

// Writes `document` to the "--report OUT.pdf" path; the exit code, with the
// failure reported on standard error.
int WriteReportOption(const CommandLine& line, const ReportDocument& document);

}  // namespace korva
