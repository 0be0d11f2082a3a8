#pragma once

#include <string>
#include <vector>

namespace korva {

// The two databases an archive lives in. Their SQL differs only where
// noted in the migrations.
enum class SqlDialect { kSqlite, kPostgres };

// One step of the schema: after its statements the archive is at `version`.
struct SchemaMigration {
  int version = 0;
  std::vector<std::string> statements;
};

// Every migration in order; the last one's version is the schema this
// program writes. An archive at a later version comes from a newer program
// and is left alone.
std::vector<SchemaMigration> ArchiveMigrations(SqlDialect dialect);
int CurrentSchemaVersion();

// Starts the transaction a migration or an insert runs in, taking the
// database's write lock at once so two programs starting on one archive
// migrate it one after the other.
std::vector<std::string> BeginWriteStatements(SqlDialect dialect);

// The table holding the schema version ("SELECT version FROM ...").
inline constexpr const char* kSchemaTable = "archive_schema";

}  // namespace korva
