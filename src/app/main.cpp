#include <iostream>
#include <string_view>

#include "app/first_paint_report.h"
#include "common/program_version.h"
#include "korva_build_commit.h"
#include "shell/korva_tdcr_app.h"
#include "shell/main_frame.h"

namespace {

constexpr std::string_view kHelp =
    "Usage: korva-tdcr [--help | --version]\n"
    "Opens the Korva-TDCR window: control, acquisition and analysis for the Veltra\n"
    "TDCR liquid-scintillation counter (RQ3101, RQ3102) on a USB serial port or a\n"
    "virtual instrument (veltra-sim). Other arguments are Qt's own, for example\n"
    "-platform offscreen. The manual page korva-tdcr(1) says more.\n";

}  // namespace

int main(int argc, char** argv) {
  korva::RecordBuildCommit(KORVA_BUILD_COMMIT);
  // Answered before the application object exists, so they need no display.
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::cout << "korva-tdcr " << korva::ProgramVersionText() << '\n';
    return 0;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::cout << kHelp;
    return 0;
  }
  korva::CKorvaTDCRApp app(argc, argv);
  korva::ReportFirstPaintWhenAsked(app, app.MainFrame());
  return app.exec();
}
