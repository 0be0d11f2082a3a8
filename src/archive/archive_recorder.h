#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "archive/archive_location.h"
#include "archive/archive_store.h"
#include "common/files_saved.h"

namespace korva {

// Adds an entry to the archive for every save it is told of. The archive
// is opened at the first save and again after a failure, so an archive that
// was locked or missing a moment ago takes the next save. Whatever goes
// wrong is reported and the save stands.
class ArchiveRecorder : public SavedFilesListener {
 public:
  using Report = std::function<void(const QString& message)>;
  // The connected instrument and the chosen time reference, for what the
  // saved files do not say; empty when nothing is connected.
  using InstrumentNow = std::function<InstrumentProvenance()>;

  ArchiveRecorder(ArchiveLocation location, Report report, InstrumentNow instrument = {});
  ~ArchiveRecorder() override;

  void OnFilesSaved(const SavedFiles& saved) override;

  // The open archive, opened now if it was not; null after a failure,
  // which is reported.
  ArchiveStore* Store();
  const ArchiveLocation& Location() const { return location_; }

  // Told after each entry was added.
  void SetEntryAdded(std::function<void(const ArchiveEntry&)> added) { added_ = std::move(added); }

 private:
  void Record(const SavedFiles& saved);

  ArchiveLocation location_;
  Report report_;
  InstrumentNow instrument_;
  std::function<void(const ArchiveEntry&)> added_;
  std::unique_ptr<ArchiveStore> store_;
  SavedFilesSubscription subscription_;
};

}  // namespace korva
