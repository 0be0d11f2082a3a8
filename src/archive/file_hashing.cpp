#include "archive/file_hashing.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace korva {

std::optional<ArchivedFile> HashFile(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!hash.addData(&file)) return std::nullopt;
  const std::filesystem::path absolute = std::filesystem::absolute(path).lexically_normal();
  return ArchivedFile{absolute.string(), hash.result().toHex().toStdString(), file.size()};
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
