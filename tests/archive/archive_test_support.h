#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QProcess>
#include <QStringList>
#include <memory>

#include "archive/archive_store.h"
#include "archive/saved_files_reader.h"

namespace korva::test {

inline ArchiveLocation SqliteAt(const std::filesystem::path& file, int busyTimeoutMs = 5000) {
  ArchiveLocation location;
  location.sqlitePath = QString::fromStdString(file.string());
  location.busyTimeoutMs = busyTimeoutMs;
  return location;
}

inline std::unique_ptr<ArchiveStore> OpenOrFail(const ArchiveLocation& location) {
  QString error;
  std::unique_ptr<ArchiveStore> store = ArchiveStore::Open(location, error);
  EXPECT_TRUE(store) << error.toStdString();
  return store;
}

inline ArchiveEntry MakeEntry(SavedKind kind, const std::string& savedAt, const std::string& tag,
                              const std::string& serial) {
  ArchiveEntry entry;
  entry.kind = kind;
  entry.savedAt = savedAt;
  entry.description.record = {tag, "A. Operator", "H-3", "Ultima Gold", "1200"};
  entry.description.instrument = {"Veltra RQ3102", serial, "1.20", "3.0", "UTC", 0.004, "ntp.example"};
  entry.description.startStamp = "2026-06-01 10:00:00.000";
  entry.description.settings = {{"presetRuns", "10"}, {"timePerRun", "60"}};
  entry.description.result = "10 runs, mean T/D 0.9512";
  entry.files = {{"/data/" + tag + ".tdc", std::string(64, 'a'), 100},
                 {"/data/" + tag + ".csv", std::string(64, 'b'), 50}};
  return entry;
}

inline std::vector<ArchiveEntry> ListOrFail(ArchiveStore& store, const ArchiveFilter& filter = {}) {
  QString error;
  std::optional<std::vector<ArchiveEntry>> entries = store.List(filter, -1, error);
  EXPECT_TRUE(entries) << error.toStdString();
  return entries.value_or(std::vector<ArchiveEntry>{});
}

// Two programs adding `each` entries at the same moment.
inline void RunTwoWriters(const QString& url, int each) {
  QProcess first, second;
  first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  first.start(QStringLiteral(KORVA_ARCHIVE_WRITER), {url, QStringLiteral("first"), QString::number(each)});
  second.start(QStringLiteral(KORVA_ARCHIVE_WRITER), {url, QStringLiteral("second"), QString::number(each)});
  ASSERT_TRUE(first.waitForFinished(60000));
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(first.exitCode(), 0);
  EXPECT_EQ(second.exitCode(), 0);
}

}  // namespace korva::test
