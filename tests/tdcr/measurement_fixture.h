#pragma once

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../support/scratch_files.h"
#include "../support/scripted_save_dialogs.h"
#include "tdcr/measurement_file_saver.h"
#include "tdcr_rig.h"

namespace korva::test {

// A connected instrument (the second model) holding a finished measurement:
// a 3-run sequence stopped during run 2, stamped with the UTC reference on
// 07/03/2024 14:05:09.123, with a gap of 0 and counts beyond 32 bits. Run 3
// never started, so its record is empty. Files go to a fresh folder whose
// name holds a dot.
class MeasurementFixture : public TdcrRig {
 public:
  MeasurementFixture() {
    folder = std::filesystem::temp_directory_path() /
             ("korva-files-" + std::to_string(::getpid()) + "-" + std::to_string(++folderCount_) + ".d");
    std::filesystem::create_directories(folder);
    Connect();
    seen_ = link.written.size();
    PutSettings();
    PutRuns();
    tdcr.SetRecordTexts({"J. Doe", "H-3 & C-14", "Ultima Gold", "1350 V"});
    tdcr.RefreshViews();
    dialogs.target = (folder / "meas").string();
  }
  ~MeasurementFixture() { std::filesystem::remove_all(folder); }

  // The writes sent since the last call; the last one is acknowledged.
  std::vector<wire::Frame> TakeWrites() {
    std::vector<wire::Frame> writes(link.written.begin() + static_cast<std::ptrdiff_t>(seen_),
                                    link.written.end());
    seen_ = link.written.size();
    if (!writes.empty()) {
      link.Queue(WriteAckTo(link.Last()));
      engine.OnReplyBytes();
    }
    return writes;
  }

  std::filesystem::path folder;
  ScriptedSaveDialogs dialogs;
  MeasurementFileSaver saver{tdcr, engine, dialogs, prompt};

 private:
  // The first register read has zeroed the image; what the save reads is
  // put in afterwards.
  void PutSettings() {
    for (std::size_t r = 0; r < image.registers.size(); ++r) {
      image.registers[r] = static_cast<std::uint16_t>(r * 7 + 3);
    }
    image.serialNumber = 417;
    image.firmwareVersion = 213;
    image.registers[15] = 0x3012;  // the second model
    image.registers[63] = 25;
    image.registers[80] = 20000;
    image.registers[81] = 20500;
    image.registers[82] = 19000;
    image.registers[83] = 0x1503;  // " LIVE A1", UTC, interrupted; amplifier bits 0-1
    image.registers[84] = 78;
    image.registers[85] = 1000;
    WriteRegisterPair(image.registers, 88, 2500);
    image.registers[90] = 0x80B2;      // N 30 ns IDT, M 120 ns CDT
    image.registers[91] = 1 << 8 | 2;  // 3 runs, stopped in run 2
    WriteStartTime(image.registers, FileTimeFromStampTime({2024, 3, 7, 14, 5, 9, 123}));
    image.registers[97] = 1;  // time base from the internal reference
    WriteRegisterPair(image.registers, 98, 0);
  }

  // Run 2 holds half of run 1's counts and timers (plus the counter's
  // number, so no two values coincide).
  void PutRuns() {
    // clang-format off
    constexpr std::array<std::uint64_t, 44> kRun1 = {
        6'000'000'123, 5'900'000'000, 5'800'000'001, 41000, 40000, 39000, 42000, 41500, 40500,  // singles
        30000, 31000, 32000, 25000,         // N1
        2400, 2300, 2410, 2310, 2420, 2320,  // single live timers
        2450, 2440, 2430, 2420,             // coincidence live timers 1
        33000, 34000, 35000, 28000,         // M1
        2350, 2340, 2330, 2320,             // coincidence live timers 2
        29000, 30000, 31000, 24000,         // N2
        32000, 33000, 34000, 27000,         // M2
        38000, 37000, 41000, 40000,         // D
        2500};                              // real time
    // clang-format on
    for (std::size_t c = 0; c < kRun1.size(); ++c) {
      Put(1, TdcrCounter{c}, kRun1[c]);
      Put(2, TdcrCounter{c}, kRun1[c] / 2 + c);
    }
    Put(1, TdcrCounter::kInt10MHz, 10'000'000);  // +15 ppm
    Put(1, TdcrCounter::kIntRef10MHz, 10'000'150);
    Put(2, TdcrCounter::kInt10MHz, 10'000'000);  // -10 ppm
    Put(2, TdcrCounter::kIntRef10MHz, 9'999'900);
  }

  std::size_t seen_ = 0;
  static inline int folderCount_ = 0;
};

}  // namespace korva::test
