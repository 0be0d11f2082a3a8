#include "formats/exchange_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "common/unreadable_file.h"
#include "formats/kts_reader.h"
#include "formats/n42_reader.h"
#include "formats/n42_writer.h"
#include "formats/spe_reader.h"
#include "formats/spe_writer.h"

namespace korva {

namespace {

// Far above any spectrum either format holds; a bigger file is no spectrum.
constexpr std::uintmax_t kMaxExchangeFileBytes = 64u << 20;

std::optional<std::string> FileText(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "Unable to Open File" and, on a second line, the file and the system's
// reason.
std::string CannotOpenMessage(const std::filesystem::path& path) {
  return std::string(SpectrumFileMessage(SpectrumFileStatus::kCannotOpen)) + "\n" + UnreadableFile(path);
}

}  // namespace

ExchangeFormat ExchangeFormatOf(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".n42") return ExchangeFormat::kN42;
  if (extension == ".spe") return ExchangeFormat::kSpe;
  return ExchangeFormat::kNone;
}

std::string LoadAnySpectrumFile(CSpectrum& spectrum, const std::filesystem::path& path,
                                std::vector<std::string>* notes) {
  const ExchangeFormat format = ExchangeFormatOf(path);
  if (format == ExchangeFormat::kNone) {
    KtsReading reading;
    const SpectrumFileStatus status = LoadSpectrumFile(spectrum, path, &reading);
    if (status == SpectrumFileStatus::kNotASpectrum)
      return std::string(SpectrumFileMessage(status)) + ": " + reading.refusal;
    if (status == SpectrumFileStatus::kCannotOpen) return CannotOpenMessage(path);
    if (notes != nullptr) *notes = std::move(reading.notes);
    return SpectrumFileMessage(status);
  }
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kMaxExchangeFileBytes) return "The file is too large to be a spectrum";
  const std::optional<std::string> text = FileText(path);
  if (!text) return CannotOpenMessage(path);
  const ExchangeRead read = format == ExchangeFormat::kN42 ? ReadN42Text(*text) : ReadSpeText(*text);
  const std::string kind = format == ExchangeFormat::kN42 ? "N42" : "IAEA SPE";
  if (!read.spectrum) return "Not a spectrum this program reads (" + kind + "): " + read.error;
  const std::string refused = LoadExchangeSpectrum(spectrum, *read.spectrum, path.filename().string());
  if (!refused.empty()) return "Not a spectrum this program reads (" + kind + "): " + refused;
  return {};
}

SpectrumFileStatus SaveExchangeFile(const ExchangeSpectrum& spectrum, ExchangeFormat format,
                                    const std::filesystem::path& path) {
  return format == ExchangeFormat::kSpe ? SaveSpeFile(spectrum, path) : SaveN42File(spectrum, path);
}

}  // namespace korva
