#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// A running virtual instrument makes itself known to the port list through
// one small text file in a per-user runtime folder:
//
//   $XDG_RUNTIME_DIR/korva-tdcr/instruments/<pid>-<name>.instrument
//   (or /tmp/korva-tdcr-<uid>/instruments/ when XDG_RUNTIME_DIR is not set)
//
// The file holds "key=value" lines; unknown keys are ignored:
//
//   device=/dev/pts/7   the path to open (the instrument's link when it has one)  required
//   pid=4242            the process that serves the instrument                    required
//   name=pts/7          the port name the port list shows                         optional
//   serial=12345        the instrument's serial number                            optional
//   model=RQ3102        the instrument's model                                    optional
//
// The port name is the device path relative to /dev ("pts/7") or, for a path
// outside /dev such as a link in the user's folder, its file name ("veltra");
// FindAnnouncement turns the name cut from a friendly name back into the path.
struct VirtualInstrumentAnnouncement {
  std::string devicePath;
  long pid = 0;
  std::string name;
  std::string serialNumber;
  std::string model;

  bool operator==(const VirtualInstrumentAnnouncement&) const = default;
};

// The folder announcements live in for the current user.
std::filesystem::path AnnouncementFolder();

// The port name of a device path, as described above.
std::string PortNameOfDevice(std::string_view devicePath);

// "Veltra virtual instrument (pts/7)": the text the port list shows.
std::string FriendlyName(const VirtualInstrumentAnnouncement& announcement);

// The file text of an announcement, and its reading. Parsing fails on a
// missing device path, a missing or non-positive pid, or a line without '='.
// A missing name is derived from the device path.
std::string FormatAnnouncement(const VirtualInstrumentAnnouncement& announcement);
std::optional<VirtualInstrumentAnnouncement> ParseAnnouncement(std::string_view text);

// Announcements of running instruments, ordered by port name. Files that do
// not parse and files whose process no longer exists are passed over.
std::vector<VirtualInstrumentAnnouncement> ListAnnouncements(const std::filesystem::path& folder);
std::vector<VirtualInstrumentAnnouncement> ListAnnouncements();

// The running instrument announced under port name `name`, if any.
std::optional<VirtualInstrumentAnnouncement> FindAnnouncement(std::string_view name);

// Writes an announcement file when constructed and removes it when
// destroyed. The file appears complete or not at all (written beside its
// final name, then renamed). Written() tells whether the file could be made.
class ScopedAnnouncement {
 public:
  explicit ScopedAnnouncement(const VirtualInstrumentAnnouncement& announcement,
                              const std::filesystem::path& folder = AnnouncementFolder());
  ~ScopedAnnouncement();
  ScopedAnnouncement(const ScopedAnnouncement&) = delete;
  ScopedAnnouncement& operator=(const ScopedAnnouncement&) = delete;

  bool Written() const { return !path_.empty(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace korva
