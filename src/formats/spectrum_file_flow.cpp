#include "formats/spectrum_file_flow.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "common/prompt.h"
#include "formats/spectrum_file_context.h"

namespace korva {

namespace {

// The title of the message listing what the reading rules clamped.
constexpr const char* kClampNoteTitle = "Note";

std::string JoinedLines(const std::vector<std::string>& lines) {
  std::string joined;
  for (const std::string& line : lines) joined += (joined.empty() ? "" : "\n") + line;
  return joined;
}

// What a name typed without an extension gets; CSV names are kept as typed.
const char* DefaultExtension(SpectrumSaveKind kind) {
  switch (kind) {
    case SpectrumSaveKind::kSpectrumFile:
      return ".kts";
    case SpectrumSaveKind::kN42:
      return ".n42";
    case SpectrumSaveKind::kSpe:
      return ".spe";
    case SpectrumSaveKind::kCsv:
      break;
  }
  return "";
}

// The target of a save, once the user has agreed to replace an existing
// file; none when the command ends here.
std::optional<std::filesystem::path> SaveTarget(SpectrumSaveKind kind, SpectrumFileDialogs& dialogs) {
  const std::optional<std::string> chosen = dialogs.ChooseSaveTarget(kind);
  if (!chosen || chosen->empty()) return std::nullopt;
  std::filesystem::path path(*chosen);
  if (!path.has_extension()) path += DefaultExtension(kind);
  std::error_code error;
  if (std::filesystem::exists(path, error) && !dialogs.ConfirmOverwrite(kOverwriteQuestion))
    return std::nullopt;
  return path;
}

// OK keeps the edited tag; Cancel names the spectrum by its start stamp.
void AskTag(CSpectrum& spectrum, SpectrumFileDialogs& dialogs) {
  const std::optional<std::string> edited = dialogs.EditTag(spectrum.tag);
  spectrum.tag = edited ? *edited : AcquisitionValuesOf(spectrum).startDateTime;
}

bool Report(SpectrumFileStatus status, Prompt& prompt) {
  if (status == SpectrumFileStatus::kDone) return true;
  prompt.ShowCaptionedError(kSpectrumFileErrorCaption, SpectrumFileMessage(status));
  return false;
}

}  // namespace

bool OpenSpectrum(CSpectrum& file, SpectrumFileDialogs& dialogs, Prompt& prompt) {
  const std::optional<std::string> chosen = dialogs.ChooseOpenTarget();
  if (!chosen || chosen->empty()) return false;
  std::vector<std::string> notes;
  const std::string failure = LoadAnySpectrumFile(file, *chosen, &notes);
  if (failure.empty()) {
    if (!notes.empty()) prompt.ShowMessage(kClampNoteTitle, JoinedLines(notes));
    return true;
  }
  prompt.ShowCaptionedError(kSpectrumFileErrorCaption, failure);
  return false;
}

bool SaveSpectrumAs(CSpectrum& active, std::uint16_t modelCode, SpectrumFileDialogs& dialogs,
                    Prompt& prompt) {
  const std::optional<std::filesystem::path> path = SaveTarget(SpectrumSaveKind::kSpectrumFile, dialogs);
  if (!path) return false;
  AskTag(active, dialogs);
  return Report(SaveSpectrumFile(active, *path, KtsContextOf(active, modelCode)), prompt);
}

bool ExportSpectrumAs(CSpectrum& active, bool hardSize, SpectrumFileDialogs& dialogs, Prompt& prompt) {
  const std::optional<std::filesystem::path> path = SaveTarget(SpectrumSaveKind::kCsv, dialogs);
  if (!path) return false;
  AskTag(active, dialogs);
  return Report(ExportSpectrumCsv(active, *path, hardSize, CsvContextOf(active)), prompt);
}

bool ExportSpectrumExchange(CSpectrum& active, ExchangeFormat format, const ExchangeContext& context,
                            SpectrumFileDialogs& dialogs, Prompt& prompt) {
  const SpectrumSaveKind kind =
      format == ExchangeFormat::kSpe ? SpectrumSaveKind::kSpe : SpectrumSaveKind::kN42;
  const std::optional<std::filesystem::path> path = SaveTarget(kind, dialogs);
  if (!path) return false;
  AskTag(active, dialogs);
  return Report(SaveExchangeFile(ExchangeSpectrumOf(active, context), format, *path), prompt);
}

}  // namespace korva
