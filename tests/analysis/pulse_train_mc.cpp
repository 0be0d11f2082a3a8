#include "pulse_train_mc.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace korva::test {

namespace {

constexpr std::array<unsigned, kMcSets> kSetMask = {1, 2, 4, 3, 6, 5, 7};
constexpr std::array<McSet, 4> kCoincidenceSets = {kMcAB, kMcBC, kMcAC, kMcABC};
// Keeps the jittered pulses after their decay, as a transit time does.
constexpr double kTransitNs = 10.0;

struct Pulse {
  double t = 0.0;
  int tube = 0;
  int decay = -1;  // -1: a dark pulse
};

// The union of the dead intervals of a tube set; each new interval ends no
// earlier than the ones before.
struct DeadTime {
  double from = 0.0;
  double until = 0.0;
  double closedNs = 0.0;
  void Add(double start, double end) {
    if (start <= until) {
      until = std::max(until, end);
    } else {
      closedNs += until - from;
      from = start;
      until = end;
    }
  }
  bool LiveAt(double t) const { return t < from || t >= until; }
  double LiveNs(double end) const { return end - closedNs - std::max(0.0, std::min(end, until) - from); }
};

// One dead-time gate with its live timers.
class Gate {
 public:
  explicit Gate(const McGate& g) : g_(g) {}

  bool Pass(double t, int tube) {
    const unsigned bit = 1u << tube;
    if (g_.cdt) {
      if (t <= openedAt_ + g_.gateNs) {
        const bool joins = (inEvent_ & bit) == 0;
        inEvent_ |= bit;
        return joins;
      }
      if (t >= deadUntil_[0]) {
        openedAt_ = t;
        inEvent_ = bit;
        deadUntil_[0] = t + g_.extensionNs;
        MarkDead(7, t + g_.gateNs, deadUntil_[0]);
        return true;
      }
      deadUntil_[0] = std::max(deadUntil_[0], t + g_.extensionNs);
      MarkDead(7, t, deadUntil_[0]);
      return false;
    }
    const bool live = t >= deadUntil_[tube];
    deadUntil_[tube] = t + g_.extensionNs;
    MarkDead(bit, t, deadUntil_[tube]);
    return live;
  }
  bool LiveAt(McSet set, double t) const { return dead_[set].LiveAt(t); }
  double LiveNs(McSet set, double end) const { return dead_[set].LiveNs(end); }

 private:
  void MarkDead(unsigned tubes, double from, double until) {
    for (std::size_t s = 0; s < kMcSets; ++s) {
      if ((kSetMask[s] & tubes) != 0) dead_[s].Add(from, until);
    }
  }
  McGate g_;
  double openedAt_ = -1e300;
  unsigned inEvent_ = 0;
  std::array<double, 3> deadUntil_{};
  std::array<DeadTime, kMcSets> dead_{};
};

// A window that opens at its first pulse and counts the tubes it holds
// when the next pulse comes later than W after the opening.
class Window {
 public:
  explicit Window(double w) : w_(w) {}
  void Add(double t, int tube) {
    if (tubes_ != 0 && t > openedAt_ + w_) Close();
    if (tubes_ == 0) openedAt_ = t;
    tubes_ |= 1u << tube;
  }
  void Close() {
    for (std::size_t k = 0; k < 4; ++k)
      counts_[k] += (tubes_ & kSetMask[kCoincidenceSets[k]]) == kSetMask[kCoincidenceSets[k]];
    tubes_ = 0;
  }
  const McCounts& Counts() const { return counts_; }

 private:
  double w_;
  double openedAt_ = 0.0;
  unsigned tubes_ = 0;
  McCounts counts_{};
};

// The pulses of one decay, after its decay time.
void DecayPulses(const McLight& light, double t0, int decay, std::mt19937_64& random,
                 std::vector<Pulse>& out) {
  std::exponential_distribution<double> unit(1.0);
  std::normal_distribution<double> jitter(0.0, light.jitterNs);
  const double mean = light.meanPhotoelectrons * unit(random);
  std::poisson_distribution<int> photoelectrons(mean);
  for (int tube = 0; tube < 3; ++tube) {
    const int n = photoelectrons(random);
    if (n == 0) continue;
    const int delayed = std::binomial_distribution<int>(n, light.delayedFraction)(random);
    double first = 1e300;
    if (n > delayed) first = light.promptNs / (n - delayed) * unit(random);
    if (delayed > 0) first = std::min(first, light.delayedNs / delayed * unit(random));
    out.push_back({t0 + kTransitNs + first + jitter(random), tube, decay});
  }
}

// The coincidences one decay's pulses give alone through a fresh gate and window.
McCounts Alone(const McGate& g, double w, const std::vector<Pulse>& pulses) {
  Gate gate(g);
  Window window(w);
  for (const Pulse& p : pulses) {
    if (gate.Pass(p.t, p.tube)) window.Add(p.t, p.tube);
  }
  window.Close();
  return window.Counts();
}

std::vector<Pulse> Train(const McRun& run, double endNs, std::vector<std::vector<Pulse>>& perDecay) {
  std::mt19937_64 random(run.seed);
  std::vector<Pulse> pulses;
  std::exponential_distribution<double> gap(run.decayRate * 1e-9);
  for (double t = gap(random); t < endNs; t += gap(random)) {
    std::vector<Pulse> own;
    DecayPulses(run.light, t, static_cast<int>(perDecay.size()), random, own);
    if (own.empty()) continue;
    std::ranges::sort(own, {}, &Pulse::t);
    for (Pulse& p : own) p.decay = static_cast<int>(perDecay.size());
    pulses.insert(pulses.end(), own.begin(), own.end());
    perDecay.push_back(std::move(own));
  }
  if (run.darkRate > 0.0) {
    std::exponential_distribution<double> darkGap(run.darkRate * 1e-9);
    for (int tube = 0; tube < 3; ++tube) {
      for (double t = darkGap(random); t < endNs; t += darkGap(random)) pulses.push_back({t, tube, -1});
    }
  }
  std::ranges::sort(pulses, {}, &Pulse::t);
  return pulses;
}

}  // namespace

McResult RunPulseTrain(const McRun& run) {
  McResult result;
  result.realNs = run.seconds * 1e9;
  std::vector<std::vector<Pulse>> perDecay;
  const std::vector<Pulse> pulses = Train(run, result.realNs, perDecay);
  std::vector<int> firstSeen(perDecay.size(), 0);
  for (const McGate& g : run.gates) {
    Gate gate(g);
    std::vector<Window> windows;
    for (double w : g.windowsNs) windows.emplace_back(w);
    McGateResult r;
    r.windows.resize(windows.size());
    std::ranges::fill(firstSeen, 0);
    for (const Pulse& p : pulses) {
      if (p.decay >= 0 && firstSeen[static_cast<std::size_t>(p.decay)]++ == 0) {
        const auto& own = perDecay[static_cast<std::size_t>(p.decay)];
        for (std::size_t w = 0; w < windows.size(); ++w) {
          const McCounts alone = Alone(g, g.windowsNs[w], own);
          for (std::size_t k = 0; k < 4; ++k) {
            if (alone[k] > 0.0 && gate.LiveAt(kCoincidenceSets[k], p.t))
              r.windows[w].truthLive[k] += alone[k];
          }
        }
      }
      if (!gate.Pass(p.t, p.tube)) continue;
      r.singles[static_cast<std::size_t>(p.tube)] += 1.0;
      for (Window& w : windows) w.Add(p.t, p.tube);
    }
    for (std::size_t w = 0; w < windows.size(); ++w) {
      windows[w].Close();
      r.windows[w].measured = windows[w].Counts();
    }
    for (std::size_t s = 0; s < kMcSets; ++s) r.liveNs[s] = gate.LiveNs(static_cast<McSet>(s), result.realNs);
    result.gates.push_back(std::move(r));
  }
  return result;
}

}  // namespace korva::test
