#include "common/program_version.h"

namespace korva {

std::string_view ProgramVersion() { return KORVA_PROGRAM_VERSION; }

namespace {
std::string& BuildCommit() {
  static std::string commit;
  return commit;
}
}  // namespace

std::string_view ProgramBuildCommit() { return BuildCommit(); }

void RecordBuildCommit(std::string_view commit) { BuildCommit() = commit; }

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
