#include "scope/scope_frame_part.h"

#include <QMainWindow>

#include "acquisition/acquisition_gating.h"
#include "common/command_ids.h"
#include "devicelink/instrument_session.h"
#include "devicelink/link_session.h"
#include "devicelink/register_map.h"
#include "forms/clipboard_picture.h"
#include "scope/oscope_view.h"
#include "scope/qt_trace_export_dialogs.h"
#include "scope/trace_export_flow.h"
#include "spectrum/spectrum_documents.h"

namespace korva {

namespace {

// "DISABLED" and "MCA" come before the TDCR-EXT modes in the source list.
constexpr int kFirstTdcrExtSource = 2;

TraceExportDialogs& DialogsOrOwn(TraceExportDialogs* given, std::unique_ptr<TraceExportDialogs>& own,
                                 QWidget* parent) {
  if (given != nullptr) return *given;
  own = std::make_unique<QtTraceExportDialogs>(parent);
  return *own;
}

}  // namespace

ScopeFramePart::ScopeFramePart(const FrameContext& context, std::function<int()> bufferCursor,
                               TraceExportDialogs* dialogs)
    : context_(context),
      bufferCursor_(std::move(bufferCursor)),
      dialogs_(DialogsOrOwn(dialogs, ownDialogs_, &context.window)) {
  const OscopeViewLinks links{context.instrument.Engine(), [this] { return RoiAtCursor(); },
                              [this] { return TdcrExtStorage(); }};
  pane_ = std::make_unique<CDocableOscopePane>(links, &context.window);
  context_.instrument.Engine().AddObserver(this);
  // A run does not outlive its link: after a reconnect RUN starts afresh.
  connect(&context_.instrument.Link(), &LinkSession::Disconnected, this, [this] {
    if (COscopeView* view = View()) view->Cycle().Stop();
  });
  SetupLinks& setup = context_.spectra.setupLinks;
  setup.traceCompose = [this](RegisterImage& registers) {
    if (COscopeView* view = View()) view->Cycle().Compose(registers);
  };
  setup.traceViewRefresh = [this] {
    if (COscopeView* view = View()) view->RefreshTimeBase();
  };
  setup.traceLegendRefresh = [this] {
    if (COscopeView* view = View()) view->RefreshLegend();
  };
}

ScopeFramePart::~ScopeFramePart() {
  context_.instrument.Engine().RemoveObserver(this);
  context_.spectra.setupLinks.traceCompose = {};
  context_.spectra.setupLinks.traceViewRefresh = {};
  context_.spectra.setupLinks.traceLegendRefresh = {};
}

COscopeView* ScopeFramePart::View() const { return pane_->OscopeView(); }

void ScopeFramePart::OnRegistersRead(bool) {
  if (COscopeView* view = View()) view->RefreshLegend();
}

void ScopeFramePart::OnSuspend() {
  if (COscopeView* view = View()) view->Cycle().Stop();
}

std::vector<FrameCommand> ScopeFramePart::Commands() {
  const QStringList exportMenu{QStringLiteral("Export Trace Viewer...")};
  const QStringList copyMenu{QStringLiteral("Copy Trace View")};
  std::vector<FrameCommand> commands{
      {command::kExportTracesRaw, kFileMenu, QString::fromLatin1(trace_export_text::kRawCommand),
       [this] { Export(false); }},
      {command::kExportTracesNormalized, kFileMenu,
       QString::fromLatin1(trace_export_text::kNormalizedCommand), [this] { Export(true); }},
      {command::kCopyTraceViewer, kEditMenu, QStringLiteral("Viewer"),
       [this] {
         if (COscopeView* view = View()) CopyPictureToClipboard(*view);
       }},
      {command::kCopyTraceTraces, kEditMenu, QStringLiteral("Traces"),
       [this] {
         if (COscopeView* view = View()) CopyPictureToClipboard(view->Plot());
       }},
  };
  const auto hasView = [this] { return !pane_->ViewFailed(); };
  for (FrameCommand& command : commands) command.enabled = hasView;
  commands[0].submenu = commands[1].submenu = exportMenu;
  commands[2].submenu = commands[3].submenu = copyMenu;
  return commands;
}

// A tab beside the spectrum and TDCR forms, where the plot has room.
std::vector<FramePane> ScopeFramePart::Panes() { return {{pane_.get(), Qt::TopDockWidgetArea, nullptr}}; }

void ScopeFramePart::Export(bool normalized) {
  COscopeView* view = View();
  if (view == nullptr) return;
  ExportTraces(dialogs_, context_.prompt, view->Cycle().ExportSource(),
               normalized ? TraceExportKind::kNormalized : TraceExportKind::kRaw);
}

std::optional<ChannelWindow> ScopeFramePart::RoiAtCursor() const {
  if (!bufferCursor_) return std::nullopt;
  const CSpectrum& buffer = context_.spectra.buffer;
  return RoiAroundCursor(buffer.displayRoiMarks, buffer.softSize, bufferCursor_());
}

bool ScopeFramePart::TdcrExtStorage() const {
  const auto& registers = context_.spectra.buffer.image.registers;
  return CoincidenceSource(registers[reg::kControl], registers[reg::kCoincidenceInput]) >=
         kFirstTdcrExtSource;
}

}  // namespace korva
