#include "archive/archive_maintenance.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <system_error>

#include "archive/saved_file_description.h"
#include "archive/saved_files_reader.h"

namespace korva {

namespace {

namespace fs = std::filesystem;

std::string FirstLine(const fs::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readLine(512).trimmed().toStdString();
}

// The files written with the main file `path` by the same save.
std::vector<fs::path> SaveGroup(SavedKind kind, const fs::path& path) {
  std::vector<fs::path> group{path};
  const auto add = [&](const char* extension) {
    fs::path companion = path;
    companion.replace_extension(extension);
    std::error_code error;
    if (fs::is_regular_file(companion, error)) group.push_back(companion);
  };
  if (kind == SavedKind::kTdcrMeasurement) {
    add(".csv");
    add(".xml");
  } else if (kind == SavedKind::kAnalysisExport) {
    add(".txt");
    std::ranges::reverse(group);  // report first, as the export lists them
  }
  return group;
}

std::vector<fs::path> FilesBelow(const fs::path& folder, QString& error) {
  std::vector<fs::path> files;
  std::error_code failure;
  fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, failure);
  if (failure) {
    error = QStringLiteral("Cannot read the folder %1: %2")
                .arg(QString::fromStdString(folder.string()), QString::fromStdString(failure.message()));
    return files;
  }
  for (const fs::directory_entry& entry : walk) {
    std::error_code ignored;
    if (entry.is_regular_file(ignored)) files.push_back(entry.path());
  }
  std::ranges::sort(files);
  return files;
}

bool AlreadyArchived(ArchiveStore& store, const ArchiveEntry& entry, QString& error) {
  return std::ranges::all_of(
      entry.files, [&](const ArchivedFile& file) { return store.HasFile(file.path, file.sha256, error); });
}

}  // namespace

std::optional<ImportCounts> ImportFolder(ArchiveStore& store, const fs::path& folder, QString& error) {
  const std::vector<fs::path> files = FilesBelow(folder, error);
  if (!error.isEmpty()) return std::nullopt;
  ImportCounts counts;
  for (const fs::path& path : files) {
    const std::optional<SavedKind> kind = KindOfSavedFile(path.filename().string(), FirstLine(path));
    if (!kind) continue;
    if (std::string why = NotASavedFile(*kind, path); !why.empty()) {
      counts.refused.emplace_back(path, std::move(why));
      continue;
    }
    const SavedFiles saved{*kind, SaveGroup(*kind, path)};
    const QDateTime modified = QFileInfo(QString::fromStdString(path.string())).lastModified();
    std::optional<ArchiveEntry> entry = EntryForSavedFiles(saved, modified, error);
    if (!entry) return std::nullopt;
    if (AlreadyArchived(store, *entry, error)) {
      ++counts.alreadyArchived;
      continue;
    }
    if (!error.isEmpty() || !store.Add(*entry, error)) return std::nullopt;
    ++counts.added;
  }
  return counts;
}

std::optional<std::vector<FileProblem>> VerifyArchive(ArchiveStore& store, QString& error) {
  const std::optional<std::vector<ArchiveEntry>> entries = store.List({}, -1, error);
  if (!entries) return std::nullopt;
  std::vector<FileProblem> problems;
  for (auto entry = entries->rbegin(); entry != entries->rend(); ++entry) {
    for (const ArchivedFile& file : entry->files) {
      const FileState state = CheckArchivedFile(file);
      if (state != FileState::kUnchanged) problems.push_back({entry->id, file.path, state});
    }
  }
  return problems;
}

}  // namespace korva
