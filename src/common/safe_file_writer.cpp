#include "common/safe_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace korva {

namespace {

constexpr int kNameAttempts = 100;
constexpr std::size_t kSuffixDigits = 16;
// A save takes well under this; a temporary this old was left by a save
// that was killed, not by one still running in another process.
constexpr auto kStaleAge = std::chrono::minutes(1);

// ".<name>.<random hex>": hidden, and in the target's own folder so that
// the rename never crosses file systems. The process number goes into the
// hex, so processes forked after a save draw names of their own.
std::filesystem::path TemporaryName(const std::filesystem::path& target) {
  static std::mt19937_64 generator{std::random_device{}()};
  constexpr std::uint64_t kSpread = 0x9E3779B97F4A7C15;
  const std::uint64_t hex = generator() ^ (static_cast<std::uint64_t>(::getpid()) * kSpread);
  char suffix[kSuffixDigits + 1];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(hex));
  return target.parent_path() / ("." + target.filename().string() + "." + suffix);
}

// Whether `name` has the form TemporaryName gives.
bool IsTemporaryName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (name.size() < 3 || name[0] != '.' || dot == 0 || name.size() - dot - 1 != kSuffixDigits) return false;
  return name.find_first_not_of("0123456789abcdef", dot + 1) == std::string::npos;
}

// Removes the temporaries that saves killed before their rename left in
// `folder`. Only regular files of this writer's own name pattern that have
// not changed for a minute go.
void RemoveStaleTemporaries(const std::filesystem::path& folder) {
  std::error_code error;
  const auto now = std::filesystem::file_time_type::clock::now();
  for (const auto& entry : std::filesystem::directory_iterator(folder.empty() ? "." : folder, error)) {
    if (!IsTemporaryName(entry.path().filename().string()) || !entry.is_regular_file(error)) continue;
    const auto changed = entry.last_write_time(error);
    if (!error && now - changed > kStaleAge) std::filesystem::remove(entry.path(), error);
  }
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
  if (!IsReplaceable(target_)) return Fail(EISDIR);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::filesystem::path name = TemporaryName(target_);
    descriptor_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor_ >= 0) {
      temporary_ = name;
      KeepPermissions(descriptor_, target_);
      RemoveStaleTemporaries(target_.parent_path());
      return true;
    }
    if (errno != EEXIST) break;
  }
  return Fail(errno);
}

bool SafeFileWriter::Write(std::string_view text) {
  if (failed_ || descriptor_ < 0) return false;
  while (!text.empty()) {
    const ssize_t written = ::write(descriptor_, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return Fail(written < 0 ? errno : ENOSPC);
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool SafeFileWriter::Finish() {
  if (failed_ || descriptor_ < 0) return false;
  if (::fsync(descriptor_) != 0) Fail(errno);
  if (::close(descriptor_) != 0) Fail(errno);
  descriptor_ = -1;
  finished_ = !failed_;
  return finished_;
}

bool SafeFileWriter::Commit() {
  if (!finished_) return Fail(error_ != 0 ? error_ : EBADF);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail(errno);
  temporary_.clear();
  finished_ = false;
  SyncFolder(target_.parent_path());
  return true;
}

bool SafeFileWriter::Fail(int error) {
  if (error_ == 0) error_ = error;
  failed_ = true;
  return false;
}

std::string SafeFileWriter::FailureReason() const {
  return error_ == 0 ? std::string() : std::generic_category().message(error_);
}

void SafeFileWriter::Discard() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

std::string CreationFailure(const std::filesystem::path& target) {
  SafeFileWriter probe(target);
  if (probe.Open()) return {};
  return probe.FailureReason();
}

}  // namespace korva
