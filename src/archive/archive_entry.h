#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/files_saved.h"

namespace korva {

// One file of an entry as it was when archived.
struct ArchivedFile {
  std::string path;    // absolute
  std::string sha256;  // 64 lower-case hex digits
  std::int64_t size = 0;
};

// The instrument a save came from and the clock its start stamp follows.
// Empty texts are not known.
struct InstrumentTime {
  std::string model;  // "Veltra RQ3102"
  std::string serialNumber;
  std::string firmware;
  std::string fpga;
  std::string startStamp;                  // the measurement's start as the file gives it
  std::string timeReference;               // "UTC", "SYSTEM" or "LOCAL"
  std::optional<double> ntpOffsetSeconds;  // UTC only: computer clock minus NTP time
  std::string ntpServer;
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
  InstrumentTime instrument;
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

// Fills what `description` leaves empty from `fallback` (the connected
// instrument and the chosen time reference, for files that do not name them).
void FillInstrumentGaps(InstrumentTime& description, const InstrumentTime& fallback);

// The text the free-text filter searches: tag, record fields, instrument,
// result and file names, lower case.
std::string SearchText(const ArchiveEntry& entry);

}  // namespace korva
