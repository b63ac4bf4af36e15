#pragma once

#include "sim/sign_options.h"

#include <iosfwd>

namespace lumivo::sim {

// Serves the sign on a new pseudo-terminal or a TCP port until SIGINT or SIGTERM (exit 0), a
// hang-up on demand (exit 0) or a failure to set up (exit 1, message on `err`). The first line
// on `out` names where to connect.
int RunSign(const SignOptions& options, std::ostream& out, std::ostream& err);

// The whole program: parses the arguments (usage and exit 2 when they are wrong) and runs.
int SignMain(int argc, char** argv);

} // namespace lumivo::sim
