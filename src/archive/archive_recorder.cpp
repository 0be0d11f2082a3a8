#include "archive/archive_recorder.h"

#include <QDateTime>
#include <exception>

#include "archive/saved_files_reader.h"

namespace korva {

ArchiveRecorder::ArchiveRecorder(ArchiveLocation location, Report report, InstrumentNow instrument)
    : location_(std::move(location)),
      report_(std::move(report)),
      instrument_(std::move(instrument)),
      subscription_(*this) {}

ArchiveRecorder::~ArchiveRecorder() = default;

void ArchiveRecorder::OnFilesSaved(const SavedFiles& saved) {
  try {
    Record(saved);
  } catch (const std::exception& failure) {
    report_(QStringLiteral("Archive: the save was not archived: %1").arg(QString::fromUtf8(failure.what())));
  }
}

ArchiveStore* ArchiveRecorder::Store() {
  if (store_) return store_.get();
  QString error;
  store_ = ArchiveStore::Open(location_, error);
  if (!store_) report_(error);
  return store_.get();
}

void ArchiveRecorder::Record(const SavedFiles& saved) {
  QString error;
  std::optional<ArchiveEntry> entry = EntryForSavedFiles(saved, QDateTime::currentDateTimeUtc(), error);
  if (!entry) {
    report_(error);
    return;
  }
  if (instrument_) FillInstrumentGaps(entry->description.instrument, instrument_());
  ArchiveStore* store = Store();
  if (store == nullptr) return;
  if (!store->Add(*entry, error)) {
    report_(error);
    // A broken connection is opened afresh at the next save.
    store_.reset();
    return;
  }
  if (added_) added_(*entry);
}

}  // namespace korva
