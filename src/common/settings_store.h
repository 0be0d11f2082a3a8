#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korva {

// The per-user settings store. Paths are written with backslashes under the
// company key ("\Korva-TDCR\WindowPos"); names and value types are the ones
// the program has always used, so stored settings survive every release.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::vector<std::uint8_t>> ReadBinary(std::string_view path,
                                                              std::string_view name) = 0;
  virtual void WriteBinary(std::string_view path, std::string_view name,
                           std::span<const std::uint8_t> value) = 0;
  virtual std::optional<std::uint32_t> ReadDword(std::string_view path, std::string_view name) = 0;
  virtual void WriteDword(std::string_view path, std::string_view name, std::uint32_t value) = 0;
  // Text values (a folder name, say), UTF-8.
  virtual std::optional<std::string> ReadString(std::string_view path, std::string_view name) = 0;
  virtual void WriteString(std::string_view path, std::string_view name, std::string_view value) = 0;
};

// Where the main frame keeps its own values.
namespace settings_path {
inline constexpr std::string_view kWindowPos = "\\Korva-TDCR\\WindowPos";
inline constexpr std::string_view kApp = "\\Korva-TDCR\\App";
inline constexpr std::string_view kWorkspace = "\\Korva-TDCR\\Workspace";
inline constexpr std::string_view kSpectrum = "\\Korva-TDCR\\Spectrum";
}  // namespace settings_path

}  // namespace korva
