#include "archive/history_frame_part.h"

#include <QDesktopServices>
#include <QInputDialog>
#include <QMainWindow>
#include <QUrl>

#include "archive/history_pane.h"
#include "common/command_ids.h"
#include "common/event_log.h"
#include "common/prompt.h"
#include "common/settings_store.h"
#include "devicelink/instrument_session.h"
#include "forms/dock_pane.h"
#include "timesync/time_reference.h"

namespace korva {

namespace {

// The pane lists this many entries; the filters reach older ones.
constexpr int kListedEntries = 200;

bool OpenWithDesktop(const std::filesystem::path& file) {
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())))) return true;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.parent_path().string())));
}

ArchiveLocation SettingsLocation(const FrameContext& context) {
  QString error;
  ArchiveLocation location = ArchiveLocationFromSettings(context.settings, error);
  if (!error.isEmpty()) context.instrument.Log().AddLine(error.toStdString());
  return location;
}

}  // namespace

HistoryFramePart::HistoryFramePart(const FrameContext& context, FileOpener open, FileOpener openMeasurement)
    : context_(context),
      open_(open ? std::move(open) : FileOpener(OpenWithDesktop)),
      openMeasurement_(openMeasurement ? std::move(openMeasurement) : open_),
      pane_(std::make_unique<DockPane>(
          QStringLiteral("HISTORY"), QStringLiteral("HistoryPane"),
          [](QWidget* parent) { return new HistoryView(parent); },
          QStringLiteral("Failed in creating History View"), &context.window,
          DockPane::ViewCreation::kWhenNeeded)) {
  StartRecorder(SettingsLocation(context));
  connect(pane_.get(), &DockPane::ViewCreated, this, [this](QWidget* created) {
    auto* view = static_cast<HistoryView*>(created);
    connect(view, &HistoryView::FilterChanged, this, &HistoryFramePart::Refresh);
    connect(view, &HistoryView::EntryOpened, this, &HistoryFramePart::OpenEntry);
    view->ShowProblem(QStringLiteral("Reading the archive %1 ...").arg(recorder_->Location().Describe()));
  });
}

HistoryFramePart::~HistoryFramePart() = default;

void HistoryFramePart::StartRecorder(ArchiveLocation location) {
  recorder_.reset();
  recorder_ = std::make_unique<ArchiveRecorder>(
      std::move(location),
      [&log = context_.instrument.Log()](const QString& message) { log.AddLine(message.toStdString()); },
      [this] { return InstrumentNow(); });
  recorder_->SetEntryAdded([this](const ArchiveEntry&) { Refresh(); });
}

std::vector<FrameCommand> HistoryFramePart::Commands() {
  return {{command::kArchiveLocation, kUtilityMenu, QStringLiteral("Archive Location..."),
           [this] { AskArchiveUrl(); }}};
}

void HistoryFramePart::AskArchiveUrl() {
  bool accepted = false;
  const QString url = QInputDialog::getText(
      &context_.window, QStringLiteral("Archive Location"),
      QStringLiteral(
          "PostgreSQL URL (postgresql://user@host/database) or SQLite file; empty for the default:"),
      QLineEdit::Normal,
      QString::fromStdString(
          context_.settings.ReadString(kArchiveSettingsPath, kArchiveUrlName).value_or("")),
      &accepted);
  if (accepted) UseArchiveUrl(url.trimmed());
}

bool HistoryFramePart::UseArchiveUrl(const QString& url) {
  QString error;
  const std::optional<ArchiveLocation> location =
      url.isEmpty() ? std::optional(DefaultArchiveLocation()) : ParseArchiveUrl(url, error);
  if (!location) {
    context_.instrument.Log().AddLine(error.toStdString());
    return false;
  }
  context_.settings.WriteString(kArchiveSettingsPath, kArchiveUrlName, url.toStdString());
  StartRecorder(*location);
  Refresh();
  return true;
}

HistoryView* HistoryFramePart::View() const { return qobject_cast<HistoryView*>(pane_->View()); }

std::vector<FramePane> HistoryFramePart::Panes() {
  return {{pane_.get(), Qt::BottomDockWidgetArea, nullptr}};
}

void HistoryFramePart::AfterFirstPaint() { Refresh(); }

void HistoryFramePart::Refresh() {
  HistoryView* view = View();
  if (view == nullptr) return;
  ArchiveStore* store = recorder_->Store();
  QString error;
  const std::optional<std::vector<ArchiveEntry>> entries =
      store == nullptr ? std::nullopt : store->List(view->Filter(), kListedEntries, error);
  if (!entries) {
    view->ShowProblem(store == nullptr ? QStringLiteral("The archive %1 cannot be used; see the event log.")
                                             .arg(recorder_->Location().Describe())
                                       : error);
    return;
  }
  view->ShowProblem({});
  std::vector<HistoryRow> rows;
  for (const ArchiveEntry& entry : *entries) {
    FileState worst = FileState::kUnchanged;
    for (const ArchivedFile& file : entry.files) {
      const FileState state = CheckArchivedFile(file);
      if (state != FileState::kUnchanged) worst = state;
    }
    rows.push_back({entry, worst});
  }
  view->ShowRows(rows);
}

void HistoryFramePart::OpenEntry(qint64 id) {
  ArchiveStore* store = recorder_->Store();
  QString error;
  const std::optional<ArchiveEntry> entry = store == nullptr ? std::nullopt : store->Find(id, error);
  if (!entry || entry->files.empty()) return;
  for (const ArchivedFile& saved : entry->files) {
    const std::filesystem::path file = saved.path;
    if (file.extension() == ".tdc") {
      openMeasurement_(file);  // says itself why a file could not be shown
      return;
    }
  }
  const std::filesystem::path file = entry->files.front().path;
  if (open_(file)) return;
  context_.instrument.Log().AddLine("Cannot open " + file.string());
  context_.prompt.ShowError("Cannot open " + file.string() + "\nNo program of the desktop opens it.");
}

InstrumentProvenance HistoryFramePart::InstrumentNow() const {
  CommandEngine& engine = context_.instrument.Engine();
  InstrumentProvenance now = engine.DeviceAnswered() ? InstrumentOf(engine.Image()) : InstrumentProvenance{};
  SetTimeReference(now, context_.timeReference);
  return now;
}

}  // namespace korva
