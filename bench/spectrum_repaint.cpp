// Redraw times of a spectrum window on a 1920 x 1080 plot: a full drawing of
// 4096 channels, and incremental updates after one memory chunk changed and
// after every channel changed. Runs offscreen.

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "spectrumview/spectrum_plot_view.h"

namespace {

using korva::CSpectrum;

constexpr int kRounds = 200;
constexpr std::size_t kChunkChannels = 1024;

void Fill(CSpectrum& spectrum, double scale, std::size_t first, std::size_t count) {
  for (std::size_t i = first; i < first + count; ++i) {
    const double x = static_cast<double>(i) / 500.0;
    spectrum.image.spectrum[spectrum.HalfOffset() + i] = static_cast<std::uint32_t>(scale * x * std::exp(-x));
  }
  spectrum.RebuildCompressedSpectrum();
}

// Median and worst time of `work` in milliseconds; `prepare` runs untimed
// before each round.
void Report(const char* what, const std::function<void(int)>& prepare, const std::function<void()>& work) {
  std::vector<double> times;
  QElapsedTimer timer;
  for (int round = 0; round < kRounds; ++round) {
    prepare(round);
    timer.start();
    work();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  std::printf("%-44s median %7.3f ms   worst %7.3f ms\n", what, times[times.size() / 2], times.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  CSpectrum spectrum;
  korva::RoiMode mode = korva::RoiMode::kMarkOver;
  korva::SpectrumPlotView view(spectrum, mode, true);
  view.show();
  const QSize frame = view.size() - view.viewport()->size();
  view.resize(QSize(1920, 1080) + frame);
  QApplication::processEvents();
  std::printf("plot %dx%d, %zu channels\n", view.viewport()->width(), view.viewport()->height(),
              CSpectrum::kChannels);
  Fill(spectrum, 400.0, 0, CSpectrum::kChannels);

  for (int style = 0; style < korva::SpectrumDisplay::kDrawStyles; ++style) {
    std::printf("draw style %d\n", view.Display().DrawStyle());
    Report(
        "  full redraw", [&](int) { view.Apply(korva::Repaint::kFull); }, [&] { view.RenderNow(); });
    Report(
        "  incremental, one chunk of 1024 channels",
        [&](int round) {
          view.RenderNow();
          Fill(spectrum, 400.0 + ((round / 4) % 2) * 40.0,
               (static_cast<std::size_t>(round) % 4) * kChunkChannels, kChunkChannels);
        },
        [&] { view.RefreshBars(); });
    Report(
        "  incremental, all 4096 channels",
        [&](int round) {
          view.RenderNow();
          Fill(spectrum, 400.0 + (round % 2) * 40.0, 0, CSpectrum::kChannels);
        },
        [&] { view.RefreshBars(); });
    view.Apply(view.Display().KeyDown(korva::SpectrumKey::kSpace));
  }
  return 0;
}
