#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

#include "archive/archive_recorder.h"
#include "forms/frame_context.h"
#include "forms/frame_part.h"

namespace korva {

class DockPane;
class HistoryView;

// The archive in the main window: every save of the program becomes an
// entry, and the "HISTORY" pane lists them. Failures of the archive go to
// the event log; saves never wait on them.
class HistoryFramePart : public QObject, public FramePart {
  Q_OBJECT

 public:
  // Shows a file; false when it could not be shown.
  using FileOpener = std::function<bool(const std::filesystem::path& file)>;

  // The archive the settings name. A double-clicked entry's TDCR
  // measurement (its .tdc file) goes to `openMeasurement`, every other file
  // to `open`; the desktop's programs take what has no opener.
  explicit HistoryFramePart(const FrameContext& context, FileOpener open = {},
                            FileOpener openMeasurement = {});
  ~HistoryFramePart() override;

  std::vector<FrameCommand> Commands() override;
  std::vector<FramePane> Panes() override;
  // Opens the archive and fills the pane.
  void AfterFirstPaint() override;

  DockPane& Pane() { return *pane_; }
  HistoryView* View() const;
  ArchiveRecorder& Recorder() { return *recorder_; }
  // Lists the entries the filters select again.
  void Refresh();
  // Points the archive at `url` (empty: the default file) and keeps it in
  // the settings; false, with the reason in the event log, for a URL that
  // names no archive.
  bool UseArchiveUrl(const QString& url);

 private:
  void OpenEntry(qint64 id);
  void AskArchiveUrl();
  void StartRecorder(ArchiveLocation location);
  InstrumentProvenance InstrumentNow() const;

  const FrameContext& context_;
  FileOpener open_;
  FileOpener openMeasurement_;
  std::unique_ptr<ArchiveRecorder> recorder_;
  std::unique_ptr<DockPane> pane_;
};

}  // namespace korva
