#include "formats/qt_spectrum_file_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "forms/tag_dialog.h"
#include "qtadapters/qt_text.h"

namespace korva {

namespace {

std::optional<std::string> Chosen(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

QString SaveFilter(SpectrumSaveKind kind) {
  switch (kind) {
    case SpectrumSaveKind::kCsv:
      return QStringLiteral("CSV File (*.csv)");
    case SpectrumSaveKind::kN42:
      return QStringLiteral("N42 Spectrum (*.n42)");
    case SpectrumSaveKind::kSpe:
      return QStringLiteral("IAEA SPE Spectrum (*.spe)");
    case SpectrumSaveKind::kSpectrumFile:
      break;
  }
  return QStringLiteral("Veltra Spectrum (*.kts)");
}

}  // namespace

std::optional<std::string> QtSpectrumFileDialogs::ChooseOpenTarget() {
  QFileDialog dialog(parent_, QStringLiteral("Open Spectrum File"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({QStringLiteral("Veltra Spectrum (*.kts)"), QStringLiteral("N42 Spectrum (*.n42)"),
                         QStringLiteral("IAEA SPE Spectrum (*.spe)"), QStringLiteral("All Files (*.*)")});
  return Chosen(dialog);
}

// The ".kts" of a name typed without an extension is added by the command,
// so the overwrite question is asked about the file that is written.
std::optional<std::string> QtSpectrumFileDialogs::ChooseSaveTarget(SpectrumSaveKind kind) {
  const bool file = kind == SpectrumSaveKind::kSpectrumFile;
  QFileDialog dialog(parent_,
                     file ? QStringLiteral("Save Spectrum As...") : QStringLiteral("Export Spectrum As..."));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilter(SaveFilter(kind));
  return Chosen(dialog);
}

bool QtSpectrumFileDialogs::ConfirmOverwrite(std::string_view question) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), QtText(question),
                  QMessageBox::Ok | QMessageBox::Cancel, parent_);
  return box.exec() == QMessageBox::Ok;
}

std::optional<std::string> QtSpectrumFileDialogs::EditTag(std::string_view tag) {
  CDialogTag dialog(QtText(tag), parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Tag().toStdString();
}

}  // namespace korva
