#include "common/safe_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace korva {

namespace {

constexpr int kNameAttempts = 100;

// ".<name>.<random hex>": hidden, and in the target's own folder so that
// the rename never crosses file systems.
std::filesystem::path TemporaryName(const std::filesystem::path& target) {
  static std::mt19937_64 generator{std::random_device{}()};
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
  return target.parent_path() / ("." + target.filename().string() + "." + suffix);
}

bool IsReplaceable(const std::filesystem::path& target) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(target, error);
  return status.type() == std::filesystem::file_type::not_found ||
         status.type() == std::filesystem::file_type::regular;
}

// A replaced file keeps its permissions; a new one gets those of the
// process's file-creation mask.
void KeepPermissions(int descriptor, const std::filesystem::path& target) {
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) ::fchmod(descriptor, existing.st_mode & 07777);
}

// Makes the rename itself durable. A folder that cannot be synced does not
// make the save fail: the file is already in place.
void SyncFolder(const std::filesystem::path& folder) {
  const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

}  // namespace

SafeFileWriter::SafeFileWriter(std::filesystem::path target) : target_(std::move(target)) {}

SafeFileWriter::~SafeFileWriter() { Discard(); }

bool SafeFileWriter::Open() {
  if (!IsReplaceable(target_)) return Fail();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::filesystem::path name = TemporaryName(target_);
    descriptor_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor_ >= 0) {
      temporary_ = name;
      KeepPermissions(descriptor_, target_);
      return true;
    }
    if (errno != EEXIST) break;
  }
  return Fail();
}

bool SafeFileWriter::Write(std::string_view text) {
  if (failed_ || descriptor_ < 0) return false;
  while (!text.empty()) {
    const ssize_t written = ::write(descriptor_, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return Fail();
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool SafeFileWriter::Finish() {
  if (failed_ || descriptor_ < 0) return false;
  failed_ = ::fsync(descriptor_) != 0;
  failed_ = ::close(descriptor_) != 0 || failed_;
  descriptor_ = -1;
  finished_ = !failed_;
  return finished_;
}

bool SafeFileWriter::Commit() {
  if (!finished_ || ::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail();
  temporary_.clear();
  finished_ = false;
  SyncFolder(target_.parent_path());
  return true;
}

bool SafeFileWriter::Fail() {
  failed_ = true;
  return false;
}

void SafeFileWriter::Discard() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace korva
