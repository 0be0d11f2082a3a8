#pragma once

#include <QSettings>

#include "common/settings_store.h"

namespace korva {

// The settings store on QSettings: organisation "Korva", application
// "Korva-TDCR 7.0"; each backslash path becomes a group, binary values are
// stored as QByteArray, 32-bit values as unsigned integers and texts as
// strings.
class QtSettingsStore : public SettingsStore {
 public:
  QtSettingsStore();

  std::optional<std::vector<std::uint8_t>> ReadBinary(std::string_view path, std::string_view name) override;
  void WriteBinary(std::string_view path, std::string_view name,
                   std::span<const std::uint8_t> value) override;
  std::optional<std::uint32_t> ReadDword(std::string_view path, std::string_view name) override;
  void WriteDword(std::string_view path, std::string_view name, std::uint32_t value) override;
  std::optional<std::string> ReadString(std::string_view path, std::string_view name) override;
  void WriteString(std::string_view path, std::string_view name, std::string_view value) override;

 private:
  QSettings settings_;
};

}  // namespace korva
