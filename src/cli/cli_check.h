#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace lumivo::cli {

extern const char* const kCheckUsage;
extern const char* const kScanUsage;

// `check --port PORT [--sign XX]`: opens the port, saying exactly why when it cannot, sends the
// empty transfer to the sign and says what its answer means. Status 0 only when the sign answers.
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::string& settingsFile);

// `scan --port PORT [--ids 01-FF] [--timeout MS]`: the empty transfer to each ID, "XX answers"
// on `out` for each that does, a progress line on `err`. Status 0 when the port opened.
int RunScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const std::string& settingsFile, bool progressToTerminal);

// The sign IDs of an --ids value: hexadecimal IDs 01..FF and ranges "10-1F", separated by
// commas, in the order given, each once; nullopt for anything else.
std::optional<std::vector<std::string>> ParseSignIds(const std::string& text);

} // namespace lumivo::cli
