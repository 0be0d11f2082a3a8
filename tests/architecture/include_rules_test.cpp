#include "include_rules.h"

#include <gtest/gtest.h>

#include <fstream>

namespace korva::test {
namespace {

namespace fs = std::filesystem;

TEST(IncludeRules, TheSourceTreeKeepsItsDependencyTable) {
  for (const IncludeViolation& violation : FindIncludeViolations(KORVA_SOURCE_ROOT)) {
    ADD_FAILURE() << violation.Describe();
  }
}

// A tree where each file breaks the order once, beside includes it allows.
TEST(IncludeRules, EachIncludeAgainstTheOrderIsNamedWithItsFileAndLine) {
  const fs::path root = fs::temp_directory_path() / "korva-include-rules";
  fs::remove_all(root);
  const auto write = [&root](const std::string& file, const std::string& text) {
    fs::create_directories((root / file).parent_path());
    std::ofstream(root / file) << text;
  };
  write("src/common/a.h", "#include <vector>\n#include \"common/b.h\"\n#include \"devicelink/c.h\"\n");
  write("src/devicelink/d.cpp", "#include \"common/a.h\"\n\n#include \"shell/main_frame.h\"\n");
  write("src/fpga/e.cpp", "#include \"devicelink/d.h\"\n#include \"tdcr/sibling.h\"\n");
  write("src/cli/f.cpp", "#include \"tdcr/e.h\"\n#include \"shell/y.h\"\n");
  write("src/app/main.cpp", "#include \"shell/main_frame.h\"\n#include \"cli/main.h\"\n");
  write("src/spectrum/h.h", "#include \"spectrum/record.h\"\n#include \"setup/amplifier_input.h\"\n");
  write("src/setup/i.h", "#include \"spectrum/record.h\"\n");
  write("src/newfolder/j.h", "#include \"common/a.h\"\n");
  write("sim/g.cpp",
        "#include \"devicelink/wire_frame.h\"\n#include \"devicelink/engine.h\"\n"
        "#include \"devicelink/register_map.h\"\n");
  std::vector<std::string> found;
  for (const IncludeViolation& violation : FindIncludeViolations(root)) found.push_back(violation.Describe());
  EXPECT_EQ(found, (std::vector<std::string>{
                       "sim/g.cpp:2 includes devicelink/engine.h",
                       "src/app/main.cpp:2 includes cli/main.h",
                       "src/cli/f.cpp:2 includes shell/y.h",
                       "src/common/a.h:3 includes devicelink/c.h",
                       "src/devicelink/d.cpp:3 includes shell/main_frame.h",
                       "src/fpga/e.cpp:2 includes tdcr/sibling.h",
                       "src/newfolder/j.h:1 includes common/a.h",
                       "src/spectrum/h.h:2 includes setup/amplifier_input.h",
                   }));
  fs::remove_all(root);
}

// Two subsystems that include each other: whichever way round the order
// puts them, the include that closes the loop is named.
TEST(IncludeRules, ALoopBetweenTwoSubsystemsIsNamed) {
  const fs::path root = fs::temp_directory_path() / "korva-include-loop";
  fs::remove_all(root);
  const auto write = [&root](const std::string& file, const std::string& text) {
    fs::create_directories((root / file).parent_path());
    std::ofstream(root / file) << text;
  };
  write("src/tdcr/a.cpp", "#include \"spectrum/b.h\"\n");
  write("src/spectrum/b.cpp", "#include \"tdcr/a.h\"\n");
  write("src/analysis/c.cpp", "#include \"archive/d.h\"\n");
  write("src/archive/d.cpp", "#include \"analysis/c.h\"\n");
  std::vector<std::string> found;
  for (const IncludeViolation& violation : FindIncludeViolations(root)) found.push_back(violation.Describe());
  EXPECT_EQ(found, (std::vector<std::string>{
                       "src/analysis/c.cpp:1 includes archive/d.h",
                       "src/tdcr/a.cpp:1 includes spectrum/b.h",
                   }));
  fs::remove_all(root);
}

}  // namespace
}  // namespace korva::test
