#include "archive/archive_store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <atomic>
#include <map>

#include "archive/archive_json.h"
#include "qtadapters/qt_text.h"

namespace korva {

namespace {

constexpr const char* kEntryColumns =
    "id, kind, saved_at, start_stamp, time_reference, ntp_offset, ntp_server, model, serial_number, "
    "firmware, "
    "fpga, tag, operator, nuclides, cocktail, high_voltage, settings, result";

std::string S(const QVariant& value) { return value.toString().toStdString(); }

QString NextConnectionName() {
  static std::atomic<int> next{0};
  return QStringLiteral("korva-archive-%1").arg(next++);
}

ArchiveEntry EntryFromRow(const QSqlQuery& q) {
  ArchiveEntry e;
  e.id = q.value(0).toLongLong();
  e.kind = SavedKindNamed(S(q.value(1))).value_or(SavedKind::kTdcrMeasurement);
  e.savedAt = S(q.value(2));
  InstrumentProvenance& i = e.description.instrument;
  e.description.startStamp = S(q.value(3));
  i.timeReference = S(q.value(4));
  if (!q.value(5).isNull()) i.ntpOffsetSeconds = q.value(5).toDouble();
  i.ntpServer = S(q.value(6));
  i.model = S(q.value(7));
  i.serialNumber = S(q.value(8));
  i.firmwareVersion = S(q.value(9));
  i.fpgaVersion = S(q.value(10));
  e.description.record = {S(q.value(11)), S(q.value(12)), S(q.value(13)), S(q.value(14)), S(q.value(15))};
  e.description.settings = SettingsFromJson(q.value(16).toString());
  e.description.result = S(q.value(17));
  return e;
}

}  // namespace

ArchiveStore::ArchiveStore(ArchiveLocation location, QString connection)
    : location_(std::move(location)), connection_(std::move(connection)) {}

ArchiveStore::~ArchiveStore() {
  { Database().close(); }
  QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase ArchiveStore::Database() const { return QSqlDatabase::database(connection_, false); }

std::unique_ptr<ArchiveStore> ArchiveStore::Open(const ArchiveLocation& location, QString& error) {
  const bool sqlite = location.dialect == SqlDialect::kSqlite;
  const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
  if (!QSqlDatabase::isDriverAvailable(driver)) {
    error = QStringLiteral("The archive needs the Qt SQL driver %1, which is not installed").arg(driver);
    return nullptr;
  }
  std::unique_ptr<ArchiveStore> store(new ArchiveStore(location, NextConnectionName()));
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, store->connection_);
    if (sqlite) {
      QDir().mkpath(QFileInfo(location.sqlitePath).absolutePath());
      db.setDatabaseName(location.sqlitePath);
      db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(location.busyTimeoutMs));
    } else {
      db.setHostName(location.host);
      db.setPort(location.port);
      db.setDatabaseName(location.database);
      db.setUserName(location.user);
      db.setPassword(location.password);
      QString options = QStringLiteral("connect_timeout=5");
      if (!location.sslMode.isEmpty()) options += QStringLiteral(";sslmode=") + location.sslMode;
      db.setConnectOptions(options);
    }
    if (!db.open()) {
      error =
          QStringLiteral("Cannot open the archive %1: %2").arg(location.Describe(), db.lastError().text());
      return nullptr;
    }
  }
  if (!store->Migrate(error)) return nullptr;
  return store;
}

QString ArchiveStore::Failure(const QString& what, const QSqlQuery& query) const {
  return QStringLiteral("Archive %1: %2 failed: %3")
      .arg(location_.Describe(), what, query.lastError().text());
}

bool ArchiveStore::Exec(QSqlQuery& query, const std::string& sql, QString& error) {
  if (query.exec(QtText(sql))) return true;
  error = Failure(QtText(sql.substr(0, sql.find(' '))), query);
  return false;
}

bool ArchiveStore::Begin(QString& error) {
  QSqlQuery query(Database());
  for (const std::string& statement : BeginWriteStatements(location_.dialect)) {
    if (!Exec(query, statement, error)) {
      if (statement != "BEGIN" && statement != "BEGIN IMMEDIATE") query.exec(QStringLiteral("ROLLBACK"));
      return false;
    }
  }
  return true;
}

// Readers never wait for a writer in WAL mode; a commit waits for the disk
// only at checkpoints, and a crash of the program loses nothing. Switching a
// new archive file to WAL needs the file to itself, and SQLite answers a
// second program switching at the same moment with "locked" at once, without
// its busy wait: the switch is tried again until the busy timeout has passed.
bool ArchiveStore::UseWriteAheadLog(QString& error) {
  // SQLite's result codes SQLITE_BUSY and SQLITE_LOCKED.
  const auto locked = [](const QSqlQuery& query) {
    const QString code = query.lastError().nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6");
  };
  QSqlQuery query(Database());
  QElapsedTimer waited;
  waited.start();
  while (!Exec(query, "PRAGMA journal_mode=WAL", error)) {
    if (!locked(query) || waited.elapsed() >= location_.busyTimeoutMs) return false;
    QThread::msleep(10);
  }
  error.clear();
  return Exec(query, "PRAGMA synchronous=NORMAL", error);
}

// Every migration and its version row in one transaction, under the write
// lock, so a second program starting at the same moment finds the work
// done. An unreadable file fails here, before anything is written.
bool ArchiveStore::Migrate(QString& error) {
  if (location_.dialect == SqlDialect::kSqlite && !UseWriteAheadLog(error)) return false;
  if (!Begin(error)) return false;
  QSqlQuery query(Database());
  int version = 0;
  if (Database().tables().contains(QString::fromLatin1(kSchemaTable))) {
    if (!Exec(query, std::string("SELECT version FROM ") + kSchemaTable, error) || !query.next()) {
      if (error.isEmpty())
        error = QStringLiteral("Archive %1 has no schema version").arg(location_.Describe());
      query.exec(QStringLiteral("ROLLBACK"));
      return false;
    }
    version = query.value(0).toInt();
  }
  if (version > CurrentSchemaVersion()) {
    error = QStringLiteral(
                "The archive %1 was written by a newer program (schema %2; this program knows up to %3);"
                " it is left unchanged")
                .arg(location_.Describe())
                .arg(version)
                .arg(CurrentSchemaVersion());
    query.exec(QStringLiteral("ROLLBACK"));
    return false;
  }
  for (const SchemaMigration& migration : ArchiveMigrations(location_.dialect)) {
    if (migration.version <= version) continue;
    for (const std::string& statement : migration.statements) {
      if (!Exec(query, statement, error)) {
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
      }
    }
    if (!Exec(query,
              std::string("UPDATE ") + kSchemaTable + " SET version = " + std::to_string(migration.version),
              error)) {
      query.exec(QStringLiteral("ROLLBACK"));
      return false;
    }
  }
  return Exec(query, "COMMIT", error);
}

bool ArchiveStore::Insert(ArchiveEntry& entry, QString& error) {
  QSqlQuery query(Database());
  query.prepare(QStringLiteral(
      "INSERT INTO entries (kind, saved_at, start_stamp, time_reference, ntp_offset, ntp_server, model, "
      "serial_number, firmware, fpga, tag, operator, nuclides, cocktail, high_voltage, settings, result, "
      "search_text) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
  const EntryDescription& d = entry.description;
  const InstrumentProvenance& i = d.instrument;
  query.addBindValue(QtText(std::string(SavedKindName(entry.kind))));
  query.addBindValue(QtText(entry.savedAt));
  query.addBindValue(QtText(d.startStamp));
  query.addBindValue(QtText(i.timeReference));
  query.addBindValue(i.ntpOffsetSeconds ? QVariant(*i.ntpOffsetSeconds)
                                        : QVariant(QMetaType(QMetaType::Double)));
  for (const std::string* text :
       {&i.ntpServer, &i.model, &i.serialNumber, &i.firmwareVersion, &i.fpgaVersion, &d.record.tag,
        &d.record.operatorName, &d.record.nuclides, &d.record.cocktail, &d.record.highVoltage}) {
    query.addBindValue(QtText(*text));
  }
  query.addBindValue(SettingsJson(d.settings));
  query.addBindValue(QtText(d.result));
  query.addBindValue(QtText(SearchText(entry)));
  if (!query.exec()) {
    error = Failure(QStringLiteral("adding an entry"), query);
    return false;
  }
  entry.id = query.lastInsertId().toLongLong();
  if (location_.dialect == SqlDialect::kPostgres || entry.id == 0) {
    QSqlQuery last(Database());
    const char* sql =
        location_.dialect == SqlDialect::kPostgres ? "SELECT lastval()" : "SELECT last_insert_rowid()";
    if (!Exec(last, sql, error) || !last.next()) return false;
    entry.id = last.value(0).toLongLong();
  }
  return InsertFiles(entry, error);
}

bool ArchiveStore::Add(ArchiveEntry& entry, QString& error) { return AddAll(std::span(&entry, 1), error); }

bool ArchiveStore::AddAll(std::span<ArchiveEntry> entries, QString& error) {
  if (!Begin(error)) return false;
  QSqlQuery end(Database());
  for (ArchiveEntry& entry : entries) {
    if (!Insert(entry, error)) {
      end.exec(QStringLiteral("ROLLBACK"));
      return false;
    }
  }
  return Exec(end, "COMMIT", error);
}

bool ArchiveStore::InsertFiles(const ArchiveEntry& entry, QString& error) {
  QSqlQuery query(Database());
  query.prepare(QStringLiteral(
      "INSERT INTO entry_files (entry_id, position, path, sha256, size) VALUES (?, ?, ?, ?, ?)"));
  for (std::size_t position = 0; position < entry.files.size(); ++position) {
    const ArchivedFile& file = entry.files[position];
    query.addBindValue(QVariant::fromValue<qlonglong>(entry.id));
    query.addBindValue(static_cast<int>(position));
    query.addBindValue(QtText(file.path));
    query.addBindValue(QtText(file.sha256));
    query.addBindValue(QVariant::fromValue<qlonglong>(file.size));
    if (!query.exec()) {
      error = Failure(QStringLiteral("adding a file"), query);
      return false;
    }
  }
  return true;
}

std::optional<std::vector<ArchiveEntry>> ArchiveStore::List(const ArchiveFilter& filter, int limit,
                                                            QString& error) {
  const FilterClause clause = FilterSql(filter);
  std::string sql = std::string("SELECT ") + kEntryColumns + " FROM entries " + clause.sql +
                    " ORDER BY saved_at DESC, id DESC";
  if (limit >= 0) sql += " LIMIT " + std::to_string(limit);
  QSqlQuery query(Database());
  query.setForwardOnly(true);
  query.prepare(QtText(sql));
  for (const std::string& value : clause.values) query.addBindValue(QtText(value));
  if (!query.exec()) {
    error = Failure(QStringLiteral("listing entries"), query);
    return std::nullopt;
  }
  std::vector<ArchiveEntry> entries;
  while (query.next()) entries.push_back(EntryFromRow(query));
  if (!ReadFiles(entries, error)) return std::nullopt;
  return entries;
}

std::optional<ArchiveEntry> ArchiveStore::Find(std::int64_t id, QString& error) {
  QSqlQuery query(Database());
  query.prepare(
      QStringLiteral("SELECT %1 FROM entries WHERE id = ?").arg(QString::fromLatin1(kEntryColumns)));
  query.addBindValue(QVariant::fromValue<qlonglong>(id));
  if (!query.exec()) {
    error = Failure(QStringLiteral("reading an entry"), query);
    return std::nullopt;
  }
  if (!query.next()) return std::nullopt;
  std::vector<ArchiveEntry> entries{EntryFromRow(query)};
  if (!ReadFiles(entries, error)) return std::nullopt;
  return entries.front();
}

// The files of all `entries` in one query per hundred entries.
bool ArchiveStore::ReadFiles(std::vector<ArchiveEntry>& entries, QString& error) {
  constexpr std::size_t kBatch = 100;
  for (std::size_t first = 0; first < entries.size(); first += kBatch) {
    std::map<std::int64_t, ArchiveEntry*> byId;
    QString ids;
    for (std::size_t i = first; i < std::min(entries.size(), first + kBatch); ++i) {
      byId[entries[i].id] = &entries[i];
      ids += (ids.isEmpty() ? QString() : QStringLiteral(",")) + QString::number(entries[i].id);
    }
    QSqlQuery query(Database());
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT entry_id, path, sha256, size FROM entry_files WHERE entry_id IN (%1)"
                           " ORDER BY entry_id, position")
                .arg(ids))) {
      error = Failure(QStringLiteral("reading files"), query);
      return false;
    }
    while (query.next()) {
      byId[query.value(0).toLongLong()]->files.push_back(
          {S(query.value(1)), S(query.value(2)), query.value(3).toLongLong()});
    }
  }
  return true;
}

bool ArchiveStore::HasFile(const std::string& path, const std::string& sha256, QString& error) {
  return NewestEntryWithFile(path, sha256, error).value_or(0) != 0;
}

std::optional<std::int64_t> ArchiveStore::NewestEntryWithFile(const std::string& path,
                                                              const std::string& sha256, QString& error) {
  QSqlQuery query(Database());
  query.prepare(QStringLiteral("SELECT MAX(entry_id) FROM entry_files WHERE path = ? AND sha256 = ?"));
  query.addBindValue(QtText(path));
  query.addBindValue(QtText(sha256));
  if (!query.exec()) {
    error = Failure(QStringLiteral("looking up a file"), query);
    return std::nullopt;
  }
  // MAX over no rows is one NULL row.
  return query.next() ? query.value(0).toLongLong() : 0;
}

}  // namespace korva
