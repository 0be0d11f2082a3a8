#include <QJsonArray>
#include <QJsonDocument>
#include <iostream>

#include "archive/archive_json.h"
#include "archive/archive_maintenance.h"
#include "archive/archive_store.h"
#include "cli/cli_archive.h"
#include "cli/cli_command.h"

namespace korva {

namespace {

constexpr const char* kHistoryUsage =
    "[--archive URL] history list [--since YYYY-MM-DD] [--until YYYY-MM-DD] [--kind K] [--instrument I]"
    " [--text T] [--json]\n"
    "       korva-tdcr-cli [--archive URL] history show ID [--json]\n"
    "       korva-tdcr-cli [--archive URL] history import FOLDER\n"
    "       korva-tdcr-cli [--archive URL] history verify";

std::unique_ptr<ArchiveStore> OpenArchive() {
  QString error;
  std::unique_ptr<ArchiveStore> store = ArchiveStore::Open(ToolArchiveLocation(), error);
  if (!store) std::cerr << "korva-tdcr-cli: " << error.toStdString() << '\n';
  return store;
}

int Failed(const QString& error) {
  std::cerr << "korva-tdcr-cli: " << error.toStdString() << '\n';
  return kExitFailure;
}

void PrintJson(const QJsonDocument& document) {
  std::cout << document.toJson(QJsonDocument::Indented).toStdString();
}

std::optional<ArchiveFilter> ReadFilter(const CommandLine& line) {
  ArchiveFilter filter;
  for (const auto& [name, day] : {std::pair{"since", &filter.since}, std::pair{"until", &filter.until}}) {
    *day = line.Value(name).value_or("");
    if (!day->empty() && !IsDayText(*day)) {
      ReportUsageError(std::string("--") + name + " needs a day YYYY-MM-DD: " + *day);
      return std::nullopt;
    }
  }
  if (const std::optional<std::string> kind = line.Value("kind")) {
    filter.kind = SavedKindNamed(*kind);
    if (!filter.kind) {
      std::string known;
      for (const SavedKind each : AllSavedKinds()) known += " " + std::string(SavedKindName(each));
      ReportUsageError("--kind is one of" + known + ": " + *kind);
      return std::nullopt;
    }
  }
  filter.instrument = line.Value("instrument").value_or("");
  filter.text = line.Value("text").value_or("");
  return filter;
}

int ListEntries(const CommandLine& line) {
  const std::optional<ArchiveFilter> filter = ReadFilter(line);
  if (!filter) return kExitUsage;
  const std::unique_ptr<ArchiveStore> store = OpenArchive();
  if (!store) return kExitFailure;
  QString error;
  const std::optional<std::vector<ArchiveEntry>> entries = store->List(*filter, -1, error);
  if (!entries) return Failed(error);
  if (line.Has("json")) {
    QJsonArray array;
    for (const ArchiveEntry& entry : *entries) array.append(EntryJson(entry));
    PrintJson(QJsonDocument(array));
    return kExitOk;
  }
  for (const ArchiveEntry& e : *entries) {
    const RecordFields& r = e.description.record;
    std::cout << e.id << '\t' << e.savedAt << '\t' << SavedKindName(e.kind) << '\t' << r.tag << '\t'
              << r.nuclides << '\t' << r.operatorName << '\t' << InstrumentName(e.description.instrument)
              << '\t' << e.description.result << '\n';
  }
  return kExitOk;
}

int ShowEntry(const CommandLine& line) {
  if (line.Positionals().size() != 2) return ReportUsageError("history show needs an entry ID");
  const std::optional<unsigned long> id = ParseUnsigned(line.Positionals()[1]);
  if (!id) return ReportUsageError("not an entry ID: " + line.Positionals()[1]);
  const std::unique_ptr<ArchiveStore> store = OpenArchive();
  if (!store) return kExitFailure;
  QString error;
  const std::optional<ArchiveEntry> entry = store->Find(static_cast<std::int64_t>(*id), error);
  if (!entry) return Failed(error.isEmpty() ? QStringLiteral("no entry %1 in the archive").arg(*id) : error);
  if (line.Has("json")) {
    PrintJson(QJsonDocument(EntryJson(*entry)));
    return kExitOk;
  }
  const QJsonObject json = EntryJson(*entry);
  for (const QString& section :
       {QStringLiteral("instrument"), QStringLiteral("record"), QStringLiteral("settings")}) {
    const QJsonObject fields = json.value(section).toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it)
      std::cout << it.key().toStdString() << ": " << it->toVariant().toString().toStdString() << '\n';
  }
  std::cout << "id: " << entry->id << "\nkind: " << SavedKindName(entry->kind)
            << "\nsavedAt: " << entry->savedAt << "\nresult: " << entry->description.result << '\n';
  for (const ArchivedFile& file : entry->files)
    std::cout << "file: " << file.path << "  " << file.size << " bytes  sha256 " << file.sha256 << '\n';
  return kExitOk;
}

int ImportEntries(const CommandLine& line) {
  if (line.Positionals().size() != 2) return ReportUsageError("history import needs a FOLDER");
  const std::unique_ptr<ArchiveStore> store = OpenArchive();
  if (!store) return kExitFailure;
  QString error;
  const std::optional<ImportCounts> counts = ImportFolder(*store, line.Positionals()[1], error);
  if (!counts) return Failed(error);
  for (const auto& [path, why] : counts->refused)
    std::cerr << "korva-tdcr-cli: " << path.string() << ": not imported: " << why << '\n';
  std::cout << "Imported " << counts->added << " entries; " << counts->alreadyArchived << " already archived";
  if (!counts->refused.empty()) std::cout << "; " << counts->refused.size() << " refused";
  std::cout << '\n';
  return kExitOk;
}

int VerifyEntries(const CommandLine&) {
  const std::unique_ptr<ArchiveStore> store = OpenArchive();
  if (!store) return kExitFailure;
  QString error;
  const std::optional<std::vector<FileProblem>> problems = VerifyArchive(*store, error);
  if (!problems) return Failed(error);
  for (const FileProblem& problem : *problems) {
    std::cout << (problem.state == FileState::kMissing ? "missing" : "changed") << '\t' << problem.entryId
              << '\t' << problem.path << '\n';
  }
  if (problems->empty()) std::cout << "All archived files are unchanged\n";
  return problems->empty() ? kExitOk : kExitFailure;
}

int RunHistory(const CommandLine& line) {
  const std::string action = line.Positionals().empty() ? "" : line.Positionals().front();
  if (action == "list" && line.Positionals().size() == 1) return ListEntries(line);
  if (action == "show") return ShowEntry(line);
  if (action == "import") return ImportEntries(line);
  if (action == "verify" && line.Positionals().size() == 1) return VerifyEntries(line);
  return ReportUsageError("history needs list, show ID, import FOLDER or verify");
}

}  // namespace

std::vector<CliCommand> HistoryCommands() {
  return {{"history",
           kHistoryUsage,
           {{"since", "until", "kind", "instrument", "text"}, {"json"}, 2},
           RunHistory}};
}

}  // namespace korva
