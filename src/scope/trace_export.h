#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "scope/trace_record.h"
#include "scope/trace_settings.h"

namespace korva {

namespace trace_export_text {
inline constexpr const char* kDialogTitle = "Export Traces...";
inline constexpr const char* kFilter = "CSV File (*.csv)|*.csv|Text File (*.txt)|*.txt|All Files (*.*)|*.*||";
inline constexpr const char* kDefaultExtension = "csv";
inline constexpr const char* kOverwriteQuestion = "FILE ALREADY EXISTS. DO YOU WANT TO OVERWRITE THE FILE?";
inline constexpr const char* kSaveFailed = "Error opening the file\nand saving the traces!";
inline constexpr const char* kRawCommand = "RAW Traces";
inline constexpr const char* kNormalizedCommand = "Normalized Traces";
}  // namespace trace_export_text

// The sample period in microseconds.
inline constexpr double kTraceSamplePeriodUs = 0.008;

enum class TraceExportKind { kRaw, kNormalized };

// The viewer's state an export records.
struct TraceExportSource {
  Trace trace{};  // after averaging
  int input = kTraceSlow;
  int triggerSource = 0;
  TraceMode mode = TraceMode::kNrm;
  bool coincidenceDisplay = false;
  int timeBaseCode = 8;
  int delay = 0;  // trigger delay in samples, as composed
  int slowShift = 0;
  int fastShift = 0;
  std::uint16_t slowRise = 0;  // register 2; 0 counts as 1
  std::uint16_t fastRise = 0;  // register 4; 0 counts as 1
};

// Microseconds per recorded sample for time-base `code`.
double TraceSampleTimeUs(int code);

// The exported value of analog sample `x`: the sample itself in a raw
// export; normalised, scaled for the input and truncated toward zero.
long long TraceExportValue(int x, const TraceExportSource& source, TraceExportKind kind);

// The whole file: five header lines, an empty line, the column header and
// one line per sample, each ended by a line feed.
std::string TraceExportText(const TraceExportSource& source, TraceExportKind kind);

// The name an export uses: ".csv" appended when the chosen name has no
// extension; any extension is kept.
std::filesystem::path TraceExportNameFor(const std::filesystem::path& chosen);

enum class TraceExportStatus {
  kDone,
  kCreateFailed,  // the new file cannot be created; nothing written
  kWriteFailed,   // writing or replacing failed; an earlier file is untouched
};

// The message a failed status shows; empty for kDone. Both failures say
// that the traces were not saved.
std::string_view TraceExportMessage(TraceExportStatus status);

// Writes the export text to `target` through a temporary file that replaces
// the target only once everything is written and flushed.
TraceExportStatus SaveTraceExport(const std::filesystem::path& target, const TraceExportSource& source,
                                  TraceExportKind kind);

}  // namespace korva
