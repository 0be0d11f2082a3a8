#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace korva {

// The two files of an analysis export.
struct AnalysisExportNames {
  std::filesystem::path report;  // plain text, ".txt"
  std::filesystem::path json;    // ".json"
};

// From the name chosen in the export dialog: a chosen ".txt" or ".json"
// (any case) is taken off and both extensions are appended to what remains.
AnalysisExportNames AnalysisExportNamesFor(const std::filesystem::path& chosen);

// Writes the report and the JSON, each replacing an earlier file only once
// it was written completely. None on success; otherwise the message for the
// user, naming the file that could not be written.
std::optional<std::string> WriteAnalysisExport(const AnalysisExportNames& names, const std::string& report,
                                               const std::string& json);

}  // namespace korva
