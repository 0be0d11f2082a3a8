// Every kind of file the program writes, saved over an existing file by a
// child process that is killed with SIGKILL at random moments: afterwards
// each target holds the whole old or the whole new file, never a torn one,
// and the next save into the folder clears the temporaries the killed
// saves left once they are a minute old.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../support/scratch_files.h"
#include "../tdcr/measurement_fixture.h"
#include "analysis/analysis_export.h"
#include "common/safe_file_writer.h"
#include "formats/kts_writer.h"
#include "formats/spectrum_csv.h"
#include "scope/trace_export.h"
#include "setup/register_file.h"

namespace korva {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

constexpr int kTrials = 200;
constexpr int kSavesPerChild = 400;

// One kind of file: its targets, and a save that writes version A or B of
// each of them.
struct FileKind {
  std::string name;
  std::vector<fs::path> targets;
  std::function<void(bool versionB)> save;
};

// Saves alternately version A and B until killed.
[[noreturn]] void SaveUntilKilled(const FileKind& kind) {
  for (int i = 0; i < kSavesPerChild; ++i) kind.save(i % 2 == 0);
  _exit(0);
}

std::chrono::microseconds TimeOfOneSave(const FileKind& kind) {
  const auto start = std::chrono::steady_clock::now();
  kind.save(true);
  kind.save(false);
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start) / 2;
}

bool IsTemporary(const fs::path& entry) { return entry.filename().string().starts_with("."); }

std::vector<fs::path> Temporaries(const fs::path& folder) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (IsTemporary(entry.path())) found.push_back(entry.path());
  }
  return found;
}

// Kills savers at random moments over the span of a few saves and checks
// every target after each kill.
void KillSaversAtRandom(const FileKind& kind, const fs::path& folder) {
  // The second pair of saves gives the versions: a first save may change
  // what later ones write (a measurement is marked saved).
  kind.save(false);
  kind.save(true);
  std::vector<std::set<std::string>> versions(kind.targets.size());
  for (const bool versionB : {false, true}) {
    kind.save(versionB);
    for (std::size_t t = 0; t < kind.targets.size(); ++t) versions[t].insert(ReadFile(kind.targets[t]));
  }
  ASSERT_TRUE(std::ranges::any_of(versions, [](const auto& pair) { return pair.size() == 2; }))
      << kind.name << ": versions A and B must differ";
  const auto span = 3 * TimeOfOneSave(kind);
  std::mt19937 random(20261209);
  std::uniform_int_distribution<long> delay(0, span.count());
  for (int trial = 0; trial < kTrials; ++trial) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) SaveUntilKilled(kind);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    for (std::size_t t = 0; t < kind.targets.size(); ++t) {
      ASSERT_TRUE(versions[t].contains(ReadFile(kind.targets[t])))
          << kind.name << ": " << kind.targets[t] << " torn in trial " << trial;
    }
  }
  // The next save removes what the killed saves left, once a minute old.
  for (const fs::path& temporary : Temporaries(folder)) {
    fs::last_write_time(temporary, fs::file_time_type::clock::now() - std::chrono::minutes(2));
  }
  kind.save(true);
  EXPECT_TRUE(Temporaries(folder).empty()) << kind.name;
}

class CrashSafeSaveTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder;
};

TEST_F(CrashSafeSaveTest, MeasurementFilesAreWholeAfterEveryKill) {
  test::MeasurementFixture measurement;
  measurement.dialogs.overwrite = true;
  const MeasurementFileNames names = MeasurementFileNamesFor(measurement.folder / "meas");
  const FileKind kind{"measurement", {names.tdc, names.csv, names.xml}, [&](bool versionB) {
                        measurement.dialogs.tag = versionB ? "Vial B" : "Vial A";
                        ASSERT_EQ(measurement.saver.SaveMeasurement(), SaveOutcome::kSaved);
                        measurement.TakeWrites();
                      }};
  KillSaversAtRandom(kind, measurement.folder);
}

TEST_F(CrashSafeSaveTest, SpectrumFilesAreWholeAfterEveryKill) {
  CSpectrum spectrum;
  for (std::size_t i = 0; i < CSpectrum::kChannels; ++i)
    spectrum.image.spectrum[i] = static_cast<std::uint32_t>(i * 37);
  const auto versioned = [&spectrum](bool versionB) -> CSpectrum& {
    spectrum.tag = versionB ? "B" : "A";
    spectrum.image.spectrum[7] = versionB ? 2 : 1;
    return spectrum;
  };
  KillSaversAtRandom({"kts",
                      {folder / "s.kts"},
                      [&](bool versionB) {
                        ASSERT_EQ(SaveSpectrumFile(versioned(versionB), folder / "s.kts", {}),
                                  SpectrumFileStatus::kDone);
                      }},
                     folder.Path());
  KillSaversAtRandom({"spectrum csv",
                      {folder / "s.csv"},
                      [&](bool versionB) {
                        ASSERT_EQ(ExportSpectrumCsv(versioned(versionB), folder / "s.csv", true, {}),
                                  SpectrumFileStatus::kDone);
                      }},
                     folder.Path());
}

TEST_F(CrashSafeSaveTest, RegisterTraceAndAnalysisFilesAreWholeAfterEveryKill) {
  KillSaversAtRandom({"rgv",
                      {folder / "r.rgv"},
                      [&](bool versionB) {
                        RegisterTable table{};
                        table.fill(versionB ? 2 : 1);
                        ASSERT_EQ(SaveRegisterFile(folder / "r.rgv", table), RegisterFileStatus::kDone);
                      }},
                     folder.Path());
  KillSaversAtRandom({"trace csv",
                      {folder / "t.csv"},
                      [&](bool versionB) {
                        TraceExportSource source;
                        source.trace[3].analog = versionB ? 200 : 100;
                        ASSERT_EQ(SaveTraceExport(folder / "t.csv", source, TraceExportKind::kRaw),
                                  TraceExportStatus::kDone);
                      }},
                     folder.Path());
  const AnalysisExportNames names{folder / "a.txt", folder / "a.json"};
  KillSaversAtRandom(
      {"analysis",
       {names.report, names.json},
       [&](bool versionB) {
         const std::string version = versionB ? "B" : "A";
         ASSERT_FALSE(WriteAnalysisExport(names, "report " + version + "\n" + std::string(20000, 'r'),
                                          "{\"version\": \"" + version + "\"}"));
       }},
      folder.Path());
}

}  // namespace
}  // namespace korva
