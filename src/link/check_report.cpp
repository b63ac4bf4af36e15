#include "link/check_report.h"

#include "core/bytes.h"
#include "link/device_access.h"

namespace lumivo::link {

namespace {

bool IsNetworkTarget(const std::string& target) {
    return AsciiUpper(target.substr(0, 6)) == "TCP://";
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : "; ") + part;
    }
    return text;
}

// Why a port did not open: a few words, and the sentence that says what to do.
struct OpenProblem {
    std::string brief;
    std::string text;
};

OpenProblem ExplainOpenFailure(const std::string& target, const std::string& reason) {
    if (IsNetworkTarget(target)) {
        return {"cannot connect", "cannot connect: " + reason +
                                      ". Is the device server on and its address and port right?"};
    }
    const DeviceAccess access = ExamineDevice(target);
    switch (access.state) {
    case DeviceAccess::State::Missing:
        return {"no such device",
                "no such device. Is the adapter plugged in and the cable seated? 'lumivo-cli "
                "ports' lists where COM1..COM8 lead; 'ls /dev/ttyUSB* /dev/ttyACM* /dev/ttyS*' "
                "lists serial devices."};
    case DeviceAccess::State::NoPermission: {
        std::string text = "permission denied: the device belongs to the group " + access.group;
        if (access.inGroup) {
            text += ", which you were added to after you logged in: log out and log in again.";
        } else {
            text += " and you are not in it. Add yourself with 'sudo adduser $USER " +
                    access.group + "', then log out and log in again.";
        }
        return {"permission denied", text};
    }
    case DeviceAccess::State::Present:
    case DeviceAccess::State::Unknown:
        break;
    }
    const std::vector<std::string> holders = ProgramsHolding(target);
    if (!holders.empty()) {
        return {"busy", "busy: held by " + Joined(holders) +
                            ". Close that program, or stop it, and check again."};
    }
    return {"cannot open", "cannot open: " + reason};
}

// What the sign's answer means, for a person at the sign: one line, or the likely causes in
// order under it.
std::string ExplainAnswer(const SignProbe& probe, const std::string& port) {
    const std::string sign = "Sign " + probe.signId;
    switch (probe.answer) {
    case SignAnswer::Answers:
        return sign + ": the sign answers.\n";
    case SignAnswer::Silent:
        return sign + ": no answer, not one byte came back. Likely causes, most likely first:\n" +
               "  1. the sign has another ID: 'lumivo-cli scan --port " + port +
               "' lists the IDs that answer\n" +
               "  2. the sign is on another port: 'lumivo-cli ports' lists where COM1..COM8 lead\n"
               "  3. the cable: unplugged, broken, or send and receive crossed the wrong way\n"
               "  4. the sign's baud rate is not 9600\n";
    case SignAnswer::Noise:
        return sign + ": bytes came back that are no reply: " + HexBytes(probe.reply) +
               ". Wrong baud rate or noise on the line.\n";
    case SignAnswer::Refused:
        return sign + ": the sign answered \"NACK\": it heard a damaged frame. Noise on the " +
               "line, a loose cable or a wrong baud rate.\n";
    }
    return {};
}

std::string Verdict(SignAnswer answer) {
    switch (answer) {
    case SignAnswer::Answers:
        return "the sign answers";
    case SignAnswer::Silent:
        return "no answer";
    case SignAnswer::Noise:
        return "bytes that are no reply: wrong baud rate or noise";
    case SignAnswer::Refused:
        return "NACK: the sign heard a damaged frame";
    }
    return {};
}

} // namespace

std::string OpenFailureText(const std::string& target, const std::string& reason) {
    return target + ": " + ExplainOpenFailure(target, reason).text;
}

CheckReport ReportCheck(const LineCheckResult& result, const std::string& target,
                        const std::string& port) {
    CheckReport report;
    if (!result.opened) {
        const OpenProblem problem = ExplainOpenFailure(target, result.reason);
        report.verdict = "the port did not open: " + problem.brief;
        report.text = target + ": " + problem.text + "\n";
        return report;
    }
    report.opened = true;
    report.answers = result.probe.answer == SignAnswer::Answers;
    report.verdict = Verdict(result.probe.answer);
    report.text = "Opened " + target + (port != target ? " (" + port + ")" : std::string()) + ".\n";
    if (!IsNetworkTarget(target)) {
        if (const auto holders = ProgramsHolding(target); !holders.empty()) {
            report.text += "Also open in " + Joined(holders) +
                           ": its bytes and ours mix on the line; close it.\n";
        }
    }
    report.text += ExplainAnswer(result.probe, port);
    report.text += "On the line:\n" + result.record;
    return report;
}

} // namespace lumivo::link
