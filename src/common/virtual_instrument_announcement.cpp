#include "common/virtual_instrument_announcement.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace korva {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFileSuffix = ".instrument";
constexpr std::string_view kDevPrefix = "/dev/";

// The core keeps to the standard library, so the user id and the liveness of
// a process are read from /proc.
std::string CurrentUserId() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Uid:", 0) != 0) continue;
    std::istringstream fields(line.substr(4));
    std::string realUid;
    fields >> realUid;
    return realUid;
  }
  return "unknown";
}

bool ProcessIsAlive(long pid) {
  std::error_code error;
  return fs::exists(fs::path("/proc") / std::to_string(pid), error);
}

std::optional<long> ParsePid(std::string_view text) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value <= 0) return std::nullopt;
  return value;
}

// Port names may hold '/' ("pts/7"); the file name keeps only safe characters.
std::string FileNameFor(const VirtualInstrumentAnnouncement& announcement) {
  std::string name =
      announcement.name.empty() ? PortNameOfDevice(announcement.devicePath) : announcement.name;
  std::replace_if(
      name.begin(), name.end(),
      [](char c) { return !(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-'); }, '_');
  return std::to_string(announcement.pid) + "-" + name + std::string(kFileSuffix);
}

std::optional<VirtualInstrumentAnnouncement> ReadAnnouncementFile(const fs::path& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return ParseAnnouncement(text.str());
}

}  // namespace

fs::path AnnouncementFolder() {
  // NOLINTNEXTLINE(concurrency-mt-unsafe): nothing sets it once threads run
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return fs::path(runtime) / "korva-tdcr" / "instruments";
  return fs::path("/tmp") / ("korva-tdcr-" + CurrentUserId()) / "instruments";
}

std::string PortNameOfDevice(std::string_view devicePath) {
  if (devicePath.substr(0, kDevPrefix.size()) == kDevPrefix) {
    return std::string(devicePath.substr(kDevPrefix.size()));
  }
  return fs::path(devicePath).filename().string();
}

std::string FriendlyName(const VirtualInstrumentAnnouncement& announcement) {
  const std::string name =
      announcement.name.empty() ? PortNameOfDevice(announcement.devicePath) : announcement.name;
  return "Veltra virtual instrument (" + name + ")";
}

std::string FormatAnnouncement(const VirtualInstrumentAnnouncement& announcement) {
  std::string text = "device=" + announcement.devicePath + "\npid=" + std::to_string(announcement.pid) +
                     "\nname=" + announcement.name + "\n";
  if (!announcement.serialNumber.empty()) text += "serial=" + announcement.serialNumber + "\n";
  if (!announcement.model.empty()) text += "model=" + announcement.model + "\n";
  return text;
}

std::optional<VirtualInstrumentAnnouncement> ParseAnnouncement(std::string_view text) {
  VirtualInstrumentAnnouncement announcement;
  bool pidSeen = false;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;

    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (key == "device") {
      announcement.devicePath = value;
    } else if (key == "pid") {
      const auto pid = ParsePid(value);
      if (!pid) return std::nullopt;
      announcement.pid = *pid;
      pidSeen = true;
    } else if (key == "name") {
      announcement.name = value;
    } else if (key == "serial") {
      announcement.serialNumber = value;
    } else if (key == "model") {
      announcement.model = value;
    }
  }
  if (announcement.devicePath.empty() || !pidSeen) return std::nullopt;
  if (announcement.name.empty()) announcement.name = PortNameOfDevice(announcement.devicePath);
  return announcement;
}

std::vector<VirtualInstrumentAnnouncement> ListAnnouncements(const fs::path& folder) {
  std::vector<VirtualInstrumentAnnouncement> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (!entry.is_regular_file(error) || entry.path().extension() != kFileSuffix) continue;
    auto announcement = ReadAnnouncementFile(entry.path());
    if (announcement && ProcessIsAlive(announcement->pid)) found.push_back(std::move(*announcement));
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return found;
}

std::vector<VirtualInstrumentAnnouncement> ListAnnouncements() {
  return ListAnnouncements(AnnouncementFolder());
}

std::optional<VirtualInstrumentAnnouncement> FindAnnouncement(std::string_view name) {
  for (auto& announcement : ListAnnouncements()) {
    if (announcement.name == name) return announcement;
  }
  return std::nullopt;
}

ScopedAnnouncement::ScopedAnnouncement(const VirtualInstrumentAnnouncement& announcement,
                                       const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return;
  // The folder is private to the user, as a runtime folder should be.
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);

  const fs::path target = folder / FileNameFor(announcement);
  fs::path temporary = target;
  temporary += ".tmp";
  {
    std::ofstream file(temporary, std::ios::trunc);
    file << FormatAnnouncement(announcement);
    if (!file.flush()) {
      fs::remove(temporary, error);
      return;
    }
  }
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, error);
    return;
  }
  path_ = target;
}

ScopedAnnouncement::~ScopedAnnouncement() {
  if (path_.empty()) return;
  std::error_code error;
  fs::remove(path_, error);
}

}  // namespace korva
