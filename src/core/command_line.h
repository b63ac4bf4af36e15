#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumivo {

// Exit statuses every program shares.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// How an option appears on a command line.
enum class OptionKind {
    Flag,     // --show; given twice is the same as once; "--show=x" is an error
    Value,    // --sign XX or --sign=XX; given twice is an error
    Repeated, // --entry X --entry Y: every value is kept, in order
};

struct OptionSpec {
    std::string_view name; // the long form, "--sign"
    OptionKind kind = OptionKind::Flag;
    std::string_view alias = {}; // a short form such as "-h", or empty
};

// The switches every program answers the same way.
inline constexpr OptionSpec kHelpOption{"--help", OptionKind::Flag, "-h"};
inline constexpr OptionSpec kVersionOption{"--version", OptionKind::Flag};

// The arguments of one program or command, sorted by the option table they were read with.
class CommandLine {
public:
    // True when the option (flag or value) was given at least once.
    bool has(std::string_view name) const { return m_values.find(name) != m_values.end(); }
    // The value of a Value option.
    std::optional<std::string> value(std::string_view name) const;
    // Every value of a Repeated option, in the order given.
    std::vector<std::string> values(std::string_view name) const;
    // Arguments that are not options, in order; everything after "--" is one.
    const std::vector<std::string>& positionals() const { return m_positionals; }
    // The first problem met ("unknown option --x", "--sign needs a value"...), empty when none.
    // Parsing goes on after a problem, so --help or --version later on the line is still seen.
    const std::string& error() const { return m_error; }
    bool ok() const { return m_error.empty(); }

private:
    friend CommandLine ParseCommandLine(std::span<const std::string>, std::span<const OptionSpec>,
                                        bool);
    std::map<std::string, std::vector<std::string>, std::less<>> m_values;
    std::vector<std::string> m_positionals;
    std::string m_error;
};

// Reads `args` (without the program name) with the table `options`. Values follow their option
// as the next argument, whatever it looks like, or after '=' in the same argument ("--name=v").
// A lone "-" is a positional; "--" ends the options. With `stopAtFirstPositional` the first
// positional and everything after it are left unread as positionals: the command word of a
// program with commands, whose own options come after it.
CommandLine ParseCommandLine(std::span<const std::string> args, std::span<const OptionSpec> options,
                             bool stopAtFirstPositional = false);

// Answers --help (`help`, or the usage when it is empty, on `out`, status 0), --version
// ("<program> <version>" on `out`, status 0) and a parse error ("<program>: <error>" and the usage
// on `err`, status 2), in that order of precedence. nullopt when the program should go on and run.
std::optional<int> AnswerStandardOptions(const CommandLine& line, std::string_view program,
                                         std::string_view usage, std::ostream& out,
                                         std::ostream& err, std::string_view help = {});

// The one-line usage error: "<program>: <problem>", then the usage; returns kExitUsage.
int ReportUsageError(std::ostream& err, std::string_view program, std::string_view problem,
                     std::string_view usage);

} // namespace lumivo
