#include "common/files_saved.h"

#include <algorithm>

namespace korva {

namespace {

std::vector<SavedFilesListener*>& Listeners() {
  static std::vector<SavedFilesListener*> listeners;
  return listeners;
}

}  // namespace

SavedFilesSubscription::SavedFilesSubscription(SavedFilesListener& listener) : listener_(listener) {
  Listeners().push_back(&listener_);
}

SavedFilesSubscription::~SavedFilesSubscription() { std::erase(Listeners(), &listener_); }

void AnnounceSavedFiles(SavedKind kind, std::vector<std::filesystem::path> paths) noexcept {
  try {
    const SavedFiles saved{kind, std::move(paths)};
    // A listener may end its own subscription while it is told.
    const std::vector<SavedFilesListener*> listeners = Listeners();
    for (SavedFilesListener* listener : listeners) {
      try {
        listener->OnFilesSaved(saved);
      } catch (...) {  // NOLINT(bugprone-empty-catch): the save has succeeded whatever a listener does
      }
    }
  } catch (...) {  // NOLINT(bugprone-empty-catch): copying the names ran out of memory; the save stands
  }
}

}  // namespace korva
