#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/provenance.h"
#include "common/files_saved.h"

namespace korva {

// One file of an entry as it was when archived.
struct ArchivedFile {
  std::string path;    // absolute
  std::string sha256;  // 64 lower-case hex digits
  std::int64_t size = 0;
};

// The fields of the measurement record the user typed.
struct RecordFields {
  std::string tag;
  std::string operatorName;
  std::string nuclides;
  std::string cocktail;
  std::string highVoltage;
};

// The named settings that define a measurement, in the order the file gives
// them; stored as one JSON object.
using NamedSettings = std::vector<std::pair<std::string, std::string>>;

// What a saved file says about itself.
struct EntryDescription {
  // The instrument, its time reference and NTP offset and server, as the
  // saved files or the program at the save say.
  InstrumentProvenance instrument;
  std::string startStamp;  // the measurement's start as the file gives it
  RecordFields record;
  NamedSettings settings;
  std::string result;  // one line: "12 runs, mean T/D 0.9512", "activity 1234 Bq ± 12 Bq (k=2)"
};

// One archived save.
struct ArchiveEntry {
  std::int64_t id = 0;  // given by the archive
  SavedKind kind = SavedKind::kTdcrMeasurement;
  std::string savedAt;  // UTC, "YYYY-MM-DDTHH:MM:SSZ"
  std::vector<ArchivedFile> files;
  EntryDescription description;
};

// The word a kind is stored and filtered under ("tdcr", "spectrum", ...).
std::string_view SavedKindName(SavedKind kind);
std::optional<SavedKind> SavedKindNamed(std::string_view name);
// Every kind, in the order the program lists them.
const std::vector<SavedKind>& AllSavedKinds();

// "Veltra RQ3102 #00017": the model and serial number the history lists.
std::string InstrumentName(const InstrumentProvenance& instrument);

// The text the free-text filter searches: tag, record fields, instrument,
// result and file names, lower case.
std::string SearchText(const ArchiveEntry& entry);

}  // namespace korva
