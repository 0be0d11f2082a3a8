#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>

#include "archive/archive_entry.h"
#include "common/files_saved.h"

namespace korva {

// The entry for the files of one save: each file hashed, the save's main
// file read for what it says, stamped `savedAt`. None, with `error`, when a
// file cannot be read.
std::optional<ArchiveEntry> EntryForSavedFiles(const SavedFiles& saved, const QDateTime& savedAt,
                                               QString& error);

// "YYYY-MM-DDTHH:MM:SSZ", the form entries are stamped and sorted in.
std::string SavedAtText(const QDateTime& moment);

}  // namespace korva
