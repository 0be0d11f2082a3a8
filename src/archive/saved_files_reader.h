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

// Empty when the file at `path` reads as a file of `kind` (an N42 or SPE
// export by its extension); otherwise why not: an empty or foreign file
// given a program's file name is no save of the program.
std::string NotASavedFile(SavedKind kind, const std::filesystem::path& path);

// "YYYY-MM-DDTHH:MM:SSZ", the form entries are stamped and sorted in.
std::string SavedAtText(const QDateTime& moment);

}  // namespace korva
