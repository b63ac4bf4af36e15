#pragma once

#include "cli/cli_commands.h"
#include "core/command_line.h"
#include "link/clock.h"
#include "link/fake_port.h"
#include "link/outcome.h"
#include "link/runners.h"
#include "signs/dispatcher.h"

#include <memory>
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

// What building one command receives: its options and where the programs' files are.
struct SignCommandCall {
    const std::string& name;
    const SignCommandOptions& options;
    std::ostream& err; // warnings found while reading the command's files
    const CommandContext& context;
};

// Builds the command from its options, for one sign or for many: the same command runs on the
// port of --port or on each sign of --to. Throws UsageError for bad options and Error for a
// failure found before anything was sent.
using SignCommandBuild = signs::SignCommand (*)(const SignCommandCall& call);

// One row of the command table.
struct SignCommandEntry {
    std::string_view name;
    std::string_view usage;              // its options in the usage text, after the name column
    std::span<const OptionSpec> options; // the options it reads beside the common ones
    SignCommandBuild build;
    bool addressesSign = true;  // false: takes no --sign nor --to (the sign on the line is meant)
    bool takesText = false;     // takes the line as its one TEXT argument
    bool showsProgress = false; // draws a progress bar on a terminal
};

// A dry run's line: a scripted line that acknowledges every frame (and echoes Set ID).
std::unique_ptr<link::FakeLine> DryRunLine();

// The page letter of a --page value, A..Z whatever its case.
char PageLetter(const std::string& text);
// True when every character is an ASCII letter (the empty text included).
bool AllLetters(const std::string& text);

// The commands of each family; the table in cli_commands.cpp lists them.
signs::SignCommand BuildSendCommand(const SignCommandCall& call);
signs::SignCommand BuildClockCommand(const SignCommandCall& call);
signs::SignCommand BuildRunPageCommand(const SignCommandCall& call);
signs::SignCommand BuildBrightnessCommand(const SignCommandCall& call);
signs::SignCommand BuildSetIdCommand(const SignCommandCall& call);
signs::SignCommand BuildLinkPagesCommand(const SignCommandCall& call);
signs::SignCommand BuildSchedulesCommand(const SignCommandCall& call);
signs::SignCommand BuildDeleteSchedulesCommand(const SignCommandCall& call);
signs::SignCommand BuildDeleteLinesCommand(const SignCommandCall& call);
signs::SignCommand BuildDeleteAllCommand(const SignCommandCall& call);
signs::SignCommand BuildFontTransferCommand(const SignCommandCall& call);
signs::SignCommand BuildRecallFontCommand(const SignCommandCall& call);

} // namespace lumivo::cli
