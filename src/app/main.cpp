#include "shell/korva_tdcr_app.h"

int main(int argc, char** argv) {
  korva::CKorvaTDCRApp app(argc, argv);
  return app.exec();
}
