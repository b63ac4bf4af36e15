#pragma once

#include "link/clock.h"
#include "link/port.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace lumivo::cli {

// Where the commands find their port and files. Tests replace the opener.
struct CommandContext {
    std::filesystem::path graphicsFolder; // default of --graphics
    std::string settingsFile;             // COM port mapping and the sign list
    // Opens a --port value or a listed sign's port (COM1..COM8, a device path, tcp://host:port).
    // Defaults to the real one.
    std::function<link::PortOpener(const std::string& port)> openerFor;
    // The clock of one sign's run with --to, by the sign's port; real time when empty.
    std::function<std::unique_ptr<link::Clock>(const std::string& port)> clockFor;
    bool progressToTerminal = false; // draw a progress bar on `err` for sends
};

// Runs one sign command (every command but `page`): `name` is the command, `args` its options.
// With --port: prints the outcome text on `out`; status 0 for a success or an "is Over" end, 1
// for a failure. With --dry-run: writes to `out` exactly the bytes the command would write, as if
// every frame were acknowledged. With --to NAME|GROUP: runs on each listed sign chosen, one line
// per sign and a summary on `out`, status 0 only when every sign succeeded. Usage errors: status 2.
int RunSignCommand(const std::string& name, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err, const CommandContext& context);

bool IsSignCommand(const std::string& name);

// The commands and their options, for --help.
const std::string& SignCommandsUsage();

} // namespace lumivo::cli
