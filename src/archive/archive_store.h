#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_entry.h"
#include "archive/archive_filter.h"
#include "archive/archive_location.h"

class QSqlDatabase;
class QSqlQuery;

namespace korva {

// The archive's database through Qt SQL: opened and brought to the
// current schema at start, entries added one transaction each, so two
// programs writing at once lose nothing. An archive written by a newer
// program, or one that is damaged, is refused and left as it is.
class ArchiveStore {
 public:
  // None, with `error` saying why, when the archive cannot be used.
  static std::unique_ptr<ArchiveStore> Open(const ArchiveLocation& location, QString& error);
  ~ArchiveStore();
  ArchiveStore(const ArchiveStore&) = delete;
  ArchiveStore& operator=(const ArchiveStore&) = delete;

  // Stores `entry` with its files and gives it its id.
  bool Add(ArchiveEntry& entry, QString& error);
  // Stores all `entries` in one transaction: all or none.
  bool AddAll(std::span<ArchiveEntry> entries, QString& error);
  // Newest first, at most `limit` (all when negative).
  std::optional<std::vector<ArchiveEntry>> List(const ArchiveFilter& filter, int limit, QString& error);
  std::optional<ArchiveEntry> Find(std::int64_t id, QString& error);
  // True when a file at `path` with this hash is already archived.
  bool HasFile(const std::string& path, const std::string& sha256, QString& error);
  // The id of the newest entry holding the file at `path` with this hash;
  // 0 when none does, none after a failure.
  std::optional<std::int64_t> NewestEntryWithFile(const std::string& path, const std::string& sha256,
                                                  QString& error);

  const ArchiveLocation& Location() const { return location_; }

 private:
  ArchiveStore(ArchiveLocation location, QString connection);
  QSqlDatabase Database() const;
  bool Migrate(QString& error);
  bool UseWriteAheadLog(QString& error);
  bool Exec(QSqlQuery& query, const std::string& sql, QString& error);
  bool Begin(QString& error);
  bool Insert(ArchiveEntry& entry, QString& error);
  bool InsertFiles(const ArchiveEntry& entry, QString& error);
  bool ReadFiles(std::vector<ArchiveEntry>& entries, QString& error);
  QString Failure(const QString& what, const QSqlQuery& query) const;

  ArchiveLocation location_;
  QString connection_;
};

}  // namespace korva
