#include "analysis/nuclide_json.h"

#include <QJsonArray>
#include <array>

#include "qtadapters/qt_text.h"

namespace korva {

namespace {

const char* ForbiddennessName(Forbiddenness f) {
  constexpr std::array<const char*, 5> kNames = {"allowed", "first-forbidden-non-unique",
                                                 "first-forbidden-unique", "second-forbidden-non-unique",
                                                 "second-forbidden-unique"};
  return kNames[static_cast<std::size_t>(f)];
}

QJsonObject BetaJson(const BetaBranch& b) {
  QJsonObject json{{"mode", "beta-"},
                   {"probability", b.probability},
                   {"endpointKeV", b.endpointKeV},
                   {"daughterZ", b.daughterZ},
                   {"forbiddenness", ForbiddennessName(b.forbiddenness)}};
  if (b.shape.Measured()) json["shapeFactor"] = QJsonArray{b.shape.a, b.shape.b, b.shape.c};
  return json;
}

QJsonObject CaptureJson(const CaptureBranch& c) {
  const CaptureAtom& a = c.atom;
  return {{"mode", "EC"},
          {"probability", c.probability},
          {"qKeV", c.qKeV},
          {"pK", a.pK},
          {"pL", a.pL},
          {"pM", a.pM},
          {"omegaK", a.fluorescenceK},
          {"kXrayKeV", a.kXrayKeV},
          {"kAugerKeV", a.kAugerKeV}};
}

QJsonObject NuclideJson(const Nuclide& n) {
  QJsonArray branches;
  for (const BetaBranch& b : n.betas) branches.append(BetaJson(b));
  for (const CaptureBranch& c : n.captures) branches.append(CaptureJson(c));
  return {{"name", QtText(n.name)},
          {"Z", n.z},
          {"A", n.massNumber},
          {"decayMode", QtText(n.DecayMode())},
          {"halfLifeSeconds", n.halfLifeSeconds},
          {"halfLifeUncertaintySeconds", n.halfLifeUncertaintySeconds},
          {"branches", branches},
          {"source", QtText(n.source)},
          {"file", QtText(n.file)},
          {"version", QtText(n.version)}};
}

}  // namespace

QJsonObject NuclideLibraryJson(const NuclideLibrary& library) {
  QJsonArray nuclides;
  for (const Nuclide& n : library.nuclides) nuclides.append(NuclideJson(n));
  QJsonArray problems;
  for (const std::string& p : library.problems) problems.append(QtText(p));
  return {{"directory", QtText(library.directory.string())}, {"nuclides", nuclides}, {"notRead", problems}};
}

}  // namespace korva
