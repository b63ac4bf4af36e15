#include "cli/cli_check.h"

#include "cli/cli_common.h"
#include "core/command_line.h"
#include "core/frame.h"
#include "link/check_report.h"
#include "link/line_check.h"
#include "link/port_factory.h"
#include "link/port_names.h"
#include "signs/sign_check.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>

namespace lumivo::cli {

const char* const kCheckUsage =
    "usage: lumivo-cli check --port PORT [--sign XX]\n"
    "\n"
    "Finds out why a sign does not change: opens the port (saying why when it cannot), sends the\n"
    "begin and the end of a transfer with nothing between, which changes nothing on a sign, and\n"
    "says what the sign's answer means. Prints what happened on the line.\n"
    "  --port PORT   COM1..COM8 (as mapped in lumivo.INI), a device path, or tcp://host:port\n"
    "  --sign XX     the sign's ID, 01..FF (default 01)\n"
    "Exit status: 0 when the sign answers, 1 when it does not or the port does not open, 2 usage\n"
    "error.\n";

const char* const kScanUsage =
    "usage: lumivo-cli scan --port PORT [--ids 01-FF] [--timeout MS]\n"
    "\n"
    "Sends the begin and the end of an empty transfer to each ID and prints \"XX answers\" for\n"
    "each sign that answers; progress and other replies go to standard error.\n"
    "  --port PORT    COM1..COM8, a device path, or tcp://host:port\n"
    "  --ids LIST     IDs and ranges, such as 01-FF or 01,03,10-1F (default 01-FF)\n"
    "  --timeout MS   how long to wait for each ID's answer, 10..10000 (default 400)\n"
    "Exit status: 0 when the line was scanned, 1 when the port does not open, 2 usage error.\n";

namespace {

constexpr OptionSpec kCheckOptions[] = {
    kHelpOption, {"--port", OptionKind::Value}, {"--sign", OptionKind::Value}};
constexpr OptionSpec kScanOptions[] = {kHelpOption,
                                       {"--port", OptionKind::Value},
                                       {"--ids", OptionKind::Value},
                                       {"--timeout", OptionKind::Value}};

constexpr int kDefaultScanTimeoutMs = 400;

// The device or address a --port value leads to.
std::optional<std::string> PortTarget(const std::string& port, const std::string& settingsFile) {
    if (port.size() >= 3 && AsciiUpper(port.substr(0, 3)) == "COM") {
        if (port.size() != 4 || port[3] < '1' || port[3] > '8') {
            return std::nullopt;
        }
        return link::ComPortTarget(port[3] - '0', QString::fromStdString(settingsFile))
            .toLocal8Bit()
            .toStdString();
    }
    return port;
}

// What says that a running lumivod owns the line of `port`, where `action` is not taken.
std::optional<std::string> OwnedLine(const std::string& port, const std::string& signId,
                                     const std::string& settingsFile, const std::string& action) {
    signs::Sign sign;
    sign.port = QString::fromStdString(port);
    sign.id = signId;
    return signs::ServiceOwnsLine(sign, QString::fromStdString(settingsFile), action);
}

} // namespace

std::optional<std::vector<std::string>> ParseSignIds(const std::string& text) {
    std::vector<std::string> ids;
    std::set<int> seen;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma - start);
        const std::size_t dash = part.find('-');
        const auto first = ParseSignId(part.substr(0, dash));
        const auto last = dash == std::string::npos ? first : ParseSignId(part.substr(dash + 1));
        if (!first || !last || *first == 0 || *last < *first) {
            return std::nullopt;
        }
        for (int id = *first; id <= *last; ++id) {
            if (seen.insert(id).second) {
                ids.push_back(SignIdText(id));
            }
        }
        if (comma == std::string::npos) {
            return ids;
        }
        start = comma + 1;
    }
}

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const std::string& settingsFile) {
    const std::string program = "lumivo-cli check";
    const CommandLine line = ParseCommandLine(args, kCheckOptions);
    if (const auto status = AnswerStandardOptions(line, program, kCheckUsage, out, err)) {
        return *status;
    }
    if (!line.positionals().empty()) {
        return ReportUsageError(err, program, "unexpected argument " + line.positionals().front(),
                                kCheckUsage);
    }
    const auto port = line.value("--port");
    const auto target = port ? PortTarget(*port, settingsFile) : std::nullopt;
    if (!target) {
        return ReportUsageError(
            err, program, "give --port COM1..COM8, a device path or tcp://host:port", kCheckUsage);
    }
    const auto id = ParseSignId(line.value("--sign").value_or("01"));
    if (!id || *id == 0) {
        return ReportUsageError(
            err, program, "--sign takes a sign's own ID, 01..FF (no sign answers 00)", kCheckUsage);
    }
    if (const auto owner = OwnedLine(*port, SignIdText(*id), settingsFile, "check")) {
        err << program << ": " << *owner << "\n";
        return kExitFailure;
    }
    link::RealClock clock;
    const link::LineCheckResult result = link::CheckLine(
        link::OpenerForTarget(QString::fromStdString(*target)), clock, SignIdText(*id));
    const link::CheckReport report = link::ReportCheck(result, *target, *port);
    if (!report.opened) {
        err << program << ": " << report.text;
        return kExitFailure;
    }
    out << report.text;
    return report.answers ? kExitOk : kExitFailure;
}

int RunScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const std::string& settingsFile, bool progressToTerminal) {
    const std::string program = "lumivo-cli scan";
    const CommandLine line = ParseCommandLine(args, kScanOptions);
    if (const auto status = AnswerStandardOptions(line, program, kScanUsage, out, err)) {
        return *status;
    }
    if (!line.positionals().empty()) {
        return ReportUsageError(err, program, "unexpected argument " + line.positionals().front(),
                                kScanUsage);
    }
    const auto port = line.value("--port");
    const auto target = port ? PortTarget(*port, settingsFile) : std::nullopt;
    if (!target) {
        return ReportUsageError(
            err, program, "give --port COM1..COM8, a device path or tcp://host:port", kScanUsage);
    }
    const auto ids = ParseSignIds(line.value("--ids").value_or("01-FF"));
    if (!ids) {
        return ReportUsageError(err, program,
                                "--ids takes IDs 01..FF and ranges such as 01-FF or 01,03,10-1F",
                                kScanUsage);
    }
    int timeout = kDefaultScanTimeoutMs;
    if (const auto given = line.value("--timeout")) {
        timeout = ParseDecimal(*given);
        if (timeout < 10 || timeout > 10000) {
            return ReportUsageError(err, program, "--timeout takes milliseconds 10..10000",
                                    kScanUsage);
        }
    }
    if (const auto owner = OwnedLine(*port, "01", settingsFile, "scan")) {
        err << program << ": " << *owner << "\n";
        return kExitFailure;
    }
    const auto started = std::chrono::steady_clock::now();
    link::RealClock clock;
    link::OpenFailureNote failure;
    // On a terminal the line is redrawn in place; otherwise one line every 16 IDs.
    const auto progress = [&](const std::string& id, int place, int count) {
        if (progressToTerminal) {
            err << "\rScanning " << id << " (" << place << " of " << count << ")" << std::flush;
        } else if (place % 16 == 1) {
            err << "Scanning " << id << " (" << place << " of " << count << ")\n" << std::flush;
        }
    };
    const auto probes = link::ScanLine(link::OpenerForTarget(QString::fromStdString(*target)),
                                       clock, *ids, timeout, progress, &failure);
    if (progressToTerminal) {
        err << "\n";
    }
    if (!probes) {
        err << program << ": " << link::OpenFailureText(*target, failure.reason) << "\n";
        return kExitFailure;
    }
    int answering = 0;
    for (const link::SignProbe& probe : *probes) {
        switch (probe.answer) {
        case link::SignAnswer::Answers:
            ++answering;
            out << probe.signId << " answers\n" << std::flush;
            break;
        case link::SignAnswer::Refused:
            err << program << ": " << probe.signId
                << " answered \"NACK\": a sign heard a damaged frame\n";
            break;
        case link::SignAnswer::Noise:
            err << program << ": " << probe.signId
                << " got bytes that are no reply: " << link::HexBytes(probe.reply)
                << " (wrong baud rate or noise on the line)\n";
            break;
        case link::SignAnswer::Silent:
            break;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char summary[160];
    std::snprintf(summary, sizeof summary, "Scanned %zu IDs in %.1f s: %d answered\n",
                  probes->size(), seconds, answering);
    err << summary;
    return kExitOk;
}

} // namespace lumivo::cli
