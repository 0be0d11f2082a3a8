// soak: the headless tool in a loop against the veltra-sim program that
// drops, damages and cuts short 1 % of its replies each: a measurement with
// its files, a spectrum with its CSV, an averaged trace, a register set
// saved and written back, and a shaper setting. A proxy on the line judges
// every exchange. Prints the exchanges, the tool's repeats and give-ups,
// the replies taken that did not match their request, the resident memory
// of the tool and the instrument at the start and the end, and whether
// every file written agrees with a recomputation from its own counts.
//
//   soak [--minutes N]     (1 minute unless told)

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/kts_reader.h"
#include "option_pairs.h"
#include "setup/register_file.h"
#include "simulator_process.h"
#include "soak_proxy.h"
#include "tdcr/measurement_tdc_reader.h"

namespace {

namespace fs = std::filesystem;
using korva::bench::ChildUsage;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

long ResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::atol(line.c_str() + 6);
  }
  return 0;
}

bool Near(double a, double b) { return std::abs(a - b) <= 0.01 * std::abs(b) + 0.02; }

// Each rate agrees with its counts over one of the run's live times (or the
// real time), and D with AB + BC + AC - 2 T.
bool TdcConsistent(const fs::path& path) {
  const korva::TdcReadResult read = korva::ReadTdcFile(path);
  if (!read.measurement) return false;
  for (const korva::TdcRun& run : read.measurement->runs) {
    for (const auto& combination : run.coincidences) {
      if (!Near(combination[4].cps,
                combination[0].cps + combination[1].cps + combination[2].cps - 2 * combination[3].cps)) {
        return false;
      }
      for (std::size_t kind = 0; kind < 4; ++kind) {
        bool agrees = combination[kind].counts == 0;
        for (const auto& liveTimes : run.coincidenceLiveTimes) {
          agrees = agrees || Near(combination[kind].cps * liveTimes[kind],
                                  static_cast<double>(combination[kind].counts));
        }
        if (!agrees) return false;
      }
    }
  }
  return true;
}

// The CSV's rows sum to the counts of the .kts file it was exported with.
bool SpectrumConsistent(const fs::path& kts, const fs::path& csv, std::size_t softSize) {
  korva::CSpectrum spectrum;
  if (korva::LoadSpectrumFile(spectrum, kts) != korva::SpectrumFileStatus::kDone) return false;
  std::uint64_t fileSum = 0;
  for (std::size_t i = 0; i < korva::CSpectrum::kChannels; ++i) fileSum += spectrum.Channel(i);
  std::istringstream rows(ReadText(csv));
  std::uint64_t csvSum = 0;
  std::size_t count = 0;
  for (std::string line; std::getline(rows, line);) {
    const std::size_t comma = line.find(", ");
    if (comma == std::string::npos || line.empty() || !std::isdigit(static_cast<unsigned char>(line[0])))
      continue;
    csvSum += std::strtoull(line.c_str() + comma + 2, nullptr, 10);
    ++count;
  }
  return count == softSize && csvSum == fileSum;
}

bool TraceConsistent(const fs::path& csv) {
  return Occurrences(ReadText(csv), "\n") == 7 + 256 &&
         ReadText(csv).find("Traces Averaged: 4") != std::string::npos;
}

bool RegistersConsistent(const fs::path& rgv) {
  korva::RegisterTable table{};
  std::size_t given = 0;
  return korva::LoadRegisterFile(rgv, table, &given) == korva::RegisterFileStatus::kDone && given == 128;
}

struct Totals {
  int runs = 0;
  int failedRuns = 0;
  std::size_t repeats = 0;
  std::size_t giveUps = 0;
  int filesChecked = 0;
  int filesInconsistent = 0;
  long toolFirstKb = 0;
  long toolLastKb = 0;
};

class Soak {
 public:
  Soak(const std::string& device, korva::bench::LineProxy& proxy, fs::path folder)
      : device_(device), proxy_(proxy), folder_(std::move(folder)) {}

  // One round of every command; the tool's peak memory over the round.
  long Round(int round, Totals& totals) {
    const std::string k = std::to_string(round % 2);
    const fs::path base = folder_ / ("m" + k);
    const fs::path kts = folder_ / ("s" + k + ".kts");
    const fs::path csv = folder_ / ("s" + k + ".csv");
    const fs::path trace = folder_ / ("t" + k + ".csv");
    const fs::path rgv = folder_ / ("r" + k + ".rgv");
    long peak = 0;
    const auto run = [&](std::vector<std::string> arguments, bool writes) {
      arguments.insert(arguments.begin() + (arguments[0] == "registers" ? 2 : 1), {"--port", device_});
      if (writes) arguments.push_back("--overwrite");
      const ChildUsage usage =
          korva::bench::RunAndMeasure(KORVA_CLI_PROGRAM, arguments, (folder_ / "err.txt").string());
      proxy_.EndOfRun();
      const std::string log = ReadText(folder_ / "err.txt");
      totals.repeats +=
          Occurrences(log, ">> Repeat Read Command") + Occurrences(log, ">> Repeat Write Command");
      totals.giveUps += Occurrences(log, "Max Number of Repeat");
      ++totals.runs;
      if (usage.exitStatus != 0) ++totals.failedRuns;
      peak = std::max(peak, usage.maxResidentKb);
      return usage.exitStatus == 0;
    };
    const auto check = [&totals](bool consistent) {
      ++totals.filesChecked;
      if (!consistent) ++totals.filesInconsistent;
    };
    if (run({"measure", "--out", base.string(), "--runs", "2", "--time", "1", "--gap", "0"}, true))
      check(TdcConsistent(base.string() + ".tdc"));
    if (run({"spectrum", "--out", kts.string(), "--csv", csv.string(), "--soft-size", "1024", "--time", "2"},
            true))
      check(SpectrumConsistent(kts, csv, 1024));
    if (run({"trace", "--out", trace.string(), "--mode", "Av4", "--trigger", "1"}, true))
      check(TraceConsistent(trace));
    if (run({"registers", "save", rgv.string()}, true)) {
      check(RegistersConsistent(rgv));
      run({"registers", "write", rgv.string()}, false);
    }
    run({"shaper", "--pile-up", round % 2 == 0 ? "on" : "off"}, false);
    return peak;
  }

 private:
  std::string device_;
  korva::bench::LineProxy& proxy_;
  fs::path folder_;
};

}  // namespace

int main(int argc, char** argv) {
  double minutes = 1;
  const bool read = korva::bench::ReadOptionPairs(argc, argv, [&](std::string_view name, const char* value) {
    if (name != "--minutes") return false;
    minutes = std::atof(value);
    return minutes > 0;
  });
  if (!read) {
    std::fprintf(stderr, "usage: soak [--minutes N]\n");
    return 2;
  }
  const fs::path folder = fs::temp_directory_path() / ("korva-soak-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  korva::bench::SimulatorProcess instrument(VELTRA_SIM_PROGRAM, {"--drop", "0.01", "--corrupt", "0.01",
                                                                 "--truncate", "0.01", "--time-scale", "10"});
  if (instrument.DevicePath().empty()) {
    std::fprintf(stderr, "soak: veltra-sim did not start\n");
    return 1;
  }
  korva::bench::LineProxy proxy(instrument.DevicePath());
  Soak soak(proxy.DevicePath(), proxy, folder);
  Totals totals;
  const long instrumentFirstKb = ResidentKb(instrument.Pid());
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double, std::ratio<60>>(minutes);
  int rounds = 0;
  while (std::chrono::steady_clock::now() < end) {
    const long peak = soak.Round(rounds, totals);
    if (rounds++ == 0) totals.toolFirstKb = peak;
    totals.toolLastKb = peak;
  }
  const long instrumentLastKb = ResidentKb(instrument.Pid());
  const korva::bench::ExchangeCounts counts = proxy.Counts();
  fs::remove_all(folder);

  std::printf("minutes %.1f  rounds %d  tool runs %d (%d failed)\n", minutes, rounds, totals.runs,
              totals.failedRuns);
  std::printf("exchanges %llu  repeats %zu (seen on the line %llu)  give-ups %zu\n",
              static_cast<unsigned long long>(counts.exchanges), totals.repeats,
              static_cast<unsigned long long>(counts.repeats), totals.giveUps);
  std::printf("replies taken that did not match their request: %llu\n",
              static_cast<unsigned long long>(counts.mismatched));
  std::printf("tool resident memory: first round %ld kB, last round %ld kB\n", totals.toolFirstKb,
              totals.toolLastKb);
  std::printf("instrument resident memory: start %ld kB, end %ld kB\n", instrumentFirstKb, instrumentLastKb);
  std::printf("files consistent with their counts: %d of %d\n",
              totals.filesChecked - totals.filesInconsistent, totals.filesChecked);
  return counts.mismatched == 0 && totals.filesInconsistent == 0 ? 0 : 1;
}
