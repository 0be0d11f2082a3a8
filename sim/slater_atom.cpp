#include "sim/slater_atom.h"

#include <algorithm>
#include <array>
#include <vector>

#include "sim/physical_constants.h"

namespace korva::sim {

namespace {

struct Subshell {
  int n;
  int l;
};

// Madelung's order of filling, to 6p (radon, Z = 86).
constexpr std::array<Subshell, 15> kFillingOrder = {{{1, 0},
                                                     {2, 0},
                                                     {2, 1},
                                                     {3, 0},
                                                     {3, 1},
                                                     {4, 0},
                                                     {3, 2},
                                                     {4, 1},
                                                     {5, 0},
                                                     {4, 2},
                                                     {5, 1},
                                                     {6, 0},
                                                     {4, 3},
                                                     {5, 2},
                                                     {6, 1}}};

constexpr std::array<double, 6> kEffectiveN = {1.0, 2.0, 3.0, 3.7, 4.0, 4.2};

// A Slater group: shell n and kind l (0 for the s,p group, 2 for d, 3 for f).
struct Group {
  int n;
  int l;
  int electrons = 0;
  // Slater's order: by shell, and within a shell s,p before d before f.
  bool Before(const Group& other) const { return n != other.n ? n < other.n : l < other.l; }
};

std::vector<Group> GroupsOf(int electrons) {
  std::vector<Group> groups;
  for (const Subshell& s : kFillingOrder) {
    if (electrons <= 0) break;
    const int placed = std::min(electrons, 2 * (2 * s.l + 1));
    electrons -= placed;
    const int kind = s.l <= 1 ? 0 : s.l;
    auto found = std::ranges::find_if(groups, [&](const Group& g) { return g.n == s.n && g.l == kind; });
    if (found == groups.end()) found = groups.insert(groups.end(), Group{s.n, kind});
    found->electrons += placed;
  }
  return groups;
}

double Screening(const Group& self, const Group& other) {
  if (other.n == self.n && other.l == self.l) return (self.n == 1 ? 0.30 : 0.35) * (other.electrons - 1);
  if (!other.Before(self)) return 0.0;
  if (self.l >= 2 || other.n <= self.n - 2) return 1.00 * other.electrons;
  return 0.85 * other.electrons;
}

}  // namespace

double KShellCharge(int nuclearZ, int electrons) { return nuclearZ - (electrons >= 2 ? 0.30 : 0.0); }

std::vector<SlaterGroup> SlaterGroups(int nuclearZ, int electrons) {
  const std::vector<Group> groups = GroupsOf(electrons);
  std::vector<SlaterGroup> out;
  for (const Group& self : groups) {
    double screening = 0.0;
    for (const Group& other : groups) screening += Screening(self, other);
    out.push_back({self.n, self.l, self.electrons, kEffectiveN[static_cast<std::size_t>(self.n - 1)],
                   nuclearZ - screening});
  }
  return out;
}

double PotentialAtNucleus(int atomZ) {
  double hartrees = 0.0;
  for (const SlaterGroup& g : SlaterGroups(atomZ, atomZ))
    hartrees += g.electrons * g.zeff / (g.nStar * g.nStar);
  return kFineStructure * kFineStructure * hartrees;
}

}  // namespace korva::sim
