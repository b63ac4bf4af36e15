#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace lumivo::cli {

extern const char* const kPortsUsage;

// `ports [--mapped COMn]`: lists where COM1..COM8 lead (the environment's LUMIVO_COMn, the
// [Ports] section of the settings file, or the platform default), the same rule the editor and
// every sign command use. With --mapped the status says whether that one port is mapped to a
// device of the user's (0) or only reaches the default (1): the launcher asks this before it
// starts a virtual sign.
int RunPortsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::filesystem::path& settingsFile);

} // namespace lumivo::cli
