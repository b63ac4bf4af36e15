#pragma once

#include "cli/cli_commands.h"
#include "core/command_line.h"
#include "link/clock.h"
#include "link/outcome.h"
#include "link/runners.h"

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo::cli {

// A mistake in a command's arguments: reported with the usage, status 2.
struct UsageError {
    std::string message;
};

// The options of one command, read with the command table; usage problems are thrown.
class SignCommandOptions {
public:
    explicit SignCommandOptions(CommandLine line) : m_line(std::move(line)) {}

    bool has(const std::string& flag) const { return m_line.has(flag); }
    std::vector<std::string> all(const std::string& name) const { return m_line.values(name); }
    std::optional<std::string> one(const std::string& name) const { return m_line.value(name); }
    std::string required(const std::string& name) const;
    const std::vector<std::string>& positionals() const { return m_line.positionals(); }

private:
    CommandLine m_line;
};

// What one command's run receives: its options, the sign it addresses and the line to it.
struct SignCommandCall {
    const std::string& name;
    const SignCommandOptions& options;
    const std::string& sign; // "00".."FF", two upper-case digits
    const link::PortOpener& opener;
    link::Clock& clock;
    const link::Progress& progress; // empty unless a bar is drawn on `err`
    std::ostream& err;
    const CommandContext& context;
};

// Runs the command against the sign; throws UsageError for bad options and Error for a
// failure found before anything was sent.
using SignCommandRun = link::Outcome (*)(const SignCommandCall& call);

// One row of the command table.
struct SignCommand {
    std::string_view name;
    std::string_view usage;              // its options in the usage text, after the name column
    std::span<const OptionSpec> options; // the options it reads beside the common ones
    SignCommandRun run;
    bool addressesSign = true; // false: takes no --sign (the sign on the line is meant)
    bool takesText = false;    // takes the line as its one TEXT argument
};

// The page letter of a --page value, A..Z whatever its case.
char PageLetter(const std::string& text);
// True when every character is an ASCII letter (the empty text included).
bool AllLetters(const std::string& text);

// The commands of each family; the table in cli_commands.cpp lists them.
link::Outcome RunSendCommand(const SignCommandCall& call);
link::Outcome RunClockCommand(const SignCommandCall& call);
link::Outcome RunRunPageCommand(const SignCommandCall& call);
link::Outcome RunBrightnessCommand(const SignCommandCall& call);
link::Outcome RunSetIdCommand(const SignCommandCall& call);
link::Outcome RunLinkPagesCommand(const SignCommandCall& call);
link::Outcome RunSchedulesCommand(const SignCommandCall& call);
link::Outcome RunDeleteSchedulesCommand(const SignCommandCall& call);
link::Outcome RunDeleteLinesCommand(const SignCommandCall& call);
link::Outcome RunDeleteAllCommand(const SignCommandCall& call);
link::Outcome RunFontTransferCommand(const SignCommandCall& call);
link::Outcome RunRecallFontCommand(const SignCommandCall& call);

} // namespace lumivo::cli
