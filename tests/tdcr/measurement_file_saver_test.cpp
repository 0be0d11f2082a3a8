#include "tdcr/measurement_file_saver.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "measurement_fixture.h"

namespace korva {
namespace {

using test::FileSizeLimit;
using test::Listing;
using test::ReadFile;
using test::WriteFile;
using Word = TdcrControlWord;
namespace fs = std::filesystem;

constexpr fs::perms kReadOnlyForOthers =
    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;

TEST(MeasurementFileNamesTest, AppendTheThreeExtensionsToTheChosenBase) {
  struct Case {
    const char* chosen;
    const char* tdc;
    const char* csv;
    const char* xml;
  };
  for (const Case& c : {
           Case{"/d/meas", "/d/meas.tdc", "/d/meas.csv", "/d/meas.xml"},
           Case{"/d/run.2/meas", "/d/run.2/meas.tdc", "/d/run.2/meas.csv", "/d/run.2/meas.xml"},
           Case{"/d/meas.tdc", "/d/meas.tdc", "/d/meas.csv", "/d/meas.xml"},
           Case{"/d/meas.CSV", "/d/meas.tdc", "/d/meas.csv", "/d/meas.xml"},
           Case{"/d/meas.xml", "/d/meas.tdc", "/d/meas.csv", "/d/meas.xml"},
           Case{"dot/vial-1.5ml", "dot/vial-1.5ml.tdc", "dot/vial-1.5ml.csv", "dot/vial-1.5ml.xml"},
           Case{"/d/meas.v2.txt", "/d/meas.v2.txt.tdc", "/d/meas.v2.txt.csv", "/d/meas.v2.txt.xml"},
       }) {
    const MeasurementFileNames names = MeasurementFileNamesFor(c.chosen);
    EXPECT_EQ(names.tdc, c.tdc);
    EXPECT_EQ(names.csv, c.csv);
    EXPECT_EQ(names.xml, c.xml);
  }
}

TEST(MeasurementFileNamesTest, UncreatableFilesAreFoundBeforeAnythingIsWritten) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "korva-uncreatable";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "meas.csv");  // a folder in the way
  EXPECT_EQ(FirstUncreatableFile(MeasurementFileNamesFor(folder / "meas")), folder / "meas.csv");
  EXPECT_EQ(FirstUncreatableFile(MeasurementFileNamesFor("/nonexistent/m")), "/nonexistent/m.tdc");
  EXPECT_EQ(FirstUncreatableFile(MeasurementFileNamesFor(folder / "other")), std::nullopt);
  std::filesystem::remove(folder / "meas.csv");
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  std::filesystem::remove_all(folder);
}

class MeasurementFileSaverTest : public ::testing::Test, protected test::MeasurementFixture {
 protected:
  fs::path File(const char* extension) const { return folder / (std::string("meas") + extension); }
  // Nothing was marked saved and nothing was sent.
  void ExpectNotSaved() {
    EXPECT_EQ(ControlWord() & Word::kSaved, 0);
    EXPECT_TRUE(TakeWrites().empty());
    EXPECT_TRUE(image.acceptReadBack);
  }
};

// With no earlier files only the name and the tag are asked for; Cancel in
// the tag dialog keeps the tag it was opened with.
TEST_F(MeasurementFileSaverTest, SavedMeasurementIsMarkedWithOneSettingsWrite) {
  dialogs.tag.reset();
  ASSERT_EQ(saver.SaveMeasurement(), SaveOutcome::kSaved);
  EXPECT_EQ(dialogs.asked, (std::vector<std::string>{"Save TDCR", "Tag: TDCR Measurement"}));
  EXPECT_TRUE(prompt.errors.empty());
  EXPECT_EQ(ControlWord(), 0x1503 | Word::kSaved);
  const wire::Frame imageWrite = wire::SendSettingsRegistersFrame(image.registers);
  const std::vector<wire::Frame> writes = TakeWrites();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0], imageWrite);
  EXPECT_TRUE(image.acceptReadBack);
  EXPECT_EQ(Listing(folder), (std::set<std::string>{"meas.tdc", "meas.csv", "meas.xml"}));
  EXPECT_NE(ReadFile(File(".tdc")).find("\r\nMeasurement Tag,TDCR Measurement\r\n"), std::string::npos);
}

// Any one of the three files existing is reason enough to ask. A replaced
// file keeps its permissions.
TEST_F(MeasurementFileSaverTest, AnyExistingFileIsReplacedOnlyAfterYes) {
  for (const char* extension : {".tdc", ".csv", ".xml"}) {
    SCOPED_TRACE(extension);
    fs::remove_all(folder);
    fs::create_directories(folder);
    WriteFile(File(extension), "earlier");
    fs::permissions(File(extension), kReadOnlyForOthers);
    dialogs.asked.clear();
    dialogs.overwrite = false;
    EXPECT_EQ(saver.SaveMeasurement(), SaveOutcome::kCancelled);
    EXPECT_EQ(dialogs.asked,
              (std::vector<std::string>{"Save TDCR", MeasurementFileSaver::kOverwriteQuestion}));
    EXPECT_EQ(ReadFile(File(extension)), "earlier");
    EXPECT_EQ(Listing(folder).size(), 1u);
    ExpectNotSaved();

    dialogs.overwrite = true;
    EXPECT_EQ(saver.SaveMeasurement(), SaveOutcome::kSaved);
    EXPECT_NE(ReadFile(File(extension)), "earlier");
    EXPECT_EQ(fs::status(File(extension)).permissions(), kReadOnlyForOthers);
    EXPECT_EQ(Listing(folder).size(), 3u);
    TakeWrites();
    ControlWord() = 0x1503;
  }
}

// A file that cannot be written shows its own message and leaves every
// earlier file as it was, with no temporary file behind.
TEST_F(MeasurementFileSaverTest, FailedFileLeavesTheEarlierFilesAndMarksNothing) {
  struct Case {
    const char* what;
    std::function<fs::path(const fs::path&)> prepare;  // returns the name chosen
    const char* message;
    const char* file;    // the file named on the message's second line
    const char* reason;  // the system's text
  };
  const std::vector<Case> cases = {
      {"missing folder", [](const fs::path& f) { return f / "missing" / "meas"; },
       MeasurementFileSaver::kTdcFailure, "missing/meas.tdc", "No such file or directory"},
      {"csv is a folder",
       [](const fs::path& f) {
         fs::create_directory(f / "meas.csv");
         return f / "meas";
       },
       MeasurementFileSaver::kCsvFailure, "meas.csv", "Is a directory"},
      {"xml is a folder",
       [](const fs::path& f) {
         fs::create_directory(f / "meas.xml");
         return f / "meas";
       },
       MeasurementFileSaver::kXmlFailure, "meas.xml", "Is a directory"},
  };
  dialogs.overwrite = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    fs::create_directories(folder);
    WriteFile(File(".tdc"), "earlier");
    dialogs.target = c.prepare(folder).string();
    const std::set<std::string> before = Listing(folder);
    prompt.errors.clear();
    EXPECT_EQ(saver.SaveMeasurement(), SaveOutcome::kFailed);
    EXPECT_EQ(prompt.errors, (std::vector<std::string>{std::string(c.message) + "\n" +
                                                       (folder / c.file).string() + ": " + c.reason}));
    EXPECT_EQ(Listing(folder), before);
    EXPECT_EQ(ReadFile(File(".tdc")), "earlier");
    ExpectNotSaved();
  }
}

// The .xml runs out of room after the .tdc and .csv were written in full:
// none of the three replaces its earlier file, and read-backs are let in
// again.
TEST_F(MeasurementFileSaverTest, WriteFailureReplacesNoneOfTheFiles) {
  ASSERT_EQ(saver.SaveMeasurement(), SaveOutcome::kSaved);
  const rlim_t room = std::max(fs::file_size(File(".tdc")), fs::file_size(File(".csv")));
  ASSERT_GT(fs::file_size(File(".xml")), room);
  TakeWrites();
  ControlWord() = 0x1503;
  for (const char* extension : {".tdc", ".csv", ".xml"}) WriteFile(File(extension), "earlier");
  dialogs.overwrite = true;
  {
    const FileSizeLimit limit(room);
    EXPECT_EQ(saver.SaveMeasurement(), SaveOutcome::kFailed);
  }
  EXPECT_EQ(prompt.errors, (std::vector<std::string>{std::string(MeasurementFileSaver::kXmlFailure) + "\n" +
                                                     File(".xml").string() + ": File too large"}));
  for (const char* extension : {".tdc", ".csv", ".xml"}) EXPECT_EQ(ReadFile(File(extension)), "earlier");
  EXPECT_EQ(Listing(folder).size(), 3u);
  ExpectNotSaved();
}

// The .xml cannot be renamed into place after the .tdc and .csv were: the
// two are rolled back to their earlier files, so no mixed set is left.
TEST_F(MeasurementFileSaverTest, RenameFailureAfterTwoRenamesRestoresTheEarlierSet) {
  for (const char* extension : {".tdc", ".csv", ".xml"}) WriteFile(File(extension), "earlier");
  dialogs.overwrite = true;
  dialogs.onTag = [this] {
    fs::remove(File(".xml"));
    fs::create_directory(File(".xml"));
    WriteFile(File(".xml") / "in the way", "x");
  };
  EXPECT_EQ(saver.SaveMeasurement(), SaveOutcome::kFailed);
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_TRUE(prompt.errors[0].starts_with(std::string(MeasurementFileSaver::kXmlFailure) + "\n" +
                                           File(".xml").string() + ": "))
      << prompt.errors[0];
  EXPECT_EQ(ReadFile(File(".tdc")), "earlier");
  EXPECT_EQ(ReadFile(File(".csv")), "earlier");
  EXPECT_EQ(Listing(folder), (std::set<std::string>{"meas.tdc", "meas.csv", "meas.xml"}));
  ExpectNotSaved();
}

}  // namespace
}  // namespace korva
