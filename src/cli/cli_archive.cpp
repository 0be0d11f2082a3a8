#include "cli/cli_archive.h"

#include <QFileInfo>
#include <iostream>
#include <utility>

#include "archive/archive_recorder.h"
#include "archive/file_hashing.h"
#include "cli/cli_command.h"

namespace korva {

namespace {

std::optional<ArchiveLocation>& ChosenLocation() {
  static std::optional<ArchiveLocation> location;
  return location;
}

std::function<InstrumentProvenance()>& InstrumentSource() {
  static std::function<InstrumentProvenance()> source;
  return source;
}

bool& ArchiveFailedFlag() {
  static bool failed = false;
  return failed;
}

}  // namespace

bool TakeArchiveOption(std::vector<std::string>& arguments) {
  if (arguments.empty() || (arguments.front() != "--archive" && arguments.front() != "--new-archive"))
    return true;
  const std::string option = arguments.front();
  if (arguments.size() < 2) {
    ReportUsageError(option + " needs a URL");
    return false;
  }
  QString error;
  ChosenLocation() = ParseArchiveUrl(QString::fromStdString(arguments[1]), error);
  if (!ChosenLocation()) {
    ReportUsageError(error.toStdString());
    return false;
  }
  // A mistyped path must not start an empty archive beside the real one.
  if (option == "--archive" && ChosenLocation()->dialect == SqlDialect::kSqlite &&
      !QFileInfo::exists(ChosenLocation()->sqlitePath)) {
    ReportUsageError("no archive at " + arguments[1] + " (--new-archive " + arguments[1] + " starts one)");
    return false;
  }
  arguments.erase(arguments.begin(), arguments.begin() + 2);
  return true;
}

bool ToolArchiveFailed() { return ArchiveFailedFlag(); }

const ArchiveLocation& ToolArchiveLocation() {
  if (!ChosenLocation()) ChosenLocation() = DefaultArchiveLocation();
  return *ChosenLocation();
}

std::unique_ptr<ArchiveRecorder> StartToolArchive() {
  return std::make_unique<ArchiveRecorder>(
      ToolArchiveLocation(),
      [](const QString& message) {
        std::cerr << "korva-tdcr-cli: " << message.toStdString() << '\n';
        ArchiveFailedFlag() = true;
      },
      [] { return InstrumentSource() ? InstrumentSource()() : InstrumentProvenance{}; });
}

void AddArchivedProvenance(Provenance& provenance) {
  if (provenance.inputs.empty() || provenance.inputs.front().sha256.empty()) return;
  const ArchiveLocation& location = ToolArchiveLocation();
  if (location.dialect == SqlDialect::kSqlite && !QFileInfo::exists(location.sqlitePath)) return;
  const ProvenanceInput& input = provenance.inputs.front();
  QString error;
  std::optional<ArchiveEntry> entry;
  if (const std::unique_ptr<ArchiveStore> store = ArchiveStore::Open(location, error)) {
    const std::optional<std::int64_t> id =
        store->NewestEntryWithFile(ArchivedPath(input.path), input.sha256, error);
    if (id.value_or(0) != 0) entry = store->Find(*id, error);
  }
  if (!error.isEmpty()) {
    std::cerr << "korva-tdcr-cli: " << error.toStdString() << '\n';
    return;
  }
  if (entry) FillInstrumentGaps(provenance.instrument, entry->description.instrument);
}

ToolArchiveInstrument::ToolArchiveInstrument(std::function<InstrumentProvenance()> now)
    : previous_(std::exchange(InstrumentSource(), std::move(now))) {}

ToolArchiveInstrument::~ToolArchiveInstrument() { InstrumentSource() = std::move(previous_); }

}  // namespace korva
