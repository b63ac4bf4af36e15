#include "sim/sign_options.h"

#include "core/bytes.h"
#include "core/command_line.h"
#include "core/frame.h"

namespace lumivo::sim {

const char* const kSignUsage =
    "usage: lumivo-sign [options]\n"
    "\n"
    "A virtual LED sign. It keeps what it is sent, answers like a sign and can show it.\n"
    "By default it opens a new pseudo-terminal and prints the device path to connect to as the\n"
    "first line of standard output. It runs until interrupted (SIGINT or SIGTERM).\n"
    "\n"
    "Options:\n"
    "  --id HH              the sign's ID, two hexadecimal digits 01..FF (default 01)\n"
    "  --listen HOST:PORT   serve TCP clients instead of a pseudo-terminal; prints \"listening\n"
    "                       on HOST:PORT\" first (port 0 picks a free port). Up to 16 clients\n"
    "                       are served at once, each frame whole and answered to its sender;\n"
    "                       a client that leaves its answers unread is disconnected\n"
    "  --log FILE           append one JSON line per frame, Set ID and dropped frame: time,\n"
    "                       event, id, kind, payload, checksum, checksum_ok, applied, reply,\n"
    "                       note; a log that exists already is added to, never emptied\n"
    "  --state FILE         rewrite FILE with the whole sign state as JSON after every event\n"
    "  --show               on standard error, say in one line what each frame changed and\n"
    "                       draw the sign as LED dots whenever what it shows changed\n"
    "  --width N            the sign's width in columns, 16..512 (default 80)\n"
    "  --window             show the sign in a window: the running page animated, dimmed by\n"
    "                       the brightness, and the last frames received below it\n"
    "  --silent             apply frames but never answer\n"
    "  --refuse             apply nothing and answer every frame with the refusal \"NACK\"\n"
    "  --garbage            apply frames but answer three bytes of noise instead of \"ACK\"\n"
    "  --hang-up-after N    after N frames close the line (and the pseudo-terminal or the\n"
    "                       listening port) and exit\n"
    "  --reply-delay MS     wait MS milliseconds before each answer (over TCP per client:\n"
    "                       the others are served meanwhile)\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n"
    "\n"
    "A frame for the sign's own ID is applied and answered \"ACK\"; a frame for 00 is applied\n"
    "and never answered; a frame for another ID is ignored; a frame for its own ID with a bad\n"
    "checksum is answered \"NACK\" and not applied. Set ID is answered with the new ID's digits.\n";

namespace {

ParsedArguments Fail(std::string message) {
    ParsedArguments parsed;
    parsed.action = ParsedArguments::Action::Error;
    parsed.error = std::move(message);
    return parsed;
}

std::optional<int> NumberInRange(const std::string& text, int low, int high) {
    const int value = ParseDecimal(text);
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

constexpr OptionSpec kSignOptions[] = {
    {"--id", OptionKind::Value},
    {"--listen", OptionKind::Value},
    {"--log", OptionKind::Value},
    {"--state", OptionKind::Value},
    {"--show", OptionKind::Flag},
    {"--width", OptionKind::Value},
    {"--window", OptionKind::Flag},
    {"--silent", OptionKind::Flag},
    {"--refuse", OptionKind::Flag},
    {"--garbage", OptionKind::Flag},
    {"--hang-up-after", OptionKind::Value},
    {"--reply-delay", OptionKind::Value},
    kHelpOption,
    kVersionOption,
};

// Each reader below takes its options into `options` and returns the mistake it found, empty
// when there was none.

std::string ReadId(const CommandLine& line, SignOptions& options) {
    if (const auto value = line.value("--id")) {
        const std::optional<int> id = ParseSignId(*value);
        if (!id || *id == 0) {
            return "--id wants two hexadecimal digits 01..FF, not '" + *value + "'";
        }
        options.id = *id;
    }
    return {};
}

// --listen HOST:PORT, the host of an IPv6 address in brackets.
std::string ReadListen(const CommandLine& line, SignOptions& options) {
    const auto value = line.value("--listen");
    if (!value) {
        return {};
    }
    const auto colon = value->rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return "--listen wants HOST:PORT, not '" + *value + "'";
    }
    std::string host = value->substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    const std::optional<int> port = NumberInRange(value->substr(colon + 1), 0, 65535);
    if (!port) {
        return "--listen wants a port 0..65535, not '" + value->substr(colon + 1) + "'";
    }
    options.listenHost = host;
    options.listenPort = *port;
    return {};
}

// Where the sign tells what it got: the log, the state file, the terminal, a window.
std::string ReadOutputs(const CommandLine& line, SignOptions& options) {
    options.logPath = line.value("--log").value_or("");
    options.statePath = line.value("--state").value_or("");
    options.show = line.has("--show");
    options.window = line.has("--window");
    if (const auto value = line.value("--width")) {
        const std::optional<int> width = NumberInRange(*value, 16, 512);
        if (!width) {
            return "--width wants a number of columns 16..512, not '" + *value + "'";
        }
        options.width = *width;
    }
    return {};
}

std::string ReadFault(const CommandLine& line, SignOptions& options) {
    const bool silent = line.has("--silent");
    const bool refuse = line.has("--refuse");
    const bool garbage = line.has("--garbage");
    if (int(silent) + int(refuse) + int(garbage) > 1) {
        return "choose one of --silent, --refuse and --garbage";
    }
    options.fault = silent    ? Fault::Silent
                    : refuse  ? Fault::Refuse
                    : garbage ? Fault::Garbage
                              : Fault::None;
    return {};
}

// How the line behaves in time: the hang-up after N frames and the delay before each answer.
std::string ReadLineTiming(const CommandLine& line, SignOptions& options) {
    if (const auto value = line.value("--hang-up-after")) {
        const std::optional<int> n = NumberInRange(*value, 1, 1000000);
        if (!n) {
            return "--hang-up-after wants a number of frames 1..1000000";
        }
        options.hangUpAfter = *n;
    }
    if (const auto value = line.value("--reply-delay")) {
        const std::optional<int> ms = NumberInRange(*value, 0, 600000);
        if (!ms) {
            return "--reply-delay wants milliseconds 0..600000";
        }
        options.replyDelayMs = *ms;
    }
    return {};
}

} // namespace

ParsedArguments ParseSignArguments(const std::vector<std::string>& args) {
    const CommandLine line = ParseCommandLine(args, kSignOptions);
    ParsedArguments parsed;
    if (line.has(kHelpOption.name)) {
        parsed.action = ParsedArguments::Action::Help;
        return parsed;
    }
    if (line.has(kVersionOption.name)) {
        parsed.action = ParsedArguments::Action::Version;
        return parsed;
    }
    if (!line.ok()) {
        return Fail(line.error());
    }
    if (!line.positionals().empty()) {
        return Fail("unexpected argument '" + line.positionals().front() + "'");
    }
    // Read in this fixed order: of several mistakes, the first reader's is reported.
    for (const auto reader : {ReadId, ReadListen, ReadOutputs, ReadFault, ReadLineTiming}) {
        if (std::string mistake = reader(line, parsed.options); !mistake.empty()) {
            return Fail(std::move(mistake));
        }
    }
    return parsed;
}

} // namespace lumivo::sim
