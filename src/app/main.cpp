#include "common/program_version.h"
#include "korva_build_commit.h"
#include "shell/korva_tdcr_app.h"

int main(int argc, char** argv) {
  korva::RecordBuildCommit(KORVA_BUILD_COMMIT);
  korva::CKorvaTDCRApp app(argc, argv);
  return app.exec();
}
