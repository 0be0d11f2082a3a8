#pragma once

#include <functional>
#include <string_view>

namespace korva::bench {

// Reads a benchmark's command line as "--name value" pairs, handing each to
// `take`, which returns false for a name it does not know. False when a
// name is unknown or its value is missing.
bool ReadOptionPairs(int argc, char** argv,
                     const std::function<bool(std::string_view name, const char* value)>& take);

}  // namespace korva::bench
