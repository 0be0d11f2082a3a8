#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sim/pty_server.h"

namespace korva::sim {

// What the veltra-sim command line asks for.
struct SimOptions {
  ServerOptions server;
  std::string linkPath;  // empty: no link
  // The share of the scintillation light that reaches the tubes through a
  // grey filter or a defocused vial (1: all of it); it scales the yield
  // of --lambda, as a lab lowers the detection efficiency of one vial.
  double lightFactor = 1.0;
  bool help = false;
  bool version = false;
};

struct ParsedCommandLine {
  std::optional<SimOptions> options;  // empty when the command line is wrong
  std::string error;
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after '=' ("--serial 7", "--serial=7").
ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args);

std::string_view UsageText();

}  // namespace korva::sim
