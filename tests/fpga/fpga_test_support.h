#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../support/fake_serial_link.h"
#include "devicelink/serial_link.h"
#include "devicelink/wire_frame.h"
#include "fpga/bit_reversal.h"
#include "fpga/kbf_file.h"
#include "sim/virtual_instrument.h"

namespace korva::test {

// A port wired straight to a virtual instrument in memory: every frame
// written reaches the instrument at once, and its replies wait to be read.
// `tamper` may change or drop (clear) a reply on its way.
class InstrumentLink : public FakeSerialLink {
 public:
  explicit InstrumentLink(sim::VirtualInstrument& instrument) {
    onWrite = [this, &instrument](const wire::Frame& frame) {
      instrument.Receive(frame);
      for (sim::Reply& reply : instrument.TakeReplies()) {
        if (tamper) tamper(reply.bytes);
        incoming.insert(incoming.end(), reply.bytes.begin(), reply.bytes.end());
      }
    };
  }

  std::function<void(wire::Frame&)> tamper;
};

// A folder of its own for the design files of one test.
class DesignFolder {
 public:
  DesignFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("korva-fpga-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~DesignFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::filesystem::path path = path_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Bytes no two blocks share, so a block sent to the wrong place shows.
inline std::vector<std::uint8_t> DesignBytes(std::size_t count, std::uint32_t seed = 1) {
  std::vector<std::uint8_t> bytes(count);
  std::uint32_t state = seed;
  for (std::uint8_t& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  return bytes;
}

// A .kbf file around `body` with a correct checksum.
inline std::vector<std::uint8_t> KbfFile(const std::vector<std::uint8_t>& body, std::uint32_t address,
                                         std::uint16_t command = 210) {
  std::vector<std::uint8_t> file(kbf::kHeaderSize, 0);
  wire::WriteU16(file, 0, command);
  wire::WriteU16(file, 2, kbf::kMagic);
  wire::WriteU32(file, 4, address);
  wire::WriteU32(file, 8, 0x01020304);
  file.insert(file.end(), body.begin(), body.end());
  wire::WriteU32(file, 12, *ComputeKbfChecksum(file));
  return file;
}

inline std::vector<std::uint8_t> Reversed(std::vector<std::uint8_t> bytes) {
  ReverseBits(bytes);
  return bytes;
}

}  // namespace korva::test
