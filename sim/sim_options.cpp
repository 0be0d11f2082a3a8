#include "sim/sim_options.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>

#include "sim/beta_emitter.h"

namespace korva::sim {

namespace {

constexpr std::string_view kUsage =
    "Usage: veltra-sim [options]\n"
    "A virtual Veltra TDCR counter on a pseudo-terminal. The first line printed\n"
    "names its device; SIGINT or SIGTERM ends it.\n"
    "\n"
    "Instrument:\n"
    "  --serial N           serial number (default 12345)\n"
    "  --model M            RQ3101 or RQ3102 (default RQ3102)\n"
    "  --firmware X.YZ      firmware version (default 2.15)\n"
    "  --fpga X.Y           FPGA version (default 3.1)\n"
    "  --seed S             seed of counts, traces and faults (default 1)\n"
    "  --flash-size N       configuration flash of N bytes, or N followed by K or M (default 2M)\n"
    "TDCR measurement:\n"
    "  --activity BQ        activity of the vial, 0-1000000 Bq (default 5000)\n"
    "  --dark-rate CPS      dark pulses per second of each PMT, 0-100000 (default 50)\n"
    "  --ref-ppm X          10 MHz references X ppm ahead of the internal clock, -1000-1000 (default 3)\n"
    "  --time-scale F       run sequences F times faster than real time, F > 0 (default 1); a vial\n"
    "                       whose counting takes longer than that slows the instrument's clock,\n"
    "                       never its answers\n"
    "  --nuclide NAME       what the vial holds: the beta emitter H-3, C-14, Ni-63, S-35, P-33, P-32,\n"
    "                       Pm-147, Ca-45, Cl-36, Sr-89, Sr-90, Y-90, Tc-99, Pu-241 or Tl-204,\n"
    "                       Sr-90+Y-90 in equilibrium (--activity that of Sr-90), the electron-\n"
    "                       capture nuclide Fe-55, or Bi-207, whose conversion electrons (482, 554,\n"
    "                       976 and 1048 keV) give the spectrum peaks to calibrate its energy axis\n"
    "                       with (default H-3)\n"
    "  --kb K               Birks' constant of the cocktail, 0-0.05 cm/MeV (default 0.010)\n"
    "  --lambda L           photoelectrons per keV of quenched energy over the three tubes,\n"
    "                       0-100 (default 0.83: tritium gives T/D 0.50)\n"
    "  --light-factor F     share of the light reaching the tubes (grey filter, defocusing),\n"
    "                       0-1, F > 0; scales --lambda (default 1)\n"
    "  --prompt-ns T        decay time of the prompt scintillation, 0.1-100 ns (default 4)\n"
    "  --delayed-fraction F share of the light in delayed fluorescence, 0-1 (default 0.03)\n"
    "  --delayed-ns T       decay time of the delayed fluorescence, 1-10000 ns (default 250)\n"
    "  --jitter-ns S        standard deviation of a tube's transit time, 0-10 ns (default 0.7)\n"
    "Line:\n"
    "  --baud B             pace the line at B baud, 10 bits per byte; 0 = unpaced (default 921600)\n"
    "  --link PATH          symbolic link to the device, removed on exit\n"
    "Faults:\n"
    "  --drop P             drop a reply with probability P (0-1)\n"
    "  --corrupt P          damage one byte of a reply with probability P\n"
    "  --truncate P         cut a reply short with probability P\n"
    "  --delay MS           wait MS milliseconds before each reply\n"
    "  --silent             never answer\n"
    "  --fault-next N       faults hit only the next N replies\n"
    "  --fault-only KIND    faults hit only replies to registers, spectrum, trace, writes or fpga\n"
    "  --help               show this text\n"
    "  --version            show the version and the git commit it was built from\n";

template <typename T>
std::optional<T> ParseInteger(std::string_view text) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseNumber(std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (copy.empty() || end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// A version such as "2.15" as the instrument reports it: value x scale.
template <typename T>
std::optional<T> ParseScaledVersion(std::string_view text, double scale) {
  const auto value = ParseNumber(text);
  if (!value || *value < 0.0) return std::nullopt;
  const double scaled = std::round(*value * scale);
  if (scaled > static_cast<double>(std::numeric_limits<T>::max())) return std::nullopt;
  return static_cast<T>(scaled);
}

std::optional<double> ParseProbability(std::string_view text) {
  const auto value = ParseNumber(text);
  if (!value || *value < 0.0 || *value > 1.0) return std::nullopt;
  return value;
}

std::optional<double> ParseInRange(std::string_view text, double low, double high) {
  const auto value = ParseNumber(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

// A flash size in bytes, or in KiB or MiB with a K or M after the number;
// at least one 512-byte block and at most 256 MiB.
std::optional<std::size_t> ParseFlashSize(std::string_view text) {
  std::size_t unit = 1;
  if (text.ends_with('K') || text.ends_with('M')) {
    unit = text.back() == 'K' ? std::size_t{1} << 10 : std::size_t{1} << 20;
    text.remove_suffix(1);
  }
  const auto count = ParseInteger<std::size_t>(text);
  if (!count || *count == 0 || *count > (std::size_t{256} << 20) / unit) return std::nullopt;
  const std::size_t bytes = *count * unit;
  if (bytes < 512) return std::nullopt;
  return bytes;
}

template <typename T>
bool Store(std::optional<T> parsed, T& target) {
  if (parsed) target = *parsed;
  return parsed.has_value();
}

using Setter = std::function<bool(SimOptions&, std::string_view)>;

const std::map<std::string_view, Setter>& ValueOptions() {
  static const std::map<std::string_view, Setter> options = {
      {"--serial",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseInteger<std::uint16_t>(v), o.server.identity.serialNumber);
       }},
      {"--model",
       [](SimOptions& o, std::string_view v) {
         if (v != ModelName(Model::kRQ3101) && v != ModelName(Model::kRQ3102)) return false;
         o.server.identity.model = v == ModelName(Model::kRQ3102) ? Model::kRQ3102 : Model::kRQ3101;
         return true;
       }},
      {"--firmware",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseScaledVersion<std::int16_t>(v, 100.0), o.server.identity.firmwareVersionX100);
       }},
      {"--fpga",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseScaledVersion<std::uint16_t>(v, 10.0), o.server.identity.fpgaVersionX10);
       }},
      {"--seed",
       [](SimOptions& o, std::string_view v) {
         const auto seed = ParseInteger<std::uint32_t>(v);
         if (seed) o.server.faults.seed = *seed;
         return Store(seed, o.server.seed);
       }},
      {"--activity",
       [](SimOptions& o, std::string_view v) {
         const auto activity = ParseInRange(v, 0.0, 1e6);
         return Store(activity, o.server.tdcr.activityBq) && Store(activity, o.server.spectrum.activityBq);
       }},
      {"--dark-rate",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseInRange(v, 0.0, 1e5), o.server.tdcr.darkRatePerPmt);
       }},
      {"--ref-ppm",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseInRange(v, -1000.0, 1000.0), o.server.tdcr.referencePpm);
       }},
      {"--time-scale",
       [](SimOptions& o, std::string_view v) {
         const auto scale = ParseInRange(v, 0.0, 1e6);
         return scale && *scale > 0.0 && Store(scale, o.server.tdcr.timeScale);
       }},
      {"--flash-size",
       [](SimOptions& o, std::string_view v) { return Store(ParseFlashSize(v), o.server.flashBytes); }},
      {"--nuclide",
       [](SimOptions& o, std::string_view v) {
         if (FindBetaEmitter(v) == nullptr) return false;
         o.server.tdcr.nuclide = v;
         o.server.spectrum.nuclide = FindBetaEmitter(v)->nuclide;  // the analyser's vial holds the same
         return true;
       }},
      {"--kb",
       [](SimOptions& o, std::string_view v) {
         const auto kb = ParseInRange(v, 0.0, 0.05);
         return Store(kb, o.server.tdcr.kbCmPerMeV) && Store(kb, o.server.spectrum.kB);
       }},
      {"--lambda",
       [](SimOptions& o, std::string_view v) {
         const auto lambda = ParseInRange(v, 0.0, 100.0);
         return lambda && *lambda > 0.0 && Store(lambda, o.server.tdcr.photoelectronsPerKeV) &&
                Store(lambda, o.server.spectrum.photoelectronsPerKeV);
       }},
      {"--light-factor",
       [](SimOptions& o, std::string_view v) {
         const auto factor = ParseInRange(v, 0.0, 1.0);
         return factor && *factor > 0.0 && Store(factor, o.lightFactor);
       }},
      {"--prompt-ns",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseInRange(v, 0.1, 100.0), o.server.tdcr.timing.promptNs);
       }},
      {"--delayed-fraction",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseProbability(v), o.server.tdcr.timing.delayedFraction);
       }},
      {"--delayed-ns",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseInRange(v, 1.0, 1e4), o.server.tdcr.timing.delayedNs);
       }},
      {"--jitter-ns",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseInRange(v, 0.0, 10.0), o.server.tdcr.timing.jitterNs);
       }},
      {"--baud", [](SimOptions& o,
                    std::string_view v) { return Store(ParseInteger<std::uint32_t>(v), o.server.baud); }},
      {"--link",
       [](SimOptions& o, std::string_view v) {
         o.linkPath = v;
         return !v.empty();
       }},
      {"--drop",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseProbability(v), o.server.faults.dropProbability);
       }},
      {"--corrupt",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseProbability(v), o.server.faults.corruptProbability);
       }},
      {"--truncate",
       [](SimOptions& o, std::string_view v) {
         return Store(ParseProbability(v), o.server.faults.truncateProbability);
       }},
      {"--delay",
       [](SimOptions& o, std::string_view v) {
         const auto ms = ParseInteger<std::uint32_t>(v);
         if (ms) o.server.faults.delay = std::chrono::milliseconds(*ms);
         return ms.has_value();
       }},
      {"--fault-next",
       [](SimOptions& o, std::string_view v) {
         const auto count = ParseInteger<std::uint32_t>(v);
         if (count) o.server.faults.next = *count;
         return count.has_value();
       }},
      {"--fault-only",
       [](SimOptions& o, std::string_view v) {
         const auto kind = RequestKindFromName(v);
         if (kind) o.server.faults.only = *kind;
         return kind.has_value();
       }},
  };
  return options;
}

}  // namespace

ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args) {
  SimOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--version") {
      options.version = true;
      continue;
    }
    if (name == "--silent") {
      options.server.faults.silent = true;
      continue;
    }
    std::optional<std::string_view> value;
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const auto option = ValueOptions().find(name);
    if (option == ValueOptions().end()) return {std::nullopt, "unknown option " + std::string(args[i])};
    if (!value) {
      if (i + 1 == args.size()) return {std::nullopt, std::string(name) + " needs a value"};
      value = args[++i];
    }
    if (!option->second(options, *value)) {
      return {std::nullopt, "bad value '" + std::string(*value) + "' for " + std::string(name)};
    }
  }
  options.server.tdcr.photoelectronsPerKeV *= options.lightFactor;
  options.server.spectrum.photoelectronsPerKeV *= options.lightFactor;
  return {options, {}};
}

std::string_view UsageText() { return kUsage; }

}  // namespace korva::sim
