#include <QJsonDocument>
#include <charconv>
#include <cstdio>
#include <limits>

#include "cli/cli_command.h"
#include "cli/shaper_script.h"
#include "setup/shaper_registers.h"

namespace korva {

namespace {

const char* const kShaperUsage =
    "shaper --port DEVICE [--baud N] [--slow-rise N] [--slow-flat-top N] [--fast-rise N]\n"
    "              [--fast-flat-top N] [--long-tc N] [--short-tc N] [--slow-threshold N]\n"
    "              [--fast-threshold N] [--slow-margin M] [--fast-margin M] [--blr-slow N]\n"
    "              [--blr-fast N] [--blr-slow-sym on|off] [--blr-acc on|off] [--blr-fast-sym on|off]\n"
    "              [--pile-up on|off] [--enhanced on|off] [--normalization auto|fine|FACTOR]\n"
    "              [--bdc D] [--lld N] [--lld-margin M] [--internal-blr on|off] [--tdcr-triggered on|off]";

struct NamedField {
  const char* name;
  ShaperField field;
};
// The unfolding options reach the set of the instrument's input class.
constexpr NamedField kFieldOptions[] = {
    {"slow-rise", ShaperField::kSlowRise},
    {"slow-flat-top", ShaperField::kSlowFlatTop},
    {"fast-rise", ShaperField::kFastRise},
    {"fast-flat-top", ShaperField::kFastFlatTop},
    {"long-tc", ShaperField::kLongTcAbc},
    {"short-tc", ShaperField::kShortTcAbc},
    {"slow-threshold", ShaperField::kSlowThreshold},
    {"fast-threshold", ShaperField::kFastThreshold},
    {"blr-slow", ShaperField::kBlrSlow},
    {"blr-fast", ShaperField::kBlrFast},
};

struct NamedCheck {
  const char* name;
  ShaperCheck check;
};
constexpr NamedCheck kCheckOptions[] = {
    {"pile-up", ShaperCheck::kPileUpOn},     {"enhanced", ShaperCheck::kEnhanced},
    {"blr-slow-sym", ShaperCheck::kSlowSym}, {"blr-acc", ShaperCheck::kAcc},
    {"blr-fast-sym", ShaperCheck::kFastSym},
};

CommandLine::Grammar ShaperGrammar() {
  CommandLine::Grammar grammar{{"port", "baud", "slow-margin", "fast-margin", "normalization", "bdc", "lld",
                                "lld-margin", "internal-blr", "tdcr-triggered"},
                               {}};
  for (const NamedField& option : kFieldOptions) grammar.valued.insert(option.name);
  for (const NamedCheck& option : kCheckOptions) grammar.valued.insert(option.name);
  return grammar;
}

// A whole number, signed; one beyond the range of long long stays at its
// edge, to be clamped by the form like any other out-of-range value.
std::optional<long long> ParseWhole(const std::string& text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || stop != end) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    return text.front() == '-' ? std::numeric_limits<long long>::min()
                               : std::numeric_limits<long long>::max();
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

std::optional<bool> ParseSwitch(const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  return std::nullopt;
}

// The position of the list entry whose value `text` names ("1.5" and "1.50"
// both name the margin "1.5").
std::optional<int> ListPosition(const std::string& text, int entries, std::string (*entryText)(int)) {
  const std::optional<double> value = ParseNumber(text);
  if (!value) return std::nullopt;
  for (int position = 0; position < entries; ++position) {
    if (ParseNumber(entryText(position)) == *value) return position;
  }
  return std::nullopt;
}

std::string ListChoices(int entries, std::string (*entryText)(int)) {
  return entryText(0) + ", " + entryText(1) + ", " + entryText(2) + " ... " + entryText(entries - 1);
}

bool ReadWhole(const CommandLine& line, const std::string& name, std::optional<WholeOption>& out,
               std::string& error) {
  const std::optional<std::string> text = line.Value(name);
  if (!text) return true;
  const std::optional<long long> value = ParseWhole(*text);
  if (!value) {
    error = "--" + name + " must be a whole number, not: " + *text;
    return false;
  }
  out = WholeOption{name, *text, *value};
  return true;
}

bool ReadFields(const CommandLine& line, ShaperOptions& options, std::string& error) {
  for (const NamedField& option : kFieldOptions) {
    std::optional<WholeOption> number;
    if (!ReadWhole(line, option.name, number, error)) return false;
    if (number) options.fields.push_back({option.field, *number});
  }
  return true;
}

bool ReadSwitch(const CommandLine& line, const std::string& name, std::optional<bool>& out,
                std::string& error) {
  const std::optional<std::string> text = line.Value(name);
  if (!text) return true;
  out = ParseSwitch(*text);
  if (!out) error = "--" + name + " must be on or off, not: " + *text;
  return out.has_value();
}

bool ReadChecks(const CommandLine& line, ShaperOptions& options, std::string& error) {
  for (const NamedCheck& option : kCheckOptions) {
    std::optional<bool> ticked;
    if (!ReadSwitch(line, option.name, ticked, error)) return false;
    if (ticked) options.checks.push_back({option.check, *ticked});
  }
  return true;
}

bool ReadList(const CommandLine& line, const std::string& name, int entries, std::string (*entryText)(int),
              std::optional<int>& out, std::string& error) {
  const std::optional<std::string> text = line.Value(name);
  if (!text) return true;
  out = ListPosition(*text, entries, entryText);
  if (!out) error = "--" + name + " must be one of " + ListChoices(entries, entryText) + ", not: " + *text;
  return out.has_value();
}

bool ReadLists(const CommandLine& line, ShaperOptions& options, std::string& error) {
  struct NamedList {
    const char* name;
    ShaperList list;
    int entries;
    std::string (*entryText)(int);
  };
  for (const NamedList& option :
       {NamedList{"slow-margin", ShaperList::kSlowMargin, kMarginEntries, MarginText},
        NamedList{"fast-margin", ShaperList::kFastMargin, kMarginEntries, MarginText},
        NamedList{"bdc", ShaperList::kBdc, kBdcEntries, BdcText}}) {
    std::optional<int> position;
    if (!ReadList(line, option.name, option.entries, option.entryText, position, error)) return false;
    if (position) options.lists.emplace_back(option.list, *position);
  }
  return ReadList(line, "lld-margin", kMarginEntries, MarginText, options.lldMargin, error);
}

bool ReadNormalisation(const CommandLine& line, ShaperOptions& options, std::string& error) {
  const std::optional<std::string> text = line.Value("normalization");
  if (!text) return true;
  using Mode = NormalisationOption::Mode;
  if (*text == "auto" || *text == "fine") {
    options.normalisation = NormalisationOption{*text == "auto" ? Mode::kAuto : Mode::kFine, {}};
  } else if (const std::optional<long long> factor = ParseWhole(*text)) {
    options.normalisation = NormalisationOption{Mode::kFactor, {"normalization", *text, *factor}};
  } else {
    error = "--normalization must be auto, fine or a whole factor, not: " + *text;
    return false;
  }
  return true;
}

bool ReadPha(const CommandLine& line, ShaperOptions& options, std::string& error) {
  return ReadWhole(line, "lld", options.lld, error) &&
         ReadSwitch(line, "internal-blr", options.internalBlr, error) &&
         ReadSwitch(line, "tdcr-triggered", options.tdcrTriggered, error);
}

std::optional<ShaperOptions> ReadShaperOptions(const CommandLine& line, std::string& error) {
  ShaperOptions options;
  const std::optional<std::string> port = line.Value("port");
  if (!port) {
    error = "shaper needs --port DEVICE";
    return std::nullopt;
  }
  options.port = *port;
  if (!ReadFields(line, options, error) || !ReadChecks(line, options, error) ||
      !ReadLists(line, options, error) || !ReadNormalisation(line, options, error) ||
      !ReadPha(line, options, error)) {
    return std::nullopt;
  }
  return options;
}

int Finish(ShaperScript& script, int exitCode) {
  script.Disconnect();
  return exitCode;
}

// Decodes the instrument's shaper and PHA settings, applies the options
// through the forms' own handlers, and prints the state read back as JSON.
int Shaper(const CommandLine& line) {
  std::string error;
  std::optional<ShaperOptions> options = ReadShaperOptions(line, error);
  if (!options) return ReportUsageError(error);
  if (!ReadBaudOption(line, options->baud)) return kExitUsage;
  ShaperScript script(*options);
  if (!script.ConnectAndDecode() || !script.Apply()) return Finish(script, kExitFailure);
  const QByteArray json = QJsonDocument(script.State()).toJson(QJsonDocument::Indented);
  std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
  std::fflush(stdout);
  return Finish(script, kExitOk);
}

}  // namespace

std::vector<CliCommand> ShaperCommands() { return {{"shaper", kShaperUsage, ShaperGrammar(), Shaper}}; }

}  // namespace korva
