#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tdcr/filetime.h"
#include "tdcr/tdcr_rates.h"

namespace korva {

// A counter of a .tdc file and the rate written beside it.
struct TdcCount {
  std::uint64_t counts = 0;
  double cps = 0.0;
};

// One run of a .tdc file. Times are in seconds.
struct TdcRun {
  int number = 0;          // 1..P
  std::string startLabel;  // "START TIME: UTC", "... SYSTEM" or "... LOCAL"
  StampTime start;
  double realTime = 0.0;
  std::array<std::array<double, 2>, 3> singleLiveTimes{};  // [PMT A, B, C][extension 1, 2]
  // [raw, extension 1, extension 2][PMT A, B, C]
  std::array<std::array<TdcCount, 3>, 3> singles{};
  // [extension 1, 2][AB, BC, AC, T]
  std::array<std::array<double, TdcrRates::kLiveTimeKinds>, TdcrRates::kExtensions> coincidenceLiveTimes{};
  // [N1, M1, N2, M2][AB, BC, AC, T, D]: TdcrRates' combinations and kinds.
  std::array<std::array<TdcCount, TdcrRates::kKinds>, TdcrRates::kCombinations> coincidences{};
};

// The lines before the runs. Free texts are as the user typed them
// (quoting undone); the number texts are kept as written and also read.
struct TdcHeader {
  std::string hardware;  // "Veltra RQ3102"
  std::string serialNumber;
  std::string firmware;
  std::string fpga;
  std::string tag;
  std::string operatorName;
  std::string nuclides;
  std::string cocktail;
  std::string highVoltage;
  std::array<double, 3> thresholdsMv{};
  std::array<double, 2> extensionsUs{};
  std::array<double, 2> windowsNs{};  // N, M
  std::array<std::string, 2> windowTexts;
  int presetRuns = 0;
  double timePerRun = 0.0;
  double gapTime = 0.0;
  std::string stopTimer;  // as written, leading blank included
  int runsCompleted = 0;
};

struct TdcMeasurement {
  TdcHeader header;
  std::vector<TdcRun> runs;  // runs 1..P in order
};

struct TdcReadResult {
  std::optional<TdcMeasurement> measurement;
  std::string error;  // "line 12: ..." when the text is not a .tdc file
};

// Reads the text of a .tdc file as the program writes it, lines ending in
// CR LF or LF. Blank lines between the keyed lines are passed over; every
// keyed line must come in the writer's order. A text that is not such a
// file gives the first line at fault and why.
TdcReadResult ReadTdcText(std::string_view text);

// A measurement of 64 runs takes some 200 KB; a file many times larger is
// not a .tdc file, and reading stops there (a device such as /dev/zero
// never ends).
inline constexpr std::size_t kMaxTdcFileBytes = 16u << 20;

// Refuses a folder and a file over kMaxTdcFileBytes, naming the path.
TdcReadResult ReadTdcFile(const std::filesystem::path& path);

}  // namespace korva
