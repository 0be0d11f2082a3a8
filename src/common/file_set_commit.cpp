#include "common/file_set_commit.h"

#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace korva {

namespace {

// One target of a set and whether a previous file of it was kept.
struct SetEntry {
  std::filesystem::path target;
  bool hadPrevious = false;
};

std::filesystem::path Beside(const std::filesystem::path& target, const char* suffix) {
  return target.parent_path() / ("." + target.filename().string() + suffix);
}

std::filesystem::path PreviousOf(const std::filesystem::path& target) { return Beside(target, ".previous"); }
std::filesystem::path JournalOf(const std::filesystem::path& firstTarget) {
  return Beside(firstTarget, ".set");
}

// Keeps the file now at `entry.target` as its previous file. Something
// other than a file there (a folder) is no previous file: the rename over
// it fails, and the roll-back leaves it alone.
bool KeepPrevious(SetEntry& entry) {
  std::error_code error;
  const std::filesystem::path previous = PreviousOf(entry.target);
  std::filesystem::remove(previous, error);
  if (!std::filesystem::is_regular_file(entry.target, error)) return true;
  entry.hadPrevious = true;
  std::filesystem::create_hard_link(entry.target, previous, error);
  if (error) std::filesystem::copy_file(entry.target, previous, error);
  return !error;
}

// "1 path" or "0 path", a line per target.
bool WriteJournal(const std::filesystem::path& journal, const std::vector<SetEntry>& entries) {
  std::string text;
  for (const SetEntry& entry : entries)
    text += (entry.hadPrevious ? "1 " : "0 ") + entry.target.string() + '\n';
  SafeFileWriter writer(journal);
  return writer.Open() && writer.Write(text) && writer.Finish() && writer.Commit();
}

std::vector<SetEntry> ReadJournal(const std::filesystem::path& journal) {
  std::vector<SetEntry> entries;
  std::ifstream in(journal);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() > 2 && (line[0] == '0' || line[0] == '1') && line[1] == ' ')
      entries.push_back({line.substr(2), line[0] == '1'});
  }
  return entries;
}

// Every target gets its previous file back; one that had none goes.
bool RollBack(const std::vector<SetEntry>& entries) {
  bool restored = true;
  for (const SetEntry& entry : entries) {
    std::error_code error;
    if (entry.hadPrevious) {
      const std::filesystem::path previous = PreviousOf(entry.target);
      // A target not yet replaced is its previous file's other link, which
      // a rename would leave in place.
      if (std::filesystem::equivalent(previous, entry.target, error)) {
        std::filesystem::remove(previous, error);
      } else {
        std::filesystem::rename(previous, entry.target, error);
      }
      // Already back from an earlier, interrupted roll-back.
      if (error && std::filesystem::exists(previous, error)) restored = false;
    } else if (std::filesystem::is_regular_file(entry.target, error)) {
      std::filesystem::remove(entry.target, error);
    }
  }
  return restored;
}

void RemovePrevious(const std::vector<SetEntry>& entries) {
  for (const SetEntry& entry : entries) {
    std::error_code error;
    std::filesystem::remove(PreviousOf(entry.target), error);
  }
}

}  // namespace

std::optional<std::size_t> FileSetCommit::Commit(std::span<SafeFileWriter* const> writers,
                                                 const RenameCheck& afterRename) {
  if (writers.empty()) return std::nullopt;
  const std::filesystem::path journal = JournalOf(writers.front()->Target());
  if (!RecoverFileSet(writers.front()->Target())) return 0;
  std::vector<SetEntry> entries;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    entries.push_back({writers[i]->Target(), false});
    if (!KeepPrevious(entries.back())) {
      RemovePrevious(entries);
      return i;
    }
  }
  if (!WriteJournal(journal, entries)) {
    RemovePrevious(entries);
    return 0;
  }
  for (std::size_t i = 0; i < writers.size(); ++i) {
    if (!writers[i]->Commit() || (afterRename && !afterRename(i + 1))) {
      RollBack(entries);
      std::error_code error;
      std::filesystem::remove(journal, error);
      return i;
    }
  }
  std::error_code error;
  std::filesystem::remove(journal, error);
  RemovePrevious(entries);
  return std::nullopt;
}

bool RecoverFileSet(const std::filesystem::path& firstTarget) {
  const std::filesystem::path journal = JournalOf(firstTarget);
  std::error_code error;
  if (!std::filesystem::exists(journal, error)) return true;
  const std::vector<SetEntry> entries = ReadJournal(journal);
  if (!RollBack(entries)) return false;
  std::filesystem::remove(journal, error);
  return true;
}

}  // namespace korva
