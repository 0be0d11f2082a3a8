#include "common/safe_file_writer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

#include "../support/scratch_files.h"

namespace korva {
namespace {

using test::Listing;
using test::ReadFile;
using test::ScratchFolder;
using test::WriteFile;

bool Save(const std::filesystem::path& target, const std::string& text) {
  SafeFileWriter writer(target);
  return writer.Open() && writer.Write(text) && writer.Finish() && writer.Commit();
}

void Age(const std::filesystem::path& path, std::chrono::seconds age) {
  std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - age);
}

// A save killed before its rename leaves its temporary behind; the next
// save into the folder removes those that have sat there for over a minute
// and leaves everything else alone: a temporary a save in another process
// may still be writing, and the user's own files, hidden or not.
TEST(SafeFileWriterTest, NextSaveRemovesOnlyItsOwnStaleTemporaries) {
  ScratchFolder folder;
  WriteFile(folder / "spectrum.csv", "old");
  const std::set<std::string> kept = {".spectrum.csv.00000000000000ab", ".notes.txt.0123456789ABCDEF",
                                      ".profile.0123456789abcdeg", "run.0123456789abcdef",
                                      ".0123456789abcdef"};
  for (const std::string& name : kept) {
    WriteFile(folder / name, "kept");
    if (name != ".spectrum.csv.00000000000000ab") Age(folder / name, std::chrono::hours(1));
  }
  WriteFile(folder / ".spectrum.csv.1f2e3d4c5b6a7980", "torn");
  WriteFile(folder / ".registers.rgv.ffffffffffffffff", "torn");
  Age(folder / ".spectrum.csv.1f2e3d4c5b6a7980", std::chrono::seconds(61));
  Age(folder / ".registers.rgv.ffffffffffffffff", std::chrono::hours(2));

  ASSERT_TRUE(Save(folder / "spectrum.csv", "new"));

  std::set<std::string> expected = kept;
  expected.insert("spectrum.csv");
  EXPECT_EQ(Listing(folder.Path()), expected);
  EXPECT_EQ(ReadFile(folder / "spectrum.csv"), "new");
}

}  // namespace
}  // namespace korva
