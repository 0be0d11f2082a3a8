#include "tdcr/measurement_file_saver.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

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
// so a file that cannot be written leaves the earlier set complete.
std::optional<const char*> WriteTexts(MeasurementFiles& files, const std::array<std::string, 3>& texts) {
  for (std::size_t file = 0; file < files.size(); ++file) {
    if (!files[file].writer.Write(texts[file]) || !files[file].writer.Finish()) return files[file].failure;
  }
  for (MeasurementFile& file : files) {
    if (!file.writer.Commit()) return file.failure;
  }
  return std::nullopt;
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
    SafeFileWriter probe(path);
    if (!probe.Open()) return path;
  }
  return std::nullopt;
}

MeasurementFileSaver::MeasurementFileSaver(TdcrMeasurement& tdcr, CommandEngine& engine,
                                           MeasurementSaveDialogs& dialogs, Prompt& prompt)
    : tdcr_(tdcr), engine_(engine), dialogs_(dialogs), prompt_(prompt) {}

SaveOutcome MeasurementFileSaver::SaveMeasurement() {
  if (!tdcr_.BeginSave()) return SaveOutcome::kRefused;
  const std::optional<std::string> chosen = dialogs_.ChooseSaveTarget();
  if (!chosen) return SaveOutcome::kCancelled;
  const MeasurementFileNames names = MeasurementFileNamesFor(*chosen);
  if (AnyExists(names) && !dialogs_.ConfirmOverwrite(kOverwriteQuestion)) return SaveOutcome::kCancelled;
  // Register read-backs are refused from the refresh the files are taken
  // from until CompleteSave's write is on the line, so the image cannot
  // change under the files; a failed save lets them in again at once.
  const CommandEngine::ReadBackHold hold(engine_);
  if (!WriteFiles(names)) return SaveOutcome::kFailed;
  tdcr_.CompleteSave();
  AnnounceSavedFiles(SavedKind::kTdcrMeasurement, {names.tdc, names.csv, names.xml});
  return SaveOutcome::kSaved;
}

bool MeasurementFileSaver::WriteFiles(const MeasurementFileNames& names) {
  MeasurementFiles files = {{{SafeFileWriter(names.tdc), kTdcFailure},
                             {SafeFileWriter(names.csv), kCsvFailure},
                             {SafeFileWriter(names.xml), kXmlFailure}}};
  for (MeasurementFile& file : files) {
    if (file.writer.Open()) continue;
    prompt_.ShowError(file.failure);
    return false;
  }
  DeviceImage& image = engine_.Image();
  tdcr_.RefreshViews();
  MeasurementSnapshot snapshot{ReadMeasurementSettings(tdcr_, image), {}};
  snapshot.settings.tag = dialogs_.EditTag(kInitialTag).value_or(kInitialTag);
  snapshot.runs = ReadMeasurementRuns(tdcr_, image);
  const std::optional<const char*> failure =
      WriteTexts(files, {TdcFileText(snapshot), CsvFileText(snapshot), XmlFileText(snapshot)});
  if (!failure) return true;
  prompt_.ShowError(*failure);
  return false;
}

}  // namespace korva
