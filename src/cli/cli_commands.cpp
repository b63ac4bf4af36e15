#include "cli/cli_commands.h"

#include "cli/cli_common.h"
#include "cli/send_to_signs.h"
#include "cli/sign_command.h"
#include "core/frame.h"
#include "link/fake_port.h"
#include "signs/service_client.h"
#include "signs/service_runtime.h"

#include <algorithm>
#include <array>
#include <memory>

namespace lumivo::cli {
namespace {

constexpr OptionSpec kSendOptions[] = {{"--page", OptionKind::Value},
                                       {"--graphics", OptionKind::Value},
                                       {"--text-file", OptionKind::Value},
                                       {"--document", OptionKind::Value}};
constexpr OptionSpec kClockOptions[] = {{"--time", OptionKind::Value}};
constexpr OptionSpec kRunPageOptions[] = {{"--page", OptionKind::Value}};
constexpr OptionSpec kBrightnessOptions[] = {{"--level", OptionKind::Value}};
constexpr OptionSpec kSetIdOptions[] = {{"--new-id", OptionKind::Value}};
constexpr OptionSpec kLinkPagesOptions[] = {{"--pages", OptionKind::Value}};
constexpr OptionSpec kSchedulesOptions[] = {{"--entry", OptionKind::Repeated}};
constexpr OptionSpec kDeleteSchedulesOptions[] = {{"--slots", OptionKind::Value}};
constexpr OptionSpec kDeleteLinesOptions[] = {{"--line", OptionKind::Repeated}};
constexpr OptionSpec kFontTransferOptions[] = {{"--font", OptionKind::Value}};

// Every command takes these.
constexpr OptionSpec kCommonOptions[] = {{"--port", OptionKind::Value},
                                         {"--sign", OptionKind::Value},
                                         {"--to", OptionKind::Repeated},
                                         {"--dry-run", OptionKind::Flag},
                                         kHelpOption};

// The commands, in the order the usage lists them.
const SignCommandEntry kSignCommands[] = {
    {"send",
     "--page L (default A), --graphics DIR (default: the editor's Graphdata\n"
     "                   folder), then --text-file FILE (raw 8-bit line), --document FILE.lmv,\n"
     "                   or TEXT (UTF-8, characters up to U+00FF)\n",
     kSendOptions, BuildSendCommand, true, true, true},
    {"clock", "--time \"YYYY-MM-DD hh:mm:ss\" (default: now)\n", kClockOptions, BuildClockCommand},
    {"run-page", "--page L\n", kRunPageOptions, BuildRunPageCommand},
    {"brightness", "--level 100|75|50|25\n", kBrightnessOptions, BuildBrightnessCommand},
    {"set-id",
     "--new-id XX (01..FF; takes no --sign nor --to: the sign on the line\n"
     "                   takes it)\n",
     kSetIdOptions, BuildSetIdCommand, false},
    {"link-pages", "--pages LETTERS (may be empty)\n", kLinkPagesOptions, BuildLinkPagesCommand},
    {"schedules",
     "--entry \"mm/dd/yy hh:nn,mm/dd/yy hh:nn,PAGES\", up to five, sent as\n"
     "                   slots A..E in the order given\n",
     kSchedulesOptions, BuildSchedulesCommand},
    {"delete-schedules", "--slots 1,3 (numbers 1..5)\n", kDeleteSchedulesOptions,
     BuildDeleteSchedulesCommand},
    {"delete-lines",
     "--line A1 --line D2 ... (page letter and line 1 or 2); always sent\n"
     "                   page A to Z, line 1 before line 2\n",
     kDeleteLinesOptions, BuildDeleteLinesCommand},
    {"delete-all", "", {}, BuildDeleteAllCommand},
    {"font-transfer", "--font FILE.fon\n", kFontTransferOptions, BuildFontTransferCommand, true,
     false, true},
    {"recall-font", "", {}, BuildRecallFontCommand},
};

constexpr const char* kUsageHead =
    "usage: lumivo-cli COMMAND (--port PORT | --dry-run) [--sign XX] [options]\n"
    "       lumivo-cli COMMAND --to NAME|GROUP [--to NAME|GROUP]... [--dry-run] [options]\n"
    "\n"
    "Commands and their options:\n";

constexpr const char* kUsageTail =
    "\n"
    "Common options:\n"
    "  --port PORT      COM1..COM8 (mapped in the [Ports] section of lumivo.INI), a device path\n"
    "                   such as /dev/ttyUSB0, or tcp://host:port\n"
    "  --dry-run        write to standard output exactly the bytes the command would send, as\n"
    "                   if every frame were acknowledged, and nothing else\n"
    "  --sign XX        sign ID 00..FF (default 00: every sign, no reply is read)\n"
    "  --to NAME|GROUP  instead of --port and --sign: a sign of the sign list ('lumivo-cli\n"
    "                   signs'), or every sign of a group; may be repeated\n"
    "\n"
    "With --port the outcome text is printed as the editor shows it. Exit status: 0 success\n"
    "or an \"is Over\" end, 1 failure (\" Open Com Error \" included), 2 usage error.\n"
    "\n"
    "With --to each chosen sign gets the command (signs on different lines at once), its\n"
    "state is recorded, and one line per sign, \"NAME: OUTCOME\", then a summary is printed.\n"
    "Exit status: 0 when every sign succeeded, 1 when any failed, 2 usage error. With --to and\n"
    "--dry-run, for each sign a line \"== NAME (ID XX): N bytes ==\", its N bytes and a newline.\n";

// The column where a command's options start in the usage.
constexpr std::size_t kUsageColumn = 19;

std::string ComposeUsage() {
    std::string usage = kUsageHead;
    for (const SignCommandEntry& command : kSignCommands) {
        std::string line = "  " + std::string(command.name);
        if (!command.usage.empty()) {
            line.resize(std::max(kUsageColumn, line.size() + 1), ' ');
            line += command.usage;
        } else {
            line += "\n";
        }
        usage += line;
    }
    return usage + kUsageTail;
}

// Every command reads its line with one table, the common options and those of all commands,
// so an option of another command is accepted (and ignored) as it always was.
std::vector<OptionSpec> ComposeOptionTable() {
    std::vector<OptionSpec> table(std::begin(kCommonOptions), std::end(kCommonOptions));
    for (const SignCommandEntry& command : kSignCommands) {
        for (const OptionSpec& option : command.options) {
            if (std::none_of(table.begin(), table.end(),
                             [&](const OptionSpec& o) { return o.name == option.name; })) {
                table.push_back(option);
            }
        }
    }
    return table;
}

const SignCommandEntry* FindSignCommand(const std::string& name) {
    const auto it = std::find_if(std::begin(kSignCommands), std::end(kSignCommands),
                                 [&](const SignCommandEntry& c) { return c.name == name; });
    return it == std::end(kSignCommands) ? nullptr : it;
}

// Where the command goes: a port or a dry run and the sign addressed, or signs of the list.
struct SignTarget {
    bool dryRun = false;
    std::optional<std::string> port;
    std::string sign = "00";
    std::vector<std::string> to; // names and groups of --to
};

// Reads the common options; `command` is null for a name outside the table.
SignTarget ReadTarget(const SignCommandOptions& options, const SignCommandEntry* command) {
    SignTarget target;
    target.dryRun = options.has("--dry-run");
    target.port = options.one("--port");
    target.to = options.all("--to");
    const std::optional<std::string>& port = target.port;
    if (!target.to.empty()) {
        if (port || options.has("--sign")) {
            throw UsageError{"--to takes the place of --port and --sign: give one or the other"};
        }
        if (command && !command->addressesSign) {
            throw UsageError{std::string(command->name) +
                             " takes no --to: the sign on the line takes the new ID"};
        }
    } else if (target.dryRun == port.has_value()) {
        throw UsageError{"give either --port PORT or --dry-run"};
    }
    if (port && port->size() >= 3 && AsciiUpper(port->substr(0, 3)) == "COM" &&
        !(port->size() == 4 && (*port)[3] >= '1' && (*port)[3] <= '8')) {
        throw UsageError{"--port takes COM1..COM8, a device path or tcp://host:port"};
    }
    if (const auto given = options.one("--sign")) {
        if (command && !command->addressesSign) {
            throw UsageError{std::string(command->name) +
                             " takes no --sign: the sign on the line takes the new ID"};
        }
        const auto id = ParseSignId(*given);
        if (!id) {
            throw UsageError{"--sign takes two hexadecimal digits, 00..FF"};
        }
        target.sign = SignIdText(*id);
    }
    if (!(command && command->takesText) && !options.positionals().empty()) {
        throw UsageError{"unexpected argument " + options.positionals().front()};
    }
    return target;
}

// Draws "[#####     ] 40%" on a terminal.
link::Progress TerminalProgress(std::ostream& err) {
    return [&err](int value, int maximum) {
        if (maximum <= 0) {
            return;
        }
        const int width = 30;
        const int filled = std::clamp(value * width / maximum, 0, width);
        err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
            << std::string(static_cast<std::size_t>(width - filled), ' ') << "] "
            << std::clamp(value * 100 / maximum, 0, 100) << "%" << std::flush;
    };
}

// The line a command talks over: the port, or for a dry run the scripted line and its clock.
struct SignLine {
    std::unique_ptr<link::FakeLine> dryLine;
    link::PortOpener opener;
    link::RealClock realClock;
    link::Progress progress;

    SignLine(const SignTarget& target, const CommandContext& context, std::ostream& err)
        : dryLine(target.dryRun ? DryRunLine() : nullptr),
          opener(target.dryRun
                     ? dryLine->opener()
                     : (context.openerFor ? context.openerFor(*target.port) : link::PortOpener{})),
          progress((!target.dryRun && context.progressToTerminal) ? TerminalProgress(err)
                                                                  : link::Progress{}) {}

    link::Clock& clock() { return dryLine ? dryLine->clock() : realClock; }
};

// Prints what the run came to and returns its status.
int ReportOutcome(const std::string& name, const link::Outcome& outcome, const SignLine& line,
                  std::ostream& out, std::ostream& err) {
    if (line.dryLine) {
        const std::string written = line.dryLine->written();
        out.write(written.data(), static_cast<std::streamsize>(written.size()));
        if (!outcome.success) {
            err << "lumivo-cli " << name << ": " << outcome.text << "\n";
        }
    } else if (!outcome.text.empty()) {
        out << outcome.text << "\n";
    }
    // What the editor puts in the box's details (the device and the system's reason).
    if (!outcome.success && !outcome.details.empty()) {
        err << "lumivo-cli " << name << ": " << outcome.details << "\n";
    }
    out.flush();
    return outcome.success ? kExitOk : kExitFailure;
}

// A command for one port that a running lumivod owns goes through it, to its sign of that port
// and ID; nothing when no lumivod owns the port or it did not answer (then told on `err`, and
// the port is opened here).
std::optional<link::Outcome> ThroughService(const std::string& name, const signs::Sign& sign,
                                            const signs::SignCommand& command,
                                            const SignTarget& target, const CommandContext& context,
                                            std::ostream& err) {
    if (target.dryRun || !target.port) {
        return std::nullopt;
    }
    const std::optional<signs::ServiceRoute> route =
        signs::ServiceForSigns(QString::fromStdString(context.settingsFile))(sign);
    if (!route) {
        return std::nullopt;
    }
    std::string note;
    const std::optional<signs::SignOutcome> end =
        signs::SendThroughService(sign, command, *route, nullptr, {}, note);
    if (!end) {
        err << "lumivo-cli " << name << ": " << note << "\n";
        return std::nullopt;
    }
    if (!end->serviceNote.empty()) {
        err << "lumivo-cli " << name << ": " << end->serviceNote << "\n";
    }
    return end->outcome;
}

} // namespace

const std::string& SignCommandsUsage() {
    static const std::string usage = ComposeUsage();
    return usage;
}

bool IsSignCommand(const std::string& name) {
    return FindSignCommand(name) != nullptr;
}

int RunSignCommand(const std::string& name, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err, const CommandContext& context) {
    static const std::vector<OptionSpec> kOptionTable = ComposeOptionTable();
    const std::string& usage = SignCommandsUsage();
    CommandLine commandLine = ParseCommandLine(args, kOptionTable);
    if (const auto status =
            AnswerStandardOptions(commandLine, "lumivo-cli " + name, usage, out, err)) {
        return *status;
    }
    const SignCommandEntry* command = FindSignCommand(name);
    try {
        const SignCommandOptions options(std::move(commandLine));
        const SignTarget target = ReadTarget(options, command);
        if (!command) {
            throw UsageError{"unknown command " + name};
        }
        const SignCommandCall call{name, options, err, context};
        if (!target.to.empty()) {
            std::vector<signs::Sign> chosen = ChooseSigns(name, target.to, err, context);
            const signs::SignCommand built = command->build(call);
            return target.dryRun ? DryRunOnSigns(name, chosen, built, out, err)
                                 : SendToSigns(name, std::move(chosen), built, out, err, context);
        }
        SignLine line(target, context, err);
        const signs::SignCommand built = command->build(call);
        signs::Sign sign;
        sign.id = target.sign;
        if (target.port) {
            sign.port = QString::fromStdString(*target.port);
        }
        if (const std::optional<link::Outcome> through =
                ThroughService(name, sign, built, target, context, err)) {
            return ReportOutcome(name, *through, line, out, err);
        }
        const link::Outcome outcome = built.run(sign, line.opener, line.clock(), line.progress);
        if (command->showsProgress && line.progress) {
            err << "\n";
        }
        return ReportOutcome(name, outcome, line, out, err);
    } catch (const UsageError& e) {
        err << "lumivo-cli " << name << ": " << e.message << "\n" << usage;
        return kExitUsage;
    } catch (const Error& e) {
        err << "lumivo-cli " << name << ": " << e.message << "\n";
        return kExitFailure;
    }
}

} // namespace lumivo::cli
