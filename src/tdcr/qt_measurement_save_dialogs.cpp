#include "tdcr/qt_measurement_save_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "forms/tag_dialog.h"
#include "qtadapters/qt_text.h"

namespace korva {

// Only a folder that exists can be chosen; a name typed without an
// extension gets ".tdc".
std::optional<std::string> QtMeasurementSaveDialogs::ChooseSaveTarget() {
  QFileDialog dialog(parent_, QStringLiteral("Save TDCR"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters({QStringLiteral("TDCR File (*.tdc)"), QStringLiteral("All Files (*.*)")});
  dialog.setDefaultSuffix(QStringLiteral("tdc"));
  dialog.selectFile(QStringLiteral("*.tdc"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

bool QtMeasurementSaveDialogs::ConfirmOverwrite(std::string_view question) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), QtText(question),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtMeasurementSaveDialogs::EditTag(std::string_view tag) {
  CDialogTag dialog(QtText(tag), parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Tag().toStdString();
}

}  // namespace korva
