#include "cli/spectrum_file_argument.h"

#include <iostream>

#include "formats/exchange_file.h"

namespace korva {

bool LoadSpectrumArgument(CSpectrum& spectrum, const std::string& path) {
  std::vector<std::string> notes;
  const std::string failure = LoadAnySpectrumFile(spectrum, path, &notes);
  for (const std::string& note : notes) std::cerr << "korva-tdcr-cli: " << path << ": note: " << note << '\n';
  if (failure.empty()) return true;
  std::cerr << "korva-tdcr-cli: " << path << ": " << failure << '\n';
  return false;
}

}  // namespace korva
