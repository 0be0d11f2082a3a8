#include "option_pairs.h"

namespace korva::bench {

bool ReadOptionPairs(int argc, char** argv,
                     const std::function<bool(std::string_view name, const char* value)>& take) {
  if (argc % 2 == 0) return false;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!take(argv[i], argv[i + 1])) return false;
  }
  return true;
}

}  // namespace korva::bench
