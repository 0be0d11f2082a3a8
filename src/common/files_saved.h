#pragma once

#include <filesystem>
#include <vector>

namespace korva {

// What a save wrote: the kind of save and every file it put in place.
enum class SavedKind {
  kTdcrMeasurement,    // .tdc, .csv and .xml of a TDCR measurement
  kSpectrum,           // .kts
  kSpectrumExport,     // CSV export of a spectrum
  kRegisterFile,       // .rgv
  kTraceExport,        // CSV of captured traces
  kAnalysisExport,     // .txt report and .json of a TDCR analysis
  kMeasurementReport,  // .pdf report of an analysis or an efficiency-variation study
};

struct SavedFiles {
  SavedKind kind = SavedKind::kTdcrMeasurement;
  std::vector<std::filesystem::path> paths;
};

// Told of every successful save, after its files are in place. A listener
// must not throw: nothing it does may fail or undo the save.
class SavedFilesListener {
 public:
  virtual ~SavedFilesListener() = default;
  virtual void OnFilesSaved(const SavedFiles& saved) = 0;
};

// Keeps `listener` told of saves for the lifetime of the subscription.
// Saves and subscriptions happen on the user-interface thread.
class SavedFilesSubscription {
 public:
  explicit SavedFilesSubscription(SavedFilesListener& listener);
  ~SavedFilesSubscription();
  SavedFilesSubscription(const SavedFilesSubscription&) = delete;
  SavedFilesSubscription& operator=(const SavedFilesSubscription&) = delete;

 private:
  SavedFilesListener& listener_;
};

// Called by each save once all its files were written and renamed into
// place. A listener that throws is passed over, so the save stays a success.
void AnnounceSavedFiles(SavedKind kind, std::vector<std::filesystem::path> paths) noexcept;

}  // namespace korva
