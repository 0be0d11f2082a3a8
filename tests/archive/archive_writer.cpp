// Adds entries to an archive, as one of several programs saving at once:
//   archive_writer URL WRITER COUNT
#include <QCoreApplication>
#include <QDateTime>
#include <iostream>

#include "archive/archive_store.h"
#include "archive/saved_files_reader.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 4) return 2;
  QString error;
  const std::optional<korva::ArchiveLocation> location =
      korva::ParseArchiveUrl(QString::fromLocal8Bit(argv[1]), error);
  if (!location) return 2;
  const std::unique_ptr<korva::ArchiveStore> store = korva::ArchiveStore::Open(*location, error);
  if (!store) {
    std::cerr << error.toStdString() << '\n';
    return 1;
  }
  const int count = std::atoi(argv[3]);
  for (int i = 0; i < count; ++i) {
    korva::ArchiveEntry entry;
    entry.kind = korva::SavedKind::kSpectrum;
    entry.savedAt = korva::SavedAtText(QDateTime::currentDateTimeUtc());
    entry.description.record.tag = std::string(argv[2]) + "-" + std::to_string(i);
    entry.files.push_back({"/data/" + entry.description.record.tag + ".kts", std::string(64, '0'), 1});
    if (!store->Add(entry, error)) {
      std::cerr << error.toStdString() << '\n';
      return 1;
    }
  }
  return 0;
}
