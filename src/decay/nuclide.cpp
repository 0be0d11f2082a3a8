#include "decay/nuclide.h"

namespace korva {

namespace {

std::string Mode(const char* name, std::size_t branches) {
  return branches == 1 ? name : std::string(name) + " (" + std::to_string(branches) + " branches)";
}

}  // namespace

std::string Nuclide::DecayMode() const {
  std::string mode;
  if (!betas.empty()) mode = Mode("beta-", betas.size());
  if (!captures.empty()) mode += (mode.empty() ? "" : ", ") + Mode("EC", captures.size());
  return mode;
}

double Nuclide::EmissionsPerDecay() const {
  double sum = 0.0;
  for (const BetaBranch& b : betas) sum += b.probability;
  for (const CaptureBranch& c : captures) sum += c.probability;
  return sum;
}

}  // namespace korva
