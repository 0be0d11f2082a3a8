// export-spectrum: a spectrum file written as N42.42 or IAEA SPE, the same
// export File › Export Spectrum makes of the active spectrum.

#include <iostream>

#include "analysis/provenance_json.h"
#include "cli/cli_archive.h"
#include "cli/cli_command.h"
#include "cli/output_files.h"
#include "cli/spectrum_file_argument.h"
#include "formats/exchange_file.h"

namespace korva {

namespace {

ExchangeFormat FormatNamed(const std::string& name) {
  if (name == "n42") return ExchangeFormat::kN42;
  if (name == "spe") return ExchangeFormat::kSpe;
  return ExchangeFormat::kNone;
}

int ExportSpectrum(const CommandLine& line) {
  if (line.Positionals().size() != 1) return ReportUsageError("export-spectrum needs one spectrum file");
  const ExchangeFormat format = FormatNamed(line.Value("format").value_or(""));
  if (format == ExchangeFormat::kNone) return ReportUsageError("--format must be n42 or spe");
  const std::optional<std::string> out = line.Value("out");
  if (!out) return ReportUsageError("export-spectrum needs --out FILE");
  const std::string path = line.Positionals().front();
  if (SameFile(path, *out)) return ReportUsageError("--out names the input file: " + *out);
  if (const std::string refusal = ExistingFileRefusal(*out, line.Has("overwrite")); !refusal.empty()) {
    std::cerr << "korva-tdcr-cli: " << refusal << '\n';
    return kExitFailure;
  }
  CSpectrum spectrum;
  if (!LoadSpectrumArgument(spectrum, path)) return kExitFailure;
  // A .kts file keeps no NTP offset; the archive's entry of it may.
  Provenance provenance = SpectrumProvenance(spectrum, path);
  AddArchivedProvenance(provenance);
  const SpectrumFileStatus status =
      SaveExchangeFile(ExchangeSpectrumOf(spectrum, {provenance.instrument.ntpOffsetSeconds}), format, *out);
  if (status == SpectrumFileStatus::kDone) return kExitOk;
  std::cerr << "korva-tdcr-cli: " << *out << ": " << SpectrumFileMessage(status) << '\n';
  return kExitFailure;
}

}  // namespace

std::vector<CliCommand> SpectrumExchangeCommands() {
  return {{"export-spectrum",
           "export-spectrum FILE.kts --format n42|spe --out FILE [--overwrite]",
           {{"format", "out"}, {"overwrite"}, 1},
           ExportSpectrum}};
}

}  // namespace korva
