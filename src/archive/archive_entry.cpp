#include "archive/archive_entry.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korva {

namespace {

constexpr std::array<std::pair<SavedKind, std::string_view>, 7> kKindNames = {{
    {SavedKind::kTdcrMeasurement, "tdcr"},
    {SavedKind::kSpectrum, "spectrum"},
    {SavedKind::kSpectrumExport, "spectrum-export"},
    {SavedKind::kRegisterFile, "registers"},
    {SavedKind::kTraceExport, "traces"},
    {SavedKind::kAnalysisExport, "analysis"},
    {SavedKind::kMeasurementReport, "report"},
}};

}  // namespace

std::string_view SavedKindName(SavedKind kind) {
  for (const auto& [known, name] : kKindNames) {
    if (known == kind) return name;
  }
  return "tdcr";
}

std::optional<SavedKind> SavedKindNamed(std::string_view name) {
  for (const auto& [kind, known] : kKindNames) {
    if (known == name) return kind;
  }
  return std::nullopt;
}

const std::vector<SavedKind>& AllSavedKinds() {
  static const std::vector<SavedKind> kinds = [] {
    std::vector<SavedKind> all;
    all.reserve(kKindNames.size());
    for (const auto& pair : kKindNames) all.push_back(pair.first);
    return all;
  }();
  return kinds;
}

std::string InstrumentName(const InstrumentProvenance& instrument) {
  return instrument.serialNumber.empty() ? instrument.model
                                         : instrument.model + " #" + instrument.serialNumber;
}

std::string SearchText(const ArchiveEntry& entry) {
  const EntryDescription& d = entry.description;
  std::string text;
  for (const std::string* part :
       {&d.record.tag, &d.record.operatorName, &d.record.nuclides, &d.record.cocktail, &d.record.highVoltage,
        &d.instrument.model, &d.instrument.serialNumber, &d.result}) {
    text += *part;
    text += '\n';
  }
  for (const ArchivedFile& file : entry.files) text += file.path + '\n';
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace korva
