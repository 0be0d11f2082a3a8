#pragma once

#include <QApplication>
#include <memory>

namespace korva {

class CMainFrame;

// The application object: names the settings store, creates the one main
// window and shows it with its remembered placement and layout.
class CKorvaTDCRApp : public QApplication {
  Q_OBJECT

 public:
  CKorvaTDCRApp(int& argc, char** argv);
  ~CKorvaTDCRApp() override;

  CMainFrame& MainFrame() { return *mainFrame_; }

 private:
  std::unique_ptr<CMainFrame> mainFrame_;
};

}  // namespace korva
