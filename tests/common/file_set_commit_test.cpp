// Three files put in place as one set: a rename that fails, or a process
// killed between renames, leaves the earlier set, never a mix.

#include "common/file_set_commit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <set>
#include <string>

#include "../support/scratch_files.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using test::Listing;
using test::ReadFile;
using test::WriteFile;

class FileSetCommitTest : public ::testing::Test {
 protected:
  fs::path File(const char* extension) const { return folder / (std::string("m") + extension); }

  // Writers of version `text` of m.tdc, m.csv and m.xml, finished.
  void Prepare(const std::string& text) {
    for (std::size_t i = 0; i < writers.size(); ++i) {
      writers[i] = std::make_unique<SafeFileWriter>(File(kExtensions[i]));
      ASSERT_TRUE(writers[i]->Open() && writers[i]->Write(text) && writers[i]->Finish());
    }
  }
  std::array<SafeFileWriter*, 3> Writers() const {
    return {writers[0].get(), writers[1].get(), writers[2].get()};
  }
  void ExpectSet(const std::string& text) const {
    for (const char* extension : kExtensions) EXPECT_EQ(ReadFile(File(extension)), text) << extension;
  }

  static constexpr std::array<const char*, 3> kExtensions = {".tdc", ".csv", ".xml"};
  test::ScratchFolder scratch;
  fs::path folder = scratch.Path();
  std::array<std::unique_ptr<SafeFileWriter>, 3> writers;
};

TEST_F(FileSetCommitTest, ACommittedSetReplacesAllThreeAndLeavesNothingBeside) {
  for (const char* extension : kExtensions) WriteFile(File(extension), "old");
  Prepare("new");
  EXPECT_EQ(FileSetCommit::Commit(Writers()), std::nullopt);
  ExpectSet("new");
  EXPECT_EQ(Listing(folder), (std::set<std::string>{"m.tdc", "m.csv", "m.xml"}));
}

// A failure after the first and after the second rename: every target has
// its earlier file again, and a target that had none is gone.
TEST_F(FileSetCommitTest, AFailureBetweenRenamesRollsTheSetBack) {
  for (const std::size_t failAfter : {1u, 2u}) {
    SCOPED_TRACE(failAfter);
    fs::remove(File(".xml"));
    WriteFile(File(".tdc"), "old");
    WriteFile(File(".csv"), "old");
    Prepare("new");
    EXPECT_EQ(FileSetCommit::Commit(Writers(), [&](std::size_t renamed) { return renamed != failAfter; }),
              failAfter - 1);
    EXPECT_EQ(ReadFile(File(".tdc")), "old");
    EXPECT_EQ(ReadFile(File(".csv")), "old");
    EXPECT_FALSE(fs::exists(File(".xml")));
    for (auto& writer : writers) writer.reset();  // their temporaries go
    EXPECT_EQ(Listing(folder), (std::set<std::string>{"m.tdc", "m.csv"}));
  }
}

// A process killed after the first rename leaves the new .tdc beside the
// old .csv and .xml; the journal it leaves lets the next commit, or a
// recovery, put the old set back first.
TEST_F(FileSetCommitTest, AKillBetweenRenamesIsRolledBackByTheNextCommitOrARecovery) {
  for (const bool byRecovery : {true, false}) {
    SCOPED_TRACE(byRecovery ? "recovery" : "next commit");
    for (const char* extension : kExtensions) WriteFile(File(extension), "old");
    Prepare("new");
    EXPECT_EXIT(FileSetCommit::Commit(Writers(), [](std::size_t) -> bool { ::_exit(9); }),
                ::testing::ExitedWithCode(9), "");
    // The child's temporaries were its own files; the parent's writers
    // still hold theirs, which the kill did not rename.
    EXPECT_EQ(ReadFile(File(".tdc")), "new");
    EXPECT_EQ(ReadFile(File(".csv")), "old");
    if (byRecovery) {
      EXPECT_TRUE(RecoverFileSet(File(".tdc")));
      ExpectSet("old");
    } else {
      Prepare("newer");
      EXPECT_EQ(FileSetCommit::Commit(Writers()), std::nullopt);
      ExpectSet("newer");
    }
    for (auto& writer : writers) writer.reset();
    EXPECT_EQ(Listing(folder), (std::set<std::string>{"m.tdc", "m.csv", "m.xml"}));
  }
}

}  // namespace
}  // namespace korva
