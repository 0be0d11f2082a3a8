#include "archive/saved_files_reader.h"

#include <QFile>

#include "archive/archive_json.h"
#include "archive/file_hashing.h"
#include "archive/saved_file_description.h"

namespace korva {

namespace {

// Larger files are no file the program writes; they are hashed but not read.
constexpr qint64 kLargestDescribedFile = 64 * 1024 * 1024;

// The file that says what the save was: the .tdc of a measurement, the
// .json of an analysis, otherwise the one file.
std::filesystem::path MainFile(const SavedFiles& saved) {
  const char* extension = saved.kind == SavedKind::kTdcrMeasurement  ? ".tdc"
                          : saved.kind == SavedKind::kAnalysisExport ? ".json"
                                                                     : nullptr;
  for (const std::filesystem::path& path : saved.paths) {
    if (extension == nullptr || path.extension() == extension) return path;
  }
  return saved.paths.empty() ? std::filesystem::path() : saved.paths.front();
}

EntryDescription Describe(SavedKind kind, const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (file.size() > kLargestDescribedFile || !file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  if (kind == SavedKind::kAnalysisExport) return DescribeAnalysisJson(bytes);
  return DescribeSavedText(kind, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace

std::optional<ArchiveEntry> EntryForSavedFiles(const SavedFiles& saved, const QDateTime& savedAt,
                                               QString& error) {
  ArchiveEntry entry;
  entry.kind = saved.kind;
  entry.savedAt = SavedAtText(savedAt);
  for (const std::filesystem::path& path : saved.paths) {
    std::optional<ArchivedFile> file = HashFile(path);
    if (!file) {
      error =
          QStringLiteral("Archive: cannot read the saved file %1").arg(QString::fromStdString(path.string()));
      return std::nullopt;
    }
    entry.files.push_back(std::move(*file));
  }
  entry.description = Describe(saved.kind, MainFile(saved));
  return entry;
}

std::string SavedAtText(const QDateTime& moment) {
  return moment.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toStdString();
}

}  // namespace korva
