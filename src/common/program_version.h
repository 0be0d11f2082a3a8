#pragma once

#include <string>
#include <string_view>

namespace korva {

// The program's release ("7.0"), the same for the window, the tool and the
// virtual instrument.
std::string_view ProgramVersion();

// The git commit the build was made from ("1a2b3c4d5e6f", with "-modified"
// when the checkout had uncommitted changes); empty outside a checkout and
// until the program's main has recorded it.
std::string_view ProgramBuildCommit();

// Each program's main records the commit from the header the build writes.
// Only the mains include that header, so a new commit relinks the three
// programs and not every library and test.
void RecordBuildCommit(std::string_view commit);

// What --version prints and what result files record: "7.0 (git 1a2b3c4d5e6f)",
// or just "7.0" when the commit is unknown.
std::string ProgramVersionText();

}  // namespace korva
