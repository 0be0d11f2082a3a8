#include "archive/archive_schema.h"

namespace korva {

namespace {

std::string IdColumn(SqlDialect dialect) {
  return dialect == SqlDialect::kSqlite ? "id INTEGER PRIMARY KEY AUTOINCREMENT" : "id BIGSERIAL PRIMARY KEY";
}

// The entry, its files and the version row.
SchemaMigration FirstSchema(SqlDialect dialect) {
  return {
      1,
      {
          "CREATE TABLE archive_schema (version INTEGER NOT NULL)",
          "INSERT INTO archive_schema (version) VALUES (0)",
          "CREATE TABLE entries (" + IdColumn(dialect) +
              ", kind TEXT NOT NULL, saved_at TEXT NOT NULL,"
              " start_stamp TEXT NOT NULL, time_reference TEXT NOT NULL,"
              " ntp_offset DOUBLE PRECISION, ntp_server TEXT NOT NULL,"
              " model TEXT NOT NULL, serial_number TEXT NOT NULL, firmware TEXT NOT NULL, fpga TEXT NOT NULL,"
              " tag TEXT NOT NULL, operator TEXT NOT NULL, nuclides TEXT NOT NULL, cocktail TEXT NOT NULL,"
              " high_voltage TEXT NOT NULL, settings TEXT NOT NULL, result TEXT NOT NULL,"
              " search_text TEXT NOT NULL)",
          "CREATE INDEX entries_saved_at ON entries (saved_at, id)",
          "CREATE INDEX entries_kind ON entries (kind, saved_at)",
          // One statement over three lines, as the entries table above.
          // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
          "CREATE TABLE entry_files (entry_id BIGINT NOT NULL REFERENCES entries (id),"
          " position INTEGER NOT NULL, path TEXT NOT NULL, sha256 TEXT NOT NULL, size BIGINT NOT NULL,"
          " PRIMARY KEY (entry_id, position))",
          "CREATE INDEX entry_files_path ON entry_files (path)",
      }};
}

}  // namespace

std::vector<SchemaMigration> ArchiveMigrations(SqlDialect dialect) { return {FirstSchema(dialect)}; }

int CurrentSchemaVersion() { return ArchiveMigrations(SqlDialect::kSqlite).back().version; }

std::vector<std::string> BeginWriteStatements(SqlDialect dialect) {
  if (dialect == SqlDialect::kSqlite) return {"BEGIN IMMEDIATE"};
  // Any fixed key: it only has to be the same for every program using this archive.
  return {"BEGIN", "SELECT pg_advisory_xact_lock(7243101)"};
}

}  // namespace korva
