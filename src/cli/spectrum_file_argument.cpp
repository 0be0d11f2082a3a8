#include "cli/spectrum_file_argument.h"

#include <iostream>

#include "spectrum/kts_reader.h"

namespace korva {

bool LoadSpectrumArgument(CSpectrum& spectrum, const std::string& path) {
  const SpectrumFileStatus status = LoadSpectrumFile(spectrum, path);
  if (status == SpectrumFileStatus::kDone) return true;
  std::cerr << "korva-tdcr-cli: " << path << ": " << SpectrumFileMessage(status) << '\n';
  return false;
}

}  // namespace korva
