#include "analysis/analysis_export.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "common/files_saved.h"
#include "common/safe_file_writer.h"

namespace korva {

namespace {

std::string Lowered(std::string text) {
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

AnalysisExportNames AnalysisExportNamesFor(const std::filesystem::path& chosen) {
  std::filesystem::path base = chosen;
  const std::string extension = Lowered(chosen.extension().string());
  if (extension == ".txt" || extension == ".json") base.replace_extension();
  std::filesystem::path report = base;
  std::filesystem::path json = base;
  report += ".txt";
  json += ".json";
  return {report, json};
}

std::optional<std::string> WriteAnalysisExport(const AnalysisExportNames& names, const std::string& report,
                                               const std::string& json) {
  std::array<SafeFileWriter, 2> writers = {SafeFileWriter(names.report), SafeFileWriter(names.json)};
  const std::array<const std::string*, 2> texts = {&report, &json};
  for (SafeFileWriter& writer : writers) {
    if (!writer.Open()) return "Unable to write the analysis file " + writer.Target().string();
  }
  for (std::size_t i = 0; i < writers.size(); ++i) {
    if (!writers[i].Write(*texts[i]) || !writers[i].Finish()) {
      return "Unable to write the analysis file " + writers[i].Target().string();
    }
  }
  for (SafeFileWriter& writer : writers) {
    if (!writer.Commit()) return "Unable to write the analysis file " + writer.Target().string();
  }
  AnnounceSavedFiles(SavedKind::kAnalysisExport, {names.report, names.json});
  return std::nullopt;
}

}  // namespace korva
