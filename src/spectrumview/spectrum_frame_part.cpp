#include "spectrumview/spectrum_frame_part.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTabWidget>

#include "common/command_ids.h"
#include "common/prompt.h"
#include "devicelink/instrument_session.h"
#include "formats/qt_spectrum_file_dialogs.h"
#include "formats/spectrum_file_flow.h"
#include "spectrum/spectrum_documents.h"
#include "spectrumview/colour_dialog.h"
#include "spectrumview/spectrum_plot_view.h"
#include "spectrumview/spectrum_wnd.h"
#include "timesync/time_reference.h"

namespace korva {

namespace {

SpectrumFileDialogs& DialogsOrOwn(SpectrumFileDialogs* given, std::unique_ptr<SpectrumFileDialogs>& own,
                                  QWidget* parent) {
  if (given != nullptr) return *given;
  own = std::make_unique<QtSpectrumFileDialogs>(parent);
  return *own;
}

// A status-bar pane as wide as `characters` of its fixed-pitch font: the
// cursor pane holds "CURSOR: 2049   = 1024.50 keV    COUNTS: 1000" (51
// characters with a calibration on), the ROI pane "ROI: ... W: ..." (36).
constexpr int kCursorPaneCharacters = 51;
constexpr int kRoiPaneCharacters = 36;

QLabel* StatusPane(QMainWindow& window, const QString& name, int characters) {
  auto* label = new QLabel(QStringLiteral(" "), &window);
  label->setObjectName(name);
  label->setFont(QFont(QStringLiteral("Monospace")));
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1Char('0')) * characters);
  window.statusBar()->addPermanentWidget(label);
  return label;
}

struct SoftSizeCommand {
  int id;
  std::int32_t size;
};
constexpr SoftSizeCommand kSoftSizeCommands[] = {
    {command::kSoftSize4096, 4096}, {command::kSoftSize2048, 2048}, {command::kSoftSize1365, 1365},
    {command::kSoftSize1024, 1024}, {command::kSoftSize682, 682},   {command::kSoftSize512, 512}};

}  // namespace

SpectrumFramePart::SpectrumFramePart(const FrameContext& context, SpectrumFileDialogs* dialogs)
    : context_(context),
      dialogs_(DialogsOrOwn(dialogs, ownDialogs_, &context.window)),
      pane_(std::make_unique<CSpectrumWnd>(
          context.spectra, roiMode_,
          [&instrument = context.instrument] {
            return instrument.Engine().IsConnected() ? instrument.Link().PortName() : std::string();
          },
          context.window)),
      cursorPane_(StatusPane(context.window, QStringLiteral("CursorPane"), kCursorPaneCharacters)),
      roiPane_(StatusPane(context.window, QStringLiteral("RoiPane"), kRoiPaneCharacters)) {
  context_.instrument.Engine().AddObserver(this);
  connect(pane_.get(), &CSpectrumWnd::ReadoutsChanged, this, &SpectrumFramePart::ShowReadouts);
  LinkSession& link = context_.instrument.Link();
  connect(&link, &LinkSession::Connected, pane_.get(), &CSpectrumWnd::UpdateCaption);
  connect(&link, &LinkSession::Disconnected, pane_.get(), &CSpectrumWnd::UpdateCaption);
  ShowReadouts();
}

SpectrumFramePart::~SpectrumFramePart() { context_.instrument.Engine().RemoveObserver(this); }

std::vector<FrameCommand> SpectrumFramePart::Commands() {
  std::vector<FrameCommand> commands = FileCommands();
  for (auto group : {&SpectrumFramePart::SpectrumCommands, &SpectrumFramePart::ViewCommands}) {
    for (FrameCommand& command : (this->*group)()) commands.push_back(std::move(command));
  }
  return commands;
}

std::vector<FrameCommand> SpectrumFramePart::FileCommands() {
  SpectrumDocuments& spectra = context_.spectra;
  auto exportCsv = [this, &spectra](bool hardSize) {
    if (ExportSpectrumAs(*spectra.active, hardSize, dialogs_, context_.prompt)) {
      spectra.MarkActiveSaved();
      pane_->ActiveWindow().Apply(Repaint::kFull);
    }
  };
  const QStringList csvMenu = {QStringLiteral("Export Spectrum To"), QStringLiteral("CSV File")};
  std::vector<FrameCommand> commands = {
      {command::kOpenSpectrum, kFileMenu, QStringLiteral("&Open Spectrum"), [this] { OnOpenSpectrum(); },
       QKeySequence::Open, QStyle::SP_DialogOpenButton, kStandardToolBar},
      {command::kSaveSpectrumAs,
       kFileMenu,
       QStringLiteral("&Save Spectrum As..."),
       [this, &spectra] {
         spectra.PrepareSave();
         if (SaveSpectrumAs(*spectra.active, spectra.buffer.image.ModelCode(), dialogs_, context_.prompt)) {
           spectra.MarkActiveSaved();
           pane_->ActiveWindow().Apply(Repaint::kFull);
         }
       },
       {},
       QStyle::SP_DialogSaveButton,
       kStandardToolBar},
      {command::kExportCsvHardSize, kFileMenu, QStringLiteral("Hard Size"), [exportCsv] { exportCsv(true); }},
      {command::kExportCsvSoftSize, kFileMenu, QStringLiteral("Soft Size"),
       [exportCsv] { exportCsv(false); }},
  };
  commands[2].submenu = commands[3].submenu = csvMenu;
  for (FrameCommand& command : ExchangeExportCommands()) commands.push_back(std::move(command));
  return commands;
}

std::vector<FrameCommand> SpectrumFramePart::ExchangeExportCommands() {
  auto exportAs = [this](ExchangeFormat format) {
    SpectrumDocuments& spectra = context_.spectra;
    const TimeReferenceState& reference = context_.timeReference;
    ExchangeContext exchange;
    if (reference.IsUtc() && !reference.MustChoose()) exchange.ntpOffsetSeconds = reference.ClockOffset();
    if (ExportSpectrumExchange(*spectra.active, format, exchange, dialogs_, context_.prompt)) {
      spectra.MarkActiveSaved();
      pane_->ActiveWindow().Apply(Repaint::kFull);
    }
  };
  std::vector<FrameCommand> commands = {
      {command::kExportN42, kFileMenu, QStringLiteral("N42..."),
       [exportAs] { exportAs(ExchangeFormat::kN42); }},
      {command::kExportSpe, kFileMenu, QStringLiteral("IAEA SPE..."),
       [exportAs] { exportAs(ExchangeFormat::kSpe); }},
  };
  for (FrameCommand& command : commands) command.submenu = {QStringLiteral("Export Spectrum To")};
  return commands;
}

std::vector<FrameCommand> SpectrumFramePart::SpectrumCommands() {
  std::vector<FrameCommand> commands;
  for (const SoftSizeCommand& entry : kSoftSizeCommands) {
    // A new channel width changes every channel shown: the views that show
    // channels (thresholds, calibration points) decode again on activation.
    FrameCommand command{entry.id, kSpectrumMenu, QString::number(entry.size), [this, size = entry.size] {
                           SpectrumPlotView& window = pane_->ActiveWindow();
                           window.SetSpectrumSizes(CSpectrum::kMaxSize, size);
                           pane_->ActivateWindow(window);
                         }};
    command.submenu = {QStringLiteral("Soft Size")};
    command.checked = [this, size = entry.size] { return context_.spectra.active->softSize == size; };
    commands.push_back(std::move(command));
  }
  commands.push_back(
      {command::kSpectrumColour, kSpectrumMenu, QStringLiteral("&Color"), [this] { OnColour(); }});
  const std::pair<int, RoiMode> modes[] = {{command::kRoiMarkOver, RoiMode::kMarkOver},
                                           {command::kRoiFromCursor, RoiMode::kFromCursor}};
  for (const auto& [id, mode] : modes) {
    FrameCommand command{
        id, kSpectrumMenu,
        mode == RoiMode::kMarkOver ? QStringLiteral("Mark Over") : QStringLiteral("From Cursor"),
        [this, mode = mode] { roiMode_ = mode; }};
    command.submenu = {QStringLiteral("ROI Mode")};
    command.checked = [this, mode = mode] { return roiMode_ == mode; };
    commands.push_back(std::move(command));
  }
  for (const bool fileToBuffer : {true, false}) {
    FrameCommand command{fileToBuffer ? command::kCopyRoiFileToBuffer : command::kCopyRoiBufferToFile,
                         kSpectrumMenu,
                         fileToBuffer ? QStringLiteral("File to Buffer") : QStringLiteral("Buffer to File"),
                         [this, fileToBuffer] { CopyRoiBetween(fileToBuffer); }};
    command.submenu = {QStringLiteral("Copy ROI")};
    commands.push_back(std::move(command));
  }
  return commands;
}

// Zoom and scale commands act on the active spectrum's window.
std::vector<FrameCommand> SpectrumFramePart::ViewCommands() {
  using Action = Repaint (SpectrumDisplay::*)();
  struct Entry {
    int id;
    const char* text;
    Action action;
  };
  const Entry entries[] = {
      {command::kExpandAroundCursor, "Expand Arround Cursor", &SpectrumDisplay::ExpandAroundCursor},
      {command::kCompressAroundCursor, "Compress Arround Cursor", &SpectrumDisplay::CompressAroundCursor},
      {command::kExpandFromLeft, "Expand From Left", &SpectrumDisplay::ExpandFromLeft},
      {command::kCompressFromLeft, "Compress From Left", &SpectrumDisplay::CompressFromLeft},
      {command::kExpandVerticalScale, "Expand Vertical Scale", &SpectrumDisplay::ExpandVerticalScale},
      {command::kCompressVerticalScale, "Compress Vertical Scale", &SpectrumDisplay::CompressVerticalScale},
      {command::kAutomaticVerticalScale, "Automatic Vertical Scale", &SpectrumDisplay::ToggleAutomaticScale},
      {command::kLinearVerticalScale, "Linear Vertical Scale", &SpectrumDisplay::SetLinearScale},
      {command::kLogarithmicVerticalScale, "Logarithmic Vertical Scale",
       &SpectrumDisplay::SetLogarithmicScale},
      {command::kShowFullSpectrum, "Show Full Spectrum", &SpectrumDisplay::ShowFullSpectrum},
  };
  std::vector<FrameCommand> commands;
  for (const Entry& entry : entries) {
    FrameCommand command{entry.id, kSpectrumMenu, QString::fromLatin1(entry.text),
                         [this, action = entry.action] {
                           SpectrumPlotView& window = pane_->ActiveWindow();
                           window.Apply((window.Display().*action)());
                         }};
    command.separatorBefore = entry.id == command::kExpandAroundCursor;
    if (entry.id == command::kAutomaticVerticalScale) {
      command.checked = [this] { return pane_->ActiveWindow().Display().Scale().Automatic(); };
    } else if (entry.id == command::kLinearVerticalScale) {
      command.checked = [this] { return pane_->ActiveWindow().Display().Scale().Linear(); };
    } else if (entry.id == command::kLogarithmicVerticalScale) {
      command.checked = [this] { return !pane_->ActiveWindow().Display().Scale().Linear(); };
    }
    commands.push_back(std::move(command));
  }
  return commands;
}

std::vector<FramePane> SpectrumFramePart::Panes() { return {{pane_.get(), Qt::TopDockWidgetArea, nullptr}}; }

void SpectrumFramePart::OnOpenSpectrum() {
  if (!OpenSpectrum(context_.spectra.file, dialogs_, context_.prompt)) return;
  pane_->ShowFileSpectrum();
}

void SpectrumFramePart::OnColour() {
  CColorDlg dialog(pane_->ActiveWindow(), {}, &context_.window);
  dialog.exec();
}

void SpectrumFramePart::CopyRoiBetween(bool fileToBuffer) {
  SpectrumDocuments& spectra = context_.spectra;
  if (fileToBuffer) {
    CopyRoi(spectra.file, spectra.buffer);
    pane_->BufferWindow().Apply(Repaint::kFull);
  } else {
    CopyRoi(spectra.buffer, spectra.file);
    pane_->FileWindow().Apply(Repaint::kFull);
  }
}

SpectrumPlotView* SpectrumFramePart::ShownBufferWindow() {
  if (!context_.spectra.BufferActive() || pane_->isHidden()) return nullptr;
  return &pane_->BufferWindow();
}

void SpectrumFramePart::OnSpectrumChunk() {
  if (SpectrumPlotView* window = ShownBufferWindow()) window->RefreshBars();
}

// The caption follows an input the instrument's registers changed. While
// the instrument's memory is polled the shown buffer window follows it on
// every tick, readouts included.
void SpectrumFramePart::OnTick() {
  pane_->UpdateCaption();
  if (!context_.instrument.Engine().SpectrumPolling()) return;
  if (SpectrumPlotView* window = ShownBufferWindow()) {
    window->RefreshBars();
    ShowReadouts();
  }
}

void SpectrumFramePart::ShowReadouts() {
  SpectrumPlotView& window = pane_->ActiveWindow();
  cursorPane_->setText(QString::fromStdString(window.CursorText()));
  roiPane_->setText(QString::fromStdString(window.RoiText()));
}

void SpectrumFramePart::RestoreSettings() {
  pane_->BufferWindow().SetColours(LoadSpectrumColours(context_.settings, true));
  pane_->FileWindow().SetColours(LoadSpectrumColours(context_.settings, false));
}

void SpectrumFramePart::SaveSettings() {
  SaveSpectrumColours(context_.settings, true, pane_->BufferWindow().Colours());
  SaveSpectrumColours(context_.settings, false, pane_->FileWindow().Colours());
}

}  // namespace korva
