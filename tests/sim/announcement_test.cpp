#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/virtual_instrument_announcement.h"
#include "sim/device_symlink.h"

namespace korva {
namespace {

namespace fs = std::filesystem;

class AnnouncementFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("korva-announcement-test-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  void WriteFile(const std::string& name, const std::string& text) { std::ofstream(folder / name) << text; }

  static VirtualInstrumentAnnouncement Running(const std::string& device) {
    return {device, static_cast<long>(::getpid()), PortNameOfDevice(device), "12345", "RQ3102"};
  }

  fs::path folder;
};

TEST_F(AnnouncementFolderTest, ScopedAnnouncementIsListedWhileItLives) {
  {
    const ScopedAnnouncement announcement(Running("/dev/pts/7"), folder);
    ASSERT_TRUE(announcement.Written());
    const auto listed = ListAnnouncements(folder);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0], Running("/dev/pts/7"));
    EXPECT_EQ(FriendlyName(listed[0]), "Veltra virtual instrument (pts/7)");
  }
  EXPECT_TRUE(ListAnnouncements(folder).empty());
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(AnnouncementFolderTest, ReaderPassesOverMalformedStaleAndForeignFiles) {
  const std::string pid = std::to_string(::getpid());
  WriteFile("good.instrument", "device=/home/u/veltra\npid=" + pid + "\nfuture=1\n");
  WriteFile("no-pid.instrument", "device=/dev/pts/3\n");
  WriteFile("no-device.instrument", "pid=" + pid + "\n");
  WriteFile("bad-pid.instrument", "device=/dev/pts/4\npid=12ab\n");
  WriteFile("negative-pid.instrument", "device=/dev/pts/5\npid=-3\n");
  WriteFile("garbage.instrument", "\x01\x02 not a key value line\n");
  WriteFile("empty.instrument", "");
  WriteFile("half-written.instrument.tmp", "device=/dev/pts/6\npid=" + pid + "\n");
  WriteFile("notes.txt", "device=/dev/pts/8\npid=" + pid + "\n");
  // A pid far above any the kernel hands out: its process is gone.
  WriteFile("stale.instrument", "device=/dev/pts/9\npid=2147483000\n");
  fs::create_directory(folder / "folder.instrument");

  const auto listed = ListAnnouncements(folder);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].devicePath, "/home/u/veltra");
  EXPECT_EQ(listed[0].name, "veltra") << "a name is derived when the file has none";
  EXPECT_TRUE(ListAnnouncements(folder / "missing").empty());
}

TEST_F(AnnouncementFolderTest, FormattedAnnouncementParsesBackIncludingWindowsLineEnds) {
  const VirtualInstrumentAnnouncement announcement = Running("/tmp/link");
  EXPECT_EQ(ParseAnnouncement(FormatAnnouncement(announcement)), announcement);
  EXPECT_EQ(ParseAnnouncement("device=/dev/pts/2\r\npid=10\r\n")->name, "pts/2");
}

TEST_F(AnnouncementFolderTest, DeviceLinkReplacesAStaleLinkAndLeavesOtherFilesAlone) {
  const fs::path link = folder / "veltra";
  fs::create_symlink("/dev/pts/999", link);
  {
    const sim::DeviceSymlink stable(link, "/dev/null");
    EXPECT_EQ(fs::read_symlink(link), "/dev/null");
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));

  WriteFile("taken", "mine");
  EXPECT_THROW(sim::DeviceSymlink(folder / "taken", "/dev/null"), fs::filesystem_error);
  EXPECT_TRUE(fs::is_regular_file(folder / "taken"));
}

}  // namespace
}  // namespace korva
