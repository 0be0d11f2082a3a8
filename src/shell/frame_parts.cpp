#include "shell/frame_parts.h"

#include "acquisition/acquisition_frame_part.h"
#include "analysis/analysis_frame_part.h"
#include "archive/history_frame_part.h"
#include "devicelink/serial_port_enumerator.h"
#include "fpga/fpga_frame_part.h"
#include "scope/oscope_view.h"
#include "scope/scope_frame_part.h"
#include "setup/amplifier_frame_part.h"
#include "setup/setup_registers_frame_part.h"
#include "setup/shaper_frame_part.h"
#include "shell/hardware_frame_part.h"
#include "shell/main_frame.h"
#include "spectrumview/calibration_frame_part.h"
#include "spectrumview/spectrum_frame_part.h"
#include "spectrumview/spectrum_plot_view.h"
#include "spectrumview/spectrum_wnd.h"
#include "tdcr/tdcr_frame_part.h"

namespace korva {

std::vector<std::unique_ptr<FramePart>> CreateFrameParts(const FrameContext& context,
                                                         const MainFrameServices& services) {
  std::vector<std::unique_ptr<FramePart>> parts;
  parts.push_back(std::make_unique<SpectrumFramePart>(context, services.spectrumDialogs));
  parts.push_back(std::make_unique<TdcrFramePart>(context, services.saveDialogs));
  auto analysis = std::make_unique<AnalysisFramePart>(
      context, static_cast<TdcrFramePart&>(*parts.back()).Workbench(), services.analysisFiles);
  AnalysisFramePart& analysisPart = *analysis;
  parts.push_back(std::move(analysis));
  parts.push_back(std::make_unique<HardwareFramePart>(
      context,
      services.enumerate ? services.enumerate : HardwareFramePart::Enumerator(EnumerateSerialPorts)));
  auto acquisition = std::make_unique<AcquisitionFramePart>(context);
  CAcquisitionView* acquisitionView = acquisition->View();
  parts.push_back(std::move(acquisition));
  parts.push_back(std::make_unique<CalibrationFramePart>(
      context, static_cast<SpectrumFramePart&>(*parts.front()).Pane(), acquisitionView));
  parts.push_back(std::make_unique<AmplifierFramePart>(context));
  parts.push_back(std::make_unique<ShaperFramePart>(context));
  auto fpga = std::make_unique<FpgaFramePart>(context);
  FpgaFramePart& fpgaPart = *fpga;
  parts.push_back(std::move(fpga));
  parts.push_back(std::make_unique<SetupRegistersFramePart>(context));
  parts.push_back(std::make_unique<ScopeFramePart>(
      context,
      [&spectrum = static_cast<SpectrumFramePart&>(*parts.front())] {
        return spectrum.Pane().BufferWindow().Display().Window().Cursor();
      },
      services.traceDialogs));
  fpgaPart.SetBeforeProgramming([&scope = static_cast<ScopeFramePart&>(*parts.back())] {
    if (COscopeView* view = scope.View()) view->Cycle().Stop();
  });
  parts.push_back(std::make_unique<HistoryFramePart>(
      context, HistoryFramePart::FileOpener{},
      [&analysisPart](const std::filesystem::path& tdc) { return analysisPart.OpenMeasurement(tdc); }));
  return parts;
}

}  // namespace korva
