#pragma once

#include <map>
#include <string>

#include "common/settings_store.h"

namespace korva::test {

// A settings store in memory, shared by the main windows of one test. It
// starts with the Port Finder's timings shortened for virtual instruments:
// their ports need no 2 s to settle, and they answer a probe within
// milliseconds (four ticks of 100 ms leave them 400 ms).
class MemorySettingsStore : public SettingsStore {
 public:
  std::map<std::string, std::vector<std::uint8_t>> binaries;
  std::map<std::string, std::uint32_t> dwords = {{Key("\\Korva-TDCR\\Link", "PortSettleMs"), 50},
                                                 {Key("\\Korva-TDCR\\Link", "ProbeTickMs"), 100}};
  std::map<std::string, std::string> strings;

  static std::string Key(std::string_view path, std::string_view name) {
    return std::string(path) + "|" + std::string(name);
  }
  std::optional<std::vector<std::uint8_t>> ReadBinary(std::string_view path, std::string_view name) override {
    const auto found = binaries.find(Key(path, name));
    if (found == binaries.end()) return std::nullopt;
    return found->second;
  }
  void WriteBinary(std::string_view path, std::string_view name,
                   std::span<const std::uint8_t> value) override {
    binaries[Key(path, name)] = std::vector<std::uint8_t>(value.begin(), value.end());
  }
  std::optional<std::uint32_t> ReadDword(std::string_view path, std::string_view name) override {
    const auto found = dwords.find(Key(path, name));
    if (found == dwords.end()) return std::nullopt;
    return found->second;
  }
  void WriteDword(std::string_view path, std::string_view name, std::uint32_t value) override {
    dwords[Key(path, name)] = value;
  }
  std::optional<std::string> ReadString(std::string_view path, std::string_view name) override {
    const auto found = strings.find(Key(path, name));
    if (found == strings.end()) return std::nullopt;
    return found->second;
  }
  void WriteString(std::string_view path, std::string_view name, std::string_view value) override {
    strings[Key(path, name)] = std::string(value);
  }
};

}  // namespace korva::test
