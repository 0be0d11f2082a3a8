#pragma once

#include <QString>

#include "scope/trace_export_flow.h"

class QWidget;

namespace korva {

// The export's questions as the program's dialogs. The folder chosen last
// is where the next export's dialog opens.
class QtTraceExportDialogs : public TraceExportDialogs {
 public:
  explicit QtTraceExportDialogs(QWidget* parent) : parent_(parent) {}

  std::optional<std::string> ChooseExportTarget() override;
  bool ConfirmOverwrite(std::string_view question) override;

 private:
  QWidget* parent_;
  QString lastPath_;
};

}  // namespace korva
