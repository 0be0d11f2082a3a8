#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "scope/trace_export.h"

namespace korva {

class Prompt;

// The questions an export of the traces asks. The program shows dialogs;
// the headless tool answers from its options; tests script the answers.
class TraceExportDialogs {
 public:
  virtual ~TraceExportDialogs() = default;
  // The "Export Traces..." file dialog: the chosen name, none on Cancel.
  virtual std::optional<std::string> ChooseExportTarget() = 0;
  // `question` with OK and Cancel and the stop icon; true for OK.
  virtual bool ConfirmOverwrite(std::string_view question) = 0;
};

enum class TraceExportOutcome { kWritten, kCancelled, kFailed };

// The export command: the file dialog, ".csv" for a name without an
// extension, the overwrite question for a file that exists, then the file
// written whole or not at all. A failure is shown through `prompt` and
// leaves an earlier file as it was. `written` receives the name used.
TraceExportOutcome ExportTraces(TraceExportDialogs& dialogs, Prompt& prompt, const TraceExportSource& source,
                                TraceExportKind kind, std::string* written = nullptr);

}  // namespace korva
