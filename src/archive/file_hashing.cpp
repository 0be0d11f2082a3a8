#include "archive/file_hashing.h"

#include <QFileInfo>

#include "analysis/provenance_digest.h"

namespace korva {

std::optional<ArchivedFile> HashFile(const std::filesystem::path& path) {
  const std::optional<FileDigest> digest = DigestOfFile(path);
  if (!digest) return std::nullopt;
  return ArchivedFile{ArchivedPath(path), digest->sha256, digest->size};
}

std::string ArchivedPath(const std::filesystem::path& path) {
  return std::filesystem::absolute(path).lexically_normal().string();
}

FileState CheckArchivedFile(const ArchivedFile& file) {
  const QFileInfo info(QString::fromStdString(file.path));
  if (!info.isFile()) return FileState::kMissing;
  if (info.size() != file.size) return FileState::kChanged;
  const std::optional<ArchivedFile> now = HashFile(file.path);
  if (!now) return FileState::kMissing;
  return now->sha256 == file.sha256 ? FileState::kUnchanged : FileState::kChanged;
}

}  // namespace korva
