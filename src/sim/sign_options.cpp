#include "sim/sign_options.h"

#include "core/bytes.h"
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
    "  --listen HOST:PORT   serve one TCP client at a time instead of a pseudo-terminal; prints\n"
    "                       \"listening on HOST:PORT\" first (port 0 picks a free port)\n"
    "  --log FILE           write one JSON line per frame, Set ID and dropped frame: time,\n"
    "                       event, id, kind, payload, checksum, checksum_ok, applied, reply, note\n"
    "  --state FILE         rewrite FILE with the whole sign state as JSON after every event\n"
    "  --show               draw the shown page as LED dots on standard error after every change\n"
    "  --silent             apply frames but never answer\n"
    "  --refuse             apply nothing and answer every frame with the refusal \"NACK\"\n"
    "  --garbage            apply frames but answer three bytes of noise instead of \"ACK\"\n"
    "  --hang-up-after N    after N frames close the line (and the pseudo-terminal or the\n"
    "                       listening port) and exit\n"
    "  --reply-delay MS     wait MS milliseconds before each answer\n"
    "  -h, --help           show this help\n"
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

} // namespace

ParsedArguments ParseSignArguments(const std::vector<std::string>& args) {
    ParsedArguments parsed;
    SignOptions& options = parsed.options;
    bool faultGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const bool takesValue = name == "--id" || name == "--listen" || name == "--log" ||
                                name == "--state" || name == "--hang-up-after" ||
                                name == "--reply-delay";
        std::string value;
        if (takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return Fail(name + " needs a value");
            }
        } else if (inlineValue) {
            return Fail(name + " takes no value");
        }

        if (name == "-h" || name == "--help") {
            parsed.action = ParsedArguments::Action::Help;
            return parsed;
        } else if (name == "--id") {
            const std::optional<int> id = ParseSignId(value);
            if (!id || *id == 0) {
                return Fail("--id wants two hexadecimal digits 01..FF, not '" + value + "'");
            }
            options.id = *id;
        } else if (name == "--listen") {
            const auto colon = value.rfind(':');
            if (colon == std::string::npos || colon == 0) {
                return Fail("--listen wants HOST:PORT, not '" + value + "'");
            }
            std::string host = value.substr(0, colon);
            if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
                host = host.substr(1, host.size() - 2);
            }
            const std::optional<int> port = NumberInRange(value.substr(colon + 1), 0, 65535);
            if (!port) {
                return Fail("--listen wants a port 0..65535, not '" + value.substr(colon + 1) +
                            "'");
            }
            options.listenHost = host;
            options.listenPort = *port;
        } else if (name == "--log") {
            options.logPath = value;
        } else if (name == "--state") {
            options.statePath = value;
        } else if (name == "--show") {
            options.show = true;
        } else if (name == "--silent" || name == "--refuse" || name == "--garbage") {
            if (faultGiven) {
                return Fail("choose one of --silent, --refuse and --garbage");
            }
            faultGiven = true;
            options.fault = name == "--silent"   ? Fault::Silent
                            : name == "--refuse" ? Fault::Refuse
                                                 : Fault::Garbage;
        } else if (name == "--hang-up-after") {
            const std::optional<int> n = NumberInRange(value, 1, 1000000);
            if (!n) {
                return Fail("--hang-up-after wants a number of frames 1..1000000");
            }
            options.hangUpAfter = *n;
        } else if (name == "--reply-delay") {
            const std::optional<int> ms = NumberInRange(value, 0, 600000);
            if (!ms) {
                return Fail("--reply-delay wants milliseconds 0..600000");
            }
            options.replyDelayMs = *ms;
        } else {
            return Fail("unknown option '" + args[i] + "'");
        }
    }
    return parsed;
}

} // namespace lumivo::sim
