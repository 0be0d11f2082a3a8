#include "scope/trace_export_flow.h"

#include <filesystem>
#include <system_error>

#include "common/prompt.h"

namespace korva {

TraceExportOutcome ExportTraces(TraceExportDialogs& dialogs, Prompt& prompt, const TraceExportSource& source,
                                TraceExportKind kind, std::string* written) {
  const std::optional<std::string> chosen = dialogs.ChooseExportTarget();
  if (!chosen || chosen->empty()) return TraceExportOutcome::kCancelled;
  const std::filesystem::path target = TraceExportNameFor(*chosen);
  std::error_code error;
  if (std::filesystem::exists(target, error) &&
      !dialogs.ConfirmOverwrite(trace_export_text::kOverwriteQuestion)) {
    return TraceExportOutcome::kCancelled;
  }
  if (written != nullptr) *written = target.string();
  const TraceExportStatus status = SaveTraceExport(target, source, kind);
  if (status == TraceExportStatus::kDone) return TraceExportOutcome::kWritten;
  prompt.ShowError(TraceExportMessage(status));
  return TraceExportOutcome::kFailed;
}

}  // namespace korva
