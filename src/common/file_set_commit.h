#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

#include "common/safe_file_writer.h"

namespace korva {

// Puts several files in place as one set (the .tdc, .csv and .xml of a
// measurement), so that a reader never finds new files beside old ones.
//
// No file system renames three files at once, so the old set is kept
// until the new one is complete:
//  1. each target that is a file is hard-linked to ".<name>.previous"
//     beside it (copied where the file system has no hard links);
//  2. a journal ".<first name>.set" naming every target and whether it had
//     a previous file is written and renamed into place;
//  3. the finished temporaries are renamed over their targets, one by one;
//  4. the journal, then the previous files, are removed.
// A rename that fails in step 3 rolls the set back: every target gets its
// previous file again, and a file put where there was none is removed. A process
// killed during step 3 leaves the journal; the next commit of the same set,
// or RecoverFileSet, rolls it back the same way before anything else.
class FileSetCommit {
 public:
  // Called after each rename of step 3 with the number of files renamed so
  // far; returning false fails the commit there, as a failed rename would.
  // Tests use it to fail or kill a commit between renames.
  using RenameCheck = std::function<bool(std::size_t renamed)>;

  // `writers` are finished (SafeFileWriter::Finish succeeded); the first's
  // target names the journal. Returns the index of the writer whose file
  // could not be put in place (the set then stays as it was), or none.
  static std::optional<std::size_t> Commit(std::span<SafeFileWriter* const> writers,
                                           const RenameCheck& afterRename = {});
};

// Rolls back a commit of the set whose first file is `firstTarget` that was
// killed between its renames; nothing happens when none was. False when a
// previous file could not be put back (the journal is then kept).
bool RecoverFileSet(const std::filesystem::path& firstTarget);

}  // namespace korva
