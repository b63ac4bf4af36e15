#pragma once

#include "link/line_check.h"

#include <string>

namespace lumivo::link {

// A check in words, the same for lumivo-cli and the Signs window: `verdict` is short, for a box's
// main text or a table row ("the sign answers", "no answer", "the port did not open: busy");
// `text` is the whole report: why the port did not open, or what the sign's answer means with
// the likely causes in order, and what happened on the line.
struct CheckReport {
    bool opened = false;
    bool answers = false;
    std::string verdict;
    std::string text;
};

// Why `target` (a device path or tcp://host:port) did not open, told from the device itself:
// missing, not allowed to this user (its group and the command that adds the user to it), held
// by another program (its name and process); otherwise the system's `reason`. One line that
// begins with the target: "/dev/ttyUSB0: no such device. ...".
std::string OpenFailureText(const std::string& target, const std::string& reason);

// The report of `result`. `target` is the device or address the port leads to, `port` the
// name the user gave it (COM1, a path, tcp://...), used in the commands the report suggests.
CheckReport ReportCheck(const LineCheckResult& result, const std::string& target,
                        const std::string& port);

} // namespace lumivo::link
