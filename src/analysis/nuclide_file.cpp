#include "analysis/nuclide_file.h"

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <utility>

#include "analysis/data_text.h"

namespace korva {

namespace {

// Sums of capture probabilities may be rounded in the third decimal.
constexpr double kProbabilitySumTolerance = 2e-3;
constexpr double kMaxEndpointKeV = 20000.0;
constexpr int kMaxZ = 120;

std::optional<double> UnitSeconds(std::string_view unit) {
  constexpr std::array<std::pair<std::string_view, double>, 5> kUnits = {
      {{"s", 1.0}, {"min", 60.0}, {"h", 3600.0}, {"d", kSecondsPerDay}, {"a", kSecondsPerYear}}};
  for (const auto& [name, seconds] : kUnits) {
    if (unit == name) return seconds;
  }
  return std::nullopt;
}

std::optional<Forbiddenness> ForbiddennessOf(std::string_view word) {
  constexpr std::array<std::pair<std::string_view, Forbiddenness>, 5> kWords = {{
      {"allowed", Forbiddenness::kAllowed},
      {"first-forbidden-non-unique", Forbiddenness::kFirstForbiddenNonUnique},
      {"first-forbidden-unique", Forbiddenness::kFirstForbiddenUnique},
      {"second-forbidden-non-unique", Forbiddenness::kSecondForbiddenNonUnique},
      {"second-forbidden-unique", Forbiddenness::kSecondForbiddenUnique},
  }};
  for (const auto& [name, value] : kWords) {
    if (word == name) return value;
  }
  return std::nullopt;
}

// Reads one file; the first fault stops it.
class NuclideReader {
 public:
  explicit NuclideReader(std::string_view fileName) : file_(fileName) {
    nuclide_.file = std::string(fileName);
  }

  bool Line(const DataLine& line) {
    line_ = &line;
    using Handler = bool (NuclideReader::*)();
    static const std::map<std::string_view, Handler> kHandlers = {
        {"name", &NuclideReader::Name},
        {"version", &NuclideReader::Version},
        {"source", &NuclideReader::Source},
        {"Z", &NuclideReader::AtomicNumber},
        {"A", &NuclideReader::MassNumber},
        {"half-life", &NuclideReader::HalfLife},
        {"beta-", &NuclideReader::Beta},
        {"shape-factor", &NuclideReader::Shape},
        {"ec", &NuclideReader::Capture},
        {"capture", &NuclideReader::CaptureProbabilities},
        {"fluorescence-k", &NuclideReader::Fluorescence},
        {"k-xray", &NuclideReader::KXray},
        {"k-auger", &NuclideReader::KAuger},
        {"binding", &NuclideReader::Binding},
    };
    const auto handler = kHandlers.find(line.fields.front());
    if (handler == kHandlers.end())
      return Fail("unknown keyword \"" + std::string(line.fields.front()) + "\"");
    return (this->*handler->second)();
  }

  Checked<Nuclide> Finish() {
    line_ = nullptr;
    if (nuclide_.name.empty()) return Failure(0, "no \"name\" line");
    if (nuclide_.z == 0 || nuclide_.massNumber == 0) return Failure(0, "no \"Z\" or \"A\" line");
    if (!(nuclide_.halfLifeSeconds > 0.0)) return Failure(0, "no \"half-life\" line");
    if (nuclide_.betas.empty() && nuclide_.captures.empty()) return Failure(0, "no beta- or ec branch");
    for (std::size_t i = 0; i < nuclide_.captures.size(); ++i) {
      if (captureComplete_[i] != kAllAtomData)
        return Failure(captureLines_[i], "the ec branch lacks its atomic data" + kCaptureKeys);
    }
    for (BetaBranch& b : nuclide_.betas) {
      b.massNumber = nuclide_.massNumber;
      if (b.daughterZ == 0) b.daughterZ = nuclide_.z + 1;
    }
    return Success(std::move(nuclide_));
  }

  const std::string& Error() const { return error_; }

 private:
  inline static const std::string kCaptureKeys =
      " (capture, fluorescence-k, k-xray, k-auger and binding lines after it)";

  Checked<Nuclide> Failure(int line, const std::string& message) const {
    return Checked<Nuclide>::Failure(AtLine(file_, line, message));
  }
  bool Fail(const std::string& message) {
    error_ = AtLine(file_, line_->number, message);
    return false;
  }
  bool Arity(std::size_t low, std::size_t high) {
    const std::size_t n = line_->fields.size() - 1;
    if (n >= low && n <= high) return true;
    return Fail("\"" + std::string(line_->fields.front()) + "\" takes " + std::to_string(low) +
                (high > low ? " to " + std::to_string(high) : "") + " values, not " + std::to_string(n));
  }
  // Field `i` as a number in [low, high].
  std::optional<double> Number(std::size_t i, double low, double high) {
    const std::string_view field = line_->fields[i];
    const std::optional<double> value = FieldNumber(field);
    if (!value) return Fail("not a number: \"" + std::string(field) + "\""), std::nullopt;
    if (*value < low || *value > high) {
      return Fail("\"" + std::string(field) + "\" is outside " + Short(low) + " to " + Short(high)),
             std::nullopt;
    }
    return value;
  }
  static std::string Short(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
  }
  bool Once(bool alreadySet) {
    return !alreadySet || Fail("\"" + std::string(line_->fields.front()) + "\" given twice");
  }

  bool Text(std::string& into) {
    if (!Arity(1, 64) || !Once(!into.empty())) return false;
    const auto& f = line_->fields;
    into =
        std::string(f[1].data(), static_cast<std::size_t>(f.back().data() + f.back().size() - f[1].data()));
    return true;
  }
  bool Name() { return Text(nuclide_.name); }
  bool Version() { return Text(nuclide_.version); }
  bool Source() { return Text(nuclide_.source); }

  bool Integer(int& into, int low) {
    if (!Arity(1, 1) || !Once(into != 0)) return false;
    const auto v = Number(1, low, 300);
    if (!v) return false;
    if (*v != std::floor(*v)) return Fail("not a whole number: \"" + std::string(line_->fields[1]) + "\"");
    into = static_cast<int>(*v);
    return true;
  }
  bool AtomicNumber() { return Integer(nuclide_.z, 1) && (nuclide_.z <= kMaxZ || Fail("Z above 120")); }
  bool MassNumber() { return Integer(nuclide_.massNumber, 1); }

  bool HalfLife() {
    if (!Arity(3, 3) || !Once(nuclide_.halfLifeSeconds > 0.0)) return false;
    const auto value = Number(1, 1e-9, 1e30);
    const auto uncertainty = Number(2, 0.0, 1e30);
    if (!value || !uncertainty) return false;
    const auto unit = UnitSeconds(line_->fields[3]);
    if (!unit)
      return Fail("the half-life's unit is s, min, h, d or a, not \"" + std::string(line_->fields[3]) + "\"");
    if (*uncertainty >= *value) return Fail("the half-life's uncertainty is not below its value");
    nuclide_.halfLifeSeconds = *value * *unit;
    nuclide_.halfLifeUncertaintySeconds = *uncertainty * *unit;
    return true;
  }

  bool Beta() {
    if (!Arity(3, 4)) return false;
    const auto probability = Number(1, 1e-9, 1.0);
    const auto endpoint = Number(2, 1e-3, kMaxEndpointKeV);
    if (!probability || !endpoint) return false;
    const auto forbiddenness = ForbiddennessOf(line_->fields[3]);
    if (!forbiddenness) return Fail("unknown forbiddenness \"" + std::string(line_->fields[3]) + "\"");
    BetaBranch b;
    b.probability = *probability;
    b.endpointKeV = *endpoint;
    b.forbiddenness = *forbiddenness;
    if (line_->fields.size() == 5) {
      const auto daughter = Number(4, 1, kMaxZ + 1);
      if (!daughter) return false;
      b.daughterZ = static_cast<int>(*daughter);
    }
    nuclide_.betas.push_back(b);
    lastWasBeta_ = true;
    return true;
  }

  bool Shape() {
    if (!Arity(3, 3)) return false;
    if (!lastWasBeta_) return Fail("\"shape-factor\" must follow the beta- line it belongs to");
    const auto a = Number(1, -100, 100), b = Number(2, -100, 100), c = Number(3, -100, 100);
    if (!a || !b || !c) return false;
    nuclide_.betas.back().shape = {*a, *b, *c};
    lastWasBeta_ = false;
    return true;
  }

  bool Capture() {
    if (!Arity(2, 2)) return false;
    const auto probability = Number(1, 1e-9, 1.0);
    const auto q = Number(2, 1e-3, kMaxEndpointKeV);
    if (!probability || !q) return false;
    nuclide_.captures.push_back({*probability, *q, {}});
    captureLines_.push_back(line_->number);
    captureComplete_.push_back(0);
    lastWasBeta_ = false;
    return true;
  }

  // The atomic data lines of the last ec branch; each sets one bit of its completeness.
  bool AtomLine(std::size_t values, std::size_t most, unsigned bit,
                const std::function<bool(CaptureAtom&)>& set) {
    if (!Arity(values, most)) return false;
    if (nuclide_.captures.empty())
      return Fail("\"" + std::string(line_->fields.front()) + "\" must follow an ec line");
    unsigned& complete = captureComplete_.back();
    if ((complete & bit) != 0) return Fail("\"" + std::string(line_->fields.front()) + "\" given twice");
    if (!set(nuclide_.captures.back().atom)) return false;
    complete |= bit;
    if (complete == kAllAtomData) return CheckAtom(nuclide_.captures.back());
    return true;
  }
  bool CaptureProbabilities() {
    return AtomLine(3, 4, 1, [this](CaptureAtom& a) {
      const auto k = Number(1, 0, 1), l = Number(2, 0, 1), m = Number(3, 0, 1);
      if (!k || !l || !m) return false;
      if (std::abs(*k + *l + *m - 1.0) > kProbabilitySumTolerance) return Fail("P_K + P_L + P_M is not 1");
      a.pK = *k, a.pL = *l, a.pM = *m;
      return Uncertainty(4, *k, a.pKUncertainty);
    });
  }
  bool Fluorescence() {
    return AtomLine(1, 2, 2, [this](CaptureAtom& a) {
      const auto w = Number(1, 0, 1);
      return w && (a.fluorescenceK = *w, true) && Uncertainty(2, *w, a.fluorescenceKUncertainty);
    });
  }
  bool KXray() {
    return AtomLine(1, 1, 4, [this](CaptureAtom& a) {
      const auto e = Number(1, 1e-3, 200);
      return e && (a.kXrayKeV = *e, true);
    });
  }
  bool KAuger() {
    return AtomLine(1, 1, 8, [this](CaptureAtom& a) {
      const auto e = Number(1, 1e-3, 200);
      return e && (a.kAugerKeV = *e, true);
    });
  }
  bool Binding() {
    return AtomLine(3, 3, 16, [this](CaptureAtom& a) {
      const auto k = Number(1, 1e-3, 200), l = Number(2, 1e-4, 200), m = Number(3, 0, 200);
      if (!k || !l || !m) return false;
      if (!(*m < *l && *l < *k)) return Fail("the binding energies must fall from K to L to M");
      a.kBindingKeV = *k, a.lBindingKeV = *l, a.mBindingKeV = *m;
      return true;
    });
  }
  // The optional standard uncertainty in field `i` of a value, below the value.
  bool Uncertainty(std::size_t i, double value, double& into) {
    if (line_->fields.size() <= i) return true;
    const auto u = Number(i, 0, 1);
    if (!u) return false;
    if (*u >= value) return Fail("the uncertainty is not below its value");
    into = *u;
    return true;
  }
  // A K vacancy's X-ray or Auger electron carries less than the K binding energy.
  bool CheckAtom(const CaptureBranch& c) {
    if (c.atom.kXrayKeV >= c.atom.kBindingKeV || c.atom.kAugerKeV >= c.atom.kBindingKeV) {
      return Fail("the K X-ray and K Auger energies must lie below the K binding energy");
    }
    if (c.atom.kBindingKeV >= c.qKeV) return Fail("the K binding energy must lie below the ec branch's Q");
    return true;
  }
  static constexpr unsigned kAllAtomData = 31;

  std::string_view file_;
  const DataLine* line_ = nullptr;
  Nuclide nuclide_;
  std::vector<int> captureLines_;
  std::vector<unsigned> captureComplete_;
  bool lastWasBeta_ = false;
  std::string error_;
};

}  // namespace

Checked<std::pair<double, double>> ParseHalfLife(std::string_view text) {
  using Result = Checked<std::pair<double, double>>;
  const std::vector<DataLine> lines = DataLines(text);
  if (lines.size() != 1 || lines[0].fields.size() < 2 || lines[0].fields.size() > 3) {
    return Result::Failure("a half-life is \"VALUE [UNCERTAINTY] UNIT\", e.g. \"12.312 0.025 a\"");
  }
  const auto& f = lines[0].fields;
  const auto unit = UnitSeconds(f.back());
  const auto value = FieldNumber(f[0]);
  const auto uncertainty = f.size() == 3 ? FieldNumber(f[1]) : std::optional<double>(0.0);
  if (!unit)
    return Result::Failure("the half-life's unit is s, min, h, d or a, not \"" + std::string(f.back()) +
                           "\"");
  if (!value || !uncertainty || !(*value > 0.0) || *uncertainty < 0.0 || *uncertainty >= *value) {
    return Result::Failure("not a half-life: \"" + std::string(text) + "\"");
  }
  return Success(std::pair{*value * *unit, *uncertainty * *unit});
}

Checked<Nuclide> ReadNuclideText(std::string_view text, std::string_view fileName) {
  NuclideReader reader(fileName);
  for (const DataLine& line : DataLines(text)) {
    if (!reader.Line(line)) return Checked<Nuclide>::Failure(reader.Error());
  }
  return reader.Finish();
}

}  // namespace korva
