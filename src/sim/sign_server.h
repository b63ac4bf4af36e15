#pragma once

#include "sim/sign_options.h"

#include <iosfwd>
#include <string>

namespace lumivo::sim {

// Someone who watches the sign while it serves (the sign window). Told from the thread that runs
// the sign, after the event was applied and logged.
class SignWatcher {
public:
    virtual ~SignWatcher() = default;
    // Where clients connect: the pseudo-terminal's path or "listening on HOST:PORT".
    virtual void serving(const std::string& where) = 0;
    // One event on a line, the one-line note of what it changed and the state after it.
    virtual void exchanged(const Exchange& exchange, const std::string& note,
                           const SignState& state) = 0;
};

// Serves the sign on a new pseudo-terminal or a TCP port until SIGINT or SIGTERM (exit 0), a
// hang-up on demand (exit 0) or a failure to set up (exit 1, message on `err`). The first line
// on `out` names where to connect.
int RunSign(const SignOptions& options, std::ostream& out, std::ostream& err,
            SignWatcher* watcher = nullptr);

// Asks RunSign, running on another thread, to stop as SIGTERM would. Safe from any thread.
void RequestSignStop();

// Runs the sign with a window (options.window); returns the program's exit status.
using SignWindowRunner = int (*)(const SignOptions& options, int argc, char** argv);

// The whole program: parses the arguments (usage and exit 2 when they are wrong) and runs. A
// program built without a window passes no runner and refuses --window.
int SignMain(int argc, char** argv, SignWindowRunner window = nullptr);

} // namespace lumivo::sim
