// The bias of the corrected D rate against the truth of the same decays,
// from the test side's event-by-event model of three tubes (4 ns prompt
// light, 3 % delayed at 250 ns, 0.7 ns jitter) behind a 0.64 us extending
// dead time and a 200 ns gate, by mode, window and decay rate: with the
// corrections for the mode and the gate, and with the earlier correction
// that took every window as a CDT gate of its own length. Each cell counts
// 3 million decays.
#include <cstdio>
#include <vector>

#include "pulse_train_bias.h"

namespace {

using namespace korva;
using namespace korva::test;

constexpr double kDecaysPerCell = 3e6;
constexpr std::array<double, 4> kRates = {1e3, 1e4, 1e5, 2e5};
constexpr std::array<double, 3> kWindowsNs = {10.0, 40.0, 200.0};

struct Row {
  bool cdt;
  std::size_t window;
};

}  // namespace

int main() {
  const std::vector<Row> rows = {{true, 0}, {true, 1}, {true, 2}, {false, 0}, {false, 1}, {false, 2}};
  std::vector<std::array<WindowBias, kRates.size()>> now(rows.size()), before(rows.size());
  for (std::size_t r = 0; r < kRates.size(); ++r) {
    McRun run;
    run.decayRate = kRates[r];
    run.seconds = kDecaysPerCell / kRates[r];
    run.seed = 29 + static_cast<std::uint32_t>(r);
    for (const bool cdt : {true, false})
      run.gates.push_back({cdt, 640.0, 200.0, {kWindowsNs.begin(), kWindowsNs.end()}});
    const McResult result = RunPulseTrain(run);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::size_t g = rows[i].cdt ? 0 : 1;
      now[i][r] = McBias(result.gates[g], rows[i].window, McTiming(run.gates[g], rows[i].window));
      before[i][r] = McBias(result.gates[g], rows[i].window, OwnWindowTiming(run.gates[g], rows[i].window));
    }
  }
  std::printf("Bias of corrected D (T) in %%, gate 200 ns, extension 0.64 us, %.0f decays a cell\n",
              kDecaysPerCell);
  std::printf("%-16s", "mode, window");
  for (const double rate : kRates) std::printf(" | %8.0e /s now (T)     before", rate);
  std::printf("\n");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::printf("%s, %s = %3.0f ns", rows[i].cdt ? "CDT" : "IDT", rows[i].window < 2 ? "N" : "M",
                kWindowsNs[rows[i].window]);
    for (std::size_t r = 0; r < kRates.size(); ++r) {
      std::printf(" | %+7.3f (%+7.3f) %+7.3f", 100.0 * now[i][r].d, 100.0 * now[i][r].t,
                  100.0 * before[i][r].d);
    }
    std::printf("\n");
  }
  return 0;
}
