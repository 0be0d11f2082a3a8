#include "analysis/provenance_digest.h"

#include <QCryptographicHash>
#include <QFile>

namespace korva {

std::optional<FileDigest> DigestOfFile(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!hash.addData(&file)) return std::nullopt;
  return FileDigest{hash.result().toHex().toStdString(), file.size()};
}

}  // namespace korva
