#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <set>

#include "../support/scratch_files.h"
#include "archive/archive_recorder.h"
#include "archive_test_support.h"
#include "postgres_server.h"
#include "setup/register_file.h"

namespace korva {
namespace {

using test::ListOrFail;
using test::MakeEntry;
using test::OpenOrFail;
using test::SqliteAt;

// Fills an archive, then checks what each filter and lookup finds.
void ExpectStoredAndFound(const ArchiveLocation& location) {
  {
    const std::unique_ptr<ArchiveStore> store = OpenOrFail(location);
    ASSERT_TRUE(store);
    QString error;
    for (ArchiveEntry entry :
         {MakeEntry(SavedKind::kTdcrMeasurement, "2026-05-30T10:00:00Z", "vial 6", "00017"),
          MakeEntry(SavedKind::kTdcrMeasurement, "2026-06-02T08:00:00Z", "vial 7", "00017"),
          MakeEntry(SavedKind::kAnalysisExport, "2026-06-03T23:59:59Z", "vial 7", "00042")}) {
      ASSERT_TRUE(store->Add(entry, error)) << error.toStdString();
      EXPECT_GT(entry.id, 0);
    }
  }
  const std::unique_ptr<ArchiveStore> store = OpenOrFail(location);  // a second start migrates nothing
  ASSERT_TRUE(store);
  const std::vector<ArchiveEntry> all = ListOrFail(*store);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all.front().savedAt, "2026-06-03T23:59:59Z");
  EXPECT_EQ(all.front().files.size(), 2u);
  EXPECT_EQ(all.front().description.instrument.ntpOffsetSeconds, 0.004);
  EXPECT_EQ(all.back().description.settings.size(), 2u);

  EXPECT_EQ(ListOrFail(*store, {"2026-06-01", "", {}, "", ""}).size(), 2u);
  EXPECT_EQ(ListOrFail(*store, {"", "2026-06-03", {}, "", ""}).size(), 3u);
  EXPECT_EQ(ListOrFail(*store, {"", "", SavedKind::kAnalysisExport, "", ""}).size(), 1u);
  EXPECT_EQ(ListOrFail(*store, {"", "", {}, "00042", ""}).size(), 1u);
  EXPECT_EQ(ListOrFail(*store, {"", "", {}, "", "VIAL 7"}).size(), 2u);
  EXPECT_EQ(ListOrFail(*store, {"", "", {}, "", "vial 7.csv"}).size(), 2u);
  EXPECT_EQ(ListOrFail(*store, {"", "", {}, "", "%"}).size(), 0u);

  QString error;
  const std::optional<ArchiveEntry> found = store->Find(all.back().id, error);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->description.record.tag, "vial 6");
  EXPECT_FALSE(store->Find(999999, error));
  EXPECT_TRUE(store->HasFile("/data/vial 6.tdc", std::string(64, 'a'), error));
  EXPECT_FALSE(store->HasFile("/data/vial 6.tdc", std::string(64, 'c'), error));
}

void ExpectNewerSchemaRefused(const ArchiveLocation& location) {
  OpenOrFail(location);
  {
    QSqlDatabase db =
        QSqlDatabase::addDatabase(location.dialect == SqlDialect::kSqlite ? "QSQLITE" : "QPSQL", "newer");
    db.setDatabaseName(location.dialect == SqlDialect::kSqlite ? location.sqlitePath : location.database);
    db.setHostName(location.host);
    db.setUserName(location.user);
    ASSERT_TRUE(db.open());
    QSqlQuery(db).exec(QStringLiteral("UPDATE archive_schema SET version = 99"));
    db.close();
  }
  QSqlDatabase::removeDatabase("newer");
  QString error;
  EXPECT_FALSE(ArchiveStore::Open(location, error));
  EXPECT_NE(error.indexOf("newer program"), -1) << error.toStdString();
}

TEST(ArchiveSqliteTest, StoresEntriesAndFindsThemByEveryFilter) {
  const test::ScratchFolder folder;
  ExpectStoredAndFound(SqliteAt(folder / "nested/folder/archive.sqlite"));
}

TEST(ArchiveSqliteTest, NewerSchemaIsRefusedAndLeftUnchanged) {
  const test::ScratchFolder folder;
  const ArchiveLocation location = SqliteAt(folder / "archive.sqlite");
  ExpectNewerSchemaRefused(location);
  const std::string before = test::ReadFile(folder / "archive.sqlite");
  QString error;
  EXPECT_FALSE(ArchiveStore::Open(location, error));
  EXPECT_EQ(test::ReadFile(folder / "archive.sqlite"), before);
}

struct Reports {
  QStringList lines;
  ArchiveRecorder::Report Sink() {
    return [this](const QString& line) { lines.append(line); };
  }
};

TEST(ArchiveSqliteTest, DamagedArchiveIsReportedAndSavesGoOnWithoutTouchingIt) {
  const test::ScratchFolder folder;
  const std::string damage(8192, '\x5a');
  test::WriteFile(folder / "archive.sqlite", damage);
  Reports reports;
  ArchiveRecorder recorder(SqliteAt(folder / "archive.sqlite"), reports.Sink());
  EXPECT_EQ(SaveRegisterFile(folder / "set.rgv", {}), RegisterFileStatus::kDone);
  EXPECT_TRUE(std::filesystem::exists(folder / "set.rgv"));
  ASSERT_EQ(reports.lines.size(), 1);
  EXPECT_NE(reports.lines.front().indexOf("archive.sqlite"), -1) << reports.lines.front().toStdString();
  EXPECT_EQ(test::ReadFile(folder / "archive.sqlite"), damage);
}

TEST(ArchiveSqliteTest, LockedArchiveMissesOneSaveAndTakesTheNextKeepingEarlierEntries) {
  const test::ScratchFolder folder;
  const ArchiveLocation location = SqliteAt(folder / "archive.sqlite", 100);
  Reports reports;
  ArchiveRecorder recorder(location, reports.Sink());
  ASSERT_EQ(SaveRegisterFile(folder / "first.rgv", {}), RegisterFileStatus::kDone);
  {
    QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
    holder.setDatabaseName(location.sqlitePath);
    ASSERT_TRUE(holder.open());
    QSqlQuery lock(holder);
    ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
    EXPECT_EQ(SaveRegisterFile(folder / "second.rgv", {}), RegisterFileStatus::kDone);
    lock.exec("ROLLBACK");
    holder.close();
  }
  QSqlDatabase::removeDatabase("holder");
  ASSERT_EQ(reports.lines.size(), 1);
  EXPECT_NE(reports.lines.front().indexOf("locked"), -1) << reports.lines.front().toStdString();
  ASSERT_EQ(SaveRegisterFile(folder / "third.rgv", {}), RegisterFileStatus::kDone);
  const std::vector<ArchiveEntry> entries = ListOrFail(*OpenOrFail(location));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_NE(entries.front().files.front().path.find("third.rgv"), std::string::npos);
  EXPECT_NE(entries.back().files.front().path.find("first.rgv"), std::string::npos);
}

void ExpectTwoWritersLoseNothing(const QString& url) {
  test::RunTwoWriters(url, 500);
  QString error;
  const std::unique_ptr<ArchiveStore> store = OpenOrFail(*ParseArchiveUrl(url, error));
  ASSERT_TRUE(store);
  std::set<std::string> tags;
  for (const ArchiveEntry& entry : ListOrFail(*store)) tags.insert(entry.description.record.tag);
  EXPECT_EQ(tags.size(), 1000u);
}

TEST(ArchiveSqliteTest, TwoProgramsSavingAtOnceLoseNoEntry) {
  const test::ScratchFolder folder;
  ExpectTwoWritersLoseNothing(QString::fromStdString((folder / "archive.sqlite").string()));
}

// libpq's URI form: query parameters override the URI's parts, and one the
// archive does not take is refused by name rather than ignored.
TEST(ArchiveLocationTest, PostgresQueryParametersAreHonouredOrRefusedByName) {
  QString error;
  std::optional<ArchiveLocation> location =
      ParseArchiveUrl("postgresql://user@/korva?host=/run/postgresql&port=5433", error);
  ASSERT_TRUE(location) << error.toStdString();
  EXPECT_EQ(location->host, "/run/postgresql");
  EXPECT_EQ(location->port, 5433);
  EXPECT_EQ(location->user, "user");
  EXPECT_EQ(location->database, "korva");
  EXPECT_EQ(location->Describe(), "postgresql://user@localhost:5433/korva?host=/run/postgresql");

  location = ParseArchiveUrl(
      "postgres://a:b@db.lab:6000/first?dbname=second&user=c&password=p%26q&sslmode=require&port=6001",
      error);
  ASSERT_TRUE(location) << error.toStdString();
  EXPECT_EQ(location->host, "db.lab");
  EXPECT_EQ(location->port, 6001);
  EXPECT_EQ(location->database, "second");
  EXPECT_EQ(location->user, "c");
  EXPECT_EQ(location->password, "p&q");
  EXPECT_EQ(location->sslMode, "require");

  const std::vector<std::pair<QString, QString>> refused = {
      {"postgresql:///korva?application_name=x", "parameter application_name is not one"},
      {"postgresql:///korva?port=0", "port is not a port number"},
      {"postgresql:///korva?port=54x", "port is not a port number"},
      {"postgresql:///korva?sslmode=maybe", "sslmode is not one of"},
  };
  for (const auto& [url, message] : refused) {
    error.clear();
    EXPECT_FALSE(ParseArchiveUrl(url, error)) << url.toStdString();
    EXPECT_TRUE(error.contains(message)) << error.toStdString();
  }
}

// One server for all PostgreSQL cases: starting one takes most of the time.
TEST(ArchivePostgresTest, SameSchemaFiltersTwoWritersAndNewerSchemaOnAPrivateServer) {
  QString whyNot;
  const std::unique_ptr<test::PostgresServer> server = test::PostgresServer::Start(whyNot);
  if (!server) GTEST_SKIP() << "No PostgreSQL server could be started: " << whyNot.toStdString();
  QString error;
  const std::optional<ArchiveLocation> stored = ParseArchiveUrl(server->CreateDatabase("stored"), error);
  ASSERT_TRUE(stored) << error.toStdString();
  ExpectStoredAndFound(*stored);
  ExpectTwoWritersLoseNothing(server->CreateDatabase("shared"));
  ExpectNewerSchemaRefused(*ParseArchiveUrl(server->CreateDatabase("newer"), error));
  // The server listens on its socket's port 5432 only: a URL that names
  // another port reaches no server, the one that names 5432 does.
  const QString url = server->CreateDatabase("ported");
  EXPECT_FALSE(ArchiveStore::Open(*ParseArchiveUrl(url + "&port=5433", error), error));
  EXPECT_TRUE(error.contains("5433")) << error.toStdString();
  EXPECT_TRUE(ArchiveStore::Open(*ParseArchiveUrl(url + "&port=5432", error), error)) << error.toStdString();
}

}  // namespace
}  // namespace korva
