#pragma once

#include "sim/virtual_sign.h"

#include <optional>
#include <string>
#include <vector>

namespace lumivo::sim {

struct SignOptions {
    int id = 1;
    // Empty host: a pseudo-terminal; otherwise a TCP port to listen on (0 picks a free one).
    std::string listenHost;
    int listenPort = 0;
    std::string logPath;
    std::string statePath;
    bool show = false;
    // Columns of the sign's display, as drawn by --show and the window.
    int width = 80;
    // Show the sign in a window (the program must have been built with one).
    bool window = false;
    Fault fault = Fault::None;
    int hangUpAfter = 0; // 0: never
    int replyDelayMs = 0;
};

struct ParsedArguments {
    enum class Action { Run, Help, Version, Error } action = Action::Run;
    SignOptions options;
    std::string error; // for Error
};

ParsedArguments ParseSignArguments(const std::vector<std::string>& args);

extern const char* const kSignUsage;

} // namespace lumivo::sim
