#pragma once

#include <filesystem>

namespace korva::sim {

// A stable name for the instrument's pseudo-terminal: a symbolic link at a
// path the user chose, pointing at the slave device, removed again when this
// object goes away (only while it still points there). A link left behind by
// an earlier run is replaced; any other file at the path is left alone and
// the constructor throws std::filesystem::filesystem_error.
class DeviceSymlink {
 public:
  DeviceSymlink(const std::filesystem::path& link, const std::filesystem::path& device);
  ~DeviceSymlink();
  DeviceSymlink(const DeviceSymlink&) = delete;
  DeviceSymlink& operator=(const DeviceSymlink&) = delete;

 private:
  std::filesystem::path link_;
  std::filesystem::path device_;
};

}  // namespace korva::sim
