// The archive on SQLite with 100 000 entries: how long the HISTORY pane's
// filtered list (newest 200 of one kind matching a text) and one more save's
// entry take. Prints medians.
#include <QCoreApplication>
#include <QDateTime>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "archive/archive_store.h"
#include "archive/saved_files_reader.h"

namespace {

using namespace korva;
using Clock = std::chrono::steady_clock;

constexpr int kEntries = 100000;
constexpr int kBatch = 5000;
constexpr int kRepeats = 41;

ArchiveEntry EntryNumber(int i, const QDateTime& start) {
  ArchiveEntry entry;
  entry.kind = AllSavedKinds()[static_cast<std::size_t>(i) % AllSavedKinds().size()];
  entry.savedAt = SavedAtText(start.addSecs(i * 60));
  entry.description.record = {"vial " + std::to_string(i % 500), "operator " + std::to_string(i % 7),
                              i % 3 == 0 ? "H-3" : "C-14", "Ultima Gold", "1200"};
  entry.description.instrument = {
      "Veltra RQ3102", std::to_string(10000 + i % 5), "1.20", "3.0", "UTC", 0.01, ""};
  entry.description.settings = {{"presetRuns", "10"}, {"timePerRun", "60"}};
  entry.description.result = "10 runs, mean T/D 0.95";
  const std::string base = "/lab/2026/vial" + std::to_string(i);
  entry.files = {{base + ".tdc", std::string(64, 'a'), 4000}, {base + ".csv", std::string(64, 'b'), 3000}};
  return entry;
}

double MedianMs(std::vector<double> values) {
  std::ranges::sort(values);
  return values[values.size() / 2];
}

template <typename Step>
double TimeMs(Step step) {
  const Clock::time_point start = Clock::now();
  step();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir folder;
  ArchiveLocation location;
  location.sqlitePath = folder.filePath(QStringLiteral("archive.sqlite"));
  QString error;
  const std::unique_ptr<ArchiveStore> store = ArchiveStore::Open(location, error);
  if (!store) {
    std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return 1;
  }
  const QDateTime start = QDateTime::currentDateTimeUtc().addYears(-1);
  for (int first = 0; first < kEntries; first += kBatch) {
    std::vector<ArchiveEntry> batch;
    for (int i = first; i < first + kBatch; ++i) batch.push_back(EntryNumber(i, start));
    if (!store->AddAll(batch, error)) {
      std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
      return 1;
    }
  }
  ArchiveFilter filter;
  filter.kind = SavedKind::kTdcrMeasurement;
  filter.text = "vial 42";
  std::vector<double> lists, inserts;
  std::size_t found = 0;
  for (int i = 0; i < kRepeats; ++i) {
    lists.push_back(TimeMs(
        [&] { found = store->List(filter, 200, error).value_or(std::vector<ArchiveEntry>{}).size(); }));
    ArchiveEntry entry = EntryNumber(kEntries + i, start);
    inserts.push_back(TimeMs([&] { store->Add(entry, error); }));
  }
  std::printf("archive: %d entries on SQLite\n", kEntries);
  std::printf("filtered list (kind and text, newest 200, %zu found): %.2f ms (limit 50 ms)\n", found,
              MedianMs(lists));
  std::printf("insert of one entry with two files: %.2f ms (limit 5 ms)\n", MedianMs(inserts));
  return 0;
}
