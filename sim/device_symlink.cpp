#include "sim/device_symlink.h"

#include <system_error>

namespace korva::sim {

namespace fs = std::filesystem;

DeviceSymlink::DeviceSymlink(const fs::path& link, const fs::path& device) : link_(link), device_(device) {
  const fs::file_status status = fs::symlink_status(link_);
  if (fs::is_symlink(status)) {
    fs::remove(link_);
  } else if (fs::exists(status)) {
    throw fs::filesystem_error("not a link, left in place", link_,
                               std::make_error_code(std::errc::file_exists));
  }
  fs::create_symlink(device_, link_);
}

DeviceSymlink::~DeviceSymlink() {
  std::error_code error;
  if (fs::is_symlink(fs::symlink_status(link_, error)) && fs::read_symlink(link_, error) == device_) {
    fs::remove(link_, error);
  }
}

}  // namespace korva::sim
