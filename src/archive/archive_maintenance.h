#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/archive_store.h"
#include "archive/file_hashing.h"

namespace korva {

struct ImportCounts {
  int added = 0;
  int alreadyArchived = 0;
  // Files named as the program names its files that are not such files
  // (empty, foreign), each with why; they are not archived.
  std::vector<std::pair<std::filesystem::path, std::string>> refused;
};

// Indexes the files the program writes found in `folder` and below: each
// save's files become one entry (a .tdc with its .csv and .xml, an analysis
// .json with its .txt), stamped with the main file's modification time.
// Files already archived unchanged are passed over.
std::optional<ImportCounts> ImportFolder(ArchiveStore& store, const std::filesystem::path& folder,
                                         QString& error);

// A file of an entry that is no longer what was archived.
struct FileProblem {
  std::int64_t entryId = 0;
  std::string path;
  FileState state = FileState::kMissing;
};

// Re-hashes every archived file.
std::optional<std::vector<FileProblem>> VerifyArchive(ArchiveStore& store, QString& error);

}  // namespace korva
