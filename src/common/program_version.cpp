#include "common/program_version.h"

#include "korva_build_commit.h"

namespace korva {

std::string_view ProgramVersion() { return KORVA_PROGRAM_VERSION; }

std::string_view ProgramBuildCommit() { return KORVA_BUILD_COMMIT; }

std::string ProgramVersionText() {
  std::string text(ProgramVersion());
  if (!ProgramBuildCommit().empty()) {
    text += " (git ";
    text += ProgramBuildCommit();
    text += ")";
  }
  return text;
}

}  // namespace korva
