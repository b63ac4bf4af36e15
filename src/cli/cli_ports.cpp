#include "cli/cli_ports.h"

#include "core/command_line.h"
#include "link/path_text.h"
#include "link/port_names.h"

#include <QString>

namespace lumivo::cli {

const char* const kPortsUsage =
    "usage: lumivo-cli ports [--mapped COMn]\n"
    "\n"
    "Lists the device each COM port setting reaches: LUMIVO_COMn from the environment, else\n"
    "COMn in the section [Ports] of the settings file, else the platform's default.\n"
    "  --mapped COMn   print that port's device; exit 0 when it is mapped, 1 when it is the\n"
    "                  default\n";

namespace {

constexpr OptionSpec kPortsOptions[] = {kHelpOption, {"--mapped", OptionKind::Value}};

std::optional<int> PortNumber(const std::string& name) {
    if (name.size() == 4 && (name[0] == 'C' || name[0] == 'c') &&
        (name[1] == 'O' || name[1] == 'o') && (name[2] == 'M' || name[2] == 'm') &&
        name[3] >= '1' && name[3] <= '8') {
        return name[3] - '0';
    }
    return std::nullopt;
}

} // namespace

int RunPortsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::filesystem::path& settingsFile) {
    const CommandLine line = ParseCommandLine(args, kPortsOptions);
    if (const auto status =
            AnswerStandardOptions(line, "lumivo-cli ports", kPortsUsage, out, err)) {
        return *status;
    }
    if (!line.positionals().empty()) {
        return ReportUsageError(err, "lumivo-cli ports",
                                "unexpected argument " + line.positionals().front(), kPortsUsage);
    }
    const QString settings = link::PathText(settingsFile);
    const auto describe = [&](int n) {
        return link::ComPortTarget(n, settings).toLocal8Bit().toStdString();
    };
    if (const auto mapped = line.value("--mapped")) {
        const std::optional<int> n = PortNumber(*mapped);
        if (!n) {
            return ReportUsageError(err, "lumivo-cli ports", "--mapped takes COM1..COM8",
                                    kPortsUsage);
        }
        out << describe(*n) << "\n";
        return link::ComPortIsMapped(*n, settings) ? kExitOk : kExitFailure;
    }
    for (int n = 1; n <= link::kComPortCount; ++n) {
        out << link::ComPortName(n).toStdString() << "  " << describe(n)
            << (link::ComPortIsMapped(n, settings) ? "" : "  (default)") << "\n";
    }
    return kExitOk;
}

} // namespace lumivo::cli
