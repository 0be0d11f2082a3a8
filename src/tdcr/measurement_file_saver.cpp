#include "tdcr/measurement_file_saver.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "common/file_set_commit.h"
#include "common/files_saved.h"
#include "common/prompt.h"
#include "common/safe_file_writer.h"
#include "devicelink/command_engine.h"
#include "tdcr/measurement_files.h"
#include "tdcr/measurement_snapshot.h"
#include "tdcr/tdcr_measurement.h"

namespace korva {

namespace {

// A file of the measurement and the message shown when it cannot be
// written.
struct MeasurementFile {
  SafeFileWriter writer;
  const char* failure;
};
using MeasurementFiles = std::array<MeasurementFile, 3>;  // .tdc, .csv, .xml

bool IsMeasurementExtension(std::string extension) {
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".tdc" || extension == ".csv" || extension == ".xml";
}

bool AnyExists(const MeasurementFileNames& names) {
  std::error_code error;
  return std::filesystem::exists(names.tdc, error) || std::filesystem::exists(names.csv, error) ||
         std::filesystem::exists(names.xml, error);
}

// All three files are written out before the first replaces its target,
// and they are put in place as one set, so a file that cannot be written
// or renamed leaves the earlier set complete. Gives the file that failed.
std::optional<std::size_t> WriteTexts(MeasurementFiles& files, const std::array<std::string, 3>& texts) {
  for (std::size_t file = 0; file < files.size(); ++file) {
    if (!files[file].writer.Write(texts[file]) || !files[file].writer.Finish()) return file;
  }
  const std::array<SafeFileWriter*, 3> writers = {&files[0].writer, &files[1].writer, &files[2].writer};
  return FileSetCommit::Commit(writers);
}

// The failure message and, on a second line, the file and the system's
// reason.
std::string FailureText(const MeasurementFile& file) {
  const std::string reason = file.writer.FailureReason();
  return std::string(file.failure) + "\n" + file.writer.Target().string() +
         (reason.empty() ? "" : ": " + reason);
}

}  // namespace

MeasurementFileNames MeasurementFileNamesFor(const std::filesystem::path& chosen) {
  std::filesystem::path base = chosen;
  if (IsMeasurementExtension(chosen.extension().string())) base.replace_extension();
  const auto withExtension = [&base](const char* extension) {
    std::filesystem::path name = base;
    name += extension;
    return name;
  };
  return {withExtension(".tdc"), withExtension(".csv"), withExtension(".xml")};
}

std::optional<std::filesystem::path> FirstUncreatableFile(const MeasurementFileNames& names) {
  for (const std::filesystem::path& path : {names.tdc, names.csv, names.xml}) {
    if (!CreationFailure(path).empty()) return path;
  }
  return std::nullopt;
}

MeasurementFileSaver::MeasurementFileSaver(TdcrMeasurement& tdcr, CommandEngine& engine,
                                           MeasurementSaveDialogs& dialogs, Prompt& prompt)
    : tdcr_(tdcr), engine_(engine), dialogs_(dialogs), prompt_(prompt) {}

SaveOutcome MeasurementFileSaver::SaveMeasurement() {
  if (!tdcr_.BeginSave()) return SaveOutcome::kRefused;
  return SaveFiles(true);
}

SaveOutcome MeasurementFileSaver::SaveWithoutInstrument() { return SaveFiles(false); }

SaveOutcome MeasurementFileSaver::SaveFiles(bool markSaved) {
  const std::optional<std::string> chosen = dialogs_.ChooseSaveTarget();
  if (!chosen) return SaveOutcome::kCancelled;
  const MeasurementFileNames names = MeasurementFileNamesFor(*chosen);
  if (AnyExists(names) && !dialogs_.ConfirmOverwrite(kOverwriteQuestion)) return SaveOutcome::kCancelled;
  // Register read-backs are refused from the refresh the files are taken
  // from until CompleteSave's write is on the line, so the image cannot
  // change under the files; a failed save lets them in again at once.
  const CommandEngine::ReadBackHold hold(engine_);
  if (!WriteFiles(names)) return SaveOutcome::kFailed;
  if (markSaved) tdcr_.CompleteSave();
  AnnounceSavedFiles(SavedKind::kTdcrMeasurement, {names.tdc, names.csv, names.xml});
  return SaveOutcome::kSaved;
}

bool MeasurementFileSaver::WriteFiles(const MeasurementFileNames& names) {
  MeasurementFiles files = {{{SafeFileWriter(names.tdc), kTdcFailure},
                             {SafeFileWriter(names.csv), kCsvFailure},
                             {SafeFileWriter(names.xml), kXmlFailure}}};
  for (MeasurementFile& file : files) {
    if (file.writer.Open()) continue;
    prompt_.ShowError(FailureText(file));
    return false;
  }
  DeviceImage& image = engine_.Image();
  tdcr_.RefreshViews();
  MeasurementSnapshot snapshot{ReadMeasurementSettings(tdcr_, image), {}};
  snapshot.settings.tag = dialogs_.EditTag(kInitialTag).value_or(kInitialTag);
  snapshot.runs = ReadMeasurementRuns(tdcr_, image);
  const std::optional<std::size_t> failure =
      WriteTexts(files, {TdcFileText(snapshot), CsvFileText(snapshot), XmlFileText(snapshot)});
  if (!failure) return true;
  prompt_.ShowError(FailureText(files[*failure]));
  return false;
}

}  // namespace korva
