#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korva {

// Writes one file so that a failure never destroys the file already at the
// target and never leaves a half file there: the text goes to a new file
// beside the target, which replaces the target only when everything was
// written and flushed to the disk. Until Commit succeeds the target is
// untouched; a writer dropped before that removes its temporary file.
//
// Open -> Write ... -> Finish -> Commit; each returns false on failure, and
// after a failure the later steps fail too.
class SafeFileWriter {
 public:
  explicit SafeFileWriter(std::filesystem::path target);
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  // Creates the temporary file in the target's folder. Fails when the
  // folder cannot take a new file, or when the target is something other
  // than a regular file (a folder, say) that the file could never replace.
  // Temporaries of earlier saves that were killed before their rename,
  // untouched for over a minute, are removed from the folder.
  bool Open();
  bool Write(std::string_view text);
  // Flushes the written text to the disk and closes the temporary file.
  bool Finish();
  // Renames the temporary file over the target.
  bool Commit();

  const std::filesystem::path& Target() const { return target_; }
  // The system's text for why the first failing step failed ("No such
  // file or directory", "Read-only file system", "No space left on
  // device"); empty while nothing failed.
  std::string FailureReason() const;

 private:
  // Records `error` (an errno value) as the reason, once.
  bool Fail(int error);
  void Discard();

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  int descriptor_ = -1;
  bool failed_ = false;
  bool finished_ = false;
  int error_ = 0;
};

// Empty when a file can be created at `target` (nothing is left behind by
// the check); otherwise the system's reason it cannot.
std::string CreationFailure(const std::filesystem::path& target);

}  // namespace korva
