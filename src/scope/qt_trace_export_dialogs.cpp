#include "scope/qt_trace_export_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace korva {

// The extension is left alone here: the export appends ".csv" only to a
// name that has none.
std::optional<std::string> QtTraceExportDialogs::ChooseExportTarget() {
  QFileDialog dialog(parent_, QString::fromLatin1(trace_export_text::kDialogTitle));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setNameFilters({QStringLiteral("CSV File (*.csv)"), QStringLiteral("Text File (*.txt)"),
                         QStringLiteral("All Files (*.*)")});
  if (!lastPath_.isEmpty()) dialog.setDirectory(QFileInfo(lastPath_).absolutePath());
  dialog.selectFile(QStringLiteral("*"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().constFirst();
  // Only a folder that exists can take the file.
  if (!QFileInfo(chosen).absoluteDir().exists()) return std::nullopt;
  lastPath_ = chosen;
  return chosen.toStdString();
}

bool QtTraceExportDialogs::ConfirmOverwrite(std::string_view question) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                  QString::fromUtf8(question.data(), static_cast<qsizetype>(question.size())),
                  QMessageBox::Ok | QMessageBox::Cancel, parent_);
  return box.exec() == QMessageBox::Ok;
}

}  // namespace korva
