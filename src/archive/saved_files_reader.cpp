#include "archive/saved_files_reader.h"

#include <QFile>
#include <QJsonDocument>

#include "archive/archive_json.h"
#include "archive/file_hashing.h"
#include "archive/saved_file_description.h"
#include "common/format_text.h"
#include "formats/exchange_file.h"
#include "formats/kts_reader.h"
#include "formats/n42_reader.h"
#include "formats/spe_reader.h"
#include "setup/register_file.h"
#include "tdcr/measurement_tdc_reader.h"

namespace korva {

namespace {

// Larger files are no file the program writes; they are hashed but not read.
constexpr qint64 kLargestDescribedFile = qint64{64} * 1024 * 1024;

// The file that says what the save was: the .tdc of a measurement, the
// .json of an analysis, otherwise the one file.
std::filesystem::path MainFile(const SavedFiles& saved) {
  const char* extension = saved.kind == SavedKind::kTdcrMeasurement  ? ".tdc"
                          : saved.kind == SavedKind::kAnalysisExport ? ".json"
                                                                     : nullptr;
  for (const std::filesystem::path& path : saved.paths) {
    if (extension == nullptr || path.extension() == extension) return path;
  }
  return saved.paths.empty() ? std::filesystem::path() : saved.paths.front();
}

// An N42 or SPE export as its reader reads it; none for a file of another
// format or one its reader refuses.
std::optional<ExchangeSpectrum> ExchangeSpectrumIn(const std::filesystem::path& path, std::string_view text) {
  const ExchangeFormat format = ExchangeFormatOf(path);
  if (format == ExchangeFormat::kNone) return std::nullopt;
  return (format == ExchangeFormat::kN42 ? ReadN42Text(text) : ReadSpeText(text)).spectrum;
}

EntryDescription DescribeExchange(const ExchangeSpectrum& spectrum) {
  EntryDescription d;
  d.instrument.model = spectrum.model;
  d.instrument.serialNumber = spectrum.serialNumber;
  d.instrument.firmwareVersion = spectrum.firmwareVersion;
  d.instrument.timeReference = spectrum.timeReference;
  d.record.tag = spectrum.tag;
  double total = 0;
  for (const std::uint32_t count : spectrum.counts) total += count;
  d.result =
      FormatText("%.0f counts, live %.4f s, real %.4f s", total, spectrum.liveSeconds, spectrum.realSeconds);
  return d;
}

QByteArray FileBytes(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (file.size() > kLargestDescribedFile || !file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

std::string_view TextOf(const QByteArray& bytes) {
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

EntryDescription Describe(SavedKind kind, const std::filesystem::path& path) {
  const QByteArray bytes = FileBytes(path);
  if (bytes.isEmpty()) return {};
  if (kind == SavedKind::kAnalysisExport) return DescribeAnalysisJson(bytes);
  if (const std::optional<ExchangeSpectrum> spectrum = ExchangeSpectrumIn(path, TextOf(bytes)))
    return DescribeExchange(*spectrum);
  return DescribeSavedText(kind, TextOf(bytes));
}

}  // namespace

std::optional<ArchiveEntry> EntryForSavedFiles(const SavedFiles& saved, const QDateTime& savedAt,
                                               QString& error) {
  ArchiveEntry entry;
  entry.kind = saved.kind;
  entry.savedAt = SavedAtText(savedAt);
  for (const std::filesystem::path& path : saved.paths) {
    std::optional<ArchivedFile> file = HashFile(path);
    if (!file) {
      error =
          QStringLiteral("Archive: cannot read the saved file %1").arg(QString::fromStdString(path.string()));
      return std::nullopt;
    }
    entry.files.push_back(std::move(*file));
  }
  entry.description = Describe(saved.kind, MainFile(saved));
  return entry;
}

std::string NotASavedFile(SavedKind kind, const std::filesystem::path& path) {
  const QByteArray bytes = FileBytes(path);
  const std::string_view text = TextOf(bytes);
  bool valid = false;
  switch (kind) {
    case SavedKind::kTdcrMeasurement:
      valid = ReadTdcText(text).measurement.has_value();
      break;
    case SavedKind::kSpectrum: {
      CSpectrum spectrum;
      valid = ReadSpectrumText(spectrum, text, path.filename().string()).refusal.empty();
      break;
    }
    case SavedKind::kSpectrumExport:
      valid = ExchangeFormatOf(path) == ExchangeFormat::kNone || ExchangeSpectrumIn(path, text).has_value();
      break;
    case SavedKind::kRegisterFile: {
      RegisterTable table{};
      valid = ApplyRegisterFileText(text, table) > 0;
      break;
    }
    case SavedKind::kAnalysisExport:
      valid = QJsonDocument::fromJson(bytes).isObject();
      break;
    case SavedKind::kTraceExport:
      valid = !bytes.isEmpty();
      break;
    case SavedKind::kMeasurementReport:
      valid = bytes.startsWith("%PDF-");
      break;
  }
  return valid ? std::string() : "not a " + std::string(SavedKindName(kind)) + " file this program reads";
}

std::string SavedAtText(const QDateTime& moment) {
  return moment.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toStdString();
}

}  // namespace korva
