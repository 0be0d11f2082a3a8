#include "spectrumview/spectrum_wnd.h"

#include <QTabWidget>

#include "formats/spectrum_file_context.h"
#include "spectrum/analyser_input.h"
#include "spectrumview/spectrum_plot_view.h"

namespace korva {

namespace {

QWidget* CreateTabs(SpectrumDocuments& spectra, const RoiMode& roiMode, QWidget* parent) {
  auto* tabs = new QTabWidget(parent);
  tabs->setObjectName(QStringLiteral("SpectrumTabs"));
  tabs->setTabPosition(QTabWidget::South);
  auto* buffer = new SpectrumPlotView(spectra.buffer, roiMode, true, tabs);
  buffer->setObjectName(QStringLiteral("BUFFER"));
  auto* file = new SpectrumPlotView(spectra.file, roiMode, false, tabs);
  file->setObjectName(QStringLiteral("FILE"));
  tabs->addTab(buffer, QStringLiteral("BUFFER"));
  tabs->addTab(file, QStringLiteral("FILE"));
  return tabs;
}

}  // namespace

CSpectrumWnd::CSpectrumWnd(SpectrumDocuments& spectra, const RoiMode& roiMode,
                           std::function<std::string()> connection, QWidget& mainWindow)
    : DockPane(
          QString::fromLatin1(kMcaInputTexts[0]), QStringLiteral("SpectrumPane"),
          [&spectra, &roiMode](QWidget* host) { return CreateTabs(spectra, roiMode, host); },
          QStringLiteral("Failed to create spectrum windows"), &mainWindow),
      spectra_(spectra),
      connection_(std::move(connection)),
      mainWindow_(mainWindow) {
  for (int tab : {kBufferTab, kFileTab}) {
    SpectrumPlotView& window = Window(tab);
    connect(&window, &SpectrumPlotView::FocusGained, this, [this, &window] { ActivateWindow(window); });
    connect(&window, &SpectrumPlotView::ReadoutsChanged, this, [this, &window] {
      if (&window.Spectrum() == spectra_.active) emit ReadoutsChanged();
    });
  }
  connect(&Tabs(), &QTabWidget::currentChanged, this, [this](int tab) { ActivateWindow(Window(tab)); });
  ActivateWindow(BufferWindow());
}

QTabWidget& CSpectrumWnd::Tabs() const { return *static_cast<QTabWidget*>(View()); }

SpectrumPlotView& CSpectrumWnd::Window(int tab) const {
  return *static_cast<SpectrumPlotView*>(Tabs().widget(tab));
}

SpectrumPlotView& CSpectrumWnd::BufferWindow() const { return Window(kBufferTab); }
SpectrumPlotView& CSpectrumWnd::FileWindow() const { return Window(kFileTab); }

SpectrumPlotView& CSpectrumWnd::ActiveWindow() const {
  return spectra_.FileActive() ? FileWindow() : BufferWindow();
}

void CSpectrumWnd::ShowFileSpectrum() {
  show();
  Tabs().setCurrentIndex(kFileTab);
  FileWindow().SetSpectrumSizes(CSpectrum::kMaxSize, CSpectrum::kMaxSize, true);
  ActivateWindow(FileWindow());
}

// Only the shown record keeps its compressed spectrum current as the
// engine reads the memory.
void CSpectrumWnd::ActivateWindow(SpectrumPlotView& window) {
  CSpectrum& spectrum = window.Spectrum();
  spectra_.buffer.image.shown = &spectrum == &spectra_.buffer;
  spectra_.file.image.shown = &spectrum == &spectra_.file;
  spectrum.DeriveHalfSelector();
  spectrum.RebuildCompressedSpectrum();
  spectra_.Activate(spectrum);
  UpdateCaption();
  window.Apply(Repaint::kFull);
  emit ReadoutsChanged();
}

void CSpectrumWnd::UpdateCaption() {
  setWindowTitle(QString::fromStdString(spectra_.active->caption));
  mainWindow_.setWindowTitle(QString::fromStdString(MainWindowCaption()));
}

std::string CSpectrumWnd::MainWindowCaption() const {
  const CSpectrum& spectrum = *spectra_.active;
  std::string caption = InputNameOf(spectrum);
  if (spectra_.FileActive()) {
    caption += " @ " + spectrum.caption;
  } else if (const std::string connection = connection_(); !connection.empty()) {
    caption += " @ " + connection;
  }
  return caption;
}

}  // namespace korva
