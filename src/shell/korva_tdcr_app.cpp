#include "shell/korva_tdcr_app.h"

#include "shell/main_frame.h"

namespace korva {

CKorvaTDCRApp::CKorvaTDCRApp(int& argc, char** argv) : QApplication(argc, argv) {
  setOrganizationName(QStringLiteral("Korva"));
  setApplicationName(QStringLiteral("Korva-TDCR 7.0"));
  setApplicationDisplayName(QStringLiteral("Korva-TDCR"));
  mainFrame_ = std::make_unique<CMainFrame>();
  mainFrame_->show();
}

CKorvaTDCRApp::~CKorvaTDCRApp() = default;

}  // namespace korva
